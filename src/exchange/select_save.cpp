// SELECT-and-save: the statement of the SQL input box runs, and its rows go straight to a file.

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QScopeGuard>
#include <optional>

#include "db/api_call.h"
#include "db/odbc_comm.h"
#include "db/odbc_lib.h"
#include "exchange/export_file.h"
#include "exchange/export_format.h"
#include "exchange/save_csv.h"
#include "exec/command_lock.h"
#include "exec/result_text.h"
#include "exec/script_text.h"
#include "toolkit/busy_pointer.h"
#include "toolkit/file_dialogs.h"
#include "toolkit/message_box.h"
#include "toolkit/twips.h"
#include "toolkit/yield.h"

namespace varkel {

namespace {

// Closes the save's cursor on every way out, and only its own: another cursor that replaced it
// belongs to someone else.
class OwnCursor {
  public:
    OwnCursor(DbSession& session, std::uint64_t id) : session_(session), id_(id) {}
    ~OwnCursor() {
        if (id_ != 0 && DbCursorId(session_) == id_) CloseCursor(session_);
    }
    OwnCursor(const OwnCursor&) = delete;
    OwnCursor& operator=(const OwnCursor&) = delete;
    bool stillOurs() const { return IsConnected(session_) && DbCursorId(session_) == id_; }

