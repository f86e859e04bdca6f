#include "raw_insert.h"

#include <sql.h>
#include <sqlext.h>

long RawInsert(const QString& connectString, const QList<QByteArray>& statements, int interval) {
    SQLHENV env = nullptr;
    SQLHDBC dbc = nullptr;
    SQLHSTMT stmt = nullptr;
    SQLAllocEnv(&env);
    SQLAllocConnect(env, &dbc);
    QByteArray in = connectString.toUtf8();
    long rows = -1;
    if (SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(in.data()),
                                       static_cast<SQLSMALLINT>(in.size()), nullptr, 0, nullptr,
                                       SQL_DRIVER_NOPROMPT))) {
        SQLSetConnectOption(dbc, SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF);
        SQLAllocStmt(dbc, &stmt);
        rows = 0;
        int pending = 0;
        for (const QByteArray& sql : statements) {
            const SQLRETURN r =
                SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.data())),
                              static_cast<SQLINTEGER>(sql.size()));
            SQLFreeStmt(stmt, SQL_CLOSE);
            if (r != SQL_SUCCESS) continue;
            ++rows;
            if (++pending == interval) {
                pending = 0;
                SQLTransact(env, dbc, SQL_COMMIT);
            }
        }
        if (pending > 0) SQLTransact(env, dbc, SQL_COMMIT);
        SQLFreeStmt(stmt, SQL_DROP);
        SQLDisconnect(dbc);
    }
    SQLFreeConnect(dbc);
    SQLFreeEnv(env);
    return rows;
}
