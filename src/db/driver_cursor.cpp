// How a statement whose rows are read one after another (a fill of the result list, a save of a
// whole result) asks each driver not to hold more of the result than is read.

#include "db/odbc_internal.h"
#include "db/odbc_lib.h"

namespace varkel {

using namespace odbc_internal;

namespace {

// psqlODBC reads every row of a result into the client before it hands out the first, whatever
// SQL_MAX_ROWS says. Its declare/fetch mode reads through a server cursor instead, a block of
// rows at a time; the mode is a connection attribute of its own that the driver reads when it
// executes a SELECT, so it is switched on for the one statement only. Such a cursor outlives a
// commit but not a rollback, after which the driver reports a silent end of the rows.
constexpr SQLINTEGER kPsqlUseDeclareFetch = 65539;
constexpr SQLINTEGER kPsqlFetchRows = 65541;
constexpr SQLINTEGER kPsqlBlockRows = 1000;

bool IsPsqlOdbc(const DbSession& s) {
    return s.DriverName.startsWith(QStringLiteral("psqlodbc"), Qt::CaseInsensitive);
}

void SetPsqlDeclareFetch(DbSession& s, bool on) {
    SQLSetConnectAttr(s.Dbc.get(), kPsqlUseDeclareFetch,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLLEN>(on ? 1 : 0)),
                      SQL_IS_INTEGER);
    if (on)
        SQLSetConnectAttr(s.Dbc.get(), kPsqlFetchRows,
                          reinterpret_cast<SQLPOINTER>(static_cast<SQLLEN>(kPsqlBlockRows)),
                          SQL_IS_INTEGER);
}

// A row limit is given only to a statement that starts with SELECT: the MariaDB driver turns
// it into a LIMIT that also cuts an UPDATE, INSERT … SELECT or DELETE short.
bool StartsWithSelect(const QString& sql) {
    const QString head = sql.trimmed().left(7);
    return head.left(6).compare(QStringLiteral("SELECT"), Qt::CaseInsensitive) == 0 &&
           (head.size() == 6 || !(head[6].isLetterOrNumber() || head[6] == u'_'));
}

}  // namespace

namespace odbc_internal {

void ReadDriverName(DbSession& s) {
    char name[256] = {};
    SQLSMALLINT length = 0;
    if (SQLGetInfo(s.Dbc.get(), SQL_DRIVER_NAME, name, sizeof name - 1, &length) == SQL_SUCCESS)
        s.DriverName = FromBuffer(s, name, sizeof name);
    else
        s.DriverName.clear();
}

bool PrepareReadingCursor(DbSession& s, void* statement, const QString& sql, ExecMode mode) {
    if (mode == ExecMode::Plain) return false;
    // SQLite and MariaDB stop reading at the limit; the cap reads one row past what it shows to
    // know that it stopped.
    if (mode == ExecMode::Fill && StartsWithSelect(sql))
        SQLSetStmtOption(statement, SQL_MAX_ROWS, kFillRowLimit);
    if (!IsPsqlOdbc(s)) return false;
    SetPsqlDeclareFetch(s, true);
    return true;
}

void EndReadingCursorSetup(DbSession& s) {
    SetPsqlDeclareFetch(s, false);
}

}  // namespace odbc_internal

}  // namespace varkel
