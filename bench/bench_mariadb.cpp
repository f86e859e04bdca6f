#include "bench_mariadb.h"

#include <cstdio>

#include "db/odbc_comm.h"

namespace varkel::bench {

QString MariaDbSources() {
    return QStringLiteral(
               "\n[BenchMariaDBServer]\nDriver=MariaDB Unicode\nServer=%1\nPort=%2\n"
               "\n[BenchMariaDB]\nDriver=MariaDB Unicode\nServer=%1\nPort=%2\n"
               "Database=varkel_bench\n")
        .arg(qEnvironmentVariable("VARKEL_MARIADB_HOST"),
             qEnvironmentVariable("VARKEL_MARIADB_PORT"));
}

QString MariaDbUser() {
    return qEnvironmentVariable("VARKEL_MARIADB_USER");
}

QString MariaDbPassword() {
    return qEnvironmentVariable("VARKEL_MARIADB_PASSWORD");
}

bool MakeMariaDbBenchDatabase() {
    if (qEnvironmentVariableIsEmpty("VARKEL_MARIADB_HOST")) {
        std::fprintf(stderr, "MariaDB: VARKEL_MARIADB_* not set (run through scripts)\n");
        return false;
    }
    DbSession server;
    DbInit(server);
    QString user = MariaDbUser(), password = MariaDbPassword(), connectString;
    if (DbConnect(server, 0, QStringLiteral("BenchMariaDBServer"), user, password, {},
                  connectString) != 0) {
        std::fprintf(stderr, "MariaDB: %s\n", qPrintable(server.LastMessage));
        return false;
    }
    DbExecute(server,
              QStringLiteral("CREATE DATABASE IF NOT EXISTS varkel_bench CHARACTER SET utf8mb4"));
    DbDisconnect(server);
    return true;
}

}  // namespace varkel::bench
