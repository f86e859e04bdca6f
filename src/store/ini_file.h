#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "store/code_page.h"

namespace varkel {

// Settings files with the semantics of the Windows private profile routines: section and key
// names match without regard to case, the first match wins, a value is trimmed and loses one
// pair of surrounding quotes on read; a write replaces the key's line in place, adds a new key
// at the end of its section and a new section at the end of the file. 8-bit text in the
// system code page. A line ends at CR LF, LF or a lone CR; a written line gets CR LF, or LF in a
// file without any CR. Lines that are not written keep their bytes exactly, whatever the code
// page makes of them.
class IniFile {
  public:
    explicit IniFile(const QString& path);  // reads the file now; missing reads as empty

    // The value, or the empty string for a missing section or key; cut to 1,023 characters
    // (never between the halves of a surrogate pair).
    QString read(const QString& section, const QString& key) const;
    // Writes the value verbatim (the empty string as "key="), in memory until save(). A line
    // break in the value would start a new line: each becomes a blank.
    void write(const QString& section, const QString& key, const QString& value);
    // Writes the file in one step (a new file renamed over the old, owner-only: it holds
    // connection strings with passwords); nothing when nothing was written. False on failure,
    // with `error` naming the file and the reason; the old file is then whole.
    bool save(QString* error = nullptr);
    const QString& path() const { return path_; }

  private:
    struct Line {
        QByteArray bytes;  // without its line end
        QByteArray end;    // its own line end, empty for a last line without one
        QString text;      // decoded, for finding sections and keys
    };
    struct Found {
        qsizetype sectionLine = -1;  // index of the section's header
        qsizetype keyLine = -1;      // index of the key's line in it
        qsizetype lastLine = -1;     // the section's last non-blank line
    };
    Found find(const QString& section, const QString& key) const;
    Line makeLine(const QString& text) const;

    QString path_;
    CodePage page_;
    QList<Line> lines_;
    QByteArray lineEnd_;
    bool changed_ = false;
};

// One value of the settings file (see IniFile::read).
QString ReadIniString(const QString& file, const QString& section, const QString& key);

// Writes one value and saves the file at once; nonzero on success.
int WriteIniString(const QString& file, const QString& section, const QString& key,
                   const QString& value);

}  // namespace varkel
