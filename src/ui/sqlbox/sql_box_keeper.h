#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include "store/sql_box_file.h"

namespace varkel {

class SqlBox;

// Keeps the SQL input box's text in a file beside the settings, so that a crash, a kill or a
// power loss loses at most the last second of typing: a change starts a one-second wait, and the
// text is written when it ends (at most once a second, never for an unchanged text). The file is
// written and synced off the user-interface thread, so that a huge text does not hold up
// typing. While the box steps through the history, the user's own text is the one kept. A clean
// end writes the last text too, and the next start brings it back.
class SqlBoxKeeper : public QObject {
    Q_OBJECT
  public:
    // `title` heads the message that tells of a failed write.
    SqlBoxKeeper(SqlBox* box, QString path, QString title, QObject* parent = nullptr);
    ~SqlBoxKeeper() override;

    // Puts the kept text into the box as one edit (the box's undo empties it again); the text is
    // only shown, never run. A text of more than kRestoredBytes, which the box would take seconds
    // to lay out, is not put in: its file is renamed aside (SQLBOX-1.TXT, …) so that nothing
    // overwrites it, and the user is told where it is, to open it as an SQL file when wanted.
    void Restore();
    static constexpr qint64 kRestoredBytes = 2 * 1024 * 1024;
    // Waits for a write under way, then writes the text now if it changed since the last write.
    // A failed write is told once until a write succeeds again; the box keeps its text and the
    // file its older one.
    bool Flush();
    // The wait after a change; its end starts a write in the background.
    QTimer& timer() { return timer_; }

  signals:
    // A write in the background has ended, well or not.
    void writeEnded();

  private:
    void changed();
    void setAside();
    void startWrite();
    QString keptText() const;
    bool record(quint64 writing, const SqlBoxWriter::Outcome& outcome);

    SqlBox* box_;
    QString path_;
    QString title_;
    QTimer timer_;
    quint64 changes_ = 0;  // edits of the box so far
    quint64 kept_ = 0;     // the edits the file holds
    bool failureTold_ = false;
    SqlBoxWriter writer_;
    quint64 writing_ = 0;  // the edits the write under way holds
};

}  // namespace varkel
