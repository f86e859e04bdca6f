#include "store/sql_box_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "store/text_file.h"

namespace varkel {

namespace {

// The rename itself reaches the disk only with its folder.
void SyncFolder(const QString& path) {
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

QString PlainLineEnds(QString text) {
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

}  // namespace

QString ReadSqlBoxFile(const QString& path) {
    return QString::fromUtf8(ReadFileBytes(path));
}

bool WriteSqlBoxFile(const QString& path, const QString& text, QString* error) {
    if (text.isEmpty()) {
        QFile file(path);
        if (!file.exists() || file.remove()) return true;
        if (error) *error = file.errorString();
        return false;
    }
    // WriteFileBytes syncs the new file before it renames it.
    if (!WriteFileBytes(path, text.toUtf8(), error)) return false;
    SyncFolder(path);
    return true;
}

SqlBoxWriter::~SqlBoxWriter() {
    if (thread_) thread_->wait();
}

void SqlBoxWriter::start(const QString& path, QString text) {
    if (thread_) return;
    outcome_ = std::make_shared<Outcome>();
    // The thread has its own copy of the text and of the outcome it fills in.
    thread_.reset(QThread::create([path, text = std::move(text), outcome = outcome_]() mutable {
        outcome->ok = WriteSqlBoxFile(path, PlainLineEnds(std::move(text)), &outcome->error);
    }));
    connect(thread_.get(), &QThread::finished, this, [this, outcome = outcome_] {
        if (outcome == outcome_) emit finished();  // not when `wait` has taken it already
    });
    thread_->start();
}

SqlBoxWriter::Outcome SqlBoxWriter::wait() {
    if (!thread_) return {};
    thread_->wait();
    thread_.reset();
    const Outcome outcome = *outcome_;
    outcome_.reset();
    return outcome;
}

}  // namespace varkel
