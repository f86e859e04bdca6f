#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <memory>
#include <string>

#include "support/admin_connection.h"
#include "support/odbc_config.h"
#include "support/qt_printers.h"

namespace varkel::test {

enum class Engine { SQLite, PostgreSQL, MariaDB };

std::string EngineName(Engine engine);
inline void PrintTo(Engine engine, std::ostream* os) {
    *os << EngineName(engine);
}

// A database of its own for one test, on one engine, registered in the test's ODBC
// configuration as the data source "VarkelTestDb" (no stored credentials) and
// "VarkelTestDbAuth" (credentials stored, so that "DSN=...;" alone connects).
class TestDatabase {
  public:
    TestDatabase(Engine engine, OdbcConfig& config);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // Empty when the database is ready; else why not (the engine is not configured or failed).
    QString unavailableReason() const { return unavailable_; }
    Engine engine() const { return engine_; }
    QString dsn() const { return QStringLiteral("VarkelTestDb"); }
    QString dsnWithCredentials() const { return QStringLiteral("VarkelTestDbAuth"); }
    QString user() const { return user_; }
    QString password() const { return password_; }
    QString driverName() const;
    // A complete DRIVER=... connection string to this database.
    QString driverConnectString() const;
    // The name the catalog reports as the owner of the test's tables (empty: none).
    QString owner() const;
    AdminConnection& admin() { return *admin_; }
    // Opens the admin connections again, after their server was restarted under them.
    void reopenConnections();

  private:
    QString maintenanceString() const;  // to the server's maintenance database
    Engine engine_;
    QString unavailable_;
    QString host_, port_, user_, password_, database_;
    std::unique_ptr<AdminConnection> server_;  // to the server's maintenance database
    std::unique_ptr<AdminConnection> admin_;   // to the test's database
    QString sqliteFile_;
};

// True when the test command asks for every engine (VARKEL_REQUIRE_ENGINES=1): an engine that
// is not set up then fails its tests instead of skipping them.
bool EnginesRequired();

// Ends the test when `db` is not ready: a failure where engines are required, else a skip.
#define VARKEL_REQUIRE_DATABASE(db)                                                     \
    do {                                                                                \
        if (!(db).unavailableReason().isEmpty()) {                                      \
            if (::varkel::test::EnginesRequired())                                      \
                FAIL() << ::varkel::test::EngineName((db).engine())                     \
                       << " is required but unavailable: "                              \
                       << (db).unavailableReason().toStdString();                       \
            GTEST_SKIP() << ::varkel::test::EngineName((db).engine())                   \
                         << " unavailable: " << (db).unavailableReason().toStdString(); \
        }                                                                               \
    } while (0)

// Base fixture for cases that run on every engine of the parameter: each test has its own ODBC
// configuration and its own database. An engine that is not set up skips the test, unless
// VARKEL_REQUIRE_ENGINES=1 (the test command sets it), where it fails.
class EngineTest : public ::testing::TestWithParam<Engine> {
  protected:
    void SetUp() override;
    OdbcConfig config_;
    std::unique_ptr<TestDatabase> db_;
};

struct EngineParamName {
    std::string operator()(const ::testing::TestParamInfo<Engine>& info) const {
        return EngineName(info.param);
    }
};

}  // namespace varkel::test
