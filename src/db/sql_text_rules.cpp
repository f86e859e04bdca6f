#include "db/sql_text_rules.h"

#include "db/odbc_internal.h"

namespace varkel {

using namespace odbc_internal;

namespace {

QString InfoText(DbSession& s, SQLUSMALLINT kind) {
    char text[256] = {};
    SQLSMALLINT length = 0;
    if (!Succeeded(SQLGetInfo(s.Dbc.get(), kind, text, sizeof text - 1, &length))) return {};
    return FromBuffer(s, text, sizeof text);
}

// The first column of the first row of `sql`, run on a statement handle of its own.
bool AskScalar(DbSession& s, const char* sql, QString& value) {
    OdbcStmt stmt;
    if (!Succeeded(SQLAllocStmt(s.Dbc.get(), stmt.receive(&s.LiveStatements)))) return false;
    QByteArray text(sql);
    if (!Succeeded(SQLExecDirect(stmt.get(), Chars(text), SQL_NTS))) return false;
    if (!Succeeded(SQLFetch(stmt.get()))) return false;
    char buffer[1024] = {};
    SQLLEN indicator = 0;
    if (!Succeeded(SQLGetData(stmt.get(), 1, SQL_C_CHAR, buffer, sizeof buffer - 1, &indicator)))
        return false;
    value = indicator == SQL_NULL_DATA ? QString() : FromBuffer(s, buffer, sizeof buffer);
    SQLFreeStmt(stmt.get(), SQL_CLOSE);
    return true;
}

}  // namespace

LiteralBackslash LiteralBackslashRule(DbSession& s) {
    if (!s.Dbc) return LiteralBackslash::Unknown;
    const QString dbms = InfoText(s, SQL_DBMS_NAME);
    QString value;
    if (dbms.contains(QStringLiteral("MariaDB"), Qt::CaseInsensitive) ||
        dbms.contains(QStringLiteral("MySQL"), Qt::CaseInsensitive)) {
        if (!AskScalar(s, "SELECT @@SESSION.sql_mode", value)) return LiteralBackslash::Unknown;
        return value.contains(QStringLiteral("NO_BACKSLASH_ESCAPES"), Qt::CaseInsensitive)
                   ? LiteralBackslash::Plain
                   : LiteralBackslash::Escape;
    }
    if (dbms.contains(QStringLiteral("PostgreSQL"), Qt::CaseInsensitive)) {
        if (!AskScalar(s, "SHOW standard_conforming_strings", value))
            return LiteralBackslash::Unknown;
        return value.trimmed().compare(QStringLiteral("off"), Qt::CaseInsensitive) == 0
                   ? LiteralBackslash::Escape
                   : LiteralBackslash::Plain;
    }
    return LiteralBackslash::Plain;
}

}  // namespace varkel
