#pragma once

#include <QString>
#include <QStringList>
#include <array>

#include "db/sql_name.h"
#include "ui/tree/object_lists.h"

// The statements and names the object tree turns into SQL.
namespace varkel {

// A name as SQL on the server the rules describe: quoted when it holds a blank or another
// character outside names, or a letter the server would fold; bare otherwise.
QString QuotedName(const QString& name, const NameRules& rules = {});

// An object node's name as SQL, preceded by its owner when the lists hold the same name under
// another owner too.
QString ObjectSqlName(const QTreeWidgetItem* node, const ObjectLists& lists,
                      const NameRules& rules);

// The texts of the seven quick statements for an object given by its name as SQL; [1] stands
// for the separator and is empty. Line breaks are LF, as the SQL input box holds them.
std::array<QString, 7> QuickSqlTexts(const QString& sqlName);

// The column names of an object as one line, each as SQL, joined by ", ".
QString AllColumnsText(const QStringList& columnNames, const NameRules& rules = {});

}  // namespace varkel
