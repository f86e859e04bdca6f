#pragma once

#include <QString>

// How the result list orders its rows: the widened form of numeric cells, which stays what the
// list shows, and the keys the rows are ordered by.
namespace varkel {

// A numeric cell widened to an integer part of `intWidth` + 1 characters and exactly
// `fracWidth` fraction digits: blanks before a positive value, zeros between the sign and the
// digits of a negative one. Widening twice changes nothing. Texts that are not plain decimals
// (exponent forms, words) are returned as they are; an empty (NULL) cell becomes blanks.
QString WidenNumber(const QString& text, int intWidth, int fracWidth);
// The widened form of a NULL cell.
QString WidenedNull(int intWidth, int fracWidth);

// A key whose plain text order is the value order of a numeric cell: NULL first, then the
// numbers by value (exact, also beyond double precision), then any other text, case-insensitive.
QString NumericSortKey(const QString& text);
bool IsNullSortKey(const QString& key);

// The order of a text column: case-insensitive.
inline int CompareText(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive);
}

}  // namespace varkel
