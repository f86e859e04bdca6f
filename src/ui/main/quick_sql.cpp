#include "ui/main/quick_sql.h"

namespace varkel {

QString QuotedName(const QString& name) {
    if (!name.contains(u' ')) return name;
    QString doubled = name;
    doubled.replace(u'"', QStringLiteral("\"\""));
    return u'"' + doubled + u'"';
}

std::array<QString, 7> QuickSqlTexts(const QString& objectName) {
    const QString n = QuotedName(objectName);
    const QString select = QStringLiteral("SELECT * FROM ") + n;
    return {select + QStringLiteral("　⇒　即実行"),
            QString(),
            select,
            select + QStringLiteral(" \nWHERE ? = ?"),
            QStringLiteral("UPDATE ") + n + QStringLiteral(" SET ? = ? \nWHERE ? = ?"),
            QStringLiteral("INSERT INTO ") + n + QStringLiteral(" \nVALUES(?)"),
            QStringLiteral("DELETE FROM ") + n + QStringLiteral(" \nWHERE ? = ?")};
}

QString AllColumnsText(const QStringList& columnNames) {
    QStringList quoted;
    quoted.reserve(columnNames.size());
    for (const QString& name : columnNames)
        quoted << QuotedName(name);
    return quoted.join(QStringLiteral(", "));
}

}  // namespace varkel
