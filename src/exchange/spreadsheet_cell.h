#pragma once

#include <QString>

namespace varkel {

// What a text typed into a spreadsheet cell becomes, limited to conversions that change nothing
// the user sees: a plain decimal that a double holds exactly as written becomes a number shown
// with as many decimals as it had; everything else (codes with leading zeros, long digit
// strings, dates, signs, blanks) stays text. A leading apostrophe marks text and is dropped.
struct SpreadsheetCell {
    enum class Kind { Empty, Number, Text };
    Kind kind = Kind::Empty;
    QString text;       // Text: the cell's text
    double number = 0;  // Number: its value
    int decimals = 0;   // Number: digits after the point as written
};

SpreadsheetCell ClassifyCell(const QString& typed);

}  // namespace varkel
