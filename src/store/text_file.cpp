#include "store/text_file.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cstring>

#include "store/code_page.h"

namespace varkel {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// The folder refuses a new file, but the file itself may be writable.
bool RewriteInPlace(const QString& path, const QByteArray& bytes, QString* error) {
    QFile out(path);
    if (!out.exists() || !out.open(QIODevice::ReadWrite) || out.write(bytes) != bytes.size() ||
        !out.flush() || !out.resize(bytes.size())) {
        if (error) *error = out.errorString();
        return false;
    }
    return true;
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
    QSaveFile out(path);
    // Unbuffered, so that a write the disk refuses fails here rather than in a flush that
    // commit() might not notice.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (inPlace) return RewriteInPlace(path, bytes, error);
        if (error) *error = out.errorString();
        return false;
    }
    out.setPermissions(kOwnerOnly);
    if (out.write(bytes) != bytes.size()) {
        if (error) *error = out.errorString();
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        if (error) *error = out.errorString();
        return false;
    }
    return true;
}

bool AppendFileBytes(const QString& path, const QByteArray& bytes, QString* error) {
    QFile out(path);
    if (!out.open(QIODevice::Append, kOwnerOnly)) {
        if (error) *error = out.errorString();
        return false;
    }
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
