#pragma once

#include <QString>

// How a connection string is shown: the connection bar's tooltip and the connection information
// of the window title (the bar's masked text is MaskConnectionBarText, store/connection_mask.h).
namespace varkel {

// The text itself up to 128 characters, else its first 128 and "...".
QString ConnectionTooltip(const QString& text);

// DSN, server, database, driver and user parts of the text, each followed by ";"; the text
// itself when it has no ";".
QString ConnInfoTitle(const QString& text);

}  // namespace varkel
