#include "store/sql_templates.h"

#include <QFile>
#include <QSaveFile>

#include "store/code_page.h"

namespace varkel {

QList<ClassSQL> ReadTemplateFile(const QString& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return {};
    QList<ClassSQL> templates;
    for (const QString& record :
         SplitHistoryRecords(CodePage(CodePage::systemName()).decode(in.readAll())))
        templates << ParseHistoryRecord(record);
    return templates;
}

bool WriteTemplateFile(const QString& path, const QList<ClassSQL>& templates) {
    QString text;
    for (const ClassSQL& t : templates)
        text += HistoryRecordText(t);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) return false;
    out.write(CodePage(CodePage::systemName()).encode(text));
    return out.commit();
}

QString StorableTitle(const QString& title) {
    QString t = title;
    return t.replace(u'\t', u' ');
}

}  // namespace varkel
