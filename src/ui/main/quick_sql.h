#pragma once

#include <QString>
#include <QStringList>
#include <array>

// The statements and names the object tree turns into SQL.
namespace varkel {

// A name as SQL: in double quotes when it holds a blank, a double quote inside doubled.
QString QuotedName(const QString& name);

// The texts of the seven quick statements for an object; [1] stands for the separator and is
// empty. Line breaks are LF, as the SQL input box holds them.
std::array<QString, 7> QuickSqlTexts(const QString& objectName);

// The column names of an object as one line, each as SQL, joined by ", ".
QString AllColumnsText(const QStringList& columnNames);

}  // namespace varkel
