#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

#include "db/dead_link.h"
#include "db/odbc_handles.h"
#include "store/code_page.h"

namespace varkel {

class DriverWorker;
struct CallWaitHooks;

// A status of the database layer: 0 success, 100 no (more) rows, a negated native error code,
// -9999/-9998 an error/warning without native code, 9999 an invalid handle, or a raw return
// code. Kept in an int rather than 16 bits so that native codes beyond 32767 stay exact.
using DbStatus = int;

// Rows of a result read whole by one call of the worker: every value's bytes one after another,
// with its length (-1: NULL), row after row; and the code of the call that ended the reading
// (0: it stopped only because enough was read).
struct WholeRows {
    QByteArray bytes;
    std::vector<std::int64_t> lengths;
    int code = 0;
};

// The slots and length indicators the columns of a cursor read whole are bound to.
struct WholeBinding {
    std::uint64_t cursor = 0;  // the CursorId of the cursor bound
    int rows = 1;              // the rows of a block, column after column
    std::vector<char> bytes;
    std::vector<long> indicators;
    // The rows of the block fetched last and the next of them to read (read on the worker).
    size_t blockRows = 0;
    size_t nextRow = 0;
};

// The one database session of the program: its handles, its single cursor with the block-fetch
// buffers, and the outcome of the last call.
struct DbSession {
    // Native handle of the main window, the parent of any dialog the driver shows (0: none).
    std::uintptr_t OwnerWindow = 0;
    OdbcEnv Env;
    OdbcDbc Dbc;
    // A connection of the open cursor's own, which reads its result (none: the cursor is on Dbc).
    OdbcDbc ReadingDbc;
    QString ConnectString;
    std::int16_t OdbcConnected = 0;
    bool BlockFetch = false;
    // Statement handles allocated on the connection and not yet freed (counted by the handles
    // themselves): the cursor, the statement last executed and any one a call uses aside.
    int LiveStatements = 0;
    OdbcStmt ExecStmt;
    OdbcStmt CursorStmt;
    std::int16_t CursorOpen = 0;
    // Whether the open cursor is a query result (not a catalog enumeration): only a result is
    // read by FetchRow and FetchRowBlock, so a catalog call can never be read as its rows.
    bool CursorIsResult = false;
    // Identity of the open cursor (0: none): every cursor a query or a catalog call opens gets a
    // new one, so a loop that yields can tell whether the cursor is still the one it opened.
    std::uint64_t CursorId = 0;
    std::uint64_t LastCursorId = 0;
    // Whether the open cursor has been read row by row: it is then never read from the block
    // buffers, which may still hold the rows of a cursor that is gone.
    bool CursorRowByRow = false;
    std::int16_t CursorColumns = 0;
    // The SQL types of the open cursor's columns where its reading connection describes them
    // otherwise than the session's own would (empty: as the driver describes them).
    std::vector<std::int16_t> ReadingTypes;
    std::int32_t RowsFetched = 0;
    std::int32_t RowsDelivered = 0;
    std::int16_t RowsetIndex = 0;
    bool DataSourceScan = false;
    bool DriverScan = false;
    bool TableScan = false;
    bool ColumnScan = false;
    bool KeyScan = false;
    bool PrimaryKeyScan = false;
    // Column-wise block buffers: per column 256 rows of 256 bytes, and 256 length indicators
    // (the driver manager's SQLLEN, 64 bits here).
    std::vector<char> BlockData;
    std::vector<long> BlockLengths;
    // Rows of cursor WholeAheadCursor read whole by the worker ahead of the caller: the lot being
    // handed out (from value WholeAheadAt on) and the next one, read while that is handed out
    // (a hand-over per row costs as much as reading a short row).
    std::shared_ptr<WholeRows> WholeAhead;
    std::shared_ptr<WholeRows> WholeNext;
    bool WholeNextOut = false;  // WholeNext is still being read
    size_t WholeAheadAt = 0;
    qsizetype WholeAheadByte = 0;
    std::uint64_t WholeAheadCursor = 0;
    // A statement posted to run while the caller goes on (see DbExecutePost): whether one is
    // there to collect, whether its execution still has to be waited for (with the code of an
    // execution that could not be posted), and its status once finished.
    bool Posted = false;
    bool PostedOut = false;
    int PostedSync = 0;
    DbStatus PostedStatus = 0;
    QString PostedSql;
    // The buffers the columns of a cursor read whole are bound to (none: read by SQLGetData).
    std::shared_ptr<WholeBinding> WholeBinds;
    DbStatus LastCode = 0;
    QString LastMessage;
    // The driver's text when the last execute, commit or rollback succeeded with a warning.
    QString LastWarning;
    // The driver's file name, read at connect: how a result is read depends on the driver.
    QString DriverName;
    // Rollbacks made on the connection. A cursor the driver reads through a server cursor does
    // not outlive one: it remembers the count of its execution.
    std::uint64_t Rollbacks = 0;
    std::uint64_t CursorRollbacks = 0;
    // Commits that succeeded on the connection: with the rollbacks they tell whether the work
    // counted as pending has ended meanwhile, whoever ended it.
    std::uint64_t Commits = 0;
    bool CursorDiesOnRollback = false;
    // Transactions the database rolled back by itself when a statement failed (counted in
    // Rollbacks too): the work since the last commit is gone.
    std::uint64_t FailureRollbacks = 0;
    // Whether a statement that may change data ran since the transaction last ended (a commit or
    // a rollback of the program's, or the connect): anything but a bare query counts.
    bool MayHoldChanges = false;
    // Set by a call whose diagnostics say that the connection is gone (the server stopped or
    // ended the session); the session services then close what is left of it.
    bool ConnectionLost = false;
    // Set when the connection was given up while a call was out: whatever fails until the next
    // connect fails for that reason.
    bool GivenUp = false;
    // Whether the call out is a commit, and whether the connection was given up during one: a
    // commit that may have reached the server is never reported as not made.
    bool CommitOut = false;
    bool GivenUpInCommit = false;
    // Whether a result is being set up or read through a connection of its own (ReadingDbc):
    // such a call is never given up, its connection not being the session's.
    bool ReadingAsideOut = false;
    // Results read through such a connection since the session began.
    std::uint64_t ResultsReadAside = 0;

    // Kept by the session services.
    std::int16_t Connected = 0;
    // Identity of the open connection: every connect gets a new one, so that a loop that yields
    // can tell a connection made meanwhile from its own.
    std::uint64_t ConnectionId = 0;
    std::uint64_t LastConnectionId = 0;
    std::int32_t LastRowCount = 0;
    std::int16_t LastColumnCount = 0;

    // The character set of every string passed to and from the driver manager: UTF-8, what the
    // drivers' narrow calls take and return here, whatever code page the files are in.
    CodePage Ansi{QByteArrayLiteral("UTF-8")};

    // The thread the driver calls that can wait run on (made at the first such call), and what
    // the wait for one shows (set by the main window; none: the wait shows nothing).
    std::shared_ptr<DriverWorker> Worker;
    const CallWaitHooks* WaitHooks = nullptr;
    // How long a server that stopped answering is waited for (tests set short ones).
    DeadLinkBounds Bounds;
};

}  // namespace varkel
