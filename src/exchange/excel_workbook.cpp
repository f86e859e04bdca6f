#include "exchange/excel_workbook.h"

#include <xlsxwriter.h>

#include <QFile>
#include <algorithm>
#include <map>
#include <memory>

#include "exchange/export_file.h"
#include "exchange/spreadsheet_cell.h"

namespace varkel {

namespace {

constexpr int kMaxDecimals = 15;

// The number format that shows a cell as it was typed.
QByteArray NumberFormat(const SpreadsheetCell& cell) {
    const auto fraction = [](int digits) {
        return digits > 0 ? '.' + QByteArray(std::min(digits, kMaxDecimals), '0') : QByteArray();
    };
    switch (cell.kind) {
        case SpreadsheetCell::Kind::Date:
            return "yyyy-mm-dd";
        case SpreadsheetCell::Kind::DateTime:
            return "yyyy-mm-dd hh:mm:ss" + fraction(cell.decimals);
        default:
            return '0' + fraction(cell.decimals);
    }
}

lxw_datetime SheetDateTime(const SpreadsheetCell& cell) {
    const QTime time = cell.kind == SpreadsheetCell::Kind::DateTime ? cell.time : QTime(0, 0);
    return lxw_datetime{cell.date.year(), cell.date.month(), cell.date.day(),
                        time.hour(),      time.minute(),     time.second() + time.msec() / 1000.0};
}

struct WorkbookCloser {
    void operator()(lxw_workbook* book) const {
        if (book) workbook_close(book);
    }
};

}  // namespace

void ExcelWorkbook::Add() {
    added_ = true;
    cells_.clear();
    errorNumber_ = 0;
    errorText_.clear();
}

void ExcelWorkbook::AssignRange(QList<QStringList> cells) {
    cells_ = std::move(cells);
}

bool ExcelWorkbook::SaveAs(const QString& path) {
    errorNumber_ = 0;
    errorText_.clear();
    if (!added_) {
        errorNumber_ = LXW_ERROR_NULL_PARAMETER_IGNORED;
        errorText_ = QString::fromUtf8(lxw_strerror(LXW_ERROR_NULL_PARAMETER_IGNORED));
        return false;
    }
    // The workbook is written under a temporary name beside the target and renamed at the end.
    ExportFile target(path);
    if (!target.open()) {
        errorNumber_ = target.errorNumber();
        errorText_ = target.errorDescription();
        return false;
    }
    const QByteArray file = QFile::encodeName(target.writePath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;  // rows go out as they are written
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(
        workbook_new_opt(file.constData(), &options));
    lxw_worksheet* sheet = book ? workbook_add_worksheet(book.get(), nullptr) : nullptr;
    if (!sheet) {
        errorNumber_ = LXW_ERROR_MEMORY_MALLOC_FAILED;
        errorText_ = QString::fromUtf8(lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED));
        return false;
    }
    // A number keeps the decimals it was written with ("1.50" shows as 1.50), a date its form.
    std::map<QByteArray, lxw_format*> formats;
    const auto formatFor = [&](const SpreadsheetCell& cell) {
        const QByteArray pattern = NumberFormat(cell);
        lxw_format*& format = formats[pattern];
        if (!format) {
            format = workbook_add_format(book.get());
            format_set_num_format(format, pattern.constData());
        }
        return format;
    };
    // A date column is made wide enough to show its dates rather than "####".
    std::map<lxw_col_t, int> dateWidths;
    lxw_error error = LXW_NO_ERROR;
    for (qsizetype r = 0; r < cells_.size() && error == LXW_NO_ERROR; ++r) {
        const QStringList& row = cells_[r];
        for (qsizetype c = 0; c < row.size() && error == LXW_NO_ERROR; ++c) {
            const SpreadsheetCell cell = ClassifyCell(row[c]);
            const auto rowIndex = static_cast<lxw_row_t>(r);
            const auto colIndex = static_cast<lxw_col_t>(c);
            if (cell.kind == SpreadsheetCell::Kind::Number) {
                error =
                    worksheet_write_number(sheet, rowIndex, colIndex, cell.number, formatFor(cell));
            } else if (cell.kind == SpreadsheetCell::Kind::Date ||
                       cell.kind == SpreadsheetCell::Kind::DateTime) {
                lxw_datetime when = SheetDateTime(cell);
                error = worksheet_write_datetime(sheet, rowIndex, colIndex, &when, formatFor(cell));
                int& width = dateWidths[colIndex];
                width = std::max(width, static_cast<int>(NumberFormat(cell).size()) + 1);
            } else if (cell.kind == SpreadsheetCell::Kind::Text) {
                error = worksheet_write_string(sheet, rowIndex, colIndex,
                                               cell.text.toUtf8().constData(), nullptr);
            }
        }
    }
    for (const auto& [column, width] : dateWidths)
        if (error == LXW_NO_ERROR)
            error = worksheet_set_column(sheet, column, column, width, nullptr);
    const lxw_error closed = workbook_close(book.release());
    if (error == LXW_NO_ERROR) error = closed;
    if (error != LXW_NO_ERROR) {
        errorNumber_ = static_cast<int>(error);
        errorText_ = QString::fromUtf8(lxw_strerror(error));
        return false;
    }
    if (!target.commit()) {
        errorNumber_ = target.errorNumber();
        errorText_ = target.errorDescription();
        return false;
    }
    return true;
}

void ExcelWorkbook::Close() {
    added_ = false;
    cells_.clear();
}

}  // namespace varkel
