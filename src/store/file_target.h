#pragma once

#include <QByteArray>
#include <QString>

namespace varkel {

// Where a write meant for a path lands. A symbolic link is followed (through every link on the
// way, a dangling one included), so the user's link keeps pointing at the written file; a file
// with several hard links is rewritten in place, so every name sees the new content.
struct FileTarget {
    QByteArray path;       // the file that gets written
    bool exists = false;   // the path names something (a file, a device, a pipe)
    bool regular = false;  // ... and it is a regular file
    bool linked = false;   // ... with more than one hard link
};

FileTarget ResolveFileTarget(const QString& path);

// A mkstemp() pattern for a hidden temporary file beside `target`: its name is cut (never
// inside a UTF-8 character) so that the temporary name stays within the longest name a folder
// takes, whatever the length of the target's own name.
QByteArray TempPatternBeside(const QByteArray& target);

}  // namespace varkel
