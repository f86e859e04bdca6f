#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <optional>

#include "db/odbc_comm.h"
#include "db/sql_text_rules.h"
#include "db/table_undo.h"
#include "exchange/import_batch.h"
#include "exchange/import_text.h"
#include "exchange/load_csv.h"
#include "exec/command_lock.h"
#include "toolkit/busy_pointer.h"
#include "toolkit/message_box.h"
#include "toolkit/yield.h"

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

// The most of a statement L_sql shows (a screen's width of narrow characters).
constexpr qsizetype kShownChars = 1000;
// The most lines sent as one statement.
constexpr qsizetype kBatchLines = 1000;
// The most lines one record's quoted values may span.
constexpr qsizetype kRecordLines = 1000;
constexpr char16_t kReplacement = 0xFFFD;
// How the server reads literals and names, asked once per import: its mode may have changed.
ImportSqlRules AskImportRules(DbSession& session) {
    ImportSqlRules rules;
    rules.identifierQuote = IdentifierQuoteChar(session);
    switch (LiteralBackslashRule(session)) {
        case LiteralBackslash::Plain:
            rules.backslash = ImportSqlRules::Backslash::Plain;
            break;
        case LiteralBackslash::Escape:
            rules.backslash = ImportSqlRules::Backslash::Escape;
            break;
        case LiteralBackslash::Unknown:
            rules.backslash = ImportSqlRules::Backslash::Unknown;
            break;
    }
    return rules;
}

}  // namespace

QString ShownStatement(const QString& sql, qsizetype chars) {
    if (sql.size() <= chars) return sql;
    return sql.first(chars) + QStringLiteral("…");
}

void LoadCSV::ended(CommandLock::Hold& hold) {
    running_ = false;
    hold.release();
}

void LoadCSV::showStatement() {
    // No more than the label's width could hold of the narrowest characters: the rest would
    // only be laid out, never seen.
    const QFontMetrics metrics = L_sql->fontMetrics();
    int narrowest = metrics.horizontalAdvance(u' ');
    for (const char16_t c : u".,'1il|")
        if (c) narrowest = qMin(narrowest, metrics.horizontalAdvance(QChar(c)));
    shownChars_ = qMin<qsizetype>(kShownChars, L_sql->width() / qMax(1, narrowest) + 1);
    L_sql->setText(ShownStatement(shownSql_, shownChars_));
}

