#include "exec/sql_executor.h"

#include <algorithm>
#include <optional>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeWidget>

#include "db/api_call.h"
#include "db/odbc_comm.h"
#include "exec/command_lock.h"
#include "exec/result_text.h"
#include "exec/script_text.h"
#include "store/code_page.h"
#include "store/sql_history.h"
#include "toolkit/auto_size_columns.h"
#include "toolkit/busy_pointer.h"
#include "toolkit/keyed_bars.h"
#include "toolkit/message_box.h"
#include "toolkit/result_row.h"
#include "toolkit/tool_icons.h"
#include "toolkit/yield.h"

namespace varkel {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr qint64 kFrameMs = 16;
// The status of a fill whose cursor is gone: its handle is no longer valid.
constexpr DbStatus kCursorGone = 9999;

// Follows the driver's text of a statement that the stop command cancelled.
const QString kStoppedNote =
    QStringLiteral("（SQL中断で取り消しました。トランザクションはサーバーが残したままです）");

// A driver's warning as it follows the outcome in the one-line "msg" panel.
QString PanelLine(const QString& warning) {
    if (warning.isEmpty()) return {};
    return QStringLiteral(" ") + QString(warning).replace(kCrLf, QStringLiteral(" "));
}

}  // namespace

SqlExecutor::SqlExecutor(DbSession& session, const ExecWidgets& widgets, const QString& baseTitle,
                         QObject* parent)
    : QObject(parent), session_(session), w_(widgets), baseTitle_(baseTitle) {
    clock_.start();
    repaint_.start();
}

SqlExecutor::~SqlExecutor() {
    qDeleteAll(pendingRows_);  // none, unless the executor goes in the middle of a fill
}

QString SqlExecutor::connectionLabel() const {
    return w_.TB_DSN ? w_.TB_DSN->text() : QString();
}

void SqlExecutor::setPanels(const QString& status, const QString& count, const QString& time,
                            const QString& msg) {
    if (!w_.StatusBar1) return;
    w_.StatusBar1->setPanelText(QStringLiteral("status"), status);
    w_.StatusBar1->setPanelText(QStringLiteral("cnt"), count);
    w_.StatusBar1->setPanelText(QStringLiteral("time"), time);
    w_.StatusBar1->setPanelText(QStringLiteral("msg"), msg);
    ShowPending();
}

void SqlExecutor::ShowPending() {
    if (!w_.StatusBar1) return;
    const QString text = pending_.Text(session_);
    w_.StatusBar1->setPanelText(QStringLiteral("pending"), text);
    if (auto* panel = w_.StatusBar1->findChild<QLabel*>(QStringLiteral("pending")))
        panel->setVisible(!text.isEmpty());
}

void SqlExecutor::Abort() {
    aborted_ = true;
    r_.StopRequested = -1;
}

