#include "store/sql_templates.h"

#include <QDir>

#include "store/code_page.h"
#include "store/text_file.h"

namespace varkel {

QList<ClassSQL> ReadTemplateFile(const QString& path) {
    const RecordFile file = ParseRecordFile(ReadFileText(path, CodePage(CodePage::systemName())));
    QList<ClassSQL> templates;
    for (const QString& record : file.records)
        templates << ParseHistoryRecord(record, file.lineEnd);
    return templates;
}

bool WriteTemplateFile(const QString& path, const QList<ClassSQL>& templates, QString* error) {
    const CodePage page(CodePage::systemName());
    const QString lineEnd = LineEndOf(page.decodeFile(ReadFileBytes(path)));
    QString text;
    for (const ClassSQL& t : templates)
        text += HistoryRecordText(t, lineEnd);
    QString why;
    if (WriteFileBytes(path, page.encodeFile(text), &why)) return true;
    if (error)
        *error = QStringLiteral(
                     "テンプレートファイルに書き込めませんでした。元のファイルは"
                     "そのままです。\r\n%1\r\n%2")
                     .arg(QDir::toNativeSeparators(path), why);
    return false;
}

QString StorableTitle(const QString& title) {
    QString t = title;
    return t.replace(u'\t', u' ');
}

}  // namespace varkel
