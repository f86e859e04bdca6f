#include <algorithm>

#include "db/odbc_internal.h"
#include "db/odbc_lib.h"

namespace varkel {

using namespace odbc_internal;

namespace odbc_internal {

std::vector<DiagRecord> ReadDiagnostics(DbSession& s) {
    std::vector<DiagRecord> records;
    struct Scope {
        SQLHENV env;
        SQLHDBC dbc;
        SQLHSTMT stmt;
    };
    const Scope scopes[] = {{SQL_NULL_HENV, SQL_NULL_HDBC, s.ExecStmt.get()},
                            {SQL_NULL_HENV, SQL_NULL_HDBC, s.CursorStmt.get()},
                            {SQL_NULL_HENV, s.Dbc.get(), SQL_NULL_HSTMT},
                            {s.Env.get(), SQL_NULL_HDBC, SQL_NULL_HSTMT}};
    for (const Scope& scope : scopes) {
        if (!scope.env && !scope.dbc && !scope.stmt) continue;
        for (;;) {
            SQLCHAR state[10] = {};
            SQLINTEGER native = 0;
            SQLCHAR message[512] = {};
            SQLSMALLINT length = 0;
            const SQLRETURN r = SQLError(scope.env, scope.dbc, scope.stmt, state, &native, message,
                                         sizeof message, &length);
            if (!Succeeded(r)) break;
            if (length <= 0) continue;
            DiagRecord record;
            record.state = QByteArray(reinterpret_cast<const char*>(state),
                                      static_cast<qsizetype>(strnlen(
                                          reinterpret_cast<const char*>(state), sizeof state)));
            record.native = native;
            record.text = FromBuffer(s, reinterpret_cast<const char*>(message), sizeof message);
            records.push_back(std::move(record));
        }
    }
    return records;
}

namespace {

// Class 08 is a connection exception; 57P01-57P03 is a server shutting down or ending the
// session (PostgreSQL). The MariaDB driver reports a server that went away as HY000 with the
// client library's own codes: server gone 2006, lost 2013 and 2055, write and read errors 5014
// and 5013; the server's own 1927 says that it ended the session.
bool TellsOfLostConnection(const DbSession& s, const DiagRecord& record) {
    if (record.state.startsWith("08") || record.state.startsWith("57P0")) return true;
    if (!IsMariaDbOdbc(s)) return false;
    for (const long code : {1927L, 2006L, 2013L, 2055L, 5013L, 5014L})
        if (record.native == code) return true;
    return false;
}

}  // namespace

DbStatus StatusFromDiagnostics(DbSession& s, int rawCode, const std::vector<DiagRecord>& records) {
    DbStatus code = 0;
    QString message;
    for (const DiagRecord& record : records) {
        if (TellsOfLostConnection(s, record)) s.ConnectionLost = true;
        if (!message.isEmpty()) message += QStringLiteral("\r\n");
        message += record.text;
        if (code == 0)
            code = static_cast<DbStatus>(std::clamp(-record.native, -2147483647L, 2147483647L));
    }
    if (code == -1) code = -9;
    if (code == 0) {
        code = rawCode == SQL_ERROR ? -9999 : -9998;
        if (message.isEmpty())
            message = QStringLiteral("[OdbcLib]NO ERROR CODE FOUND! (TRIGGER OR OTHER ERROR?)");
    }
    s.LastCode = code;
    s.LastMessage = message;
    return code;
}

void ReadSlot(const DbSession& s, const char* slot, size_t size, SQLLEN indicator, QString& value) {
    if (indicator == SQL_NULL_DATA) {
        value.resize(0);
        return;
    }
    size_t length = strnlen(slot, size);
    if (indicator >= 0 && static_cast<size_t>(indicator) < length)
        length = static_cast<size_t>(indicator);
    const qsizetype kept =
        s.Ansi.wholeCharacterPrefix(slot, static_cast<qsizetype>(length), kMaxValueBytes);
    s.Ansi.decodeInto(value, slot, kept);
}

}  // namespace odbc_internal

DbStatus CheckReturn(DbSession& s, int rawCode) {
    // What the calls still on their way after a give-up meet (handles gone) has that reason.
    if (s.GivenUp && rawCode != SQL_SUCCESS) rawCode = DriverWorker::kAbandoned;
    switch (rawCode) {
        case SQL_SUCCESS:
            s.LastCode = 0;
            s.LastMessage.clear();
            break;
        case SQL_ERROR:
        case SQL_SUCCESS_WITH_INFO:
            return StatusFromDiagnostics(s, rawCode, ReadDiagnostics(s));
        case DriverWorker::kAbandoned:
            // The connection was given up while this call was out (see GiveUpConnection).
            s.LastCode = -9999;
            s.LastMessage = AbandonedText(s);
            break;
        case SQL_INVALID_HANDLE:
            s.LastCode = 9999;
            s.LastMessage = QStringLiteral("[OdbcLib]INVALID HANDLE:プログラムエラー");
            break;
        case SQL_NO_DATA_FOUND:
            s.LastCode = 100;
            s.LastMessage = QStringLiteral("[OdbcLib]NO DATA FOUND");
            break;
        default:
            s.LastCode = rawCode;
            s.LastMessage = QStringLiteral("[OdbcLib]エラー");
            break;
    }
    return s.LastCode;
}

QString PeekLastMessage(const DbSession& s) {
    return s.LastMessage;
}

QString TakeLastMessage(DbSession& s) {
    return std::exchange(s.LastMessage, QString());
}

std::int32_t AnsiByteLength(const DbSession& s, const QString& text) {
    return static_cast<std::int32_t>(s.Ansi.encode(text).size());
}

}  // namespace varkel
