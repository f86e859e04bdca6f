#pragma once

#include <QByteArray>
#include <QString>

namespace varkel {

class CodePage;

// The program's own files (settings, history, templates): owner-only, since they may hold
// connection strings and statements with passwords.

// The line end a file's text uses: LF when the text holds no CR at all and is not empty, else
// CR LF (which new files get).
QString LineEndOf(const QString& text);

// The whole file, or nothing when it is missing or unreadable (`readable` says which).
QByteArray ReadFileBytes(const QString& path, bool* readable = nullptr);

// The whole file's text as CodePage::decodeFile gives it, read and decoded a piece at a time so
// that a large file is never held as bytes and as text at once (`piece` bytes at a time).
QString ReadFileText(const QString& path, const CodePage& page, bool* readable = nullptr,
                     qint64 piece = 1 << 20);

// Replaces the file's content in one step: a new file renamed over the old one, so a crash or a
// full disk leaves the old file whole. A symbolic link is followed, and the file it points to is
// replaced; a file with several hard links is rewritten in place. With `inPlace`, a folder that
// refuses the new file lets the file itself be rewritten. Otherwise, on failure `error` tells
// why, and the file is unchanged. The file is owner-only afterwards.
bool WriteFileBytes(const QString& path, const QByteArray& bytes, QString* error,
                    bool inPlace = false);

// Adds the bytes to the end of the file, creating it owner-only (or making an existing one so);
// false (with `error`) when not everything reached the file, which then keeps its old bytes.
bool AppendFileBytes(const QString& path, const QByteArray& bytes, QString* error);

// The last `count` bytes of the file (fewer when it is shorter), without reading the rest.
QByteArray FileTail(const QString& path, qsizetype count);

}  // namespace varkel
