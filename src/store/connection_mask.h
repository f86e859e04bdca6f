#pragma once

#include <QString>

namespace varkel {

// The connection bar's text: every value of a key spelled PWD or PASSWORD in any case as "****"
// (MaskPasswords), so a password that came inside the connection string is not shown either, and
// every other "PWD=" + the typed password as "PWD=****".
QString MaskConnectionBarText(const QString& connectString, const QString& password);

}  // namespace varkel
