#pragma once

#include <QDate>
#include <QString>
#include <QTime>

namespace varkel {

// What a text typed into a spreadsheet cell becomes, limited to conversions that change nothing
// the user sees: a plain decimal that a double holds exactly as written becomes a number shown
// with as many decimals as it had, also in the widened forms of a sorted numeric column
// ("   7.00", "-005.00"); an ISO date or date and time ("2024-01-02", "2024-01-02 12:30:00")
// becomes a date shown the same way; everything else (codes with leading zeros, long digit
// strings, times alone, plus signs) stays text. A widened empty value ("   .00") leaves the cell
// empty. A leading apostrophe marks text and is dropped.
struct SpreadsheetCell {
    enum class Kind { Empty, Number, Date, DateTime, Text };
    Kind kind = Kind::Empty;
    QString text;       // Text: the cell's text
    double number = 0;  // Number: its value
    int decimals = 0;   // Number: digits after the point; DateTime: digits of the seconds' fraction
    QDate date;         // Date, DateTime
    QTime time;         // DateTime
};

SpreadsheetCell ClassifyCell(const QString& typed);

}  // namespace varkel
