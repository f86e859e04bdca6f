#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace varkel {

// A history entry or a template: its head and its statement.
struct ClassSQL {
    QString SQLhead;
    QString SQLstmt;
    bool operator==(const ClassSQL&) const = default;
};

// The file "SQLHIST.TXT": records of head, TAB, statement, each closed by CR LF "/" CR LF.
QStringList SplitHistoryRecords(const QString& text);  // up to the first empty record
ClassSQL ParseHistoryRecord(const QString& record);    // split at the first TAB
QString HistoryRecordText(const ClassSQL& record);     // with its terminator
// The statement as stored: a "/" that would read back as a record terminator (CR LF "/" CR LF
// inside, or CR LF "/" at the end) gets a blank after it, so every record reads back whole.
QString StorableStatement(const QString& sql);
// SET/MAXHIST read as a number: 20 when below 20 or above 999.
int MaxHistFrom(const QString& value);

// The SQL history: the statements run, newest last, at most `maxHist` of them. Each new record
// reaches the file about a second after it is added; at the end of a run that added any, the
// file is cut to the newest `maxHist` records.
class SqlHistory : public QObject {
    Q_OBJECT
  public:
    SqlHistory(const QString& file, int maxHist, QObject* parent = nullptr);

    void ReadHist();
    void AddHist(const QString& dsn, const QString& sql);
    void SaveHist();
    bool Changed() const { return changed_; }
    int GetHistNum() const { return static_cast<int>(records_.size()); }
    QString GetHistCurr(int histNo) const;
    QString GetHistNext(int& histNo) const;  // toward older records
    QString GetHistBack(int& histNo) const;  // toward newer records

    const QList<ClassSQL>& records() const { return records_; }
    int maxHist() const { return maxHist_; }
    int pending() const { return static_cast<int>(pending_.size()); }

  signals:
    void reloaded();
    void recordsDropped(const QList<ClassSQL>& records);
    void recordAdded(const ClassSQL& record);

  private:
    void appendNext();
    void appendToFile(const ClassSQL& record);
    QString readFile() const;

    QString file_;
    int maxHist_;
    QList<ClassSQL> records_;
    QList<ClassSQL> pending_;
    bool changed_ = false;
    QTimer timer_;
};

}  // namespace varkel
