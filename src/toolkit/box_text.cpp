#include "toolkit/box_text.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace varkel {

QString BoxText(const QPlainTextEdit* box) {
    QString text = box->document()->toRawText();
    // Only the document's own paragraph ends (and frame marks) become line breaks.
    for (QChar& c : text)
        if (c == QChar::ParagraphSeparator || c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1)
            c = u'\n';
    return text;
}

}  // namespace varkel
