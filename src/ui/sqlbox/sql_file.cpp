#include "ui/sqlbox/sql_file.h"

#include <QFile>

#include "store/code_page.h"

namespace varkel {

QString SqlFileText(const QByteArray& bytes) {
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) body.remove(0, 3);
    QString text = CodePage(CodePage::systemName()).decode(body);
    if (text.contains(u'\r')) text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

SqlFileRead ReadSqlFile(const QString& path) {
    SqlFileRead read;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.errorNumber = static_cast<int>(file.error());
        read.errorText = file.errorString();
        return read;
    }
    read.opened = true;
    read.text = SqlFileText(file.readAll());  // what could be read, if reading breaks off
    return read;
}

}  // namespace varkel
