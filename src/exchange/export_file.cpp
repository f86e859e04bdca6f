#include "exchange/export_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <QFile>

#include "store/file_target.h"

namespace varkel {

namespace {

constexpr qsizetype kBufferBytes = 1 << 16;

mode_t CurrentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

}  // namespace

ExportFile::ExportFile(const QString& path) : target_(QFile::encodeName(path)) {}

ExportFile::~ExportFile() {
    // Written in place, the earlier content is gone already: what was written stays whole.
    if (direct_ && !committed_ && !failed()) flush();
    closeFile();
    if (!committed_ && !temp_.isEmpty()) ::unlink(temp_.constData());
}

void ExportFile::fail(int error) {
    if (errorNumber_ == 0) errorNumber_ = error != 0 ? error : EIO;
}

void ExportFile::closeFile() {
    if (fd_ >= 0) {
        // Rewritten in place: nothing of a longer earlier content is left behind what was
        // written (unless a writer that opened the file by name wrote and cut it itself).
        if (inPlaceResize_ && !byName_ && ::ftruncate(fd_, written_) != 0) fail(errno);
        if (::close(fd_) != 0) fail(errno);
        fd_ = -1;
    }
}

bool ExportFile::openInPlace(bool truncate) {
    direct_ = true;
    fd_ = ::open(target_.constData(), O_WRONLY | O_CLOEXEC | (truncate ? O_TRUNC : 0));
    if (fd_ < 0) fail(errno);
    return fd_ >= 0;
}

bool ExportFile::open() {
    const FileTarget target = ResolveFileTarget(QFile::decodeName(target_));
    target_ = target.path;
    // A device or a pipe cannot be replaced; every name of a hard-linked file must see the new
    // content.
    if (target.exists && !target.regular) return openInPlace(true);
    if (target.linked) return inPlaceResize_ = openInPlace(false);
    struct stat existing {};
    const bool exists = target.exists && ::stat(target_.constData(), &existing) == 0;
    QByteArray pattern = TempPatternBeside(target_);
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) {
        const int why = errno;
        // A folder that refuses new files may still hold a target the user can write.
        if (exists && (why == EACCES || why == EPERM)) return inPlaceResize_ = openInPlace(false);
        fail(why);
        return false;
    }
    temp_ = pattern;
    // The new file gets the mode the replaced one had, or what a new file would get.
    const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~CurrentUmask());
    ::fchmod(fd_, mode);
    buffer_.reserve(kBufferBytes);
    return true;
}

bool ExportFile::flush() {
    const char* data = buffer_.constData();
    qsizetype left = buffer_.size();
    while (left > 0 && !failed()) {
        const ssize_t n = ::write(fd_, data, static_cast<size_t>(left));
        if (n < 0) {
            if (errno != EINTR) fail(errno);
            continue;
        }
        data += n;
        left -= n;
        written_ += n;
    }
    buffer_.clear();
    return !failed();
}

bool ExportFile::write(const QByteArray& bytes) {
    if (failed()) return false;
    if (fd_ < 0) {
        fail(EBADF);
        return false;
    }
    buffer_ += bytes;
    return buffer_.size() < kBufferBytes || flush();
}

bool ExportFile::commit() {
    if (fd_ < 0 && !failed()) fail(EBADF);
    if (!failed()) flush();
    closeFile();
    if (failed()) return false;
    if (!direct_ && ::rename(temp_.constData(), target_.constData()) != 0) {
        fail(errno);
        return false;
    }
    committed_ = true;
    return true;
}

QString ExportFile::writePath() {
    byName_ = true;
    return QFile::decodeName(direct_ ? target_ : temp_);
}

QString ExportFile::errorDescription() const {
    return QString::fromLocal8Bit(std::strerror(errorNumber_));
}

QString ExportFile::failureText() const {
    return QStringLiteral("書込みに失敗しました。\r\nError:") + QString::number(errorNumber_) +
           u' ' + errorDescription();
}

}  // namespace varkel
