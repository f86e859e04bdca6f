#include "store/sql_history.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QThread>
#include <cmath>

#include "store/code_page.h"

namespace varkel {

namespace {

const QString kTerminator = QStringLiteral("\r\n/\r\n");
constexpr int kLabelLength = 64;

QString Stamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yy/MM/dd HH:mm:ss"));
}

bool HasStamp(const QList<ClassSQL>& records, const QString& stamp) {
    for (const ClassSQL& r : records)
        if (r.SQLhead.left(17) == stamp) return true;
    return false;
}

}  // namespace

QStringList SplitHistoryRecords(const QString& text) {
    QStringList records;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype end = text.indexOf(kTerminator, at);
        const QString record = text.mid(at, end < 0 ? -1 : end - at);
        if (record.isEmpty()) break;
        records << record;
        if (end < 0) break;
        at = end + kTerminator.size();
    }
    return records;
}

ClassSQL ParseHistoryRecord(const QString& record) {
    const qsizetype tab = record.indexOf(u'\t');
    if (tab < 0) return {QString(), record};
    return {record.left(tab), record.mid(tab + 1)};
}

QString HistoryRecordText(const ClassSQL& record) {
    return record.SQLhead + u'\t' + record.SQLstmt + kTerminator;
}

QString StorableStatement(const QString& sql) {
    QString s = sql;
    qsizetype at = 0;
    while ((at = s.indexOf(kTerminator, at)) >= 0) {
        s.insert(at + 3, u' ');
        at += 3;
    }
    if (s.endsWith(QStringLiteral("\r\n/"))) s += u' ';
    return s;
}

int MaxHistFrom(const QString& value) {
    // The leading numeric characters, rounded to a whole number.
    const QString t = value.trimmed();
    qsizetype n = 0;
    while (n < t.size() &&
           (t[n].isDigit() || t[n] == u'.' || (n == 0 && (t[n] == u'-' || t[n] == u'+'))))
        ++n;
    const double number = t.left(n).toDouble();
    const long rounded = std::lround(number);
    return rounded < 20 || rounded > 999 ? 20 : static_cast<int>(rounded);
}

SqlHistory::SqlHistory(const QString& file, int maxHist, QObject* parent)
    : QObject(parent), file_(file), maxHist_(maxHist) {
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &SqlHistory::appendNext);
}

QString SqlHistory::readFile() const {
    QFile in(file_);
    if (!in.open(QIODevice::ReadOnly)) return QString();
    return CodePage(CodePage::systemName()).decode(in.readAll());
}

void SqlHistory::ReadHist() {
    records_.clear();
    for (const QString& record : SplitHistoryRecords(readFile()))
        records_ << ParseHistoryRecord(record);
    while (records_.size() > maxHist_)
        records_.removeFirst();
    emit reloaded();
    pending_.clear();
    timer_.start();
}

void SqlHistory::AddHist(const QString& dsn, const QString& sql) {
    if (sql.isEmpty()) return;
    QList<ClassSQL> dropped;
    while (records_.size() >= maxHist_)
        dropped << records_.takeFirst();
    QString stamp = Stamp();
    while (HasStamp(records_, stamp)) {  // one record a second: wait for the next one
        QCoreApplication::processEvents();
        QThread::msleep(10);
        stamp = Stamp();
    }
    const QString label =
        dsn.size() > kLabelLength ? dsn.left(kLabelLength) + QStringLiteral("...") : dsn;
    const ClassSQL record{stamp + u' ' + label, StorableStatement(sql)};
    records_ << record;
    pending_ << record;
    changed_ = true;
    if (!dropped.isEmpty()) emit recordsDropped(dropped);
    emit recordAdded(record);
}

void SqlHistory::appendNext() {
    timer_.stop();
    QCoreApplication::processEvents();
    if (!pending_.isEmpty()) appendToFile(pending_.takeFirst());
    timer_.start();
}

void SqlHistory::appendToFile(const ClassSQL& record) {
    QFile out(file_);
    if (out.open(QIODevice::Append))  // a failed append is not reported
        out.write(CodePage(CodePage::systemName()).encode(HistoryRecordText(record)));
}

void SqlHistory::SaveHist() {
    // Nothing waits for the user any more: what is queued is appended at once, in order.
    timer_.stop();
    while (!pending_.isEmpty())
        appendToFile(pending_.takeFirst());
    QStringList records = SplitHistoryRecords(readFile());
    if (records.isEmpty()) return;
    while (records.size() > maxHist_)
        records.removeFirst();
    QString text;
    for (const QString& record : records)
        text += record + kTerminator;
    // A new file renamed over the old one: a crash while rewriting cannot lose the history.
    QSaveFile out(file_);
    if (!out.open(QIODevice::WriteOnly)) return;
    out.write(CodePage(CodePage::systemName()).encode(text));
    out.commit();
}

QString SqlHistory::GetHistCurr(int histNo) const {
    if (histNo < 1 || histNo > records_.size()) return QString();
    return records_[histNo - 1].SQLstmt;
}

QString SqlHistory::GetHistNext(int& histNo) const {
    const int count = GetHistNum();
    if (histNo == 0)
        histNo = count;
    else if (histNo > 0)
        histNo -= 1;
    return GetHistCurr(histNo);
}

QString SqlHistory::GetHistBack(int& histNo) const {
    const int count = GetHistNum();
    histNo = histNo < count ? histNo + 1 : 0;
    return GetHistCurr(histNo);
}

}  // namespace varkel
