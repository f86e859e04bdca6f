// Some failures end the whole transaction at the database, not only the statement: SQLite rolls
// back on a full disk, an I/O error, an interrupted change or an OR ROLLBACK conflict; InnoDB
// rolls back the transaction it chose as a deadlock's victim. The user's
// uncommitted work is then gone, and the program must neither count it as pending nor let a
// later COMMIT look as if it kept it.

#include <QRegularExpression>

#include "db/odbc_internal.h"

namespace varkel::odbc_internal {

namespace {

// SQLite's driver goes on believing in the transaction it began, so every later COMMIT and
// ROLLBACK would fail ("no transaction is active") and the statements after it would commit
// one by one. A BEGIN of the program's own succeeds only where the database has no transaction
// open, and then opens the one the driver believes in.
bool SqliteRolledBack(DbSession& s) {
    OdbcStmt statement;
    if (SQLAllocStmt(s.Dbc.get(), statement.receive(&s.LiveStatements)) != SQL_SUCCESS)
        return false;
    char begin[] = "BEGIN";
    return SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(begin), SQL_NTS) ==
           SQL_SUCCESS;
}

}  // namespace

void KeepSqliteTransactionOpen(DbSession& s, const QString& sql) {
    // A transaction's end typed for the driver (END, or COMMIT or ROLLBACK not taken as the
    // program's own command) ends SQLite's transaction behind its driver's back: the statements
    // after it would each commit by itself.
    static const QRegularExpression ends(
        QStringLiteral("^\\s*(END|COMMIT|ROLLBACK)\\b(?![\\s\\S]*\\bTO\\b)"),
        QRegularExpression::CaseInsensitiveOption);
    if (s.Dbc && IsSqliteOdbc(s) && ends.match(sql).hasMatch()) SqliteRolledBack(s);
}

void NoteTransactionEndedByFailure(DbSession& s) {
    if (!s.Dbc || s.ConnectionLost) return;
    // MariaDB's deadlock (1213) ends the transaction; its lock wait timeout only the statement.
    constexpr DbStatus kMariaDbDeadlock = -1213;
    const bool ended =
        IsMariaDbOdbc(s) ? s.LastCode == kMariaDbDeadlock : IsSqliteOdbc(s) && SqliteRolledBack(s);
    if (!ended) return;
    ++s.Rollbacks;
    ++s.FailureRollbacks;
    if (!s.LastMessage.isEmpty()) s.LastMessage += QStringLiteral("\r\n");
    s.LastMessage += QStringLiteral(
        "[OdbcLib]データベースがトランザクションをロールバックしました。"
        "COMMITしていない変更は取り消されています。");
}

}  // namespace varkel::odbc_internal
