#include "exec/script_runner.h"

#include <QPlainTextEdit>
#include <QTextCursor>

#include "db/odbc_comm.h"
#include "exec/command_lock.h"
#include "exec/script_text.h"
#include "exec/sql_executor.h"
#include "toolkit/box_text.h"
#include "toolkit/message_box.h"
#include "toolkit/yield.h"

namespace varkel {

ScriptRunner::ScriptRunner(DbSession& session, SqlExecutor& executor, CommandLock& lock,
                           QPlainTextEdit* TB_SQL, const QString& baseTitle, Hooks hooks,
                           QObject* parent)
    : QObject(parent),
      session_(session),
      executor_(executor),
      lock_(lock),
      TB_SQL_(TB_SQL),
      baseTitle_(baseTitle),
      hooks_(std::move(hooks)) {}

void ScriptRunner::RunScript() {
    // Something else owns the session's cursor (a script, a fill, a save, an import).
    if (running_ || lock_.locked()) return;
    if (hooks_.beforeRun) hooks_.beforeRun();
    if (!IsConnected(session_)) {
        ShowMessageBox(QStringLiteral("ＤＢが接続されていません。"), MsgButtons::Ok,
                       MsgIcon::Exclamation, baseTitle_ + QStringLiteral(" - ＳＱＬの実行"));
        return;
    }
    const QString script = TrimBlanks(WithCrLf(BoxText(TB_SQL_)));
    if (script.isEmpty()) return;
    running_ = true;
    CommandLock::Hold hold = lock_.hold();
    // A disconnect while the script runs ends it: nothing more is offered, and nothing runs on a
    // connection made meanwhile.
    const std::uint64_t connection = DbConnectionId(session_);
    const auto stillOurs = [&] {
        return !executor_.aborted() && DbConnectionId(session_) == connection;
    };
    int count = 0;
    for (const QString& statement : SplitScript(script)) {
        if (!stillOurs()) break;
        if (count == 0 ||
            ShowMessageBox(ContinueQuestion(statement), MsgButtons::OkCancel, MsgIcon::Question,
                           QStringLiteral("SQL連続実行")) == MsgResult::Ok) {
            if (!stillOurs()) break;
            executor_.exec_sql(statement, false);
            // A stop that cancelled a driver call ends the script: nothing more is asked.
            if (executor_.callStopped()) break;
        }
        ++count;  // a skipped statement counts too
    }
    hold.release();
    running_ = false;
    emit finished();
}

void ScriptRunner::PostSQL(const QString& SQLstmt) {
    // While a script runs nothing else may start, and the box keeps what the user typed.
    if (running_ || lock_.locked()) return;
    // One edit of the box, so that its undo brings the user's text back.
    QTextCursor cursor(TB_SQL_->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(SQLstmt);
    cursor.endEditBlock();
    DoEvents();
    RunScript();
}

}  // namespace varkel
