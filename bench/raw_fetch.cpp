#include "raw_fetch.h"

#include <sql.h>
#include <sqlext.h>

#include <vector>

long RawBlockFetch(const QString& connectString, const QString& sql) {
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
        QByteArray text = sql.toUtf8();
        if (SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()),
                          static_cast<SQLINTEGER>(text.size())) == SQL_SUCCESS) {
            SQLSMALLINT columns = 0;
            SQLNumResultCols(stmt, &columns);
            std::vector<char> data(static_cast<size_t>(columns) * 256 * 256);
            std::vector<SQLLEN> lengths(static_cast<size_t>(columns) * 256);
            SQLSetStmtOption(stmt, SQL_ROWSET_SIZE, 256);
            for (SQLUSMALLINT c = 0; c < columns; ++c)
                SQLBindCol(stmt, c + 1, SQL_C_CHAR, data.data() + c * 65536, 256,
                           lengths.data() + c * 256);
            rows = 0;
            SQLULEN fetched = 0;
            SQLUSMALLINT status[256];
            while (SQL_SUCCEEDED(SQLExtendedFetch(stmt, SQL_FETCH_NEXT, 0, &fetched, status)))
                rows += static_cast<long>(fetched);
        }
        SQLFreeStmt(stmt, SQL_DROP);
        SQLTransact(env, dbc, SQL_COMMIT);
        SQLDisconnect(dbc);
    }
    SQLFreeConnect(dbc);
    SQLFreeEnv(env);
    return rows;
}
