#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace varkel {

// The spreadsheet the export fills: an Office Open XML workbook, driven by the steps the export
// takes (add a workbook, take its first sheet, assign the whole table of typed texts at once,
// save it under a path, close it). Cells convert as typed text (see ClassifyCell).
class ExcelWorkbook {
  public:
    ExcelWorkbook() = default;
    ExcelWorkbook(const ExcelWorkbook&) = delete;
    ExcelWorkbook& operator=(const ExcelWorkbook&) = delete;

    // Workbooks.Add and Worksheets(1): a new workbook with one empty sheet.
    void Add();
    // The sheet's range from cell (1, 1) over the rows and columns of `cells` gets their values.
    void AssignRange(QList<QStringList> cells);
    // Writes the workbook to `path` (an existing file is replaced, only once the new one is
    // complete); false with ErrorNumber and ErrorText set when that failed.
    bool SaveAs(const QString& path);
    // Drops the workbook without saving it again.
    void Close();

    int ErrorNumber() const { return errorNumber_; }
    QString ErrorText() const { return errorText_; }

  private:
    bool added_ = false;
    QList<QStringList> cells_;
    int errorNumber_ = 0;
    QString errorText_;
};

}  // namespace varkel
