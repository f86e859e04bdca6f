#pragma once

#include <QString>

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

}  // namespace varkel
