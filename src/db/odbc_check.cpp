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

DbStatus StatusFromDiagnostics(DbSession& s, int rawCode, const std::vector<DiagRecord>& records) {
    DbStatus code = 0;
    QString message;
    for (const DiagRecord& record : records) {
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
    switch (rawCode) {
        case SQL_SUCCESS:
            s.LastCode = 0;
            s.LastMessage.clear();
            break;
        case SQL_ERROR:
        case SQL_SUCCESS_WITH_INFO:
            return StatusFromDiagnostics(s, rawCode, ReadDiagnostics(s));
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
