#include "support/odbc_config.h"

#include <gtest/gtest.h>

#include <QFile>
#include <cstdlib>

namespace varkel::test {

namespace {

void Append(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append)) << path.toStdString();
    file.write(text);
}

}  // namespace

OdbcConfig::OdbcConfig() {
    EXPECT_TRUE(dir_.isValid());
    QFile system(QStringLiteral("/etc/odbcinst.ini"));
    QByteArray drivers = system.open(QIODevice::ReadOnly) ? system.readAll() : QByteArray();
    drivers += "\n[VarkelTest]\nDescription=Varkel test driver\nDriver=" VARKEL_TEST_DRIVER_PATH
               "\n\n[VarkelTestNoBlock]\nDescription=Varkel test driver without block fetch\n"
               "Driver=" VARKEL_TEST_DRIVER_NOBLOCK_PATH "\n";
    Append(path(QStringLiteral("odbcinst.ini")), drivers);
    Append(path(QStringLiteral("odbc.ini")), QByteArray());
    Append(path(QStringLiteral("user-odbc.ini")), QByteArray());
    setenv("ODBCSYSINI", QFile::encodeName(folder()).constData(), 1);
    setenv("ODBCINI", QFile::encodeName(path(QStringLiteral("user-odbc.ini"))).constData(), 1);
    setenv("VARKEL_HOME", QFile::encodeName(folder()).constData(), 1);
}

void OdbcConfig::addDataSource(const QString& name, const QString& driver,
                               const QMap<QString, QString>& keys, bool user) {
    QByteArray section = "\n[" + name.toUtf8() + "]\nDriver=" + driver.toUtf8() + "\n";
    for (auto it = keys.begin(); it != keys.end(); ++it)
        section += it.key().toUtf8() + "=" + it.value().toUtf8() + "\n";
    Append(path(user ? QStringLiteral("user-odbc.ini") : QStringLiteral("odbc.ini")), section);
}

}  // namespace varkel::test
