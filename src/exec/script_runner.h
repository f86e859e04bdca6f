#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "db/db_session.h"

class QPlainTextEdit;

namespace varkel {

class CommandLock;
class SqlExecutor;

// Runs the text of the SQL input box as a script: statement after statement, asking before
// every one after the first, with the commands that must not run meanwhile locked.
class ScriptRunner : public QObject {
    Q_OBJECT
  public:
    struct Hooks {
        std::function<void()> beforeRun;  // history position, its label, box colour
    };

    ScriptRunner(DbSession& session, SqlExecutor& executor, CommandLock& lock,
                 QPlainTextEdit* TB_SQL, const QString& baseTitle, Hooks hooks,
                 QObject* parent = nullptr);

    void RunScript();
    void PostSQL(const QString& SQLstmt);
    bool running() const { return running_; }

  signals:
    void finished();

  private:
    DbSession& session_;
    SqlExecutor& executor_;
    CommandLock& lock_;
    QPlainTextEdit* TB_SQL_;
    QString baseTitle_;
    Hooks hooks_;
    bool running_ = false;
};

}  // namespace varkel
