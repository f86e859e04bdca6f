#include "ui/frame/connection_text.h"

#include <QStringList>

namespace varkel {

QString ConnectionTooltip(const QString& text) {
    return text.size() <= 128 ? text : text.left(128) + QStringLiteral("...");
}

QString ConnInfoTitle(const QString& text) {
    const QStringList pieces = text.split(u';');
    if (pieces.size() == 1) return text;
    QString dsn, server, database, driver, user;
    for (const QString& piece : pieces) {
        if (piece.startsWith(QStringLiteral("DSN=")))
            dsn = piece;
        else if (server.isEmpty() && (piece.startsWith(QStringLiteral("DBQ=")) ||
                                      piece.startsWith(QStringLiteral("SERVER="))))
            server = piece;
        else if (piece.startsWith(QStringLiteral("DATABASE=")))
            database = piece;
        else if (piece.startsWith(QStringLiteral("Driver=")) ||
                 piece.startsWith(QStringLiteral("DRIVER=")))
            driver = piece;
        else if (piece.startsWith(QStringLiteral("UID=")))
            user = piece;
    }
    QString title;
    for (const QString& slot : {dsn, server, database, driver, user})
        if (!slot.isEmpty()) title += slot + u';';
    return title;
}

}  // namespace varkel
