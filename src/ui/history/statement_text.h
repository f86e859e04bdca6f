#pragma once

#include <QList>
#include <QString>

#include "store/sql_history.h"

namespace varkel {

// A statement on one line, as the history list and the template list show it: TABs become
// blanks, blanks and line breaks at both ends go, the line breaks inside become "↓". Only the
// first thousand characters are shown, then "…".
QString OneLineStatement(const QString& statement);

// A statement as a text box holds it (line breaks as LF); the SQL input box turns them back into
// CR LF when it runs.
inline QString ForTextBox(const QString& statement) {
    QString s = statement;
    return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The template list's item for a template: "【" title "】" and the statement on one line.
QString TemplateItemText(const ClassSQL& t);

// Moving dragged text inside one box: the text without the dragged part, the part inserted at
// the drop position (counted in the original text). A drop inside the dragged part changes
// nothing. Returns the new text and where the moved part now starts.
struct MovedText {
    QString text;
    int insertedAt = 0;
};
MovedText MoveText(const QString& text, int dragStart, int dragLength, int dropPosition);

}  // namespace varkel
