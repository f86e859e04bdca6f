#include "exec/result_text.h"

#include <algorithm>
#include <charconv>

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace varkel {

namespace {

// Reading dates and times by hand: a result list reads thousands of them, and the general
// parsers cost more than the fetch.
bool Digits(QStringView text, qsizetype from, qsizetype count, int& value) {
    value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        if (i >= text.size() || !text[i].isDigit()) return false;
        value = value * 10 + text[i].digitValue();
    }
    return true;
}

// "yyyy-MM-dd" or "yyyy/MM/dd".
QDate ReadDate(QStringView text) {
    int y = 0, m = 0, d = 0;
    if (text.size() != 10 || !(text[4] == u'-' || text[4] == u'/') || text[7] != text[4] ||
        !Digits(text, 0, 4, y) || !Digits(text, 5, 2, m) || !Digits(text, 8, 2, d))
        return {};
    return QDate(y, m, d);
}

// "HH:mm", "HH:mm:ss" or "HH:mm:ss" with a fraction of any length.
QTime ReadTime(QStringView text) {
    int h = 0, m = 0, sec = 0, fraction = 0;
    if (text.size() < 5 || text[2] != u':' || !Digits(text, 0, 2, h) || !Digits(text, 3, 2, m))
        return {};
    if (text.size() == 5) return QTime(h, m);
    if (text.size() < 8 || text[5] != u':' || !Digits(text, 6, 2, sec)) return {};
    if (text.size() > 8 &&
        (text[8] != u'.' || text.size() == 9 || !Digits(text, 9, text.size() - 9, fraction)))
        return {};
    return QTime(h, m, sec);
}

}  // namespace

QString RowNumberText(std::int32_t row) {
    // The last six characters of five blanks and the number, made in one string: one per row.
    char digits[16];
    const char* end = std::to_chars(digits, digits + sizeof digits, row).ptr;
    const auto n = std::min<qsizetype>(end - digits, 6);
    QString text(6, u' ');
    for (qsizetype i = 0; i < n; ++i)
        text[6 - n + i] = QLatin1Char(end[i - n]);
    return text;
}

namespace {

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

bool ParseDecimal(QStringView text, Decimal& d) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    if (i < text.size() && text[i] == u'-') {
        d.negative = true;
        ++i;
    }
    const qsizetype intStart = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    d.integer = text.mid(intStart, i - intStart);
    if (i < text.size() && text[i] == u'.') {
        const qsizetype fracStart = ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
        d.fraction = text.mid(fracStart, i - fracStart);
        if (d.fraction.isEmpty()) return false;
    } else if (d.integer.isEmpty()) {
        return false;
    }
    return i == text.size();
}

bool IsPlainDecimal(const QString& text) {
    Decimal d;
    return ParseDecimal(text, d);
}

QPair<int, int> MeasureNumber(const QString& text) {
    const qsizetype dot = text.indexOf(u'.');
    if (dot < 0) return {static_cast<int>(text.size()), 0};
    return {static_cast<int>(dot), static_cast<int>(text.size() - dot - 1)};
}

QString DateTimeText(const QString& text) {
    const qsizetype blank = text.indexOf(u' ');
    if (blank < 0 || text.indexOf(u' ', blank + 1) >= 0) return text;  // not two pieces
    const QStringView datePart = QStringView(text).left(blank);
    const QStringView timePart = QStringView(text).mid(blank + 1);
    const QDate date = ReadDate(datePart);
    const QTime time = ReadTime(timePart);
    if (!date.isValid() || !time.isValid()) return text;  // not a date and time as a whole
    if (date == QDate(1899, 12, 30)) return timePart.toString();
    return time == QTime(0, 0) ? datePart.toString() : text;
}

QString ElapsedTimeText(std::int64_t ms) {
    const QString head = QStringLiteral("実行時間：");
    if (ms >= 3600000) {
        const std::int64_t seconds = (ms + 500) / 1000;
        return head + QStringLiteral("%1:%2:%3")
                          .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                          .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                          .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }
    ms += 5;
    const std::int64_t seconds = ms / 1000;
    return head + QStringLiteral("%1'%2''%3")
                      .arg(seconds / 60, 2, 10, QLatin1Char('0'))
                      .arg(seconds % 60, 2, 10, QLatin1Char('0'))
                      .arg(ms % 1000 / 10, 2, 10, QLatin1Char('0'));
}

QString SecondsText(std::int64_t ms) {
    return QString::number(static_cast<double>(ms) / 1000.0, 'f', 3);
}

}  // namespace varkel
