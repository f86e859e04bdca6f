#pragma once

#include <QList>
#include <QString>

#include "store/sql_history.h"

namespace varkel {

// The file "SQLTMPL.TXT": the history file's layout with the title in place of the head.
QList<ClassSQL> ReadTemplateFile(const QString& path);
// Writes every template, in order, as the whole new file (an empty file for none), with the
// line end the file already uses. The file is replaced in one step, so a failure leaves the old
// file whole; then `error` names the file and the reason.
bool WriteTemplateFile(const QString& path, const QList<ClassSQL>& templates,
                       QString* error = nullptr);
// A title as stored: a TAB would end the title early on reading, so it becomes a blank.
QString StorableTitle(const QString& title);

}  // namespace varkel
