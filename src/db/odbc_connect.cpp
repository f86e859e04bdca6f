#include <odbcinst.h>

#include <algorithm>

#include "db/odbc_internal.h"
#include "db/odbc_lib.h"

namespace varkel {

using namespace odbc_internal;

namespace {

// The value after `key` (case-sensitive, first occurrence) up to the next ";", or to the end of
// the string when the key is the last element.
bool TakeKeyValue(const QString& connectString, const QString& key, QString& value) {
    const qsizetype at = connectString.indexOf(key);
    if (at < 0) return false;
    const qsizetype start = at + key.size();
    const qsizetype end = connectString.indexOf(u';', start);
    value = connectString.mid(start, end < 0 ? -1 : end - start);
    return true;
}

bool HasState(const std::vector<DiagRecord>& records, const char* state) {
    for (const DiagRecord& record : records)
        if (record.state == state) return true;
    return false;
}

// Whether the driver failed only because it has no dialog to prompt with.
bool FoundNoDialog(const std::vector<DiagRecord>& records) {
    for (const DiagRecord& record : records)
        if (record.text.contains(QStringLiteral("setup library"), Qt::CaseInsensitive)) return true;
    return false;
}

// Disconnects; a disconnect refused because work is still open (the commit before it failed)
// rolls that work back and disconnects again, so that the handles can be freed.
int Disconnect(DbSession& s) {
    void* const env = s.Env.get();
    void* const dbc = s.Dbc.get();
    const SQLRETURN r =
        static_cast<SQLRETURN>(OffThread(s, nullptr, [dbc] { return SQLDisconnect(dbc); }));
    if (r != SQL_ERROR) return r;
    ReadDiagnostics(s);
    return OffThread(s, nullptr, [env, dbc] {
        SQLTransact(env, dbc, SQL_ROLLBACK);
        return SQLDisconnect(dbc);
    });
}

// SQLDriverConnect on the worker: a server that does not answer keeps no window frozen.
SQLRETURN DriverConnect(DbSession& s, SQLHWND window, QByteArray& in, char (&out)[1024],
                        SQLSMALLINT& outLength, SQLUSMALLINT completion) {
    void* const dbc = s.Dbc.get();
    return static_cast<SQLRETURN>(OffThread(s, nullptr, [&] {
        return SQLDriverConnect(dbc, window, Chars(in), static_cast<SQLSMALLINT>(in.size()),
                                reinterpret_cast<SQLCHAR*>(out), 1023, &outLength, completion);
    }));
}

}  // namespace

DbStatus OpenConnection(DbSession& s, std::uintptr_t ownerWindow, const QString& dataSource,
                        QString& userId, QString& password, const QString& driver,
                        QString& connectString) {
    s.OwnerWindow = ownerWindow;
    s.ConnectionLost = false;
    s.GivenUp = false;
    s.GivenUpInCommit = false;
    if (!dataSource.isEmpty() && !userId.isEmpty())
        s.ConnectString = QStringLiteral("DSN=") + dataSource + QStringLiteral(";UID=") + userId +
                          QStringLiteral(";PWD=") + password + QStringLiteral(";");
    else if (!dataSource.isEmpty())
        s.ConnectString = QStringLiteral("DSN=") + dataSource + QStringLiteral(";");
    else if (!driver.isEmpty())
        s.ConnectString = QStringLiteral("DRIVER=") + driver + QStringLiteral(";");
    else
        s.ConnectString = connectString;

    SQLRETURN r = SQLAllocConnect(s.Env.get(), s.Dbc.receive());
    if (r != SQL_SUCCESS) return CheckReturn(s, r);

    // unixODBC takes its own window record as the parent of a dialog, not a bare window id.
    ODBCINSTWND parent{};
    parent.hWnd = reinterpret_cast<HWND>(s.OwnerWindow);
    SQLHWND window = s.OwnerWindow ? reinterpret_cast<SQLHWND>(&parent) : nullptr;

    // A server that does not answer the connect is given up after the login timeout; one that
    // stops answering later is noticed by its socket (see DeadLinkBounds).
    SQLSetConnectOption(s.Dbc.get(), SQL_LOGIN_TIMEOUT,
                        static_cast<SQLULEN>(std::max(0, s.Bounds.loginTimeoutS)));
    const std::vector<std::uint64_t> socketsBefore = TcpSocketInodes();

    QByteArray in = ToAnsi(s, s.ConnectString);
    char out[1024] = {};
    SQLSMALLINT outLength = 0;
    r = DriverConnect(s, window, in, out, outLength, SQL_DRIVER_COMPLETE);
    if (!Succeeded(r)) {
        // A cancelled prompt (no data) and an invalid handle keep their own statuses.
        if (r != SQL_ERROR) return CheckReturn(s, r);
        const std::vector<DiagRecord> records = ReadDiagnostics(s);
        // No driver can show its dialog here: ask again without one, so that the user reads the
        // real reason (wrong password, unknown user) instead of "Dialog failed" — or, given a
        // window, MariaDB's "Couldn't determine setup library" (S1000).
        if (!HasState(records, "IM008") && !FoundNoDialog(records))
            return StatusFromDiagnostics(s, r, records);
        std::memset(out, 0, sizeof out);
        r = DriverConnect(s, window, in, out, outLength, SQL_DRIVER_NOPROMPT);
        if (!Succeeded(r)) return CheckReturn(s, r);
    }

    // No driver here has an option for all of it (MariaDB's has none, psqlODBC's no count and
    // no timeout for data left unacknowledged), so the bounds go on the connection's own socket.
    BoundNewSockets(socketsBefore, s.Bounds);

    s.ConnectString = FromBuffer(s, out, sizeof out);
    connectString = s.ConnectString;
    TakeKeyValue(s.ConnectString, QStringLiteral(";UID="), userId);
    TakeKeyValue(s.ConnectString, QStringLiteral(";PWD="), password);

    r = SQLSetConnectOption(s.Dbc.get(), SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF);
    if (r != SQL_SUCCESS) {
        // The connection is open but unusable as the program runs it: close it again so that
        // neither it nor the environment stays behind.
        const DbStatus status = CheckReturn(s, r);
        Disconnect(s);
        s.Dbc.reset();
        return status;
    }

    s.CursorOpen = 0;
    s.CursorId = 0;
    ReadDriverName(s);
    SQLUSMALLINT supported = SQL_FALSE;
    SQLGetFunctions(s.Dbc.get(), SQL_API_SQLEXTENDEDFETCH, &supported);
    s.OdbcConnected = 1;
    s.BlockFetch = supported == SQL_TRUE;
    return 0;
}

void AbandonConnection(DbSession& s) {
    s.ConnectionLost = false;
    if (s.OdbcConnected == 0) return;
    ++s.FailureRollbacks;  // the server ends the transaction with the connection
    s.ExecStmt.reset();
    DropCursor(s);
    Disconnect(s);
    s.Dbc.reset();
    s.OdbcConnected = 0;
}

QString AbandonedText(const DbSession& s) {
    return s.GivenUpInCommit
               ? QStringLiteral(
                     "[OdbcLib]サーバーが応答しないため、接続を破棄しました。COMMITが"
                     "サーバーに届いたかどうかはわかりません。")
               : QStringLiteral(
                     "[OdbcLib]サーバーが応答しないため、接続を破棄しました。コミットはしていま"
                     "せん。");
}

bool CanGiveUpConnection(const DbSession& s) {
    return s.OdbcConnected != 0 && s.Worker && s.Worker->busy() && !s.ReadingAsideOut &&
           !s.ReadingDbc;
}

bool GiveUpConnection(DbSession& s) {
    if (!CanGiveUpConnection(s)) return false;
    // What the call out works on goes with it; members are freed in reverse order: the
    // statements, then the connection (rolled back, never committed), then the environment.
    struct Left {
        OdbcEnv env;
        OdbcDbc dbc;
        OdbcStmt exec;
        OdbcStmt cursor;
        std::vector<char> blockData;
        std::vector<long> blockLengths;
        std::shared_ptr<WholeBinding> wholeBinds;
    };
    auto left = std::make_shared<Left>();
    left->env = std::move(s.Env);
    left->dbc = std::move(s.Dbc);
    left->exec = std::move(s.ExecStmt);
    left->cursor = std::move(s.CursorStmt);
    // They are freed on the worker's thread, maybe after the session is gone: no longer its.
    int* const execCounter = left->exec.uncount();
    int* const cursorCounter = left->cursor.uncount();
    left->blockData = std::move(s.BlockData);
    left->blockLengths = std::move(s.BlockLengths);
    left->wholeBinds = s.WholeBinds;
    if (!s.Worker->abandon([left]() mutable { left.reset(); })) {  // the call came back
        s.Env = std::move(left->env);
        s.Dbc = std::move(left->dbc);
        left->exec.recount(execCounter);
        left->cursor.recount(cursorCounter);
        s.ExecStmt = std::move(left->exec);
        s.CursorStmt = std::move(left->cursor);
        s.BlockData = std::move(left->blockData);
        s.BlockLengths = std::move(left->blockLengths);
        return false;
    }
    s.Worker.reset();
    s.OdbcConnected = 0;
    s.CursorOpen = 0;
    s.CursorIsResult = false;
    s.CursorId = 0;
    s.DataSourceScan = s.DriverScan = s.TableScan = s.ColumnScan = s.KeyScan = false;
    s.PrimaryKeyScan = false;
    ForgetWholeRows(s);
    s.Posted = s.PostedOut = false;
    s.ConnectionLost = false;
    s.GivenUp = true;
    s.GivenUpInCommit = s.CommitOut;
    // The server rolls the transaction back when it notices (a commit that was out aside).
    if (!s.CommitOut) ++s.FailureRollbacks;
    s.LastCode = -9999;
    s.LastMessage = AbandonedText(s);
    return true;
}

int CloseConnection(DbSession& s, DbStatus* commitStatus) {
    // What the worker still does for the caller is done before the connection goes.
    SettlePosted(s);
    if (s.OdbcConnected == 0) return 0;
    void* const env = s.Env.get();
    void* const dbc = s.Dbc.get();
    SQLRETURN commit = SQL_SUCCESS;
    {
        const CommitOutMark mark(s, true);
        commit = static_cast<SQLRETURN>(
            OffThread(s, nullptr, [env, dbc] { return SQLTransact(env, dbc, SQL_COMMIT); }));
    }
    int result = commit == SQL_SUCCESS_WITH_INFO ? SQL_SUCCESS : commit;
    // The driver's text of a failed commit is kept for the caller to show.
    const DbStatus status = commit == SQL_SUCCESS ? 0 : CheckReturn(s, commit);
    if (commitStatus) *commitStatus = commit == SQL_SUCCESS_WITH_INFO ? 0 : status;
    // Only a statement that exists is dropped: dropping none would answer SQL_INVALID_HANDLE
    // and report a clean disconnect as a failure.
    result |= s.ExecStmt.reset();
    if (s.CursorOpen == 1) {
        result |= s.CursorStmt.reset();
        ForgetWholeRows(s);
        s.CursorOpen = 0;
        s.CursorIsResult = false;
        s.CursorId = 0;
    }
    result |= Disconnect(s);
    result |= s.Dbc.reset();
    s.OdbcConnected = 0;
    return result;
}

}  // namespace varkel
