// A SQLite result read once from start to end (a save of a query's rows) without the driver
// holding it whole. SQLite's driver reads a result row by row from the file only outside a
// transaction and with its StepAPI option, which it takes only at the connect; the program runs
// its connection with automatic commit off, so the driver begins a transaction before every
// statement and holds every result whole. The query therefore runs on a second connection to the
// same file that commits automatically, reads step by step and is set to change nothing; it is
// used only when it sees exactly what the session's own connection would, so never while the
// session's transaction may hold a change, and never touches that transaction.

#include <algorithm>
#include <cstring>

#include "db/odbc_internal.h"
#include "db/odbc_lib.h"
#include "db/sql_comments.h"

namespace varkel {

using namespace odbc_internal;

namespace {

// The first word of a statement after blanks, comments and opening parentheses, in capitals.
QString FirstWord(const QString& sql) {
    const QString text = BlankLeadingComments(sql);
    qsizetype at = 0;
    while (at < text.size() && (text[at].isSpace() || text[at] == u'('))
        ++at;
    qsizetype end = at;
    while (end < text.size() && text[end].isLetter())
        ++end;
    return text.mid(at, end - at).toUpper();
}

// The connect string with `key` set to `value`: its first setting replaced and any later one
// removed, or the setting added.
QString WithSetting(const QString& connectString, const QString& key, const QString& value) {
    QStringList parts = connectString.split(u';', Qt::SkipEmptyParts);
    bool set = false;
    for (qsizetype i = 0; i < parts.size();) {
        const qsizetype equals = parts[i].indexOf(u'=');
        if (equals > 0 && parts[i].left(equals).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            if (set) {
                parts.removeAt(i);
                continue;
            }
            parts[i] = key + u'=' + value;
            set = true;
        }
        ++i;
    }
    if (!set) parts << key + u'=' + value;
    return parts.join(u';');
}

// Runs `sql` on `dbc` through a statement of its own; with `rows`, its rows (at most a few, each
// value as the list reads it). False when it failed or returned more rows than expected.
bool Query(DbSession& s, void* dbc, const char* sql, QList<QStringList>* rows = nullptr) {
    OdbcStmt statement;
    if (SQLAllocStmt(dbc, statement.receive(&s.LiveStatements)) != SQL_SUCCESS) return false;
    void* const stmt = statement.get();
    if (SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql)), SQL_NTS) !=
        SQL_SUCCESS)
        return false;
    if (!rows) return true;
    SQLSMALLINT columns = 0;
    if (SQLNumResultCols(stmt, &columns) != SQL_SUCCESS) return false;
    SQLRETURN r = SQL_SUCCESS;
    while ((r = SQLFetch(stmt)) == SQL_SUCCESS) {
        QStringList values;
        if (GetRowData(s, stmt, columns, values) != 0 || rows->size() >= 16) return false;
        rows->append(values);
    }
    return r == SQL_NO_DATA_FOUND;
}

// The file of the connection's main database when it has no other database attached and no
// temporary objects (which would hide a table of the file by its name); empty otherwise, and
// for a database in memory.
QString PlainMainFile(DbSession& s, void* dbc) {
    QList<QStringList> databases, temporary;
    if (!Query(s, dbc, "PRAGMA database_list", &databases) ||
        !Query(s, dbc, "SELECT count(*) FROM temp.sqlite_master", &temporary) ||
        temporary.size() != 1 || temporary[0].value(0) != QStringLiteral("0"))
        return {};
    QString file;
    for (const QStringList& database : databases) {
        const QString name = database.value(1);
        if (name == QStringLiteral("main"))
            file = database.value(2);
        else if (name != QStringLiteral("temp"))
            return {};
    }
    // A name as long as the value the list reads may have been cut.
    return file.toUtf8().size() < kMaxValueBytes ? file : QString();
}

// Whether no connection to the file holds a change that is not yet committed: only then can
// this connection begin a writing transaction at once (the connection waits a millisecond at
// most). It ends that transaction again before anything was written.
bool NothingPending(DbSession& s, void* dbc) {
    if (!Query(s, dbc, "BEGIN IMMEDIATE")) return false;
    return Query(s, dbc, "ROLLBACK");
}

// Whether the driver, reading step by step, described a column by a guess before any row was
// read: a column without a declared type (an expression) is then text, where a result read
// whole takes the type of the column's first value.
bool TypesGuessed(void* stmt) {
    SQLSMALLINT columns = 0;
    if (SQLNumResultCols(stmt, &columns) != SQL_SUCCESS) return true;
    for (SQLUSMALLINT c = 1; c <= columns; ++c) {
        char name[64] = {};
        SQLSMALLINT length = 0;
        SQLLEN number = 0;
        if (SQLColAttributes(stmt, c, SQL_COLUMN_TYPE_NAME, name, sizeof name - 1, &length,
                             &number) != SQL_SUCCESS ||
            std::strcmp(name, "varchar") == 0)
            return true;
    }
    return false;
}

