#include "exec/result_text.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTime>

namespace varkel {

namespace {

QDate ReadDate(const QString& text) {
    for (const char* format : {"yyyy-MM-dd", "yyyy/MM/dd", "yyyy-M-d", "yyyy/M/d"}) {
        const QDate date = QDate::fromString(text, QString::fromLatin1(format));
        if (date.isValid()) return date;
    }
    return {};
}

QTime ReadTime(const QString& text) {
    for (const char* format : {"HH:mm:ss.zzz", "HH:mm:ss", "H:mm:ss", "HH:mm"}) {
        const QTime time = QTime::fromString(text, QString::fromLatin1(format));
        if (time.isValid()) return time;
    }
    // Fractions longer than milliseconds (timestamp(6)).
    const qsizetype dot = text.indexOf(u'.');
    if (dot > 0) return QTime::fromString(text.left(dot), QStringLiteral("HH:mm:ss"));
    return {};
}

}  // namespace

QString RowNumberText(std::int32_t row) { return (QStringLiteral("     ") + QString::number(row)).right(6); }

QPair<int, int> MeasureNumber(const QString& text) {
    const qsizetype dot = text.indexOf(u'.');
    if (dot < 0) return {static_cast<int>(text.size()), 0};
    return {static_cast<int>(dot), static_cast<int>(text.size() - dot - 1)};
}

QString DateTimeText(const QString& text) {
    const QStringList pieces = text.split(u' ');
    if (pieces.size() != 2) return text;
    const QDate date = ReadDate(pieces[0]);
    const QTime time = ReadTime(pieces[1]);
    if (!date.isValid() || !time.isValid()) return text;  // not a date and time as a whole
    if (date == QDate(1899, 12, 30)) return pieces[1];
    return time == QTime(0, 0) ? pieces[0] : text;
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

QString SecondsText(std::int64_t ms) { return QString::number(static_cast<double>(ms) / 1000.0, 'f', 3); }

}  // namespace varkel
