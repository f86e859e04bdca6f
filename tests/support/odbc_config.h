#pragma once

#include <QMap>
#include <QString>
#include <QTemporaryDir>

namespace varkel::test {

// A test's own ODBC configuration in a temporary folder: odbcinst.ini (the machine's drivers plus
// the project's test drivers), odbc.ini (system data sources) and user-odbc.ini (user data
// sources), with ODBCSYSINI, ODBCINI and VARKEL_HOME pointing there for this process.
class OdbcConfig {
public:
    OdbcConfig();
    OdbcConfig(const OdbcConfig&) = delete;
    OdbcConfig& operator=(const OdbcConfig&) = delete;

    QString folder() const { return dir_.path(); }
    QString path(const QString& name) const { return dir_.filePath(name); }

    // Adds a data source section; `user` puts it among the user data sources.
    void addDataSource(const QString& name, const QString& driver,
                       const QMap<QString, QString>& keys, bool user = false);

    static QString testDriverName() { return QStringLiteral("VarkelTest"); }
    static QString noBlockDriverName() { return QStringLiteral("VarkelTestNoBlock"); }

private:
    QTemporaryDir dir_;
};

}  // namespace varkel::test