bool ColumnTypes(void* stmt, std::vector<std::int16_t>& types) {
    SQLSMALLINT columns = 0;
    if (SQLNumResultCols(stmt, &columns) != SQL_SUCCESS) return false;
    types.assign(static_cast<size_t>(std::max<SQLSMALLINT>(columns, 0)), 0);
    for (SQLUSMALLINT c = 1; c <= columns; ++c) {
        SQLSMALLINT type = 0;
        if (!Succeeded(
                SQLDescribeCol(stmt, c, nullptr, 0, nullptr, &type, nullptr, nullptr, nullptr)))
            return false;
        types[c - 1u] = type;
    }
    return true;
}

}  // namespace

namespace odbc_internal {

bool IsBareQuery(const QString& sql) {
    const QString word = FirstWord(sql);
    return word == QStringLiteral("SELECT") || word == QStringLiteral("VALUES");
}

void CloseReadingConnection(OdbcDbc& dbc) {
    if (!dbc) return;
    SQLDisconnect(dbc.get());
    dbc.reset();
}

bool ExecuteReadingAside(DbSession& s, const QString& sql, OdbcDbc& reading, SQLRETURN& r,
                         std::vector<std::int16_t>& types) {
    types.clear();
    if (!IsSqliteOdbc(s) || s.MayHoldChanges || s.ConnectString.contains(u'{')) return false;
    // A statement that begins WITH may still change data: the connection refuses any change.
    const QString word = FirstWord(sql);
    if (!IsBareQuery(sql) && word != QStringLiteral("WITH")) return false;
    // The checks wait on the worker as every call that may wait for a lock does.
    QString file;
    OffThread(s, nullptr, [&] {
        file = PlainMainFile(s, s.Dbc.get());
        return 0;
    });
    if (file.isEmpty()) return false;

    QString settings = WithSetting(s.ConnectString, QStringLiteral("StepAPI"), QStringLiteral("1"));
    settings = WithSetting(settings, QStringLiteral("Timeout"), QStringLiteral("1"));
    settings = WithSetting(settings, QStringLiteral("NoCreat"), QStringLiteral("1"));
    QByteArray in = ToAnsi(s, settings);
    if (SQLAllocConnect(s.Env.get(), reading.receive()) != SQL_SUCCESS) return false;
    void* const dbc = reading.get();
    char out[1024] = {};
    SQLSMALLINT outLength = 0;
    r = static_cast<SQLRETURN>(OffThread(s, nullptr, [&] {
        return SQLDriverConnect(dbc, nullptr, Chars(in), static_cast<SQLSMALLINT>(in.size()),
                                reinterpret_cast<SQLCHAR*>(out), sizeof out - 1, &outLength,
                                SQL_DRIVER_NOPROMPT);
    }));
    if (!Succeeded(r)) {
        reading.reset();
        return false;
    }
    const auto notUsed = [&] {
        s.ExecStmt.reset();
        CloseReadingConnection(reading);
        return false;
    };
    // The same file, nothing of anyone's pending in it, and nothing this connection runs can
    // change it: the session's transaction, holding no change, sees what this one sees.
    const int sameView = OffThread(s, nullptr, [&] {
        const bool same = PlainMainFile(s, dbc) == file && NothingPending(s, dbc) &&
                          Query(s, dbc, "PRAGMA query_only = 1");
        return same ? 1 : 0;
    });
    if (sameView != 1) return notUsed();

    // A stop ends the statement here; any other failure (a change refused, say) leaves it to the
    // session's own connection, which reports what it reports.
    const auto stoppedOrNotUsed = [&] {
        return s.Worker && s.Worker->stopped() ? true : notUsed();
    };
    QByteArray text = ToAnsi(s, sql);
    const auto prepare = [&](bool firstRowWhole) {
        if (SQLAllocStmt(dbc, s.ExecStmt.receive(&s.LiveStatements)) != SQL_SUCCESS) return false;
        void* const stmt = s.ExecStmt.get();
        if (firstRowWhole && SQLSetStmtOption(stmt, SQL_MAX_ROWS, 1) != SQL_SUCCESS) return false;
        return SQLSetStmtOption(stmt, SQL_CURSOR_TYPE,
                                firstRowWhole ? SQL_CURSOR_STATIC : SQL_CURSOR_FORWARD_ONLY) ==
                   SQL_SUCCESS &&
               SQLPrepare(stmt, Chars(text), static_cast<SQLINTEGER>(text.size())) == SQL_SUCCESS;
    };
    const auto execute = [&] {
        void* const stmt = s.ExecStmt.get();
        r = static_cast<SQLRETURN>(OffThread(s, stmt, [stmt] { return SQLExecute(stmt); }));
        return r == SQL_SUCCESS;
    };
    if (!prepare(false)) return notUsed();
    if (TypesGuessed(s.ExecStmt.get())) {
        // The types as a result read whole has them come from its first row, which is read
        // (whole) for them alone.
        if (!prepare(true)) return notUsed();
        if (!execute()) return stoppedOrNotUsed();
        if (!ColumnTypes(s.ExecStmt.get(), types) || !prepare(false)) return notUsed();
    }
    if (!execute()) return stoppedOrNotUsed();
    SQLSMALLINT columns = 0;
    if (SQLNumResultCols(s.ExecStmt.get(), &columns) != SQL_SUCCESS || columns < 1 ||
        (!types.empty() && types.size() != static_cast<size_t>(columns)))
        return notUsed();
    return true;
}

}  // namespace odbc_internal

}  // namespace varkel
