#include <QRegularExpression>
#include <functional>

#include "db/odbc_internal.h"
#include "db/odbc_lib.h"

namespace varkel {

using namespace odbc_internal;

void DropCursor(DbSession& s) {
    if (s.CursorOpen != 1) return;
    SettlePosted(s);
    SQLFreeStmt(s.CursorStmt.get(), SQL_CLOSE);
    s.CursorStmt.reset();
    s.CursorOpen = 0;
    s.CursorIsResult = false;
    s.CursorId = 0;
    ForgetWholeRows(s);
    s.ReadingTypes.clear();
    CloseReadingConnection(s.ReadingDbc);
}

namespace {

enum class TypedTransaction { None, Commit, Rollback };

// COMMIT or ROLLBACK standing alone (optionally WORK or TRANSACTION, blanks and one ";", any
// case) is the program's own command; anything longer, such as ROLLBACK TO SAVEPOINT or
// COMMIT PREPARED, is the server's and goes to the driver as typed. A leading blank sends even
// the plain keyword to the driver.
TypedTransaction ReadTypedTransaction(const QString& sql) {
    static const QRegularExpression pattern(
        QStringLiteral("^(COMMIT|ROLLBACK)(\\s+(WORK|TRANSACTION))?\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(sql);
    if (!match.hasMatch()) return TypedTransaction::None;
    return match.captured(1).toUpper() == QStringLiteral("COMMIT") ? TypedTransaction::Commit
                                                                   : TypedTransaction::Rollback;
}

// A call that returned SQL_SUCCESS_WITH_INFO did its work: its diagnostics become the session's
// warning and the status is 0. Anything else goes through CheckReturn.
DbStatus SucceededOrChecked(DbSession& s, SQLRETURN r) {
    if (r != SQL_SUCCESS_WITH_INFO) return CheckReturn(s, r);
    for (const DiagRecord& record : ReadDiagnostics(s)) {
        if (!s.LastWarning.isEmpty()) s.LastWarning += QStringLiteral("\r\n");
        s.LastWarning += record.text;
    }
    return CheckReturn(s, SQL_SUCCESS);
}

SQLRETURN Transact(DbSession& s, SQLUSMALLINT type) {
    void* const env = s.Env.get();
    void* const dbc = s.Dbc.get();
    const CommitOutMark mark(s, type == SQL_COMMIT);
    return static_cast<SQLRETURN>(
        OffThread(s, nullptr, [env, dbc, type] { return SQLTransact(env, dbc, type); }));
}

}  // namespace

namespace {

// Sets up the statement handle for `sql` on the session's connection; the call that executes it
// on the worker goes to `call`.
SQLRETURN BeginStatement(DbSession& s, const QString& sql, ExecMode mode, bool& serverCursor,
                         std::function<int()>& call) {
    // Only here can a statement change data: a connection of its own refuses any change.
    if (!IsBareQuery(sql)) s.MayHoldChanges = true;
    SQLRETURN r = SQLAllocStmt(s.Dbc.get(), s.ExecStmt.receive(&s.LiveStatements));
    if (r != SQL_SUCCESS) return r;
    r = SQLSetStmtOption(s.ExecStmt.get(), SQL_CURSOR_TYPE, SQL_CURSOR_FORWARD_ONLY);
    if (r != SQL_SUCCESS) return r;

    // A rollback typed for the server (to a savepoint) may close a server cursor too.
    if (sql.trimmed().startsWith(QStringLiteral("ROLLBACK"), Qt::CaseInsensitive)) ++s.Rollbacks;
    serverCursor = PrepareReadingCursor(s, s.ExecStmt.get(), sql, mode);
    QByteArray text = ToAnsi(s, ReadingText(s, sql, mode));
    call = [stmt = s.ExecStmt.get(), text]() mutable {
        return SQLExecDirect(stmt, Chars(text), static_cast<SQLINTEGER>(text.size()));
    };
    return SQL_SUCCESS;
}

// What follows the execution `r` of a statement begun by BeginStatement.
DbStatus EndStatement(DbSession& s, const QString& sql, ExecMode mode, SQLRETURN r) {
    EndReadingCursorSetup(s, sql, mode);
    if (r != SQL_SUCCESS && SucceededOrChecked(s, r) != 0) {
        NoteTransactionEndedByFailure(s);
        return s.LastCode;
    }
    KeepSqliteTransactionOpen(s, sql);
    return 0;
}

// The outcome of a statement executed on s.ExecStmt (or on a connection of its own, `reading`):
// its row count, or its result as the session's cursor.
DbStatus TakeOutcome(DbSession& s, bool serverCursor, OdbcDbc& reading,
                     std::vector<std::int16_t>& types, std::int32_t& rowCount,
                     std::int16_t& columnCount) {
    SQLSMALLINT columns = 0;
    SQLRETURN r = SQLNumResultCols(s.ExecStmt.get(), &columns);
    if (r != SQL_SUCCESS) return CheckReturn(s, r);

    if (columns < 1) {
        SQLLEN rows = 0;
        r = SQLRowCount(s.ExecStmt.get(), &rows);
        if (r != SQL_SUCCESS) return CheckReturn(s, r);
        rowCount = static_cast<std::int32_t>(rows);
        columnCount = 0;
        return 0;
    }

    s.RowsFetched = 0;
    DropCursor(s);
    s.CursorStmt = std::move(s.ExecStmt);
    s.ReadingDbc = std::move(reading);
    s.ReadingTypes = std::move(types);
    s.CursorOpen = 1;
    s.CursorIsResult = true;
    s.CursorRowByRow = false;
    s.CursorDiesOnRollback = serverCursor;
    s.CursorRollbacks = s.Rollbacks;
    s.CursorId = ++s.LastCursorId;
    s.CursorColumns = columns;
    columnCount = columns;
    rowCount = 0;
    return 0;
}

void FreeExecStatement(DbSession& s) {
    if (!s.ExecStmt) return;
    SQLFreeStmt(s.ExecStmt.get(), SQL_CLOSE);
    s.ExecStmt.reset();
}

}  // namespace

DbStatus ExecStatement(DbSession& s, const QString& sql, std::int32_t& rowCount,
                       std::int16_t& columnCount, ExecMode mode) {
    SettlePosted(s);
    s.LastWarning.clear();
    switch (ReadTypedTransaction(sql)) {
        case TypedTransaction::Commit:
            rowCount = 0;
            columnCount = 0;
            return CommitWork(s);
        case TypedTransaction::Rollback:
            rowCount = 0;
            columnCount = 0;
            return RollbackWork(s);
        case TypedTransaction::None:
            break;
    }

    FreeExecStatement(s);
    SQLRETURN r = SQL_SUCCESS;
    bool serverCursor = false;
    OdbcDbc reading;  // the result's own connection, if it gets one
    std::vector<std::int16_t> types;
    s.ReadingAsideOut = true;
    const bool aside = mode == ExecMode::Stream && ExecuteReadingAside(s, sql, reading, r, types);
    s.ReadingAsideOut = false;
    if (aside) {
        ++s.ResultsReadAside;
        if (r != SQL_SUCCESS) {  // stopped
            const DbStatus status = CheckReturn(s, r);
            s.ExecStmt.reset();
            CloseReadingConnection(reading);
            return status;
        }
    } else {
        std::function<int()> call;
        r = BeginStatement(s, sql, mode, serverCursor, call);
        if (r != SQL_SUCCESS) return CheckReturn(s, r);
        r = static_cast<SQLRETURN>(OffThread(s, s.ExecStmt.get(), std::move(call)));
        if (EndStatement(s, sql, mode, r) != 0) return s.LastCode;
    }
    return TakeOutcome(s, serverCursor, reading, types, rowCount, columnCount);
}

void PostStatement(DbSession& s, const QString& sql) {
    SettlePosted(s);
    s.PostedSql = sql;
    s.PostedOut = false;
    s.PostedStatus = 0;
    s.Posted = true;
    // The program's own commit or rollback is not sent as text: it runs now.
    if (ReadTypedTransaction(sql) != TypedTransaction::None) {
        s.PostedStatus = ExecStatement(s, sql, s.LastRowCount, s.LastColumnCount);
        return;
    }
    s.LastWarning.clear();
    FreeExecStatement(s);
    bool serverCursor = false;
    std::function<int()> call;
    const SQLRETURN r = BeginStatement(s, sql, ExecMode::Plain, serverCursor, call);
    if (r != SQL_SUCCESS) {
        s.PostedStatus = CheckReturn(s, r);
    } else if (WorkerOf(s).post(s.ExecStmt.get(), call)) {
        s.PostedOut = true;
    } else {  // a call is out already: this one waits for it
        s.PostedOut = true;
        s.PostedSync = static_cast<SQLRETURN>(OffThread(s, s.ExecStmt.get(), std::move(call)));
    }
}

DbStatus SettlePostedStatement(DbSession& s) {
    if (!s.Posted || !s.PostedOut) return s.PostedStatus;
    s.PostedOut = false;
    SQLRETURN r = s.PostedSync;
    s.PostedSync = SQL_SUCCESS;
    if (s.Worker && s.Worker->posted()) r = static_cast<SQLRETURN>(s.Worker->collect(s.WaitHooks));
    s.PostedStatus = EndStatement(s, s.PostedSql, ExecMode::Plain, r);
    if (s.PostedStatus == 0) {
        OdbcDbc none;
        std::vector<std::int16_t> types;
        s.LastRowCount = 0;
        s.LastColumnCount = 0;
        s.PostedStatus = TakeOutcome(s, false, none, types, s.LastRowCount, s.LastColumnCount);
    }
    return s.PostedStatus;
}

DbStatus CollectStatement(DbSession& s) {
    if (!s.Posted) return CheckReturn(s, SQL_INVALID_HANDLE);
    const DbStatus status = SettlePostedStatement(s);
    s.Posted = false;
    return status;
}

void SettlePosted(DbSession& s) {
    SettleReadAhead(s);
    SettlePostedStatement(s);
}

DbStatus DescribeColumns(DbSession& s, QStringList& names, std::vector<std::int16_t>& kinds) {
    const int count = s.CursorColumns;
    if (names.size() < count) names.resize(count);
    if (static_cast<int>(kinds.size()) < count) kinds.resize(static_cast<size_t>(count));
    for (int i = 1; i <= count; ++i) {
        char name[256] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT type = 0;
        SQLULEN precision = 0;
        SQLSMALLINT scale = 0;
        SQLSMALLINT nullable = 0;
        const SQLRETURN r = SQLDescribeCol(s.CursorStmt.get(), static_cast<SQLUSMALLINT>(i),
                                           reinterpret_cast<SQLCHAR*>(name), 255, &nameLength,
                                           &type, &precision, &scale, &nullable);
        // A name longer than the buffer arrives cut, with a warning: the column is described.
        if (!Succeeded(r)) return CheckReturn(s, r);
        names[i - 1] = FromBuffer(s, name, sizeof name);
        if (static_cast<size_t>(i - 1) < s.ReadingTypes.size())
            type = s.ReadingTypes[static_cast<size_t>(i - 1)];
        switch (type) {
            case SQL_CHAR:
            case SQL_VARCHAR:
            case SQL_LONGVARCHAR:
                kinds[static_cast<size_t>(i - 1)] = 1;
                break;
            case SQL_DATE:
            case SQL_TIME:
            case SQL_TIMESTAMP:
                kinds[static_cast<size_t>(i - 1)] = 2;
                break;
            default:
                kinds[static_cast<size_t>(i - 1)] = 0;
                break;
        }
    }
    return 0;
}

DbStatus CommitWork(DbSession& s) {
    s.LastWarning.clear();
    const DbStatus status = SucceededOrChecked(s, Transact(s, SQL_COMMIT));
    if (status == 0) {
        ++s.Commits;
        s.MayHoldChanges = false;
    } else {
        NoteTransactionEndedByFailure(s);
    }
    return status;
}

DbStatus RollbackWork(DbSession& s) {
    s.LastWarning.clear();
    ++s.Rollbacks;
    const DbStatus status = SucceededOrChecked(s, Transact(s, SQL_ROLLBACK));
    if (status == 0) s.MayHoldChanges = false;
    return status;
}

}  // namespace varkel
