#include "exchange/spreadsheet_cell.h"

namespace varkel {

namespace {

constexpr int kMaxSignificantDigits = 15;  // what a double keeps exactly

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// A number's decimals when `text` is -?(0|[1-9][0-9]*)(.[0-9]+)? with at most 15 significant
// digits and not a negative zero; -1 otherwise.
int PlainDecimal(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    const bool negative = n > 0 && text[0] == u'-';
    if (negative) ++i;
    const qsizetype intStart = i;
    while (i < n && IsDigit(text[i]))
        ++i;
    const qsizetype intLength = i - intStart;
    if (intLength == 0) return -1;
    if (intLength > 1 && text[intStart] == u'0') return -1;  // a code such as 00123
    int decimals = 0;
    if (i < n && text[i] == u'.') {
        ++i;
        const qsizetype fracStart = i;
        while (i < n && IsDigit(text[i]))
            ++i;
        decimals = static_cast<int>(i - fracStart);
        if (decimals == 0) return -1;
    }
    if (i != n) return -1;
    // Significant digits run from the first non-zero digit to the last digit written.
    int significant = 0;
    bool started = false;
    for (qsizetype k = intStart; k < n; ++k) {
        if (!IsDigit(text[k])) continue;
        if (text[k] != u'0') started = true;
        if (started) ++significant;
    }
    if (significant > kMaxSignificantDigits) return -1;
    if (negative && !started) return -1;  // "-0" would show as 0
    return decimals;
}

}  // namespace

SpreadsheetCell ClassifyCell(const QString& typed) {
    SpreadsheetCell cell;
    if (typed.isEmpty()) return cell;
    if (typed.startsWith(u'\'')) {
        cell.text = typed.mid(1);
        cell.kind =
            cell.text.isEmpty() ? SpreadsheetCell::Kind::Empty : SpreadsheetCell::Kind::Text;
        return cell;
    }
    const int decimals = PlainDecimal(typed);
    if (decimals >= 0) {
        cell.kind = SpreadsheetCell::Kind::Number;
        cell.number = typed.toDouble();
        cell.decimals = decimals;
        return cell;
    }
    cell.kind = SpreadsheetCell::Kind::Text;
    cell.text = typed;
    return cell;
}

}  // namespace varkel
