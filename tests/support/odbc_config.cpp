#include "support/odbc_config.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <cstdlib>

namespace varkel::test {

namespace {

void Write(const QString& path, const QByteArray& text, QIODevice::OpenMode mode) {
    QFile file(path);
    ASSERT_TRUE(file.open(mode)) << path.toStdString();
    file.write(text);
}

}  // namespace

QString OdbcConfig::iniPath(const QString& name) {
    static QTemporaryDir processDir;
    return processDir.filePath(name);
}

OdbcConfig::OdbcConfig() {
    EXPECT_TRUE(dir_.isValid());
    // The driver manager caches its ini files for the life of the process, so a second
    // configuration would silently see the first one's data sources.
    static int configurations = 0;
    if (++configurations > 1)
        ADD_FAILURE() << "one ODBC test per process: run the tests through ctest, or pick one "
                         "with --gtest_filter";
    QFile system(QStringLiteral("/etc/odbcinst.ini"));
    QByteArray drivers = system.open(QIODevice::ReadOnly) ? system.readAll() : QByteArray();
    // Drivers stay loaded to the end, so that what they keep is reported against their name.
    drivers.replace("]\n", "]\nDontDLClose=1\n");
    drivers +=
        "\n[VarkelTest]\nDontDLClose=1\nDescription=Varkel test "
        "driver\nDriver=" VARKEL_TEST_DRIVER_PATH
        "\n\n[VarkelTestNoBlock]\nDontDLClose=1\nDescription=Varkel test driver without block "
        "fetch\n"
        "Driver=" VARKEL_TEST_DRIVER_NOBLOCK_PATH "\n";
    const auto truncate = QIODevice::WriteOnly | QIODevice::Truncate;
    Write(iniPath(QStringLiteral("odbcinst.ini")), drivers, truncate);
    Write(iniPath(QStringLiteral("odbc.ini")), QByteArray(), truncate);
    Write(iniPath(QStringLiteral("user-odbc.ini")), QByteArray(), truncate);
    const QString iniFolder = QFileInfo(iniPath(QStringLiteral("odbc.ini"))).path();
    setenv("ODBCSYSINI", QFile::encodeName(iniFolder).constData(), 1);
    setenv("ODBCINI", QFile::encodeName(iniPath(QStringLiteral("user-odbc.ini"))).constData(), 1);
    setenv("VARKEL_HOME", QFile::encodeName(folder()).constData(), 1);
}

void OdbcConfig::addDataSource(const QString& name, const QString& driver,
                               const QMap<QString, QString>& keys, bool user) {
    QByteArray section = "\n[" + name.toUtf8() + "]\nDriver=" + driver.toUtf8() + "\n";
    for (auto it = keys.begin(); it != keys.end(); ++it)
        section += it.key().toUtf8() + "=" + it.value().toUtf8() + "\n";
    Write(iniPath(user ? QStringLiteral("user-odbc.ini") : QStringLiteral("odbc.ini")), section,
          QIODevice::Append);
}

}  // namespace varkel::test

namespace varkel::test {

void OdbcConfig::addDriver(const QString& name) {
    Write(iniPath(QStringLiteral("odbcinst.ini")),
          "\n[" + name.toUtf8() + "]\nDontDLClose=1\nDriver=" VARKEL_TEST_DRIVER_PATH "\n",
          QIODevice::Append);
}

}  // namespace varkel::test
