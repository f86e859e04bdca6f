#include "store/keyword_file.h"

#include "store/code_page.h"
#include "store/text_file.h"

namespace varkel {

QStringList ReadKeywordFile(const QString& path) {
    const QString text = ReadFileText(path, CodePage(CodePage::systemName()));
    if (text.isEmpty()) return {};
    QStringList lines = text.split(LineEndOf(text));
    if (lines.last().isEmpty()) lines.removeLast();  // the line end of the last line
    return lines;
}

}  // namespace varkel
