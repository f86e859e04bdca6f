#include "ui/history/statement_text.h"

namespace varkel {

QString OneLineStatement(const QString& statement) {
    // A list line shows a few hundred characters at most: a huge statement is cut before it is
    // copied, so that the list never measures or draws it whole.
    constexpr qsizetype kShown = 1000;
    const bool cut = statement.size() > kShown;
    const QString crlf = QStringLiteral("\r\n");
    QString s = statement;
    if (cut) {
        // What the trimming below drops at the front is skipped first, and the cut never
        // leaves half a line break or half a surrogate pair at the end.
        qsizetype from = 0;
        while (from < statement.size()) {
            if (statement[from] == u' ' || statement[from] == u'\t')
                ++from;
            else if (QStringView(statement).mid(from, 2) == crlf)
                from += 2;
            else
                break;
        }
        s = statement.mid(from, kShown);
        if (s.endsWith(u'\r') || (!s.isEmpty() && s.back().isHighSurrogate())) s.chop(1);
    }
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
    s.replace(crlf, QStringLiteral("↓"));
    return cut ? s + u'…' : s;
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
