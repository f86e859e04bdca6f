#include "exec/script_text.h"

#include "store/code_page.h"

namespace varkel {

QString TrimBlanks(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == u' ')
        ++start;
    while (end > start && text[end - 1] == u' ')
        --end;
    return text.mid(start, end - start);
}

QStringList SplitScript(const QString& script) {
    static const QString delimiter = QStringLiteral("/\r\n");
    static const QString crlf = QStringLiteral("\r\n");
    QStringList statements;
    qsizetype p = 0;  // 0-based here; the loop runs while p + 1 < length, as with 1-based p
    while (p + 1 < script.size()) {
        const qsizetype d = script.indexOf(delimiter, p);
        QString statement;
        if (d >= 0) {
            qsizetype length = delimiter.size();
            while (script.mid(d + length, 2) == crlf)
                length += 2;
            statement = script.mid(p, d - p);
            p = d + length;
        } else {
            statement = script.mid(p);
            p = script.size();
        }
        statement = TrimBlanks(statement);
        if (!statement.isEmpty()) statements << statement;
    }
    return statements;
}

QString ContinueQuestion(const QString& statement) {
    const QString preview =
        statement.size() > 40 ? statement.left(40) + QStringLiteral("...") : statement;
    return QStringLiteral("次のＳＱＬを続けて実行してよろしいですか？\r\n(") + preview + u')';
}

QString WithCrLf(const QString& text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(u'\r', u'\n');
    plain.replace(QChar(0x2029), u'\n');  // a paragraph separator of the text control
    return plain.replace(u'\n', QStringLiteral("\r\n"));
}

QString CodePageRefusal(const QString& sql) {
    const QString unheld = CodePage(CodePage::systemName()).unheld(sql);
    if (unheld.isEmpty()) return {};
    return QStringLiteral("コードページ %1 で表せない文字があるため、実行しません：%2")
        .arg(QString::fromLatin1(CodePage::systemName()), unheld);
}

}  // namespace varkel
