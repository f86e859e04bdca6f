#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>
#include <memory>

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
    // only shown, never run.
    void Restore();
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
    struct Outcome {
        bool ok = false;
        QString error;
    };
    void changed();
    void startWrite();
    void finishWrite();
    QString keptText() const;
    bool record(quint64 writing, const Outcome& outcome);

    SqlBox* box_;
    QString path_;
    QString title_;
    QTimer timer_;
    quint64 changes_ = 0;  // edits of the box so far
    quint64 kept_ = 0;     // the edits the file holds
    bool failureTold_ = false;
    // The write under way: its thread, the edits it holds and how it went.
    std::unique_ptr<QThread> writer_;
    quint64 writing_ = 0;
    std::shared_ptr<Outcome> outcome_;
};

}  // namespace varkel