  private:
    DbSession& session_;
    std::uint64_t id_;
};

}  // namespace

void SaveCSV::OutSelectExec() {
    DbSession* session = calls_.session;
    if (!session || !IsConnected(*session)) {
        ShowMessageBox(QStringLiteral("ＤＢが接続されていません。"), MsgButtons::Ok,
                       MsgIcon::Exclamation, windowTitle());
        return;
    }
    if (calls_.lock && calls_.lock->locked()) {
        // A script, a fill or an import owns the session's cursor now.
        ShowMessageBox(QStringLiteral("他のSQLの実行中です。終わってから実行してください。"),
                       MsgButtons::Ok, MsgIcon::Exclamation, windowTitle());
        return;
    }
    const QString errorTitle = calls_.baseTitle + QStringLiteral(" - ＳＱＬ実行エラー");
    // Sent altered, the statement would do something other than it says: it is not run.
    if (const QString refusal = CodePageRefusal(SelectSql); !refusal.isEmpty()) {
        ShowMessageBox(refusal, MsgButtons::Ok, MsgIcon::Exclamation, errorTitle);
        return;
    }
    CommandLock::Hold hold;
    if (calls_.lock) hold = calls_.lock->hold();
    savingSelect_ = true;
    const auto savingEnds = qScopeGuard([this] { savingSelect_ = false; });
    // A fill that was interrupted would otherwise resume on this statement's cursor.
    if (calls_.endInterruptedFill) calls_.endInterruptedFill();

    // The whole result is read once, start to end: the driver need not hold it.
    if (DbExecuteStreaming(*session, SelectSql) != 0) {
        ShowMessageBox(LastDbMessage(*session), MsgButtons::Ok, MsgIcon::Exclamation, errorTitle);
        return;
    }
    const int columns = LastColumnCount(*session);
    OwnCursor cursor(*session, columns > 0 ? DbCursorId(*session) : 0);
    if (calls_.addHistory) calls_.addHistory(SelectSql);

    OutFileName = AskSaveFile(this, QStringLiteral("SELECT実行結果の保存ﾌｧｲﾙ指定"),
                              QStringLiteral("SELECT.csv"), textFileFilter(), 1);
    if (OutFileName.isEmpty() || aborted_) return;

    MarkStep = 0;
    markWidth_ = PixelsToTwipsX(Label1->width());
    markLimit_ = PixelsToTwipsX(Picture1->width()) - PixelsToTwipsX(L_cnt->width());
    markLeft_ = -markWidth_;
    Label1->setVisible(true);
    RowsWritten = 0;
    L_cnt->setText(QStringLiteral("0"));
    MoveBusyMark();
    showCount(true);

    // A result that breaks off never replaces a file that was there before.
    const bool earlierFile = QFileInfo(OutFileName).isFile();
    ExportFile file(OutFileName);
    file.open();
    // Every column is written, however many there are.
    QStringList names;
    std::vector<std::int16_t> kinds;
    if (columns > 0 && !file.failed() && DescribeColumns(*session, names, kinds) != 0) {
        ShowMessageBox(LastDbMessage(*session), MsgButtons::Ok, MsgIcon::Exclamation, errorTitle);
        return;
    }
    names = names.mid(0, columns);
    std::vector<bool> numeric(static_cast<size_t>(columns));
    std::vector<bool> dateTime(static_cast<size_t>(columns));
    for (size_t k = 0; k < static_cast<size_t>(columns) && k < kinds.size(); ++k) {
        numeric[k] = kinds[k] == 0;
        dateTime[k] = kinds[k] == 2;
    }

    qint64 replaced = 0;
    bool stopped = false;
    bool lost = false;
    QByteArray bytes;
    if (Chk_head->isChecked() && columns > 0 && !file.failed()) {
        replaced += AppendEncoded(bytes, codePage_, ExportHeaderLine(names, Delimiter));
        file.write(bytes);
    }
    QStringList values;
    QString line;
    bool fetchFailed = false;  // the rows broke off with the driver's error
    // The pointer stays busy for the whole loop rather than changing around every fetch.
    std::optional<BusyPointer> busy;
    busy.emplace();
    while (columns > 0 && !file.failed()) {
        if (!yieldRow()) {
            stopped = true;
            break;
        }
        if (!cursor.stillOurs()) {  // disconnected, or another statement took the cursor
            lost = true;
            break;
        }
        // Values go to the file whole, however long (the list cuts them).
        const DbStatus status = DbFetchWholeInBlocks(*session, values);
        if (status == 100) break;
        if (status != 0 && DbCallStopped(*session)) {  // the stop cancelled the fetch
            stopped = true;
            break;
        }
        if (status != 0) {
            fetchFailed = true;
            if (!aborted_)
                ShowMessageBox(LastDbMessage(*session), MsgButtons::Ok, MsgIcon::Exclamation,
                               errorTitle);
            break;
        }
        if (values.size() < columns) values.resize(columns);
        for (size_t k = 0; k < dateTime.size(); ++k)
            if (dateTime[k])
                values[static_cast<qsizetype>(k)] = DateTimeText(values[static_cast<qsizetype>(k)]);
        line.resize(0);  // keeps its buffer for the next row
        bytes.resize(0);
        AppendExportLine(line, values, numeric, Delimiter, QuoteChar);
        replaced += AppendEncoded(bytes, codePage_, line);
        if (!file.write(bytes)) break;
        RowsWritten += 1;
        MoveBusyMark();
        showCount(false);
    }
    busy.reset();
    showCount(true);
    if (aborted_) return;  // the program is ending: nothing half-written is put in place
    if (lost) {
        fail(QStringLiteral("SELECT結果が他の操作で閉じられたため、出力を中止しました。") +
             QStringLiteral("\r\n") + OutFileName);
        return;
    }
    const QString crlf = QStringLiteral("\r\n");
    if (fetchFailed && earlierFile && !file.writesInPlace() && !file.failed()) {
        // The earlier file stays as it was (the temporary file goes with `file`).
        ShowMessageBox(
            QStringLiteral("SELECT結果の取得が%1行の後で失敗したため、出力を中止しました。")
                    .arg(RowsWritten) +
                crlf + OutFileName + crlf + QStringLiteral("は元の内容のままです。"),
            MsgButtons::Ok, MsgIcon::Exclamation, windowTitle());
        return;
    }
    if (!file.commit()) {
        fail(file.failureText());
        return;
    }
    if (fetchFailed) {
        // No earlier file (or one written in place): what was read stays, and the report says
        // where it broke off.
        ShowMessageBox(ExportDoneText(OutFileName, true, replaced) + crlf +
                           QStringLiteral("SELECT結果の取得に失敗したため、%1行で中断しました。")
                               .arg(RowsWritten),
                       MsgButtons::Ok, MsgIcon::Exclamation, windowTitle());
        return;
    }
    inform(ExportDoneText(OutFileName, stopped, replaced));
    if (Chk_edit_csv->isChecked() && calls_.editFile) calls_.editFile(OutFileName);
}

}  // namespace varkel
