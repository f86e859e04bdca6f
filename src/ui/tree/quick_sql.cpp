#include "ui/tree/quick_sql.h"

#include <QTreeWidgetItem>

namespace varkel {

namespace {

// Whether one of the lists holds `name` under an owner other than `owner`.
bool ListedElsewhere(const ObjectLists& lists, const QString& name, const ObjectOwner& owner) {
    const std::pair<const QStringList*, const QList<ObjectOwner>*> kinds[] = {
        {&lists.TblName, &lists.TblOwner},
        {&lists.ViewName, &lists.ViewOwner},
        {&lists.SynmName, &lists.SynmOwner}};
    for (const auto& [names, owners] : kinds)
        for (qsizetype i = 0; i < names->size(); ++i)
            if ((*names)[i] == name && owners->value(i) != owner) return true;
    return false;
}

}  // namespace

QString QuotedName(const QString& name, const NameRules& rules) {
    return name.isEmpty() ? name : SqlName(name, rules);
}

QString ObjectSqlName(const QTreeWidgetItem* node, const ObjectLists& lists,
                      const NameRules& rules) {
    const QString name = node->text(0);
    const ObjectOwner owner = NodeOwner(node);
    return SqlObjectName(name, owner, ListedElsewhere(lists, name, owner), rules);
}

std::array<QString, 7> QuickSqlTexts(const QString& sqlName) {
    const QString& n = sqlName;
    const QString select = QStringLiteral("SELECT * FROM ") + n;
    return {select + QStringLiteral("　⇒　即実行"),
            QString(),
            select,
            select + QStringLiteral(" \nWHERE ? = ?"),
            QStringLiteral("UPDATE ") + n + QStringLiteral(" SET ? = ? \nWHERE ? = ?"),
            QStringLiteral("INSERT INTO ") + n + QStringLiteral(" \nVALUES(?)"),
            QStringLiteral("DELETE FROM ") + n + QStringLiteral(" \nWHERE ? = ?")};
}

QString AllColumnsText(const QStringList& columnNames, const NameRules& rules) {
    QStringList quoted;
    quoted.reserve(columnNames.size());
    for (const QString& name : columnNames)
        quoted << QuotedName(name, rules);
    return quoted.join(QStringLiteral(", "));
}

}  // namespace varkel
