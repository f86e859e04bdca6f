// How a statement whose rows are read one after another (a fill of the result list, a save of a
// whole result) asks each driver not to hold more of the result than is read.

#include <algorithm>

#include "db/odbc_internal.h"
#include "db/odbc_lib.h"
#include "db/sql_comments.h"

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
// The first block is four rowsets of the block fetch: a rowset that straddled two server blocks
// would cost a round trip of its own.
constexpr SQLINTEGER kPsqlBlockRows = 4 * kRowsetSize;
// Later blocks are as large as about 8 MB of rows like the last ones read allows, up to ten
// times the first: every block is a round trip to the server.
constexpr SQLLEN kPsqlBlockBytes = 8 << 20;
constexpr SQLLEN kPsqlMostBlockRows = 10 * kPsqlBlockRows;

void SetPsqlFetchRows(DbSession& s, SQLLEN rows) {
    SQLSetConnectAttr(s.Dbc.get(), kPsqlFetchRows, reinterpret_cast<SQLPOINTER>(rows),
                      SQL_IS_INTEGER);
}

void SetPsqlDeclareFetch(DbSession& s, bool on) {
    SQLSetConnectAttr(s.Dbc.get(), kPsqlUseDeclareFetch,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLLEN>(on ? 1 : 0)),
                      SQL_IS_INTEGER);
    if (on) SetPsqlFetchRows(s, kPsqlBlockRows);
}

// Another driver gets the row limit only for a statement that starts with SELECT.
bool StartsWithSelect(const QString& sql) {
    const QString head = sql.trimmed().left(7);
    return head.left(6).compare(QStringLiteral("SELECT"), Qt::CaseInsensitive) == 0 &&
           (head.size() == 6 || !(head[6].isLetterOrNumber() || head[6] == u'_'));
}

// A statement of its own on the connection, outside the session's statement handles, whose
// outcome changes nothing for the caller.
void RunAside(DbSession& s, const char* sql) {
    OdbcStmt statement;
    if (SQLAllocStmt(s.Dbc.get(), statement.receive(&s.LiveStatements)) != SQL_SUCCESS) return;
    void* const stmt = statement.get();
    const int r = OffThread(
        s, stmt,
        [stmt, sql] {
            return SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql)), SQL_NTS);
        },
        true);  // the stop given for the statement it sets up stays given
    // Given up while out: the statement is the abandoned connection's, freed with it.
    if (r == DriverWorker::kAbandoned) statement.forget();
}

// The MariaDB driver turns SQL_MAX_ROWS into a LIMIT written after the statement's text, which
// breaks a statement with a LIMIT of its own or a SHOW and cuts an UPDATE short. The server's
// sql_select_limit caps exactly the rows a statement returns to the client, whatever the
// statement begins with, and never a change of data; the session's own value (or a lower one)
// comes back after the execution. A statement that names the setting is left to set it.
constexpr const char* kCapSelects =
    "SET @varkel_select_limit = @@SESSION.sql_select_limit, SESSION sql_select_limit = "
    "IF(@@SESSION.sql_select_limit < 10001, @@SESSION.sql_select_limit, 10001)";
constexpr const char* kUncapSelects = "SET SESSION sql_select_limit = @varkel_select_limit";

bool CapsSelects(const DbSession& s, const QString& sql) {
    return IsMariaDbOdbc(s) &&
           !sql.contains(QStringLiteral("sql_select_limit"), Qt::CaseInsensitive);
}
static_assert(kFillRowLimit == 10001, "the statements above name the limit");

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
    // The cap reads one row past what the list shows, to know that it stopped.
    if (mode == ExecMode::Fill) {
        if (IsMariaDbOdbc(s)) {
            if (CapsSelects(s, sql)) RunAside(s, kCapSelects);
        } else if (IsSqliteOdbc(s) || StartsWithSelect(sql))
            // SQLite's driver stops reading at SQL_MAX_ROWS for any statement that returns rows,
            // however it begins, and a statement without rows does its whole work in its first
            // step: nothing is cut.
            SQLSetStmtOption(statement, SQL_MAX_ROWS, kFillRowLimit);
    }
    if (!IsPsqlOdbc(s)) return false;
    SetPsqlDeclareFetch(s, true);
    return true;
}

void EndReadingCursorSetup(DbSession& s, const QString& sql, ExecMode mode) {
    if (mode == ExecMode::Plain) return;
    if (IsPsqlOdbc(s)) SetPsqlDeclareFetch(s, false);
    if (mode == ExecMode::Fill && CapsSelects(s, sql)) RunAside(s, kUncapSelects);
}

void GrowServerCursorBlocks(DbSession& s, SQLLEN rowsInSet) {
    const size_t columns = static_cast<size_t>(s.CursorColumns);
    SQLLEN widest = 1;
    for (size_t row = 0; row < static_cast<size_t>(rowsInSet); ++row) {
        SQLLEN bytes = 0;
        for (size_t c = 0; c < columns; ++c)
            bytes += std::max<SQLLEN>(s.BlockLengths[c * kRowsetSize + row], 0);
        widest = std::max(widest, bytes);
    }
    GrowServerCursorBlocks(s, s.RowsFetched - rowsInSet, s.RowsFetched, widest);
}

void GrowServerCursorBlocks(DbSession& s, SQLLEN rowsBefore, SQLLEN rowsRead, SQLLEN widestBytes) {
    // psqlODBC reads the setting for each block it asks the server for: set once the first
    // blocks are read.
    if (!IsPsqlOdbc(s) || !s.CursorDiesOnRollback || rowsBefore >= kPsqlBlockRows ||
        rowsRead < kPsqlBlockRows)
        return;
    const SQLLEN rows = std::clamp<SQLLEN>(kPsqlBlockBytes / std::max<SQLLEN>(widestBytes, 1),
                                           kPsqlBlockRows, kPsqlMostBlockRows);
    SetPsqlFetchRows(s, rows / kRowsetSize * kRowsetSize);
}

QString ReadingText(const DbSession& s, const QString& sql, ExecMode mode) {
    // psqlODBC reads through a server cursor only a statement whose text begins with the query
    // itself: comments in front of it become blanks of the same length, so the server still
    // points at the same places. A planner hint (/*+) stays.
    if (mode == ExecMode::Plain || !IsPsqlOdbc(s)) return sql;
    return BlankLeadingComments(sql);
}

}  // namespace odbc_internal

}  // namespace varkel
