#include "store/connection_mask.h"

#include "store/sql_history.h"

namespace varkel {

QString MaskConnectionBarText(const QString& connectString, const QString& password) {
    // Attributes first: replacing the typed password first could cut a braced value in two and
    // show its rest. Then the typed password wherever else it follows "PWD=".
    QString text = MaskPasswords(connectString);
    if (!password.isEmpty())
        text.replace(QStringLiteral("PWD=") + password, QStringLiteral("PWD=****"));
    return text;
}

}  // namespace varkel
