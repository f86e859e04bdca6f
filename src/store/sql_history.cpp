#include "store/sql_history.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QThread>
#include <cmath>

#include "store/code_page.h"
#include "store/text_file.h"

namespace varkel {

namespace {

constexpr int kLabelLength = 64;

QString Terminator(const QString& lineEnd) {
    return lineEnd + u'/' + lineEnd;
}

QString Stamp(const QDateTime& time) {
    return time.toString(QStringLiteral("yy/MM/dd HH:mm:ss"));
}

bool HasStamp(const QList<ClassSQL>& records, const QString& stamp) {
    for (const ClassSQL& r : records)
        if (r.SQLhead.left(17) == stamp) return true;
    return false;
}

// The length of the terminator's remains at the end of a record whose terminator was cut
// short after its "/": line end "/" and part of a line end, or 0.
qsizetype CutTerminatorAtEnd(QStringView record, const QString& lineEnd) {
    const QString full = Terminator(lineEnd);
    for (qsizetype keep = full.size() - 1; keep >= lineEnd.size() + 1; --keep)
        if (record.endsWith(QStringView(full).left(keep))) return keep;
    return 0;
}

// A "/" standing alone on a line would end the record early: it gets a blank after it.
QString GuardTerminators(QString s, const QString& lineEnd) {
    const QString term = Terminator(lineEnd);
    qsizetype at = 0;
    while ((at = s.indexOf(term, at)) >= 0) {
        s.insert(at + lineEnd.size() + 1, u' ');
        at += lineEnd.size() + 1;
    }
    if (s.endsWith(lineEnd + u'/')) s += u' ';
    return s;
}

QString ToFileLineEnds(QString text, const QString& lineEnd) {
    if (lineEnd == QStringLiteral("\r\n")) return text;
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

QString NativePath(const QString& file) {
    return QDir::toNativeSeparators(file);
}

}  // namespace

RecordSpans FindRecords(QStringView text) {
    RecordSpans file;
    file.lineEnd =
        !text.isEmpty() && !text.contains(u'\r') ? QStringLiteral("\n") : QStringLiteral("\r\n");
    const QString term = Terminator(file.lineEnd);
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype end = text.indexOf(term, at);
        RecordSpan record{at, (end < 0 ? text.size() : end) - at};
        qsizetype cut = 0;
        if (end < 0) {
            cut = CutTerminatorAtEnd(text.mid(record.start, record.length), file.lineEnd);
            record.length -= cut;
        }
        if (record.length == 0) {
            file.unreadTail = true;
            file.missing = TerminatorRepair(text.right(16).toString(), file.lineEnd).value_or(term);
            break;
        }
        file.records << record;
        if (end < 0) {
            file.missing = term.mid(cut);
            break;
        }
        at = end + term.size();
    }
    return file;
}

RecordFile ParseRecordFile(const QString& text) {
    const RecordSpans spans = FindRecords(text);
    RecordFile file{{}, spans.lineEnd, spans.unreadTail, spans.missing};
    file.records.reserve(spans.records.size());
    for (const RecordSpan& r : spans.records)
        file.records << text.mid(r.start, r.length);
    return file;
}

QString RecordFileText(const QStringList& records, const QString& lineEnd) {
    const QString term = Terminator(lineEnd);
    QString text;
    qsizetype size = 0;
    for (const QString& r : records)
        size += r.size() + term.size();
    text.reserve(size);
    for (const QString& r : records)
        text += r + term;
    return text;
}

QStringList SplitHistoryRecords(const QString& text) {
    return ParseRecordFile(text).records;
}

ClassSQL ParseHistoryRecord(QString record, const QString& lineEnd) {
    if (lineEnd == QStringLiteral("\n")) record.replace(u'\n', QStringLiteral("\r\n"));
    const qsizetype tab = record.indexOf(u'\t');
    if (tab < 0) return {QString(), std::move(record)};
    QString head = record.left(tab);
    record.remove(0, tab + 1);  // in place: the statement keeps the record's buffer
    return {std::move(head), std::move(record)};
}

QString HistoryRecordText(const ClassSQL& record, const QString& lineEnd) {
    return GuardTerminators(ToFileLineEnds(record.SQLhead + u'\t' + record.SQLstmt, lineEnd),
                            lineEnd) +
           Terminator(lineEnd);
}

std::optional<QString> TerminatorRepair(const QString& fileEnd, const QString& lineEnd) {
    // After a run of "/" lines (line end, "/", line end, "/" …) only reading from the start
    // tells which line ends close records.
    const QString run = lineEnd + u'/' + lineEnd + u'/';
    for (qsizetype k = 0; k <= lineEnd.size(); ++k)
        if (fileEnd.endsWith(run + lineEnd.left(k))) return std::nullopt;
    const QString term = Terminator(lineEnd);
    if (fileEnd.isEmpty() || fileEnd.endsWith(term)) return QString();
    return term.mid(CutTerminatorAtEnd(fileEnd, lineEnd));
}

QString StorableStatement(const QString& sql) {
    return GuardTerminators(sql, QStringLiteral("\r\n"));
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

QString MaskPasswords(const QString& connectString) {
    QString out;
    qsizetype at = 0;
    const qsizetype size = connectString.size();
    while (at < size) {
        // One attribute: key "=" value, the value possibly in braces (where "}}" is a "}").
        const qsizetype eq = connectString.indexOf(u'=', at);
        const qsizetype semi = connectString.indexOf(u';', at);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            const qsizetype end = semi < 0 ? size : semi + 1;
            out += QStringView(connectString).mid(at, end - at);
            at = end;
            continue;
        }
        qsizetype valueEnd = eq + 1;
        while (valueEnd < size && connectString[valueEnd].isSpace())
            ++valueEnd;
        if (valueEnd < size && connectString[valueEnd] == u'{') {
            qsizetype close = valueEnd + 1;
            bool closed = false;
            while (close < size && !closed) {
                if (connectString[close] == u'}' && close + 1 < size &&
                    connectString[close + 1] == u'}')
                    close += 2;
                else
                    closed = connectString[close++] == u'}';
            }
            // A brace that is never closed hides nothing: the value ends at the next ";".
            if (closed) valueEnd = close;
        }
        const qsizetype next = connectString.indexOf(u';', valueEnd);
        valueEnd = next < 0 ? size : next;
        const QString key = connectString.mid(at, eq - at).trimmed();
        out += QStringView(connectString).mid(at, eq + 1 - at);
        if (key.compare(QStringLiteral("PWD"), Qt::CaseInsensitive) == 0 ||
            key.compare(QStringLiteral("PASSWORD"), Qt::CaseInsensitive) == 0)
            out += QStringLiteral("****");
        else
            out += QStringView(connectString).mid(eq + 1, valueEnd - eq - 1);
        if (next >= 0) out += u';';
        at = next < 0 ? size : next + 1;
    }
    return out;
}

SqlHistory::SqlHistory(const QString& file, int maxHist, QObject* parent)
    : QObject(parent), file_(file), maxHist_(maxHist) {
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &SqlHistory::AppendNext);
}

