#pragma once

#include <QList>
#include <QString>

namespace varkel {

// Lines of an import gathered to go to the server as one INSERT of several rows: one round trip
// and one statement for the lot instead of one per line. Each line keeps what it needs to be
// sent again by itself when the statement of the lot fails.
class ImportBatch {
  public:
    struct Line {
        QString values;       // "(…)", as InsertValues gives it
        qint64 number = 0;    // the line's number in the file, counted from 1
        qint64 replaced = 0;  // replacement characters in its text
    };

    // Whether another line still fits: under `maxLines` lines and under the size a server takes
    // in one statement without asking for settings of its own.
    bool fits(qsizetype maxLines) const;
    void add(Line line);
    bool isEmpty() const { return lines_.isEmpty(); }
    qsizetype size() const { return lines_.size(); }
    const QList<Line>& lines() const { return lines_; }
    // head + " VALUES" + the lines' values joined by ",".
    QString statement(const QString& head) const;
    // The lines, leaving the batch empty.
    QList<Line> take();

  private:
    QList<Line> lines_;
    qsizetype chars_ = 0;
};

// The statements that set, undo and drop the savepoint around a batch, so a failed batch leaves
// the transaction as it was before it, whatever the user left uncommitted there.
QString ImportSavepointText();
QString ImportRollbackToSavepointText();
QString ImportReleaseSavepointText();

}  // namespace varkel
