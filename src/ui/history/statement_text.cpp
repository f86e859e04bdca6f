#include "ui/history/statement_text.h"

namespace varkel {

QString OneLineStatement(const QString& statement) {
    const QString crlf = QStringLiteral("\r\n");
    QString s = statement;
    s.replace(u'\t', u' ');
    const auto trimBlanks = [](QString& t) {
        qsizetype start = 0, end = t.size();
        while (start < end && t[start] == u' ')
            ++start;
        while (end > start && t[end - 1] == u' ')
            --end;
        t = t.mid(start, end - start);
    };
    trimBlanks(s);
    while (s.startsWith(crlf)) {
        s.remove(0, 2);
        qsizetype blanks = 0;
        while (blanks < s.size() && s[blanks] == u' ')
            ++blanks;
        s.remove(0, blanks);
    }
    while (s.endsWith(crlf)) {
        s.chop(2);
        while (s.endsWith(u' '))
            s.chop(1);
    }
    return s.replace(crlf, QStringLiteral("↓"));
}

QString TemplateItemText(const ClassSQL& t) {
    return QStringLiteral("【") + t.SQLhead + QStringLiteral("】") + OneLineStatement(t.SQLstmt);
}

MovedText MoveText(const QString& text, int dragStart, int dragLength, int dropPosition) {
    if (dropPosition >= dragStart && dropPosition <= dragStart + dragLength)
        return {text, dragStart};  // dropped onto itself: the text stays as it was
    const QString part = text.mid(dragStart, dragLength);
    QString rest = text.left(dragStart) + text.mid(dragStart + dragLength);
    const int at = dragStart < dropPosition ? dropPosition - dragLength : dropPosition;
    rest.insert(at, part);
    return {rest, at};
}

}  // namespace varkel
