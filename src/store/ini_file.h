#pragma once

#include <QString>

namespace varkel {

// Settings files with the semantics of the Windows private profile routines: section and key
// names match without regard to case, the first match wins, a value is trimmed and loses one
// pair of surrounding quotes on read; a write replaces the key's line in place, adds a new key
// at the end of its section and a new section at the end of the file. 8-bit text in the
// system code page, CR LF line ends.

// The value, or the empty string for a missing file, section or key; cut to 1,023 characters.
QString ReadIniString(const QString& file, const QString& section, const QString& key);

// Writes the value verbatim (the empty string as "key="); nonzero on success. The file is
// replaced as a whole, so a crash never leaves half of it, and only its owner may read it: it
// holds connection strings with passwords.
int WriteIniString(const QString& file, const QString& section, const QString& key,
                   const QString& value);

}  // namespace varkel
