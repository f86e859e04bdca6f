#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <optional>

#include "db/odbc_comm.h"
#include "exchange/import_text.h"
#include "exchange/load_csv.h"
#include "exec/command_lock.h"
#include "ui/toolkit/busy_pointer.h"
#include "ui/toolkit/message_box.h"
#include "ui/toolkit/yield.h"

namespace varkel {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr qint64 kFrameMs = 16;

QString CountsText(std::int32_t inserted) {
    return kCrLf + kCrLf + QStringLiteral("INSERT行数:") + QString::number(inserted);
}

QString CommittedText(std::int32_t inserted, std::int32_t committed) {
    return CountsText(inserted) + kCrLf + QStringLiteral("COMMIT済み行数:") +
           QString::number(committed);
}

}  // namespace

void LoadCSV::ended(CommandLock::Hold& hold) {
    running_ = false;
    hold.release();
}

void LoadCSV::showProgress(const QString& sql, std::int32_t inserted, bool now) {
    if (!now && painted_.isValid() && painted_.elapsed() < kFrameMs) return;
    painted_.start();
    L_sql->setText(sql);
    L_sql->repaint();  // the statement in the driver's hands stays readable while it runs
    L_cnt->setText(QString::number(inserted) + u'/' + QString::number(dataLines_));
    ProgressBar1->setValue(qMin(inserted, ProgressBar1->maximum()));
}

