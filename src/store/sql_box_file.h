#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <memory>

namespace varkel {

// The SQL input box's text kept between runs, so that a crash, a kill or a power loss does not
// lose what the user typed. It is UTF-8 whatever the files' code page: the file never leaves the
// program, and the box may hold characters the code page has no bytes for.

// The kept text; empty when there is none (or it cannot be read).
QString ReadSqlBoxFile(const QString& path);

// Keeps the text: a new owner-only file, synced to the disk and renamed over the old one, so that
// the file is always a whole earlier or a whole new text. An empty text removes the file. On
// failure `error` tells why and the old file stays as it was.
bool WriteSqlBoxFile(const QString& path, const QString& text, QString* error);

// Writes the kept text on a thread of its own, one write at a time, so that converting, writing
// and syncing a huge text does not hold up typing. The text is handed over as a text document
// holds it: its paragraph and line separators become "\n" on the way.
class SqlBoxWriter : public QObject {
    Q_OBJECT
  public:
    struct Outcome {
        bool ok = true;
        QString error;
    };
    using QObject::QObject;
    ~SqlBoxWriter() override;  // waits for a write under way

    bool busy() const { return thread_ != nullptr; }
    // Starts writing `text` to `path`; nothing while a write is under way.
    void start(const QString& path, QString text);
    // Waits for the write under way and tells how it went (well, when none was under way).
    Outcome wait();

  signals:
    // The write under way has ended; `wait` gives its outcome without waiting.
    void finished();

  private:
    std::unique_ptr<QThread> thread_;
    std::shared_ptr<Outcome> outcome_;
};

}  // namespace varkel
