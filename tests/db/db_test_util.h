#pragma once

#include <gtest/gtest.h>

#include "db/api_call.h"
#include "db/odbc_comm.h"
#include "db/odbc_lib.h"
#include "support/engines.h"

namespace varkel::test {

// Connects the session to the test's database through its data source, with user id and
// password where the engine has them.
inline void ConnectTo(DbSession& s, TestDatabase& db) {
    DbInit(s);
    QString user = db.user();
    QString password = db.password();
    QString connectString;
    ASSERT_EQ(DbConnect(s, 0, db.dsn(), user, password, QString(), connectString), 0)
        << s.LastMessage.toStdString();
}

// n rows (k = 1 … n, v = 'v' || k) in a new table.
inline void CreateNumbers(TestDatabase& db, const QString& table, int n) {
    ASSERT_TRUE(db.admin().exec(
        QStringLiteral("CREATE TABLE %1 (k INTEGER PRIMARY KEY, v VARCHAR(20))").arg(table)));
    QString sql;
    switch (db.engine()) {
        case Engine::PostgreSQL:
            sql = QStringLiteral("INSERT INTO %1 SELECT g, 'v' || g FROM generate_series(1, %2) g");
            break;
        case Engine::MariaDB:
            sql = QStringLiteral("INSERT INTO %1 SELECT seq, CONCAT('v', seq) FROM seq_1_to_%2");
            break;
        case Engine::SQLite:
            sql = QStringLiteral(
                "INSERT INTO %1 WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 "
                "FROM c WHERE x < %2) SELECT x, 'v' || x FROM c");
            break;
    }
    ASSERT_TRUE(db.admin().exec(sql.arg(table).arg(n)));
}

}  // namespace varkel::test
