#include "tools/editor_command.h"

#include <QProcess>

namespace varkel {

bool HasFileMark(const QString& command) {
    return command.contains(u"%p", Qt::CaseInsensitive);
}

EditorLaunch CommandForFile(const QString& command, const QString& path) {
    QStringList parts = QProcess::splitCommand(command);
    for (QString& part : parts) {
        const qsizetype mark = part.indexOf(u"%p", 0, Qt::CaseInsensitive);
        if (mark < 0) continue;
        part.replace(mark, 2, path);
        break;
    }
    if (parts.isEmpty()) return {};
    const QString program = parts.takeFirst();
    return {program, parts};
}

QString QuotedProgramPath(const QString& path) {
    bool plain = true;
    for (const QChar c : path)
        if (c.isSpace() || c == u'"') plain = false;
    if (plain) return path;
    // Inside quotes a literal quote is written as three quotes.
    QString inner = path;
    inner.replace(u'"', QStringLiteral("\"\"\""));
    return u'"' + inner + u'"';
}

}  // namespace varkel
