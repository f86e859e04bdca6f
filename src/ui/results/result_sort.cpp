#include "ui/results/result_sort.h"

#include "exec/result_text.h"

namespace varkel {

namespace {

bool IsBlank(const QString& text) {
    for (QChar c : text)
        if (c != u' ') return false;
    return true;
}

// Sort key ranks: the first character of every key.
constexpr char16_t kNullRank = u'0';
constexpr char16_t kNegativeRank = u'1';
constexpr char16_t kPositiveRank = u'2';
constexpr char16_t kTextRank = u'3';

}  // namespace

QString WidenedNull(int intWidth, int fracWidth) {
    QString out(intWidth + 1, u' ');
    if (fracWidth > 0) out += u'.' + QString(fracWidth, u'0');
    return out;
}

QString WidenNumber(const QString& text, int intWidth, int fracWidth) {
    if (text.isEmpty()) return WidenedNull(intWidth, fracWidth);
    if (!IsPlainDecimal(text)) return text;
    const auto [m, f] = MeasureNumber(text);
    const int pad = std::max(0, intWidth - m + 1);
    QString out =
        text.startsWith(u'-') ? u'-' + QString(pad, u'0') + text.mid(1) : QString(pad, u' ') + text;
    if (fracWidth > f) {
        if (f == 0) out += u'.';
        out += QString(fracWidth - f, u'0');
    }
    return out;
}

QString NumericSortKey(const QString& text) {
    if (IsBlank(text)) return QString(kNullRank);
    Decimal d;
    if (!ParseDecimal(text, d)) return kTextRank + text.toCaseFolded();
    while (!d.integer.isEmpty() && d.integer.front() == u'0')
        d.integer = d.integer.mid(1);
    while (!d.fraction.isEmpty() && d.fraction.back() == u'0')
        d.fraction.chop(1);
    const bool zero = d.integer.isEmpty() && d.fraction.isEmpty();
    // Longer integer parts are larger; the length goes first, in a fixed width. For negative
    // values every digit is complemented and a mark above the digits ends the key, so that the
    // larger magnitude sorts first and a shorter fraction after its longer extensions.
    const QString length = QString::number(d.integer.size()).rightJustified(6, u'0');
    QString key;
    if (!d.negative || zero) {
        key = kPositiveRank + length + d.integer.toString() + d.fraction.toString();
        return key;
    }
    const auto complement = [](QStringView digits) {
        QString out(digits.size(), u'0');
        for (qsizetype i = 0; i < digits.size(); ++i)
            out[i] = QChar(u'9' - (digits[i].unicode() - u'0'));
        return out;
    };
    key =
        kNegativeRank + complement(length) + complement(d.integer) + complement(d.fraction) + u'~';
    return key;
}

bool IsNullSortKey(const QString& key) {
    return key.size() == 1 && key[0] == kNullRank;
}

}  // namespace varkel
