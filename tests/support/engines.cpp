#include "support/engines.h"

#include <unistd.h>
#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>

namespace varkel::test {

namespace {

QString Env(const char* name) {
    return qEnvironmentVariable(name);
}

QString UniqueDatabaseName() {
    static int counter = 0;
    return QStringLiteral("vt_%1_%2").arg(getpid()).arg(++counter);
}

}  // namespace

std::string EngineName(Engine engine) {
    switch (engine) {
        case Engine::SQLite:
            return "SQLite";
        case Engine::PostgreSQL:
            return "PostgreSQL";
        case Engine::MariaDB:
            return "MariaDB";
    }
    return "Unknown";
}

QString TestDatabase::driverName() const {
    switch (engine_) {
        case Engine::SQLite:
            return QStringLiteral("SQLite3");
        case Engine::PostgreSQL:
            return QStringLiteral("PostgreSQL Unicode");
        case Engine::MariaDB:
            return QStringLiteral("MariaDB Unicode");
    }
    return {};
}

QString TestDatabase::driverConnectString() const {
    switch (engine_) {
        case Engine::SQLite:
            return QStringLiteral("DRIVER={SQLite3};Database=%1;").arg(sqliteFile_);
        case Engine::PostgreSQL:
            return QStringLiteral(
                       "DRIVER={PostgreSQL Unicode};Servername=%1;Port=%2;Database=%3;"
                       "UID=%4;PWD=%5;")
                .arg(host_, port_, database_, user_, password_);
        case Engine::MariaDB:
            return QStringLiteral(
                       "DRIVER={MariaDB Unicode};Server=%1;Port=%2;Database=%3;UID=%4;"
                       "PWD=%5;")
                .arg(host_, port_, database_, user_, password_);
    }
    return {};
}

QString TestDatabase::owner() const {
    return engine_ == Engine::PostgreSQL ? QStringLiteral("public") : QString();
}

TestDatabase::TestDatabase(Engine engine, OdbcConfig& config) : engine_(engine) {
    if (engine == Engine::SQLite) {
        sqliteFile_ = config.path(QStringLiteral("test.db"));
        config.addDataSource(dsn(), driverName(), {{QStringLiteral("Database"), sqliteFile_}});
        config.addDataSource(dsnWithCredentials(), driverName(),
                             {{QStringLiteral("Database"), sqliteFile_}});
        admin_ = std::make_unique<AdminConnection>(driverConnectString());
        if (!admin_->ok()) unavailable_ = admin_->error();
        return;
    }
    const char* prefix = engine == Engine::PostgreSQL ? "VARKEL_PG_" : "VARKEL_MARIADB_";
    host_ = Env((std::string(prefix) + "HOST").c_str());
    port_ = Env((std::string(prefix) + "PORT").c_str());
    user_ = Env((std::string(prefix) + "USER").c_str());
    password_ = Env((std::string(prefix) + "PASSWORD").c_str());
    if (host_.isEmpty() || port_.isEmpty() || user_.isEmpty()) {
        unavailable_ = QString::fromStdString(EngineName(engine)) +
                       QStringLiteral(" server not configured (%1HOST/PORT/USER/PASSWORD)")
                           .arg(QString::fromLatin1(prefix));
        return;
    }
    database_ = UniqueDatabaseName();
    server_ = std::make_unique<AdminConnection>(maintenanceString());
    if (!server_->ok()) {
        unavailable_ = server_->error();
        return;
    }
    const QString create =
        QStringLiteral("CREATE DATABASE ") + database_ +
        (engine == Engine::MariaDB ? QStringLiteral(" CHARACTER SET utf8mb4") : QString());
    if (!server_->exec(create)) {
        unavailable_ = QStringLiteral("cannot create the test database");
        return;
    }
    QMap<QString, QString> keys;
    QMap<QString, QString> withCredentials;
    if (engine == Engine::PostgreSQL) {
        keys = {{QStringLiteral("Servername"), host_},
                {QStringLiteral("Port"), port_},
                {QStringLiteral("Database"), database_}};
        withCredentials = keys;
        withCredentials.insert(QStringLiteral("Username"), user_);
        withCredentials.insert(QStringLiteral("Password"), password_);
    } else {
        keys = {{QStringLiteral("Server"), host_},
                {QStringLiteral("Port"), port_},
                {QStringLiteral("Database"), database_}};
        withCredentials = keys;
        withCredentials.insert(QStringLiteral("User"), user_);
        withCredentials.insert(QStringLiteral("Password"), password_);
    }
    config.addDataSource(dsn(), driverName(), keys);
    config.addDataSource(dsnWithCredentials(), driverName(), withCredentials);
    admin_ = std::make_unique<AdminConnection>(driverConnectString());
    if (!admin_->ok()) unavailable_ = admin_->error();
}

QString TestDatabase::maintenanceString() const {
    const QString text = engine_ == Engine::PostgreSQL
                             ? QStringLiteral(
                                   "DRIVER={PostgreSQL Unicode};Servername=%1;"
                                   "Port=%2;Database=postgres;UID=%3;PWD=%4;")
                             : QStringLiteral(
                                   "DRIVER={MariaDB Unicode};Server=%1;Port=%2;"
                                   "UID=%3;PWD=%4;");
    return text.arg(host_, port_, user_, password_);
}

void TestDatabase::reopenConnections() {
    admin_ = std::make_unique<AdminConnection>(driverConnectString());
    if (!server_) return;
    server_ = std::make_unique<AdminConnection>(maintenanceString());
}

TestDatabase::~TestDatabase() {
    admin_.reset();
    if (server_ && server_->ok() && !database_.isEmpty()) {
        if (engine_ == Engine::PostgreSQL)
            server_->exec(QStringLiteral("DROP DATABASE IF EXISTS ") + database_ +
                          QStringLiteral(" WITH (FORCE)"));
        else
            server_->exec(QStringLiteral("DROP DATABASE IF EXISTS ") + database_);
    }
}

bool EnginesRequired() {
    return qEnvironmentVariable("VARKEL_REQUIRE_ENGINES") == QStringLiteral("1");
}

void EngineTest::SetUp() {
    db_ = std::make_unique<TestDatabase>(GetParam(), config_);
    VARKEL_REQUIRE_DATABASE(*db_);
}

}  // namespace varkel::test
