#pragma once

// Helpers shared by the call layer's files; never included outside src/db.

#include <sql.h>
#include <sqlext.h>

#include <QByteArray>
#include <QString>
#include <cstring>
#include <vector>

#include "db/db_session.h"
#include "db/driver_worker.h"
#include "db/odbc_lib.h"

namespace varkel::odbc_internal {

struct DiagRecord {
    QByteArray state;
    long native = 0;
    QString text;
};

// Reads (and so clears) every diagnostic record of ExecStmt, CursorStmt, Dbc and Env.
std::vector<DiagRecord> ReadDiagnostics(DbSession& s);
// The CheckReturn rules for SQL_ERROR / SQL_SUCCESS_WITH_INFO over records already read.
DbStatus StatusFromDiagnostics(DbSession& s, int rawCode, const std::vector<DiagRecord>& records);

inline QByteArray ToAnsi(const DbSession& s, const QString& text) {
    return s.Ansi.encode(text);
}

inline SQLCHAR* Chars(QByteArray& bytes) {
    return reinterpret_cast<SQLCHAR*>(bytes.data());
}

// A fixed output buffer read up to its first NUL, never past its size.
inline QString FromBuffer(const DbSession& s, const char* buffer, size_t size) {
    return s.Ansi.decode(buffer, static_cast<qsizetype>(strnlen(buffer, size)));
}

// A column value from a slot of `size` bytes into `value`: cut at the first NUL, by the
// indicator, and at kMaxValueBytes without splitting a character.
void ReadSlot(const DbSession& s, const char* slot, size_t size, SQLLEN indicator, QString& value);

inline bool Succeeded(SQLRETURN r) {
    return r == SQL_SUCCESS || r == SQL_SUCCESS_WITH_INFO;
}

// A server cursor that a rollback closed would answer with a silent end of its rows: true (the
// session's LastCode and LastMessage say so) when the open cursor is such a one.
bool ClosedByRollback(DbSession& s);

// One column's value of the current row, however long, read from the driver in pieces; a NUL
// ends it.
SQLRETURN GetWholeValue(void* statement, SQLUSMALLINT column, QByteArray& bytes, bool& null);

// The driver's file name into the session (at connect).
void ReadDriverName(DbSession& s);
// Whether the session runs on the MariaDB driver (also used for MySQL servers).
inline bool IsMariaDbOdbc(const DbSession& s) {
    return s.DriverName.startsWith(QStringLiteral("libmaodbc"), Qt::CaseInsensitive);
}
inline bool IsPsqlOdbc(const DbSession& s) {
    return s.DriverName.startsWith(QStringLiteral("psqlodbc"), Qt::CaseInsensitive);
}
// Whether the session runs on SQLite's driver. It stops reading at SQL_MAX_ROWS for any
// statement that returns rows, however it begins, and a statement without rows does its whole
// work in its first step: nothing is cut.
inline bool IsSqliteOdbc(const DbSession& s) {
    return s.DriverName.contains(QStringLiteral("sqlite"), Qt::CaseInsensitive);
}
// After a failed statement or commit: when the failure ended the whole transaction at the
// database, the session counts a rollback and the message says that the work is gone.
void NoteTransactionEndedByFailure(DbSession& s);
// After a statement that succeeded: when it ended SQLite's transaction where the driver does
// not see it, a new one is opened, as the driver believes.
void KeepSqliteTransactionOpen(DbSession& s, const QString& sql);
// Whether a statement is a bare query (its first word, after comments and parentheses, SELECT or
// VALUES): one that changes no data.
bool IsBareQuery(const QString& sql);
// A query whose whole result is read once, run on SQLite through a connection of its own that
// reads the result from the file as it is fetched, when that connection provably sees what the
// session's would. True when it ran there (ExecStmt then holds its statement, `reading` the
// connection, `r` its code, a failure only when a stop ended it, and `types` the columns' SQL
// types where the session's connection would describe them otherwise); false when it did not
// run, leaving nothing behind.
bool ExecuteReadingAside(DbSession& s, const QString& sql, OdbcDbc& reading, SQLRETURN& r,
                         std::vector<std::int16_t>& types);
// Disconnects and frees a connection of a cursor's own (none: nothing).
void CloseReadingConnection(OdbcDbc& dbc);
// Sets a statement up to be read without the driver holding the whole result (see ExecMode);
// true when the result is then read through a server cursor (which a rollback closes).
bool PrepareReadingCursor(DbSession& s, void* statement, const QString& sql, ExecMode mode);
// Undoes what PrepareReadingCursor set up, right after the execution; called after every one.
void EndReadingCursorSetup(DbSession& s, const QString& sql, ExecMode mode);
// After the first rowsets of a server cursor: the following blocks the driver asks the server
// for hold as many rows as fit, judged by the rowset just read (`rowsInSet` rows).
void GrowServerCursorBlocks(DbSession& s, SQLLEN rowsInSet);
// The same, for rows read otherwise: the last ones (from `rowsBefore` to `rowsRead`), the widest
// of them `widestBytes` long.
void GrowServerCursorBlocks(DbSession& s, SQLLEN rowsBefore, SQLLEN rowsRead, SQLLEN widestBytes);
// The text the driver gets for a statement read this way.
QString ReadingText(const DbSession& s, const QString& sql, ExecMode mode);

// Runs a driver call that can wait on the session's worker (see DriverWorker::run); `statement`
// is what a stop cancels. Returns the call's raw code.
// A call that can be abandoned captures by value what it uses after its driver call came back,
// and writes into its caller's memory only while holding the worker's deliver().
inline DriverWorker& WorkerOf(DbSession& s) {
    if (!s.Worker) s.Worker = std::make_shared<DriverWorker>();
    return *s.Worker;
}
template <typename Call>
int OffThread(DbSession& s, void* statement, Call&& call, bool aside = false) {
    return WorkerOf(s).run(statement, std::function<int()>(std::forward<Call>(call)), s.WaitHooks,
                           aside);
}

// A catalog enumeration's first call: drop the old cursor and allocate a new one.
DbStatus OpenCatalogCursor(DbSession& s);

}  // namespace varkel::odbc_internal
