#pragma once

#include <QString>

class QWidget;

namespace varkel {

// What help opens: HELP/URL when set (an address as it stands, a relative file taken from the
// program folder), else the help pages' index in the program folder, or the shipped pages of
// an installed copy.
QString HelpTarget(const QString& helpUrl);

// Opens the help with the desktop; true when the desktop accepted it. When it did not, a message
// names the page, so that the user can open it another way.
bool OpenHelp(QWidget* owner, const QString& helpUrl);

}  // namespace varkel
