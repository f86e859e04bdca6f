#pragma once

#include <QString>
#include <QStringList>

namespace varkel {

// The program and arguments an editor command line runs for one file.
struct EditorLaunch {
    QString program;
    QStringList arguments;
    bool operator==(const EditorLaunch&) const = default;
};

// True when the command holds "%p" in any case, the place of the file to edit.
bool HasFileMark(const QString& command);

// The command split as a shell would split it, then its first "%p" (any case) replaced by the
// path inside its own argument, so a path with blanks or quotes reaches the editor whole. Later
// "%p" stay as they are. Never run through a shell.
EditorLaunch CommandForFile(const QString& command, const QString& path);

// A program path as it goes into a command line: quoted when it holds blanks or quotes.
QString QuotedProgramPath(const QString& path);

}  // namespace varkel
