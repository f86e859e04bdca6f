#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>

namespace varkel {

// A history entry or a template: its head and its statement.
struct ClassSQL {
    QString SQLhead;
    QString SQLstmt;
    bool operator==(const ClassSQL&) const = default;
};

// The files "SQLHIST.TXT" and "SQLTMPL.TXT": records of head, TAB, statement, each closed by the
// terminator line end, "/", line end. The line end is the file's own: LF in a file without any
// CR, else CR LF. In memory a statement's line breaks are always CR LF.
struct RecordSpan {
    qsizetype start = 0;
    qsizetype length = 0;
};
struct RecordSpans {
    QList<RecordSpan> records;  // where each record's text lies in the file's text
    QString lineEnd;            // "\r\n" or "\n"
    bool unreadTail = false;    // an empty record stopped the reading before the end of the text
    QString missing;            // what the text lacks at its end to close its last record
};
struct RecordFile {
    QStringList records;      // each record's text as the file holds it
    QString lineEnd;          // "\r\n" or "\n"
    bool unreadTail = false;  // an empty record stopped the reading before the end of the text
    QString missing;          // what the text lacks at its end to close its last record
};
// Records up to the first empty one; a last record whose terminator lost its final line end
// (or part of it) is still that one record.
RecordSpans FindRecords(QStringView text);
RecordFile ParseRecordFile(const QString& text);
// The text of the file holding these records (each as the file held it) in order.
QString RecordFileText(const QStringList& records, const QString& lineEnd);
QStringList SplitHistoryRecords(const QString& text);  // ParseRecordFile's records
// Split at the first TAB; a record of an LF file gets CR LF line breaks.
// Taken by value: a record handed over whole keeps its buffer for the statement.
ClassSQL ParseHistoryRecord(QString record, const QString& lineEnd = QStringLiteral("\r\n"));
// The record with its terminator, its line breaks in the file's line end.
QString HistoryRecordText(const ClassSQL& record, const QString& lineEnd = QStringLiteral("\r\n"));
// What a file ending in `fileEnd` (its last 16 characters) needs before a new record, so that
// its last record stays whole and the new one is a record of its own; nothing when only the
// whole file tells (then RecordFile::missing does).
std::optional<QString> TerminatorRepair(const QString& fileEnd, const QString& lineEnd);
// The statement as stored: a "/" that would read back as a record terminator (CR LF "/" CR LF
// inside, or CR LF "/" at the end) gets a blank after it, so every record reads back whole.
QString StorableStatement(const QString& sql);
// SET/MAXHIST read as a number: 20 when below 20 or above 999.
int MaxHistFrom(const QString& value);
// Every value of a key spelled PWD or PASSWORD, in any case, as "****": the connection label
// a history head carries.
QString MaskPasswords(const QString& connectString);

// The SQL history: the statements run, newest last, at most `maxHist` of them. Each new record
// reaches the file about a second after it is added; at the end of a run that added any, the
// file is cut to the newest `maxHist` records. Each record in memory has an identity of its own
// (two records of one second stay two), which the signals and the window use.
class SqlHistory : public QObject {
    Q_OBJECT
  public:
    using RecordId = quint64;

    using Clock = std::function<QDateTime()>;

    SqlHistory(const QString& file, int maxHist, QObject* parent = nullptr);
    // The time that stamps new records; the local time unless replaced (tests step it).
    void setClock(Clock clock) { clock_ = std::move(clock); }
    // What the append timer does each second: the oldest queued record goes to the file.
    // Tests call it to step the timer instead of waiting for it.
    void AppendNext();
    QTimer& appendTimer() { return timer_; }

    void ReadHist();
    void AddHist(const QString& dsn, const QString& sql);
    // False when the file could not be rewritten (reported by writeFailed; the file is whole).
    bool SaveHist();
    bool Changed() const { return changed_; }
    int GetHistNum() const { return static_cast<int>(records_.size()); }
    QString GetHistCurr(int histNo) const;
    QString GetHistNext(int& histNo) const;  // toward older records
    QString GetHistBack(int& histNo) const;  // toward newer records

    const QList<ClassSQL>& records() const { return records_; }
    const QList<RecordId>& ids() const { return ids_; }  // in the order of records()
    const ClassSQL* record(RecordId id) const;           // null when it was dropped
    const QString& file() const { return file_; }
    int maxHist() const { return maxHist_; }
    int pending() const { return static_cast<int>(pending_.size()); }

  signals:
    void reloaded();
    void recordsDropped(const QList<quint64>& ids);
    void recordAdded(const ClassSQL& record, quint64 id);
    // A write of the file failed; `text` names the file and the reason. An append that keeps
    // failing is told once, until one succeeds again; the end of a run tells at most once.
    void writeFailed(const QString& text);

  private:
    bool appendToFile(const ClassSQL& record);
    void drop(int count, QList<quint64>* dropped);

    QString file_;
    int maxHist_;
    QString lineEnd_ = QStringLiteral("\r\n");
    QList<ClassSQL> records_;
    QList<RecordId> ids_;
    RecordId nextId_ = 1;
    QList<ClassSQL> pending_;
    bool changed_ = false;
    bool appendFailureTold_ = false;
    int told_ = 0;  // failures told so far
    QTimer timer_;
    Clock clock_ = [] { return QDateTime::currentDateTime(); };
};

}  // namespace varkel