DbStatus SqlExecutor::exec_sql(const QString& sql, bool ReFetch) {
    if (aborted_) return 0;
    r_.StopRequested = 0;
    callStopped_ = false;
    setPanels(QStringLiteral("SQLCode:"), QStringLiteral("行数:"), QStringLiteral("実行時間："),
              QString());
    DbStatus s = 0;
    QString message;
    QString warning;  // the driver's text of a statement that ran with a warning
    bool failed = false;
    if (ReFetch) {
        // The rows go on from the list, whatever statement without rows ran meanwhile.
        r_.RowCount = static_cast<std::int32_t>(w_.ListView1->topLevelItemCount());
        r_.StartTick = tick();
        s = FetchResult(sql, true);
        failed = s != 0 && s != 100;
    } else if (const QString refusal = CodePageRefusal(sql); !refusal.isEmpty()) {
        // Sent altered, the statement would do something other than it says: it is not run.
        message = refusal;
        ShowMessageBox(message, MsgButtons::Ok, MsgIcon::Exclamation,
                       baseTitle_ + QStringLiteral(" - ＳＱＬ実行エラー"));
        s = -9999;
        failed = true;
    } else {
        r_.ElapsedMs = 0;
        r_.FirstRowMs = 0;
        r_.StartTime = QDateTime::currentDateTime();
        r_.StartTick = tick();
        const PendingWork::Mark before = PendingWork::MarkOf(session_);
        s = DbExecuteFill(session_, sql);
        if (s != 0 && aborted_) return s;  // closed while it ran: the program is ending
        if (s != 0) {
            callStopped_ = DbCallStopped(session_);
            message = LastDbMessage(session_);
            ShowMessageBox(message, MsgButtons::Ok, MsgIcon::Exclamation,
                           baseTitle_ + QStringLiteral(" - ＳＱＬ実行エラー"));
            if (ShowMessageBox(QStringLiteral("SQLを履歴に追加しますか？"), MsgButtons::OkCancel,
                               MsgIcon::Question, baseTitle_, 1) == MsgResult::Ok &&
                history_)
                history_->AddHist(connectionLabel(), sql);
            if (history_ && w_.L_sql_no)
                w_.L_sql_no->setText(QString::number(history_->GetHistNum()));
            failed = true;
        } else {
            warning = LastDbWarning(session_);
            // A statement without rows keeps the columns of the list, which an interrupted fill
            // still needs to resume.
            const std::int16_t columns = LastColumnCount(session_);
            if (history_) {
                history_->AddHist(connectionLabel(), sql);
                if (w_.L_sql_no) w_.L_sql_no->setText(QString::number(history_->GetHistNum()));
            }
            if (columns != 0) {
                cursorId_ = DbCursorId(session_);
                connectionId_ = DbConnectionId(session_);
                // Only the first columns that the result list can describe are shown.
                r_.Columns->Count = std::min<std::int16_t>(columns, ResultColumns::Capacity);
                s = FetchResult(sql, false);
                failed = s != 0 && s != 100;
            } else {
                r_.ElapsedMs = tick() - r_.StartTick;
                r_.RowCount = LastRowCount(session_);
                pending_.Changed(session_, before);
            }
        }
    }
    if (aborted_) {  // the program is ending: no reports
        EndFetch();
        return s;
    }
    if (failed) {
        EndFetch();
        setPanels(QStringLiteral("SQLCode:") + QString::number(s), QStringLiteral("行数:"),
                  QStringLiteral("実行時間："),
                  QStringLiteral("SQL実行エラー：") + message +
                      (callStopped_ ? kStoppedNote : QString()));
        return s;
    }
    QString report = QStringLiteral("正常に終了しました。") + kCrLf + kCrLf +
                     QStringLiteral("SQLCode:") + QString::number(s);
    if (r_.RowCount >= 0) report += kCrLf + QStringLiteral("行数:") + QString::number(r_.RowCount);
    if (!warning.isEmpty()) report += kCrLf + kCrLf + warning;
    ShowMessageBox(report, MsgButtons::Ok, MsgIcon::Information,
                   baseTitle_ + QStringLiteral(" - ＳＱＬ正常終了"));
    const QString time = ElapsedTimeText(r_.ElapsedMs);
    // The shown time rounds to hundredths by adding 5 ms, and the sum is kept.
    if (r_.ElapsedMs < 3600000) r_.ElapsedMs += 5;
    setPanels(QStringLiteral("SQLCode:") + QString::number(s),
              QStringLiteral("行数:") + QString::number(r_.RowCount), time,
              QStringLiteral("SQL実行：正常に終了しました。") + PanelLine(warning));
    return s;
}

void SqlExecutor::StartFetchPanel(const QString& sql, int columns) {
    r_.CurrentSql = sql;
    w_.Cmd_start_stop->setIcon(ToolIcon(QStringLiteral("stopfetch")));
    w_.Cmd_start_stop->setEnabled(true);
    w_.L_cols->setText(QString::number(columns));
    w_.L_rows->setText(QStringLiteral("0"));
    w_.L_sec->setText(QStringLiteral("0.000"));
    w_.L_sec->setToolTip(QString());
    w_.L_msg->clear();
    r_.FetchPaused = 0;
}

