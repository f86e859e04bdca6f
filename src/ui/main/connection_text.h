#pragma once

#include <QString>

// How a connection string is shown: the connection bar's text and tooltip, and the connection
// information of the window title.
namespace varkel {

// Every "PWD=" + password replaced by "PWD=****" (exact case); unchanged for an empty password.
QString MaskConnectionBarText(const QString& connectString, const QString& password);

// The text itself up to 128 characters, else its first 128 and "...".
QString ConnectionTooltip(const QString& text);

// DSN, server, database, driver and user parts of the text, each followed by ";"; the text
// itself when it has no ";".
QString ConnInfoTitle(const QString& text);

}  // namespace varkel
