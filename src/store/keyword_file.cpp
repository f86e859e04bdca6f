#include "store/keyword_file.h"

#include <QFile>

#include "store/code_page.h"

namespace varkel {

QStringList ReadKeywordFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QString text = CodePage(CodePage::systemName()).decode(file.readAll());
    if (text.isEmpty()) return {};
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (lines.last().isEmpty()) lines.removeLast();  // the line end of the last line
    return lines;
}

}  // namespace varkel
