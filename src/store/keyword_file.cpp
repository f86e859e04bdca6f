#include "store/keyword_file.h"

#include <QFile>

#include "store/code_page.h"

namespace varkel {

QStringList ReadKeywordFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QString text = CodePage(CodePage::systemName()).decode(file.readAll());
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);  // a UTF-8 byte order mark
    if (text.isEmpty()) return {};
    // A file written on Linux has no CR at all: its lines end at LF.
    const QString lineEnd = text.contains(u'\r') ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QStringList lines = text.split(lineEnd);
    if (lines.last().isEmpty()) lines.removeLast();  // the line end of the last line
    return lines;
}

}  // namespace varkel
