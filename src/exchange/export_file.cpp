#include "exchange/export_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <QFile>
#include <QFileInfo>

namespace varkel {

namespace {

constexpr qsizetype kBufferBytes = 1 << 16;

mode_t CurrentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

}  // namespace

ExportFile::ExportFile(const QString& path) : path_(path), target_(QFile::encodeName(path)) {}

ExportFile::~ExportFile() {
    closeFile();
    if (!committed_ && !temp_.isEmpty()) ::unlink(temp_.constData());
}

void ExportFile::fail(int error) {
    if (errorNumber_ == 0) errorNumber_ = error != 0 ? error : EIO;
}

void ExportFile::closeFile() {
    if (fd_ >= 0) {
        if (::close(fd_) != 0) fail(errno);
        fd_ = -1;
    }
}

bool ExportFile::open() {
    struct stat existing {};
    const bool exists = ::stat(target_.constData(), &existing) == 0;
    direct_ = exists && !S_ISREG(existing.st_mode);
    if (direct_) {
        fd_ = ::open(target_.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd_ < 0) fail(errno);
        return fd_ >= 0;
    }
    const QFileInfo info(path_);
    QByteArray pattern = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") +
                                           info.fileName() + QStringLiteral(".XXXXXX"));
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) {
        fail(errno);
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

QString ExportFile::writePath() const {
    return direct_ ? path_ : QFile::decodeName(temp_);
}

QString ExportFile::errorDescription() const {
    return QString::fromLocal8Bit(std::strerror(errorNumber_));
}

QString ExportFile::failureText() const {
    return QStringLiteral("書込みに失敗しました。\r\nError:") + QString::number(errorNumber_) +
           u' ' + errorDescription();
}

}  // namespace varkel
