#pragma once

#include <QString>
#include <QStringList>
#include <array>

// The SQL fragments a right click on the result list offers.
namespace varkel {

// A column name as SQL: in double quotes when it holds a blank, else unchanged.
QString ColumnNameForm(const QString& header);
// A value in quotes, every apostrophe doubled.
QString QuotedLiteral(const QString& value);

// A data cell: the name, the bare value, the quoted value, name = bare, name = quoted.
std::array<QString, 5> CellCopyTexts(const QString& header, const QString& value);

// A whole row: all names joined by ", " and all values joined by ", ", bare where the kind
// letter is "N", quoted otherwise.
std::array<QString, 2> RowCopyTexts(const QStringList& headers, const QStringList& values,
                                    const QStringList& kinds);

// A menu caption showing a text built from data: one line, "&" shown as itself.
QString MenuCaption(const QString& text);

}  // namespace varkel