const ClassSQL* SqlHistory::record(RecordId id) const {
    const qsizetype at = ids_.indexOf(id);
    return at < 0 ? nullptr : &records_[at];
}

void SqlHistory::drop(int count, QList<quint64>* dropped) {
    for (int i = 0; i < count; ++i) {
        if (dropped) dropped->append(ids_.first());
        records_.removeFirst();
        ids_.removeFirst();
    }
}

void SqlHistory::ReadHist() {
    records_.clear();
    ids_.clear();
    QString text = ReadFileText(file_, CodePage(CodePage::systemName()));
    const RecordSpans file = FindRecords(text);
    lineEnd_ = file.lineEnd;
    // Only the newest maxHist records are parsed: a file of thousands stays quick to load.
    const qsizetype first = std::max<qsizetype>(0, file.records.size() - maxHist_);
    // A record that is most of the file takes the file's text over instead of a copy of it, so
    // that a huge statement is held once; it is parsed after the others were copied out.
    qsizetype huge = -1;
    for (qsizetype i = first; i < file.records.size(); ++i)
        if (file.records[i].length > text.size() / 2) huge = i;
    records_.resize(file.records.size() - first);
    for (qsizetype i = first; i < file.records.size(); ++i)
        if (i != huge)
            records_[i - first] = ParseHistoryRecord(
                text.mid(file.records[i].start, file.records[i].length), lineEnd_);
    if (huge >= 0) {
        text.truncate(file.records[huge].start + file.records[huge].length);
        text.remove(0, file.records[huge].start);
        records_[huge - first] = ParseHistoryRecord(std::move(text), lineEnd_);
    }
    for (qsizetype i = first; i < file.records.size(); ++i)
        ids_ << nextId_++;
    emit reloaded();
    pending_.clear();
    timer_.start();
}

