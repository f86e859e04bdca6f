#include "exchange/spreadsheet_cell.h"

namespace varkel {

namespace {

constexpr int kMaxSignificantDigits = 15;  // what a double keeps exactly
constexpr int kMaxFractionDigits = 3;      // what a spreadsheet's time keeps
const QDate kFirstSheetDate(1900, 1, 1);   // spreadsheets have no earlier date

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

// The widened form of a sorted numeric column as a plain decimal: leading blanks dropped, and
// the zeros between a minus sign and the digits ("-005.00" is "-5.00").
QString Unwidened(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    if (i == text.size() || text[i] != u'-') return text.mid(i);
    qsizetype digits = i + 1;
    while (digits + 1 < text.size() && text[digits] == u'0' && IsDigit(text[digits + 1]))
        ++digits;
    return u'-' + text.mid(digits);
}

// A widened empty value: blanks followed by "." and zeros.
bool IsWidenedEmpty(const QString& text) {
    const qsizetype point = text.indexOf(u'.');
    if (point <= 0 || point + 1 == text.size()) return false;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] != (i < point ? u' ' : i == point ? u'.' : u'0')) return false;
    return true;
}

// A fixed-width run of digits at `at`, or -1.
int DigitsAt(const QString& text, qsizetype at, qsizetype count) {
    if (at + count > text.size()) return -1;
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        if (!IsDigit(text[i])) return -1;
        value = value * 10 + (text[i].unicode() - u'0');
    }
    return value;
}

// "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss" with up to three fraction digits, a real date from
// 1900 on and a real time of day.
bool ReadIsoDate(const QString& text, SpreadsheetCell* cell) {
    if (text.size() != 10 && text.size() < 19) return false;
    if (text[4] != u'-' || text[7] != u'-') return false;
    const QDate date(DigitsAt(text, 0, 4), DigitsAt(text, 5, 2), DigitsAt(text, 8, 2));
    if (!date.isValid() || date < kFirstSheetDate) return false;
    cell->date = date;
    if (text.size() == 10) {
        cell->kind = SpreadsheetCell::Kind::Date;
        return true;
    }
    if (text[10] != u' ' || text[13] != u':' || text[16] != u':') return false;
    int fraction = 0;
    int digits = 0;
    if (text.size() > 19) {
        digits = static_cast<int>(text.size() - 20);
        if (text[19] != u'.' || digits < 1 || digits > kMaxFractionDigits) return false;
        fraction = DigitsAt(text, 20, digits);
        for (int d = digits; d < kMaxFractionDigits; ++d)
            fraction *= 10;
    }
    const QTime time(DigitsAt(text, 11, 2), DigitsAt(text, 14, 2), DigitsAt(text, 17, 2), fraction);
    if (!time.isValid() || fraction < 0) return false;
    cell->kind = SpreadsheetCell::Kind::DateTime;
    cell->time = time;
    cell->decimals = digits;
    return true;
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
    if (IsWidenedEmpty(typed)) return cell;
    const QString plain = Unwidened(typed);
    const int decimals = PlainDecimal(plain);
    if (decimals >= 0) {
        cell.kind = SpreadsheetCell::Kind::Number;
        cell.number = plain.toDouble();
        cell.decimals = decimals;
        return cell;
    }
    if (ReadIsoDate(typed, &cell)) return cell;
    cell.kind = SpreadsheetCell::Kind::Text;
    cell.text = typed;
    return cell;
}

}  // namespace varkel
