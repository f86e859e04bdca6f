#include "store/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QFile>

#include "store/code_page.h"
#include "store/file_target.h"

namespace varkel {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

constexpr mode_t kOwnerOnlyMode = S_IRUSR | S_IWUSR;

QString ErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// A file an earlier version left readable by others is made owner-only at its first write.
void MakeOwnerOnly(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) == 0 && (info.st_mode & 077) != 0) ::fchmod(fd, info.st_mode & 0700);
}

bool WriteWhole(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = EIO;  // so the message never tells an earlier call's error
        if (n <= 0) return false;
        data += n;
        left -= n;
    }
    return true;
}

// Open files are closed however the write ends.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

// The file itself is rewritten: a folder that refuses a new file, or a file with several
// names, all of which must see the new content.
bool RewriteInPlace(const QByteArray& path, const QByteArray& bytes, QString* error) {
    Descriptor out(::open(path.constData(), O_WRONLY | O_CLOEXEC));
    if (out.get() >= 0) MakeOwnerOnly(out.get());
    const bool ok = out.get() >= 0 && WriteWhole(out.get(), bytes) &&
                    ::ftruncate(out.get(), bytes.size()) == 0 && out.close();
    if (!ok && error) *error = ErrorText(errno);
    return ok;
}

}  // namespace

QString LineEndOf(const QString& text) {
    return !text.isEmpty() && !text.contains(u'\r') ? QStringLiteral("\n") : QStringLiteral("\r\n");
}

QByteArray ReadFileBytes(const QString& path, bool* readable) {
    QFile in(path);
    const bool ok = in.open(QIODevice::ReadOnly);
    if (readable) *readable = ok;
    return ok ? in.readAll() : QByteArray();
}

QString ReadFileText(const QString& path, const CodePage& page, bool* readable, qint64 pieceSize) {
    QFile in(path);
    const bool ok = in.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    if (readable) *readable = ok;
    if (!ok) return {};
    QString text;
    // A character never takes fewer bytes than UTF-16 units in the code pages read.
    text.reserve(static_cast<qsizetype>(in.size()));
    QByteArray piece(static_cast<qsizetype>(pieceSize), Qt::Uninitialized);
    qsizetype held = 0;  // bytes of the piece not decoded yet
    while (true) {
        const qint64 got = in.read(piece.data() + held, piece.size() - held);
        held += std::max<qint64>(0, got);
        const bool last = got <= 0 || in.atEnd();
        // A piece ends just after a byte below 0x40: in every code page read, such a byte is a
        // character of its own and never part of another, so decoding starts afresh after it
        // (a cut anywhere else could take an invalid byte for the start of a character).
        qsizetype whole = held;
        if (!last) {
            while (whole > 0 && static_cast<unsigned char>(piece[whole - 1]) >= 0x40)
                --whole;
            if (whole == 0) {  // none yet: read on into a larger piece
                if (held == piece.size()) piece.resize(piece.size() * 2);
                continue;
            }
        }
        text += page.decode(piece.constData(), whole);
        if (last) break;
        held -= whole;
        std::memmove(piece.data(), piece.constData() + whole, static_cast<size_t>(held));
    }
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

bool WriteFileBytes(const QString& path, const QByteArray& bytes, QString* error, bool inPlace) {
    const FileTarget target = ResolveFileTarget(path);
    if (target.linked) return RewriteInPlace(target.path, bytes, error);
    QByteArray temp = TempPatternBeside(target.path);
    Descriptor out(::mkstemp(temp.data()));
    if (out.get() < 0) {
        const int why = errno;
        if (inPlace && target.regular) return RewriteInPlace(target.path, bytes, error);
        if (error) *error = ErrorText(why);
        return false;
    }
    ::fchmod(out.get(), kOwnerOnlyMode);
    const bool ok = WriteWhole(out.get(), bytes) && ::fsync(out.get()) == 0 && out.close() &&
                    ::rename(temp.constData(), target.path.constData()) == 0;
    if (!ok) {
        if (error) *error = ErrorText(errno);
        ::unlink(temp.constData());
    }
    return ok;
}

bool AppendFileBytes(const QString& path, const QByteArray& bytes, QString* error) {
    QFile out(path);
    if (!out.open(QIODevice::Append, kOwnerOnly)) {
        if (error) *error = out.errorString();
        return false;
    }
    MakeOwnerOnly(out.handle());
    const qint64 before = out.size();
    if (out.write(bytes) != bytes.size() || !out.flush()) {
        if (error) *error = out.errorString();
        // What did get written would glue the next record to a torn one.
        out.resize(before);
        return false;
    }
    return true;
}

QByteArray FileTail(const QString& path, qsizetype count) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return {};
    const qint64 size = in.size();
    in.seek(std::max<qint64>(0, size - count));
    return in.read(count);
}

}  // namespace varkel
