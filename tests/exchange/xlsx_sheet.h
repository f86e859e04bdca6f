#pragma once

#include <QMap>
#include <QPair>
#include <QString>

namespace varkel::test {

// A cell of the first sheet of an .xlsx file as stored: its type attribute ("n" for a number,
// "inlineStr" or "s" for text), its value and its number format ("General" unless one was set).
struct StoredCell {
    QString type;
    QString value;
    QString format;
};

// Reads the first sheet's XML out of the workbook with unzip; cells keyed by (row, column),
// both from 1. `error` is set when the file could not be read.
QMap<QPair<int, int>, StoredCell> ReadFirstSheet(const QString& path, QString* error);

}  // namespace varkel::test