void SqlHistory::AddHist(const QString& dsn, const QString& sql) {
    if (sql.isEmpty()) return;
    QList<quint64> dropped;
    drop(std::max(0, GetHistNum() - maxHist_ + 1), &dropped);
    QString stamp = Stamp(clock_());
    while (HasStamp(records_, stamp)) {  // one record a second: wait for the next one
        QCoreApplication::processEvents();
        QThread::msleep(10);
        stamp = Stamp(clock_());
    }
    const QString masked = MaskPasswords(dsn);
    const QString label =
        masked.size() > kLabelLength ? masked.left(kLabelLength) + QStringLiteral("...") : masked;
    const ClassSQL record{stamp + u' ' + label, StorableStatement(sql)};
    const RecordId id = nextId_++;
    records_ << record;
    ids_ << id;
    pending_ << record;
    changed_ = true;
    if (!dropped.isEmpty()) emit recordsDropped(dropped);
    emit recordAdded(record, id);
}

void SqlHistory::AppendNext() {
    timer_.stop();
    QCoreApplication::processEvents();
    // A record whose append failed stays first in the queue and is tried again next time.
    if (!pending_.isEmpty() && appendToFile(pending_.first())) pending_.removeFirst();
    timer_.start();
}

bool SqlHistory::appendToFile(const ClassSQL& record) {
    const CodePage page(CodePage::systemName());
    // A file that does not end with a whole terminator (cut short, edited by hand) is ended
    // first, so that the new record does not become part of its last one.
    // A tail that is the whole file reads as the file does: a byte order mark alone is no text
    // that needs ending.
    constexpr qsizetype kTail = 16;
    const QByteArray tail = FileTail(file_, kTail);
    std::optional<QString> repair =
        TerminatorRepair(tail.size() < kTail ? page.decodeFile(tail) : page.decode(tail), lineEnd_);
    if (!repair) repair = FindRecords(ReadFileText(file_, page)).missing;
    const QByteArray bytes = page.encode(*repair + HistoryRecordText(record, lineEnd_));
    QString error;
    if (AppendFileBytes(file_, bytes, &error)) {
        appendFailureTold_ = false;
        return true;
    }
    if (!appendFailureTold_) {
        appendFailureTold_ = true;
        ++told_;
        emit writeFailed(QStringLiteral("SQL履歴をファイルに追加できませんでした。\r\n%1\r\n%2")
                             .arg(NativePath(file_), error));
    }
    return false;
}

bool SqlHistory::SaveHist() {
    // Nothing waits for the user any more: what is queued is appended at once, in order.
    timer_.stop();
    const int toldBefore = told_;
    while (!pending_.isEmpty() && appendToFile(pending_.first()))
        pending_.removeFirst();
    bool readable = false;
    const CodePage page(CodePage::systemName());
    const QString text = ReadFileText(file_, page, &readable);
    if (!readable) return true;
    const RecordSpans file = FindRecords(text);
    // What follows an empty record was never read: rewriting would lose it.
    if (file.records.isEmpty() || file.unreadTail) return true;
    // Nothing to cut and nothing to close: the file stays as it is, without a copy of it.
    if (file.records.size() <= maxHist_ && file.missing.isEmpty()) return true;
    QStringList records;
    for (qsizetype i = std::max<qsizetype>(0, file.records.size() - maxHist_);
         i < file.records.size(); ++i)
        records << text.mid(file.records[i].start, file.records[i].length);
    const QString trimmed = RecordFileText(records, file.lineEnd);
    if (trimmed == text) return true;
    // A new file renamed over the old one, so a failure leaves the old file as it was; only where
    // the folder refuses new files is the file rewritten in place.
    QString error;
    if (WriteFileBytes(file_, page.encodeFile(trimmed), &error, true)) return true;
    if (told_ != toldBefore) return false;  // the end's trouble with the file is told once
    ++told_;
    emit writeFailed(QStringLiteral("SQL履歴ファイルを書き換えられませんでした。元のファイルは"
                                    "そのままです。\r\n%1\r\n%2")
                         .arg(NativePath(file_), error));
    return false;
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