void LoadCSV::showProgress(const QString& sql, std::int32_t inserted, bool now) {
    if (!now && painted_.isValid() && painted_.elapsed() < kFrameMs) return;
    painted_.start();
    shownSql_ = sql;
    showStatement();
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
    if (const QString unheld = codePage_.unheld(typed); !unheld.isEmpty()) {
        // Put in the statement altered, the name would address another table.
        ShowMessageBox(QStringLiteral("コードページ %1 で表せない文字があるため、登録しません：%2")
                           .arg(QString::fromLatin1(codePage_.name()), unheld),
                       MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("登録の実行"));
        ImCB_table->setFocus();
        return false;
    }
    const QString target = TargetName(typed);
    QString head = QStringLiteral("INSERT INTO ") + target;
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
    const ImportSqlRules rules = AskImportRules(session);

    // Kept apart from what a preview during the import may change.
    const CodePage fileCode(fileCode_.name());
    const FileState previewed = fileState_;
    ImportReader reader;
    if (!reader.open(SourceFile)) {
        ShowMessageBox(QStringLiteral("ﾌｧｲﾙがありません。"), MsgButtons::Ok, MsgIcon::Exclamation,
                       QStringLiteral("登録元CSVﾌｧｲﾙ"));
        return false;
    }

    enum class End {
        Lines,
        Cancelled,
        Disconnected,
        SessionTaken,
        Aborted,
        FileChanged,
        ReadFailed,
        CommitFailed
    };
    End end = End::Lines;
    QPointer<LoadCSV> self(this);
    CommandLock::Hold hold = lock_.hold();
    running_ = true;
    std::uint64_t cursor = DbCursorId(session);
    std::int32_t Inserted = 0, Pending = 0, committed = 0;
    qint64 replaced = 0;  // replacement characters in the rows sent
    qint64 replacedCommitted = 0;
    std::uint64_t failureRollbacks = DbFailureRollbacks(session);
    bool first = true;
    QByteArrayView bytes;
    QString line, sql;
    qint64 lineNumber = 0;
    painted_.invalidate();
    // The pointer stays busy for the whole loop rather than being set and reset around every
    // statement (a round trip to the window system per row); it is normal again for any box.
    std::optional<BusyPointer> busy;
    busy.emplace();
    // The file read now must be the one the preview checked and counted.
    if (!(reader.state() == previewed)) end = End::FileChanged;
    // Lines read ahead for a record whose quote never closed: they are read again one by one.
    struct ReadLine {
        QString text;
        QByteArray endBefore;  // the line end in front of it
    };
    QList<ReadLine> ahead;
    QByteArray endBefore;
    ImportBatch batch;
    // Several lines go as one statement only where a failed one can be taken back whole; never
    // on a table that keeps rows of a failed statement (they would be sent twice). Off too once
    // the server refuses a savepoint.
    bool batching = TakesBackFailedStatements(session, target);
    const auto nextLine = [&](QString& text, QByteArray& before) {
        if (!ahead.isEmpty()) {
            ReadLine read = ahead.takeFirst();
            text = std::move(read.text);
            before = std::move(read.endBefore);
            return ImportReader::Next::Line;
        }
        const ImportReader::Next got = reader.next(bytes);
        if (got == ImportReader::Next::Line) {
            fileCode.decodeInto(text, bytes.data(), bytes.size());
            before = reader.endBefore().toByteArray();
        }
        return got;
    };
    // Go: the import goes on. Return: it has ended and said so (or the window went): RunImport
    // returns false at once. CommitFailed: a commit failed and the commit service said why.
    enum class Step { Go, Return, CommitFailed };
    // The rows since the last commit, committed when the interval is reached.
    const auto counted = [&]() {
        if (Pending >= interval) {
            Pending = 0;
            busy.reset();  // a failed commit shows its box
            const DbStatus committing = DbCommit(session);
            if (!self) return Step::Return;
            if (committing != 0) return Step::CommitFailed;
            busy.emplace();
            committed = Inserted;
            replacedCommitted = replaced;
            cursor = DbCursorId(session);
        }
        showProgress(sql, Inserted, false);
        return Step::Go;
    };
    // A failure that ended the transaction at the database took every row since the last commit
    // with it: they are no longer counted as in the table.
    const auto countLostRows = [&] {
        if (DbFailureRollbacks(session) == failureRollbacks) return;
        failureRollbacks = DbFailureRollbacks(session);
        Inserted -= Pending;
        Pending = 0;
        replaced = replacedCommitted;
    };
    // One line sent by itself; a failed line is shown and asked about, unless `quiet` (the
    // program is ending): it is then left out without a word.
    const auto sendOne = [&](const QString& statement, bool sendable, qint64 recordLine,
                             qint64 lineReplaced, bool quiet) {
        sql = statement;
        showProgress(sql, Inserted, false);
        // A line that would send more than one statement is a failed line, never sent.
        const DbStatus status = sendable ? DbExecute(session, sql) : -1;
        cursor = DbCursorId(session);
        if (status != 0) countLostRows();
        // The stop cancelled the statement: the import ends at the loop's top as stopped.
        if (status != 0 && DbCallStopped(session)) return Step::Go;
        if (status == 0) {
            ++Inserted;
            ++Pending;
            replaced += lineReplaced;
            return counted();
        }
        if (quiet) return Step::Go;
        busy.reset();
        showProgress(sql, Inserted, true);
        ShowMessageBox(sendable ? LastDbMessage(session) : RefusedLineText(recordLine),
                       MsgButtons::Ok, MsgIcon::Exclamation,
                       baseTitle_ + QStringLiteral(" - INSERTエラー"));
        if (!self) return Step::Return;
        const MsgResult answer = ShowMessageBox(
            QStringLiteral("登録を次行から続行しますか？（OK = 続行）"), MsgButtons::OkCancel,
            MsgIcon::Question, baseTitle_ + QStringLiteral(" - INSERT続行確認"), 1);
        if (!self) return Step::Return;
        if (answer == MsgResult::Ok) {  // the checks at the loop's top still apply
            busy.emplace();
            return Step::Go;
        }
        running_ = false;
        if (!IsConnected(session)) {
            countLostRows();
            ShowMessageBox(
                QStringLiteral("データベースとの接続が切れたため、登録を中止しました。") +
                    CountsText(Inserted),
                MsgButtons::Ok, MsgIcon::Exclamation, windowTitle());
        } else {
            if (Pending > 0 && DbCommit(session) == 0) committed = Inserted;
            if (!self) return Step::Return;
            ShowMessageBox(
                QStringLiteral("登録を中止しました。") + CommittedText(Inserted, committed),
                MsgButtons::Ok, MsgIcon::Information, windowTitle());
        }
        if (self) ended(hold);
        return Step::Return;
    };
    // Lines that went alone or in a lot that was taken back: each is sent again by itself.
    const auto sendEach = [&](const QList<ImportBatch::Line>& lines, bool quiet) {
        for (const ImportBatch::Line& one : lines) {
            if (!IsConnected(session)) return Step::Go;  // the loop's checks say so
            const Step step = sendOne(head + QStringLiteral(" VALUES") + one.values, true,
                                      one.number, one.replaced, quiet);
            if (step != Step::Go) return step;
        }
        return Step::Go;
    };
    // A lot sent as one statement and not yet answered: the next lines are read meanwhile.
    struct Sent {
        QList<ImportBatch::Line> lines;
        bool together = false;  // the savepoint and its release went with the lines
    };
    std::optional<Sent> sent;
    // Waits for the lot sent and takes its answer. When it failed, the savepoint takes its rows
    // back and the lines go again one by one, so the failed line is found, shown and asked
    // about by itself and the lines before it are kept.
    const auto settle = [&](bool quiet) {
        if (!sent) return Step::Go;
        const Sent lot = std::move(*sent);
        sent.reset();
        bool sentAll = DbExecuteCollect(session) == 0;
        if (sentAll && !lot.together) DbExecute(session, ImportReleaseSavepointText());
        if (!sentAll) {
            countLostRows();
            if (IsConnected(session)) {
                const bool stopped = DbCallStopped(session);
                DbExecute(session, ImportRollbackToSavepointText());
                DbExecute(session, ImportReleaseSavepointText());
                // The stop cancelled the lot: none of it went in, nor do the lines read after
                // it, and the loop's top ends the import as stopped with the rows before it
                // counted.
                if (stopped) {
                    batch.take();
                    cursor = DbCursorId(session);
                    return Step::Go;
                }
            }
        }
        cursor = DbCursorId(session);
        if (!sentAll) return sendEach(lot.lines, quiet);
        for (const ImportBatch::Line& line : lot.lines)
            replaced += line.replaced;
        Inserted += static_cast<std::int32_t>(lot.lines.size());
        Pending += static_cast<std::int32_t>(lot.lines.size());
        return counted();
    };
    // The gathered lines sent as one statement inside a savepoint, after the answer to the lot
    // before; the statement runs while the next lines are read.
    const auto flush = [&](bool quiet) {
        if (const Step step = settle(quiet); step != Step::Go) return step;
        if (batch.isEmpty()) return Step::Go;
        if (batch.size() > 1 && batching) {
            sql = batch.statement(head);
            showProgress(sql, Inserted, false);
            // Where the driver takes them, the savepoint and its release go with the lines:
            // one round trip instead of three. The savepoint precedes the lines, so a failure
            // among them finds it set (and a driver's own savepoint before the text, rolled back
            // to, takes it along: then the rollback to it below fails, harmlessly).
            const bool together = DbRunsStatementsTogether(session);
            if (together || DbExecute(session, ImportSavepointText()) == 0) {
                DbExecutePost(session, together ? ImportSavepointText() + QStringLiteral(";\n") +
                                                      sql + QStringLiteral(";\n") +
                                                      ImportReleaseSavepointText()
                                                : sql);
                sent = Sent{batch.take(), together};
                // A lot that makes a commit due is answered and committed at once, before
                // more lines are read.
                if (Pending + sent->lines.size() >= interval) return settle(quiet);
                return Step::Go;
            }
            batching = false;  // the server keeps no savepoints: every line goes alone
            cursor = DbCursorId(session);
        }
        return sendEach(batch.take(), quiet);
    };
    // flush, and the answer to what it sent: nothing is left out.
    const auto flushAll = [&](bool quiet) {
        const Step step = flush(quiet);
        return step == Step::Go ? settle(quiet) : step;
    };
    while (end == End::Lines) {
        const ImportReader::Next got = nextLine(line, endBefore);
        if (got == ImportReader::Next::End) break;
        if (got != ImportReader::Next::Line) {
            end = got == ImportReader::Next::Changed ? End::FileChanged : End::ReadFailed;
            break;
        }
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
        if (!reader.unchanged()) {  // cut short or written over meanwhile
            end = End::FileChanged;
            break;
        }
        const qint64 recordLine = ++lineNumber;
        // A quoted value holding line breaks goes on after the line end, for a bounded number of
        // lines; a quote that does not close by then (or by the file's end) leaves the line to
        // stand alone, and the lines after it are read again as lines of their own.
        if (ImportRecordOpen(line, delimiter)) {
            QList<ReadLine> taken;
            QString record = line;
            ImportReader::Next moreGot = ImportReader::Next::Line;
            bool closed = false;
            while (!closed && taken.size() < kRecordLines) {
                ReadLine next;
                moreGot = nextLine(next.text, next.endBefore);
                if (moreGot != ImportReader::Next::Line) break;
                record += QString::fromLatin1(next.endBefore) + next.text;
                taken.append(std::move(next));
                closed = !ImportRecordOpen(record, delimiter);
            }
            if (moreGot == ImportReader::Next::Changed || moreGot == ImportReader::Next::Failed) {
                end = moreGot == ImportReader::Next::Changed ? End::FileChanged : End::ReadFailed;
                break;
            }
            if (closed) {
                line = std::move(record);
                lineNumber += taken.size();
            } else {
                ahead = taken + ahead;
            }
        }
        if (first && header) {
            first = false;
            bool names = true;
            if (headerColumns) head += HeaderColumnList(line, delimiter, rules, &names);
            if (!names) {
                busy.reset();
                ShowMessageBox(RefusedHeaderText(), MsgButtons::Ok, MsgIcon::Exclamation,
                               baseTitle_ + QStringLiteral(" - INSERTエラー"));
                if (self) ended(hold);
                return false;
            }
            continue;
        }
        first = false;
        bool sendable = true;
        QString values = LineInsertValues(line, delimiter, rules, &sendable);
        const qint64 lineReplaced = line.count(QChar(kReplacement));
        if (!sendable) {  // goes alone, after the lines before it
            if (const Step step = flushAll(false); step != Step::Go) {
                if (step == Step::Return) return false;
                end = End::CommitFailed;
                break;
            }
            const Step step =
                sendOne(head + QStringLiteral(" VALUES") + values, false, recordLine, 0, false);
            if (step == Step::Return) return false;
            if (step == Step::CommitFailed) {
                end = End::CommitFailed;
                break;
            }
            continue;
        }
        batch.add({std::move(values), recordLine, lineReplaced});
        // A batch ends where a commit falls due (the rows of the lot still unanswered counted
        // in), so the commits come after the same rows as when every line went alone.
        const qsizetype room = interval - Pending - (sent ? sent->lines.size() : 0);
        if (!batch.fits(qMin<qsizetype>(kBatchLines, room))) {
            const Step step = flush(false);
            if (step == Step::Return) return false;
            if (step == Step::CommitFailed) {
                end = End::CommitFailed;
                break;
            }
        }
    }
    // The lines read before the loop ended go too, while the connection lasts; when the program
    // is ending, a line that fails is left out without asking.
    if (end != End::Disconnected && end != End::CommitFailed && IsConnected(session)) {
        const Step step = flushAll(end == End::Aborted);
        if (step == Step::Return) return false;
        if (step == Step::CommitFailed) end = End::CommitFailed;
    } else if (sent) {
        // Gone with the connection, unless the disconnect waited for the lot and committed it.
        const QList<ImportBatch::Line> lines = std::move(sent->lines);
        sent.reset();
        if (DbExecuteCollect(session) == 0) {
            for (const ImportBatch::Line& line : lines)
                replaced += line.replaced;
            Inserted += static_cast<std::int32_t>(lines.size());
            Pending += static_cast<std::int32_t>(lines.size());
        }
    }
    busy.reset();
    running_ = false;
    showProgress(sql.isEmpty() ? shownSql_ : sql, Inserted, true);

    // The rows since the last commit, committed; false when the commit failed.
    const auto commitPending = [&] {
        if (Pending == 0) return true;
        if (DbCommit(session) != 0) return false;
        committed = Inserted;
        return true;
    };
    const auto stopped = [&](const QString& why) {
        ShowMessageBox(
            why + QStringLiteral("、登録を中止しました。") + CommittedText(Inserted, committed),
            MsgButtons::Ok, MsgIcon::Exclamation, windowTitle());
    };
    switch (end) {
        case End::Aborted:
            if (Pending > 0) DbCommit(session);
            break;
        case End::CommitFailed:
            // The commit service has shown the database's reason; this says where that leaves
            // the rows.
            stopped(QStringLiteral("COMMITに失敗したため"));
            break;
        case End::FileChanged:
        case End::ReadFailed:
            commitPending();
            if (!self) return false;
            stopped(end == End::FileChanged ? QStringLiteral("登録中にファイルが変更されたため")
                                            : QStringLiteral("ファイルを読み込めなかったため"));
            break;
        case End::Disconnected:
            countLostRows();
            ShowMessageBox(
                QStringLiteral("データベースとの接続が切れたため、登録を中止しました。") +
                    CountsText(Inserted),
                MsgButtons::Ok, MsgIcon::Exclamation, windowTitle());
            break;
        case End::SessionTaken:
            commitPending();
            if (!self) return false;
            stopped(QStringLiteral("登録中に他の処理がデータベースを使用したため"));
            break;
        case End::Lines:
        case End::Cancelled: {
            const bool done = commitPending();
            if (!self) return false;
            if (!done) {  // never reported as done: the last rows are not in the table
                end = End::CommitFailed;
                stopped(QStringLiteral("COMMITに失敗したため"));
                break;
            }
            QString text = QStringLiteral("登録が終了しました。") +
                           (CancelRequested ? QStringLiteral("（中断）") : QString()) +
                           CountsText(Inserted);
            if (replaced > 0)
                text += kCrLf + QStringLiteral("置換文字「\uFFFD」%1文字を含む値を登録しました。")
                                    .arg(replaced);
            ShowMessageBox(text, MsgButtons::Ok, MsgIcon::Information, windowTitle());
            break;
        }
    }
    if (!self) return false;
    const bool ok = end == End::Lines || end == End::Cancelled;
    if (ok) {
        L_sql->clear();
        shownSql_.clear();
    }
    ended(hold);
    return ok;
}

}  // namespace varkel
