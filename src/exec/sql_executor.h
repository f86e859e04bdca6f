#pragma once

#include <QBitArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <memory>
#include <optional>

#include "db/db_session.h"
#include "db/result_columns.h"
#include "exec/pending_work.h"

class QLabel;
class QLineEdit;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace varkel {

class CommandLock;
class KeyedStatusBar;
class SqlHistory;

// The widgets of the main window that running a statement writes to.
struct ExecWidgets {
    QTreeWidget* ListView1 = nullptr;
    QLabel* L_cols = nullptr;
    QLabel* L_rows = nullptr;
    QLabel* L_sec = nullptr;
    QLabel* L_msg = nullptr;
    QToolButton* Cmd_start_stop = nullptr;
    KeyedStatusBar* StatusBar1 = nullptr;
    QLabel* L_sql_no = nullptr;
    QLineEdit* TB_DSN = nullptr;  // its text is the connection label of the history
};

// The result list's side data.
struct ResultList {
    std::unique_ptr<ResultColumns> Columns = std::make_unique<ResultColumns>();
    // Per numeric column k (1-based): (largest integer-part length, largest fraction length).
    QList<std::optional<QPair<int, int>>> NumericWidths;
    std::int32_t RowCount = 0;
    QString CurrentSql;
    std::int16_t FetchPaused = 0;
    std::int16_t StopRequested = 0;
    QDateTime StartTime;
    qint64 StartTick = 0;
    qint64 ElapsedMs = 0;
    qint64 FirstRowMs = 0;
};

// Runs one statement at a time through the session, records it in the history, fills the
// result list row by row while the window stays responsive, and reports the outcome.
class SqlExecutor : public QObject {
    Q_OBJECT
  public:
    static constexpr int kMaxRows = 10000;

    SqlExecutor(DbSession& session, const ExecWidgets& widgets, const QString& baseTitle,
                QObject* parent = nullptr);
    ~SqlExecutor() override;
    void setHistory(SqlHistory* history) { history_ = history; }
    // The lock a resumed fill holds while it reads, as a script run does.
    void setCommandLock(CommandLock* lock) { lock_ = lock; }

    DbStatus exec_sql(const QString& sql, bool ReFetch);
    void Cmd_start_stop_Click();
    void RequestStop() { r_.StopRequested = -1; }
    // The program is ending: a running fill ends at its next row, quietly, and nothing more runs.
    void Abort();
    bool aborted() const { return aborted_; }
    void EndFetch();
    void DoCommit();
    void DoRollback();
    void ClearFetchPanel();
    // The status bar's panel of uncommitted work, shown only while there is some.
    void ShowPending();
    PendingWork& pendingWork() { return pending_; }

    const ResultList& result() const { return r_; }
    bool filling() const { return filling_; }
    // Whether the last statement's driver call was cancelled by the stop command.
    bool callStopped() const { return callStopped_; }

  signals:
    // A fill of the result list ended (a new result or a resumed one).
    void fillEnded();

  private:
    DbStatus FetchResult(const QString& sql, bool ReFetch);
    void StartFetchPanel(const QString& sql, int columns);
    void ShowFetchProgress(bool final);
    void buildColumns();
    QTreeWidgetItem* makeRow(const QStringList& values);
    void addRow(QTreeWidgetItem* row);
    void flushRows();
    void finishFill();
    void setPanels(const QString& status, const QString& count, const QString& time,
                   const QString& msg);
    void transaction(bool commit);
    QString connectionLabel() const;
    qint64 tick() const { return clock_.elapsed(); }
    // Whether the session's cursor is still the one this fill opened, on the same connection.
    bool ownsCursor() const;

    DbSession& session_;
    ExecWidgets w_;
    QString baseTitle_;
    SqlHistory* history_ = nullptr;
    CommandLock* lock_ = nullptr;
    // The cursor of the list's result and its connection, as they were when it was opened.
    std::uint64_t cursorId_ = 0;
    std::uint64_t connectionId_ = 0;
    ResultList r_;
    QBitArray rightAligned_;  // the numeric columns of the rows being made
    // Rows of the fill made but not yet in the list. The list (hidden while it fills) takes them
    // a lot at a time, and whenever the row counter is drawn, so that it always holds at least
    // the rows the counter shows: told of every row alone, it would lay itself out after each.
    static constexpr qsizetype kRowLot = 256;
    QList<QTreeWidgetItem*> pendingRows_;
    QElapsedTimer clock_;
    QElapsedTimer repaint_;  // the row counter is drawn at most once per screen frame
    bool filling_ = false;
    bool aborted_ = false;
    bool callStopped_ = false;
    PendingWork pending_;
};

}  // namespace varkel
