#pragma once

#include <QMap>
#include <QString>
#include <QTemporaryDir>

namespace varkel::test {

// A test's own ODBC configuration: odbcinst.ini (the machine's drivers plus the project's test
// drivers), odbc.ini (system data sources) and user-odbc.ini (user data sources), written anew
// for the test, with ODBCSYSINI, ODBCINI and VARKEL_HOME pointing there. The driver manager
// reads those variables and files once per process, so there is one configuration per process
// (ctest runs each test in a process of its own); the test's other files go to path().
class OdbcConfig {
  public:
    OdbcConfig();
    OdbcConfig(const OdbcConfig&) = delete;
    OdbcConfig& operator=(const OdbcConfig&) = delete;

    // The test's own folder (also VARKEL_HOME).
    QString folder() const { return dir_.path(); }
    QString path(const QString& name) const { return dir_.filePath(name); }
    // The ini files of the driver manager.
    static QString iniPath(const QString& name);

    // Adds a data source section; `user` puts it among the user data sources.
    void addDataSource(const QString& name, const QString& driver,
                       const QMap<QString, QString>& keys, bool user = false);

    // Another name for the test driver (before the first ODBC call of the process).
    void addDriver(const QString& name);

    static QString testDriverName() { return QStringLiteral("VarkelTest"); }
    static QString noBlockDriverName() { return QStringLiteral("VarkelTestNoBlock"); }

  private:
    QTemporaryDir dir_;
};

}  // namespace varkel::test