void SqlExecutor::buildColumns() {
    QTreeWidget* list = w_.ListView1;
    list->clear();
    list->setSortingEnabled(false);
    const int n = r_.Columns->Count;
    r_.NumericWidths = QList<std::optional<QPair<int, int>>>(n + 1);
    QStringList headers{QStringLiteral("行No.")};
    for (int k = 1; k <= n; ++k)
        headers << r_.Columns->Names[static_cast<size_t>(k - 1)];
    headers << QStringLiteral("<");
    list->setColumnCount(static_cast<int>(headers.size()));
    list->setHeaderLabels(headers);
    QTreeWidgetItem* header = list->headerItem();
    for (int k = 1; k <= n; ++k) {
        const bool numeric = r_.Columns->Kinds[static_cast<size_t>(k - 1)] == QStringLiteral("N");
        header->setTextAlignment(k, (numeric ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        if (numeric) r_.NumericWidths[k] = QPair<int, int>(0, 0);
    }
}

QTreeWidgetItem* SqlExecutor::makeRow(const QStringList& values) {
    const int n = r_.Columns->Count;
    QStringList texts;
    texts.reserve(n + 2);
    texts << RowNumberText(r_.RowCount);
    for (int k = 1; k <= n; ++k) {
        const QString& kind = r_.Columns->Kinds[static_cast<size_t>(k - 1)];
        const char16_t letter = kind.size() == 1 ? kind.front().unicode() : u'\0';
        const QString value = values.value(k - 1);
        texts << (letter == u'T' ? DateTimeText(value) : value);
        // Only plain decimals are widened by a sort, so only they set the widths: an exponent
        // form would give every number of the column its digits as decimals.
        if (letter == u'N' && IsPlainDecimal(value)) {
            const QPair<int, int> pair = MeasureNumber(value);
            r_.NumericWidths[0] = pair;
            auto& widths = r_.NumericWidths[k];
            if (widths->first < pair.first) widths->first = pair.first;
            if (widths->second < pair.second) widths->second = pair.second;
        }
    }
    // The columns that stand right, one set shared by every row while it stays the same.
    if (rightAligned_.size() != n + 1) rightAligned_.resize(n + 1);
    for (int k = 1; k <= n; ++k)
        if (rightAligned_.testBit(k) != r_.NumericWidths[k].has_value())
            rightAligned_.setBit(k, r_.NumericWidths[k].has_value());
    return new ResultRow(texts, rightAligned_);
}

void SqlExecutor::addRow(QTreeWidgetItem* row) {
    pendingRows_.append(row);
    if (pendingRows_.size() >= kRowLot) flushRows();
}

void SqlExecutor::flushRows() {
    if (pendingRows_.isEmpty()) return;
    w_.ListView1->addTopLevelItems(pendingRows_);
    pendingRows_.clear();
}

DbStatus SqlExecutor::FetchResult(const QString& sql, bool ReFetch) {
    QTreeWidget* list = w_.ListView1;
    int retries = 0;
    DbStatus s = 0;
    filling_ = true;
    // The pointer stays busy for the whole fill rather than being set and reset around every
    // fetch (a round trip to the window system per row); it is normal again for any box.
    std::optional<BusyPointer> busy;
    for (;;) {  // one round per execution of the statement (the first, or a retry)
        if (!ReFetch) {
            StartFetchPanel(sql, r_.Columns->Count);
            r_.RowCount = 0;
            list->clear();
            DescribeResult(session_, *r_.Columns);  // the next fetch tells whether it worked
            buildColumns();
        }
        list->setVisible(false);
        bool retry = false;
        QStringList values;
        for (;;) {
            if (!busy) busy.emplace();
            // Checked before anything else: a disconnect also marks the fill as interrupted.
            if (!ownsCursor()) {
                busy.reset();
                s = kCursorGone;
                if (!aborted_)
                    ShowMessageBox(
                        DbConnectionId(session_) != connectionId_
                            ? QStringLiteral(
                                  "ＤＢ接続が切断されたため、結果の読み込みを終了しました。")
                            : QStringLiteral("結果のカーソルが他の処理で閉じられたため、続きの行は"
                                             "読めません。"),
                        MsgButtons::Ok, MsgIcon::Exclamation,
                        baseTitle_ + QStringLiteral(" - ＳＱＬ実行エラー"));
                break;
            }
            if (r_.FetchPaused == -1) {
                ShowFetchProgress(true);
                break;
            }
            if (r_.StopRequested != 0) {
                ShowFetchProgress(true);
                EndFetch();
                break;
            }
            s = DbFetch(session_, values, retries > 0 ? 1 : 0);
            if (r_.RowCount == 0 && retries == 0) r_.FirstRowMs = tick() - r_.StartTick;
            if (s == 100) {
                ShowFetchProgress(true);
                EndFetch();
                break;
            }
            if (s != 0 && aborted_) break;
            if (s != 0 && r_.StopRequested != 0 && DbCallStopped(session_)) {
                // The stop cancelled the fetch that was out: the fill ends as stopped.
                callStopped_ = true;
                s = 0;
                ShowFetchProgress(true);
                EndFetch();
                break;
            }
            if (s != 0) {
                busy.reset();
                ShowMessageBox(LastDbMessage(session_), MsgButtons::Ok, MsgIcon::Exclamation,
                               baseTitle_ + QStringLiteral(" - ＳＱＬ実行エラー"));
                if (s != -9999 || ++retries > 1) break;
                if (ShowMessageBox(QStringLiteral("FETCHを先頭行から再試行しますか？"),
                                   MsgButtons::YesNo, MsgIcon::Question,
                                   QStringLiteral("FETCH再試行確認"),
                                   1) != MsgResult::Yes)  // a retry repeats the statement
                    break;
                DbExecuteFill(session_, sql);  // a failure shows at the next fetch
                cursorId_ = DbCursorId(session_);
                retry = true;
                break;
            }
            if (r_.RowCount >= kMaxRows) {  // the row just fetched is dropped
                ShowFetchProgress(true);
                EndFetch();
                break;
            }
            r_.RowCount += 1;
            addRow(makeRow(values));
            ShowFetchProgress(false);
        }
        flushRows();
        if (!retry) break;
    }
    busy.reset();
    filling_ = false;
    finishFill();
    return s;
}

void SqlExecutor::finishFill() {
    QTreeWidget* list = w_.ListView1;
    AutoSizeColumns(list, true, -1);
    list->setVisible(true);
    emit fillEnded();
    DoEvents();
}

void SqlExecutor::ShowFetchProgress(bool final) {
    // The counter is drawn at most once per screen frame: a repaint per row would cost more
    // than the fetch itself.
    if (final || repaint_.elapsed() >= kFrameMs) {
        flushRows();  // the list holds at least the rows the counter shows
        w_.L_rows->setText(QString::number(r_.RowCount));
        repaint_.restart();
    }
    if (final) {
        r_.ElapsedMs += tick() - r_.StartTick;
        w_.L_sec->setText(SecondsText(r_.ElapsedMs));
        if (r_.RowCount > 0)
            w_.L_sec->setToolTip(QStringLiteral("1行目:") + SecondsText(r_.FirstRowMs) +
                                 QStringLiteral("秒"));
        QString span = r_.StartTime.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("～") +
                       QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss"));
        if (r_.FetchPaused == -1) span += QStringLiteral("（中断されました）");
        w_.L_msg->setText(span);
    }
    DoEvents();
}

bool SqlExecutor::ownsCursor() const {
    return cursorId_ != 0 && DbCursorId(session_) == cursorId_ &&
           DbConnectionId(session_) == connectionId_;
}

void SqlExecutor::EndFetch() {
    // Only the list's own cursor: another owner's cursor is none of the fill's business.
    if (ownsCursor()) CloseCursor(session_);
    w_.Cmd_start_stop->setIcon(QIcon());
    w_.Cmd_start_stop->setEnabled(false);
    r_.FetchPaused = -1;
}

void SqlExecutor::Cmd_start_stop_Click() {
    if (r_.FetchPaused == -1) {
        // Something else owns the session for now (a script, a save, an import).
        if (lock_ && lock_->locked()) return;
        const CommandLock::Hold hold = lock_ ? lock_->hold() : CommandLock::Hold();
        r_.FetchPaused = 0;
        w_.Cmd_start_stop->setIcon(ToolIcon(QStringLiteral("stopfetch")));
        w_.L_msg->clear();
        exec_sql(r_.CurrentSql, true);
    } else {
        r_.FetchPaused = -1;
        w_.Cmd_start_stop->setIcon(ToolIcon(QStringLiteral("start")));
    }
}

void SqlExecutor::ClearFetchPanel() {
    w_.Cmd_start_stop->setIcon(QIcon());
    w_.Cmd_start_stop->setEnabled(false);
    for (QLabel* label : {w_.L_cols, w_.L_rows, w_.L_sec, w_.L_msg})
        label->clear();
    w_.L_sec->setToolTip(QString());
    r_.FetchPaused = 0;
}

void SqlExecutor::transaction(bool commit) {
    const QString name = commit ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK");
    if (!IsConnected(session_)) {
        ShowMessageBox(QStringLiteral("ＤＢが接続されていません。"), MsgButtons::Ok,
                       MsgIcon::Exclamation,
                       baseTitle_ + QStringLiteral(" - ") + name + QStringLiteral("の実行"));
        return;
    }
    const DbStatus s = commit ? DbCommit(session_) : DbRollback(session_);
    QString outcome;
    if (s != 0) {
        outcome = name + QStringLiteral("エラー：") + LastDbMessage(session_);
    } else {
        outcome = name + QStringLiteral("が完了しました。");
        const QString warning = LastDbWarning(session_);
        ShowMessageBox(warning.isEmpty() ? outcome : outcome + kCrLf + kCrLf + warning,
                       MsgButtons::Ok, MsgIcon::Information,
                       baseTitle_ + QStringLiteral(" - ") + name + QStringLiteral("完了"));
    }
    setPanels(QStringLiteral("SQLCode:") + QString::number(s), QStringLiteral("行数:"),
              QStringLiteral("実行時間："),
              s == 0 ? outcome + PanelLine(LastDbWarning(session_)) : outcome);
}

void SqlExecutor::DoCommit() {
    transaction(true);
}

void SqlExecutor::DoRollback() {
    transaction(false);
}

}  // namespace varkel
