#pragma once

#include <QByteArray>
#include <QString>

namespace varkel {

// The text of an SQL file as the SQL input box holds it: decoded from the system code page, a
// UTF-8 byte order mark at the start dropped, line ends as line breaks of the box (CR LF when the
// file holds any CR, else LF, as a file written on Linux reads).
QString SqlFileText(const QByteArray& bytes);

// Reads a whole SQL file. False when it cannot be opened at all; `error` then holds the error
// number and its description.
struct SqlFileRead {
    bool opened = false;
    QString text;
    int errorNumber = 0;
    QString errorText;
};
SqlFileRead ReadSqlFile(const QString& path);

}  // namespace varkel
