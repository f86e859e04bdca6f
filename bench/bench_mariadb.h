#pragma once

#include <QString>

namespace varkel::bench {

// The data sources of the throwaway MariaDB server (VARKEL_MARIADB_HOST/PORT): BenchMariaDBServer
// without a database, BenchMariaDB on the benches' own, as lines of an odbc.ini.
QString MariaDbSources();

// Creates the benches' own database on the server when it is missing; false (and why on stderr)
// when VARKEL_MARIADB_* are not set or the server cannot be reached.
bool MakeMariaDbBenchDatabase();

QString MariaDbUser();
QString MariaDbPassword();

}  // namespace varkel::bench