bool LoadCSV::RunImport() {
    const QString typed = ImCB_table->currentText().trimmed();
    if (typed.isEmpty()) {
        ShowMessageBox(QStringLiteral("登録先テーブルを選択（入力）して下さい。"), MsgButtons::Ok,
                       MsgIcon::Exclamation, QStringLiteral("登録の実行"));
        ImCB_table->setFocus();
        return false;
    }
    QString head = QStringLiteral("INSERT INTO ") + TargetName(typed);
    if (!ReadPreview()) return false;
    DbSession& session = session_;
    if (!IsConnected(session)) {
        ShowMessageBox(QStringLiteral("データベースに接続されていません。"), MsgButtons::Ok,
                       MsgIcon::Exclamation, QStringLiteral("登録の実行"));
        return false;
    }
    if (lock_.locked()) {  // a script or a fill owns the session
        ShowMessageBox(QStringLiteral("他の処理の実行中は登録できません。"), MsgButtons::Ok,
                       MsgIcon::Exclamation, QStringLiteral("登録の実行"));
        return false;
    }

    const QString delimiter = DelimiterOf(CB_txt_dlm->currentText());
    const bool header = Chk_head->isChecked();
    const bool headerColumns = header && Chk_head_col->isChecked();
    if (header) LineCount -= 1;
    // Kept apart from LineCount, which a preview during the import may change.
    dataLines_ = qMax(LineCount, 0);
    // An empty range would turn the bar into a busy indicator: a file without data keeps 0 of 1.
    ProgressBar1->setMaximum(qMax(dataLines_, 1));
    ProgressBar1->setValue(0);
    L_cnt->setText(QStringLiteral("0/") + QString::number(dataLines_));
    const std::int32_t interval = qMax(L_commit_int->text().toInt(), 1);

    ImportFile file;
    if (!file.open(SourceFile)) {
        ShowMessageBox(QStringLiteral("ﾌｧｲﾙがありません。"), MsgButtons::Ok, MsgIcon::Exclamation,
                       QStringLiteral("登録元CSVﾌｧｲﾙ"));
        return false;
    }

    enum class End { Lines, Cancelled, Disconnected, SessionTaken, Aborted };
    End end = End::Lines;
    QPointer<LoadCSV> self(this);
    CommandLock::Hold hold = lock_.hold();
    running_ = true;
    std::uint64_t cursor = DbCursorId(session);
    std::int32_t Inserted = 0, Pending = 0, committed = 0;
    bool first = true;
    ImportLines lines(file.bytes());
    QByteArrayView bytes;
    QString line, sql;
    painted_.invalidate();
    // The pointer stays busy for the whole loop rather than being set and reset around every
    // statement (a round trip to the window system per row); it is normal again for any box.
    std::optional<BusyPointer> busy;
    busy.emplace();
    while (lines.next(bytes)) {
        DoEvents();
        if (!self) return false;  // the window went with the program; the session is not ours
        if (aborted_) {
            end = End::Aborted;
            break;
        }
        if (CancelRequested) {
            end = End::Cancelled;
            break;
        }
        if (!IsConnected(session)) {
            end = End::Disconnected;
            break;
        }
        if (DbCursorId(session) != cursor) {
            end = End::SessionTaken;
            break;
        }
        codePage_.decodeInto(line, bytes.data(), bytes.size());
        if (first && header) {
            first = false;
            if (headerColumns) head += HeaderColumnList(line, delimiter);
            continue;
        }
        first = false;
        sql = InsertStatement(head, SplitImportFields(line, delimiter));
        showProgress(sql, Inserted, false);
        const DbStatus status = DbExecute(session, sql);
        cursor = DbCursorId(session);
        if (status != 0) {
            busy.reset();
            showProgress(sql, Inserted, true);
            ShowMessageBox(LastDbMessage(session), MsgButtons::Ok, MsgIcon::Exclamation,
                           baseTitle_ + QStringLiteral(" - INSERTエラー"));
            if (!self) return false;
            const MsgResult answer = ShowMessageBox(
                QStringLiteral("登録を次行から続行しますか？（OK = 続行）"), MsgButtons::OkCancel,
                MsgIcon::Question, baseTitle_ + QStringLiteral(" - INSERT続行確認"), 1);
            if (!self) return false;
            if (answer == MsgResult::Ok) {  // the checks at the loop's top still apply
                busy.emplace();
                continue;
            }
            running_ = false;
            if (!IsConnected(session)) {
                ShowMessageBox(
                    QStringLiteral("データベースとの接続が切れたため、登録を中止しました。") +
                        CountsText(Inserted),
                    MsgButtons::Ok, MsgIcon::Exclamation, windowTitle());
            } else {
                if (Pending > 0 && DbCommit(session) == 0) committed = Inserted;
                if (!self) return false;
                ShowMessageBox(
                    QStringLiteral("登録を中止しました。") + CommittedText(Inserted, committed),
                    MsgButtons::Ok, MsgIcon::Information, windowTitle());
            }
            if (self) ended(hold);
            return false;
        }
        ++Inserted;
        ++Pending;
        if (Pending == interval) {
            Pending = 0;
            busy.reset();  // a failed commit shows its box
            const DbStatus committing = DbCommit(session);
            busy.emplace();
            if (committing != 0) {
                busy.reset();
                if (!self) return false;
                showProgress(sql, Inserted, true);
                ended(hold);
                return false;
            }
            committed = Inserted;
            cursor = DbCursorId(session);
        }
        showProgress(sql, Inserted, false);
    }
    busy.reset();
    running_ = false;
    showProgress(L_sql->text(), Inserted, true);

    switch (end) {
        case End::Aborted:
            if (Pending > 0) DbCommit(session);
            break;
        case End::Disconnected:
            ShowMessageBox(
                QStringLiteral("データベースとの接続が切れたため、登録を中止しました。") +
                    CountsText(Inserted),
                MsgButtons::Ok, MsgIcon::Exclamation, windowTitle());
            break;
        case End::SessionTaken:
            if (Pending > 0 && DbCommit(session) == 0) committed = Inserted;
            if (!self) return false;
            ShowMessageBox(QStringLiteral("登録中に他の処理がデータベースを使用したため、"
                                          "登録を中止しました。") +
                               CommittedText(Inserted, committed),
                           MsgButtons::Ok, MsgIcon::Exclamation, windowTitle());
            break;
        case End::Lines:
        case End::Cancelled:
            if (Pending > 0) DbCommit(session);
            if (!self) return false;
            ShowMessageBox(QStringLiteral("登録が終了しました。") +
                               (CancelRequested ? QStringLiteral("（中断）") : QString()) +
                               CountsText(Inserted),
                           MsgButtons::Ok, MsgIcon::Information, windowTitle());
            break;
    }
    if (!self) return false;
    const bool ok = end == End::Lines || end == End::Cancelled;
    if (ok) L_sql->clear();
    ended(hold);
    return ok;
}

}  // namespace varkel
