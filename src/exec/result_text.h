#pragma once

#include <QPair>
#include <QString>
#include <QStringView>
#include <cstdint>

// The texts of the result list and of the execution panel.
namespace varkel {

// The row number right-justified in six characters.
QString RowNumberText(std::int32_t row);

// (integer-part length, fraction length) of a number's text.
QPair<int, int> MeasureNumber(const QString& text);

// The sign, integer digits and fraction digits of a plain decimal (blanks before it skipped).
struct Decimal {
    bool negative = false;
    QStringView integer;
    QStringView fraction;
};
// -?digits[.digits] (or a bare fraction), possibly after the blanks of an earlier widening; an
// exponent form ("1.5e-05") or a word is none.
bool ParseDecimal(QStringView text, Decimal& d);
bool IsPlainDecimal(const QString& text);

// A date-time value as shown: a timestamp at midnight as its date, a time on the zero date
// (1899-12-30) as its time, anything else unchanged.
QString DateTimeText(const QString& text);

// The status bar's elapsed time, "実行時間：mm'ss''hh" or "実行時間：hh:nn:ss" from an hour.
QString ElapsedTimeText(std::int64_t elapsedMs);

// Seconds with three decimals and at least one integer digit ("#0.000").
QString SecondsText(std::int64_t ms);

}  // namespace varkel
