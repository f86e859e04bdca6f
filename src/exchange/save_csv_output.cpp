// The result-list exports of the export window: a text file, the clipboard, a spreadsheet.

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>

#include "exchange/excel_workbook.h"
#include "exchange/export_file.h"
#include "exchange/export_format.h"
#include "exchange/save_csv.h"
#include "toolkit/busy_pointer.h"
#include "toolkit/desktop.h"
#include "toolkit/file_dialogs.h"
#include "toolkit/message_box.h"
#include "toolkit/twips.h"
#include "toolkit/yield.h"

namespace varkel {

namespace {

constexpr qint64 kFrameMs = 16;
constexpr qint64 kYieldSliceNs = 1000000;

const QString kTextFilter =
    QStringLiteral("CSVﾌｧｲﾙ(*.csv)|*.csv|ﾃｷｽﾄﾌｧｲﾙ(*.txt)|*.txt|すべてのﾌｧｲﾙ(*.*)|*.*");

}  // namespace

QString SaveCSV::textFileFilter() {
    return kTextFilter;
}

bool SaveCSV::yieldRow() {
    // Pending events run between two rows, at most once per slice: a yield costs microseconds
    // even with nothing pending, more than a row, while a click waits for a millisecond at most.
    if (!yield_.isValid() || yield_.nsecsElapsed() >= kYieldSliceNs) {
        DoEvents();
        yield_.start();
    }
    return !CancelRequested;
}

void SaveCSV::stepProgress(int done, bool final) {
    if (!final && frame_.isValid() && frame_.elapsed() < kFrameMs) return;
    ProgressBar1->setValue(done);
    frame_.start();
}

void SaveCSV::OutTextFile(const ResultSnapshot& rows) {
    OutFileName = AskSaveFile(this, QStringLiteral("SELECT結果の保存ﾌｧｲﾙ指定"),
                              QStringLiteral("SELECT.csv"), kTextFilter, 1);
    if (OutFileName.isEmpty()) return;
    ExportFile file(OutFileName);
    qint64 replaced = 0;
    bool stopped = false;
    if (file.open()) {
        QByteArray bytes;
        if (Chk_head->isChecked()) {
            DoEvents();
            replaced += AppendEncoded(bytes, codePage_, ExportHeaderLine(rows.headers, Delimiter));
            file.write(bytes);
        }
        QString line;
        int done = 0;
        for (const QStringList& row : rows.rows) {
            if (!yieldRow()) {
                stopped = true;
                break;
            }
            line.clear();
            bytes.clear();
            AppendExportLine(line, row, rows.numeric, Delimiter, QuoteChar);
            replaced += AppendEncoded(bytes, codePage_, line);
            if (!file.write(bytes)) break;
            stepProgress(++done, false);
        }
        stepProgress(done, true);
    }
    if (aborted_) return;  // the program is ending: nothing half-written is put in place
    if (!file.commit()) {
        fail(file.failureText());
        return;
    }
    inform(ExportDoneText(OutFileName, stopped, replaced));
    if (Chk_edit_csv->isChecked() && calls_.editFile) calls_.editFile(OutFileName);
}

void SaveCSV::OutClipboard(const ResultSnapshot& rows) {
    ClearClipboard();
    QString text;
    if (Chk_head->isChecked()) {
        DoEvents();
        text += ExportHeaderLine(rows.headers, Delimiter);
    }
    bool stopped = false;
    int done = 0;
    for (const QStringList& row : rows.rows) {
        if (!yieldRow()) {
            stopped = true;
            break;
        }
        AppendExportLine(text, row, rows.numeric, Delimiter, QuoteChar);
        stepProgress(++done, false);
    }
    stepProgress(done, true);
    if (aborted_) return;
    SetClipboardText(text);
    // The spelling is the program's own.
    inform(QStringLiteral("プリップボードに出力しました。") +
           (stopped ? QStringLiteral("（中断）") : QString()));
}

void SaveCSV::OutExcelFile(const ResultSnapshot& rows) {
    OutFileName = AskSaveFile(this, QStringLiteral("SELECT結果の保存ﾌｧｲﾙ(Excelﾌｧｲﾙ)指定"),
                              QStringLiteral("SELECT.xlsx"),
                              QStringLiteral("Excelﾌｧｲﾙ(*.xlsx)|*.xlsx|すべてのﾌｧｲﾙ(*.*)|*.*"), 1);
    if (OutFileName.isEmpty()) return;
    ExcelWorkbook book;
    book.Add();
    QList<QStringList> cells;
    cells.reserve(rows.rows.size() + 1);
    if (Chk_head->isChecked()) {
        QStringList header;
        for (const QString& name : rows.headers)
            header << u'\'' + name;  // the header stays text
        cells << header;
    }
    bool stopped = false;
    int done = 0;
    for (const QStringList& row : rows.rows) {
        if (!yieldRow()) {
            stopped = true;
            break;
        }
        cells << row;
        stepProgress(++done, false);
    }
    stepProgress(done, true);
    if (aborted_) return;
    bool saved = false;
    {
        BusyPointer busy;
        book.AssignRange(std::move(cells));
        saved = book.SaveAs(OutFileName);
    }
    if (!saved) {
        fail(QStringLiteral("エクセルファイルの出力に失敗しました。\r\nError:") +
             QString::number(book.ErrorNumber()) + u' ' + book.ErrorText());
        return;
    }
    inform(ExportDoneText(OutFileName, stopped, 0));
    book.Close();
    if (Chk_open_exel->isChecked()) OpenDocument(this, OutFileName);
}

void SaveCSV::MoveBusyMark() {
    // The marker creeps right as rows arrive and starts again at the left once it reaches the
    // counter; it moves every tenth step (measures in twips).
    MarkStep += 1;
    if (markLeft_ > markLimit_) {
        MarkStep = 0;
        markLeft_ = -markWidth_;
    }
    if (MarkStep % 10 == 0) markLeft_ = MarkStep - markWidth_;
}

void SaveCSV::showCount(bool final) {
    if (!final && frame_.isValid() && frame_.elapsed() < kFrameMs) return;
    L_cnt->setText(QString::number(RowsWritten));
    Label1->move(TwipsToPixelsX(markLeft_), Label1->y());
    frame_.start();
}

}  // namespace varkel
