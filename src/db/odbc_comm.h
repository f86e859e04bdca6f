#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "db/db_session.h"
#include "db/object_owner.h"
#include "db/sql_name.h"

// The session services: the database as the rest of the program sees it, with the busy pointer,
// the connected state, the counts of the last execution and the standard error boxes.
namespace varkel {

void DbInit(DbSession& s);
DbStatus ListDataSources(DbSession& s, int maximum, int& count, QStringList& names,
                         QStringList& descriptions);
DbStatus ListDrivers(DbSession& s, int maximum, int& count, QStringList& descriptions);
DbStatus ListTables(DbSession& s, const QString& owner, int& tableCount, QStringList& tables,
                    int& viewCount, QStringList& views, int& otherCount, QStringList& others);
DbStatus ListColumns(DbSession& s, const QString& owner, const QString& table, int maximum,
                     int& count, QStringList& names, QStringList& typeTexts);
DbStatus MarkKeyColumns(DbSession& s, const QString& owner, const QString& table, int columnCount,
                        const QStringList& names, std::vector<std::int16_t>& positions);
// The catalog queries of the object tree, each object with the owner the catalog reported, and
// the column and key queries asked exactly where an object was found. The key positions come
// from one index: the primary key when the driver reports one, else the first unique index.
DbStatus ListTables(DbSession& s, const QString& owner, CatalogObjects& tables,
                    CatalogObjects& views, CatalogObjects& others);
DbStatus ListColumns(DbSession& s, const ObjectOwner& where, const QString& table, int maximum,
                     int& count, QStringList& names, QStringList& typeTexts);
DbStatus MarkKeyColumns(DbSession& s, const ObjectOwner& where, const QString& table,
                        int columnCount, const QStringList& names,
                        std::vector<std::int16_t>& positions);
bool IsConnected(const DbSession& s);
// 0 on success, -99 on any failure (already reported to the user).
int DbConnect(DbSession& s, std::uintptr_t mainWindow, const QString& dataSource, QString& userId,
              QString& password, const QString& driver, QString& connectString);
int DbDisconnect(DbSession& s);
DbStatus DbCommit(DbSession& s);
DbStatus DbRollback(DbSession& s);
DbStatus DbExecute(DbSession& s, const QString& sql);
// DbExecute for a statement whose rows fill the result list: the driver is asked for no more
// rows than the list shows (plus one), and to hold no more of the result than is read.
DbStatus DbExecuteFill(DbSession& s, const QString& sql);
// DbExecute for a statement whose whole result is read once, start to end (saving a query's
// rows to a file): the driver is asked to hold no more of the result than is read.
DbStatus DbExecuteStreaming(DbSession& s, const QString& sql);
// DbExecute in two halves, for a caller that has work to do while the statement runs (an import
// reads its next lines): DbExecutePost starts it and returns at once, DbExecuteCollect waits for
// it and returns its status. Anything else given meanwhile waits for the statement first, so the
// database sees every statement in the order given; collect one before posting the next.
void DbExecutePost(DbSession& s, const QString& sql);
DbStatus DbExecuteCollect(DbSession& s);
// values[k] receives the text of result column k+1; singleRow nonzero forces SQLFetch.
DbStatus DbFetch(DbSession& s, QStringList& values, int singleRow);
// DbFetch of one row with its values whole, however long (saving a query's rows to a file).
DbStatus DbFetchWhole(DbSession& s, QStringList& values);
// DbFetchWhole that reads the rows from the driver in blocks (a value longer than the block's
// slot read again whole): the same rows and values at the speed of the block fetch.
DbStatus DbFetchWholeInBlocks(DbSession& s, QStringList& values);
void CloseCursor(DbSession& s);
// The identity of the session's open connection, 0 when not connected.
std::uint64_t DbConnectionId(const DbSession& s);
// The identity of the session's open cursor, 0 when none is open.
std::uint64_t DbCursorId(const DbSession& s);
QString LastDbMessage(const DbSession& s);
// The driver's text of the last execute, commit or rollback that succeeded with a warning.
QString LastDbWarning(const DbSession& s);
void ShowDbError(DbSession& s, DbStatus status, const QString& title);

// Whether a driver call of the session is out (running on its worker while the window waits).
bool DbCallOut(const DbSession& s);
// The stop command while a call is out: the driver is asked to cancel it (SQLCancel). False when
// no call is out; the caller's own loop then stops as before.
bool DbCancel(DbSession& s);
// The disconnect while a call is out that a stop did not end (a server that does not answer):
// the connection is given up at once without committing, the session is not connected, and a
// new connect works at once on handles and a worker of its own. False when no call is out.
bool DbAbandon(DbSession& s);
// Whether DbAbandon would give the connection up now (connected, a call out on it).
bool DbCanAbandon(const DbSession& s);
// Whether the call out is a commit (its outcome is unknown if the connection is given up).
bool DbCommitOut(const DbSession& s);
// Whether the last driver call was out when a stop came: its failure is the cancel's.
bool DbCallStopped(const DbSession& s);
// How many transactions the database rolled back by itself when a statement failed, or with a
// connection that was lost or given up: when it moves, the work since the last commit is gone.
std::uint64_t DbFailureRollbacks(const DbSession& s);
// Whether the driver runs several statements sent as one text, in one round trip to the server.
bool DbRunsStatementsTogether(const DbSession& s);

// The driver's quote around names (SQL_IDENTIFIER_QUOTE_CHAR), empty when it quotes none; the
// standard double quote when not connected or when the driver cannot tell.
QString IdentifierQuoteChar(DbSession& s);
// What the server does to the letters of a bare name (SQL_IDENTIFIER_CASE); none when not
// connected.
NameRules::Folding IdentifierCase(DbSession& s);
// Both, as the rules that SqlName follows.
NameRules ServerNameRules(DbSession& s);

}  // namespace varkel
