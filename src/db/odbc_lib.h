#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "db/db_session.h"
#include "db/object_owner.h"

// The ODBC call layer: the only code that calls the ODBC API besides the environment routines.
// It shows nothing; every failure is a status plus the session's LastMessage.
namespace varkel {

constexpr int kRowsetSize = 256;
constexpr int kSlotBytes = 256;
// At most this many bytes of a value are kept, whatever the driver delivered.
constexpr int kMaxValueBytes = 254;

DbStatus CheckReturn(DbSession& s, int rawCode);

DbStatus NextDataSource(DbSession& s, QString& name, QString& description);
DbStatus NextDriver(DbSession& s, QString& description, QString& attributes);
DbStatus NextTable(DbSession& s, const QString& tableTypes, const QString& owner,
                   QString& tableType, QString& tableName);
DbStatus NextColumn(DbSession& s, const QString& owner, const QString& table, QString& tableName,
                    QString& columnName, QString& typeText);
DbStatus NextKeyColumn(DbSession& s, const QString& owner, const QString& table,
                       QString& columnName, std::int16_t& position);
// The same enumerations, asking in the catalog and owner given and reporting where each object
// was found; a key column also reports the index it belongs to.
DbStatus NextTable(DbSession& s, const QString& tableTypes, const QString& owner,
                   QString& tableType, QString& tableName, ObjectOwner& where);
DbStatus NextColumn(DbSession& s, const ObjectOwner& where, const QString& table,
                    QString& tableName, QString& columnName, QString& typeText);
DbStatus NextKeyColumn(DbSession& s, const ObjectOwner& where, const QString& table,
                       QString& columnName, std::int16_t& position, QString& indexName);
DbStatus NextPrimaryKeyColumn(DbSession& s, const ObjectOwner& where, const QString& table,
                              QString& columnName, std::int16_t& position, QString& keyName);

DbStatus OpenConnection(DbSession& s, std::uintptr_t ownerWindow, const QString& dataSource,
                        QString& userId, QString& password, const QString& driver,
                        QString& connectString);
// Bitwise OR of the raw return codes of the calls made. The commit of the work left open comes
// first; its status (0 also for a warning) goes to commitStatus, its text stays in LastMessage.
int CloseConnection(DbSession& s, DbStatus* commitStatus = nullptr);

// Plain: as typed. Fill: a statement whose rows go to the result list, which shows at most
// 10,000 of them (the driver is asked for no more than kFillRowLimit). Stream: a statement whose
// whole result is read once from start to end. Fill and Stream ask the driver to hold no more of
// the result than it hands out, where the driver needs to be asked.
enum class ExecMode { Plain, Fill, Stream };
constexpr int kFillRowLimit = 10001;
// The status of a fetch from a cursor that is no longer there (the status of an invalid handle).
constexpr DbStatus kCursorClosed = 9999;

DbStatus ExecStatement(DbSession& s, const QString& sql, std::int32_t& rowCount,
                       std::int16_t& columnCount, ExecMode mode = ExecMode::Plain);
// Kinds: 0 numeric and everything else, 1 character, 2 date and time.
DbStatus DescribeColumns(DbSession& s, QStringList& names, std::vector<std::int16_t>& kinds);
DbStatus FetchRow(DbSession& s, QStringList& values);
DbStatus FetchRowBlock(DbSession& s, QStringList& values);
// FetchRow with every value whole, however long, read from the driver in pieces: for a result
// that goes to a file. The result list keeps its cut at kMaxValueBytes.
DbStatus FetchRowWhole(DbSession& s, QStringList& values);
// FetchRowWhole read in blocks: the values come from the block buffers, and a value longer than
// its slot is read again whole from its row within the block. A driver that cannot read a value
// of a row inside a block has the cursor read row by row, as FetchRowWhole does.
DbStatus FetchRowBlockWhole(DbSession& s, QStringList& values);
// Raw return code of the first failing SQLGetData, or 0. `statement` is the ODBC handle.
int GetRowData(DbSession& s, void* statement, int columnCount, QStringList& values);

DbStatus CommitWork(DbSession& s);
DbStatus RollbackWork(DbSession& s);

QString PeekLastMessage(const DbSession& s);
QString TakeLastMessage(DbSession& s);
std::int32_t AnsiByteLength(const DbSession& s, const QString& text);

// Closes a connection whose server is gone: frees its statements and handle without the commit
// of CloseConnection; LastMessage keeps the text that told of the loss.
void AbandonConnection(DbSession& s);

// Gives up a connection whose call is out and does not come back (a server that answers
// neither the call nor its cancel): the call returns at once with AbandonedText(), the session
// is left without connection, environment or worker, and the old worker frees the handles
// without committing once the call is back. False when no call is out.
bool GiveUpConnection(DbSession& s);
// Whether GiveUpConnection would give the connection up now.
bool CanGiveUpConnection(const DbSession& s);
QString AbandonedText(const DbSession& s);
// Marks a commit as out for as long as it lives.
class CommitOutMark {
  public:
    CommitOutMark(DbSession& s, bool commit) : s_(s) { s_.CommitOut = commit; }
    ~CommitOutMark() { s_.CommitOut = false; }
    CommitOutMark(const CommitOutMark&) = delete;
    CommitOutMark& operator=(const CommitOutMark&) = delete;

  private:
    DbSession& s_;
};

// Frees the open cursor (SQL_CLOSE, then SQL_DROP) when there is one.
void DropCursor(DbSession& s);
// Waits for the rows FetchRowWhole has the worker read ahead, if it is still reading them.
void SettleReadAhead(DbSession& s);
// Lets go of the rows read ahead and the bindings of a cursor that is gone.
void ForgetWholeRows(DbSession& s);
// A statement executed as ExecStatement executes it (without a cursor's reading modes) while the
// caller goes on: PostStatement starts it on the worker, CollectStatement waits for it and
// returns its status. SettlePostedStatement finishes it without taking its status.
void PostStatement(DbSession& s, const QString& sql);
DbStatus SettlePostedStatement(DbSession& s);
DbStatus CollectStatement(DbSession& s);
// Waits for whatever the worker does while the caller goes on (rows read ahead, a posted
// statement): done before anything else touches the connection, so the driver's calls keep
// their order.
void SettlePosted(DbSession& s);

}  // namespace varkel
