#include "db/table_undo.h"

#include <QRegularExpression>

#include "db/odbc_handles.h"
#include "db/odbc_internal.h"

namespace varkel {

using namespace odbc_internal;

bool TakesBackFailedStatements(DbSession& s, const QString& target) {
    if (!IsMariaDbOdbc(s)) return true;
    // A statement of its own, so the session's cursor and diagnostics stay as they were.
    OdbcStmt statement;
    if (SQLAllocStmt(s.Dbc.get(), statement.receive(&s.LiveStatements)) != SQL_SUCCESS)
        return false;
    QByteArray sql = ToAnsi(s, QStringLiteral("SHOW CREATE TABLE ") + target);
    if (!SQL_SUCCEEDED(
            SQLExecDirect(statement.get(), Chars(sql), static_cast<SQLINTEGER>(sql.size()))) ||
        !SQL_SUCCEEDED(SQLFetch(statement.get())))
        return false;
    QByteArray definition;
    bool null = false;
    if (!SQL_SUCCEEDED(GetWholeValue(statement.get(), 2, definition, null)) || null) return false;
    // A view has no ENGINE clause and is not trusted either.
    static const QRegularExpression engine(QStringLiteral(R"(\)\s*ENGINE\s*=\s*InnoDB\b)"),
                                           QRegularExpression::CaseInsensitiveOption);
    return engine.match(s.Ansi.decode(definition)).hasMatch();
}

}  // namespace varkel
