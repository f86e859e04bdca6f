#include "support/admin_connection.h"

#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

namespace varkel::test {

AdminConnection::AdminConnection(const QString& connectString) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLHDBC dbc = nullptr;
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc);
    QByteArray in = connectString.toUtf8();
    const SQLRETURN r = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(in.data()),
                                         static_cast<SQLSMALLINT>(in.size()), nullptr, 0, nullptr,
                                         SQL_DRIVER_NOPROMPT);
    if (SQL_SUCCEEDED(r)) {
        dbc_ = dbc;
        return;
    }
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR text[1024] = {};
    SQLSMALLINT length = 0;
    SQLGetDiagRec(SQL_HANDLE_DBC, dbc, 1, state, &native, text, sizeof text, &length);
    error_ = QString::fromUtf8(reinterpret_cast<char*>(text));
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
}

AdminConnection::~AdminConnection() {
    if (dbc_) {
        SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    }
    if (env_) SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

QString AdminConnection::diagnostics(void* stmt) {
    QString all;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR text[1024] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRec(SQL_HANDLE_STMT, stmt, i, state, &native, text,
                                         sizeof text, &length)))
            break;
        all += QString::fromUtf8(reinterpret_cast<char*>(text)) + u'\n';
    }
    return all;
}

bool AdminConnection::exec(const QString& sql, bool mayFail) {
    if (!dbc_) {
        ADD_FAILURE() << "no admin connection: " << error_.toStdString();
        return false;
    }
    SQLHSTMT stmt = nullptr;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt);
    QByteArray text = sql.toUtf8();
    const SQLRETURN r = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()),
                                      static_cast<SQLINTEGER>(text.size()));
    const bool ok = SQL_SUCCEEDED(r) || r == SQL_NO_DATA;
    if (!ok && !mayFail) ADD_FAILURE() << sql.toStdString() << ": " << diagnostics(stmt).toStdString();
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return ok;
}

QStringList AdminConnection::rows(const QString& sql) {
    QStringList result;
    if (!dbc_) {
        ADD_FAILURE() << "no admin connection: " << error_.toStdString();
        return result;
    }
    SQLHSTMT stmt = nullptr;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt);
    QByteArray text = sql.toUtf8();
    if (!SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()),
                                     static_cast<SQLINTEGER>(text.size())))) {
        ADD_FAILURE() << sql.toStdString() << ": " << diagnostics(stmt).toStdString();
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        return result;
    }
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    while (SQL_SUCCEEDED(SQLFetch(stmt))) {
        QStringList values;
        for (SQLUSMALLINT c = 1; c <= columns; ++c) {
            char buffer[4096] = {};
            SQLLEN indicator = 0;
            SQLGetData(stmt, c, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
            values << (indicator == SQL_NULL_DATA ? QStringLiteral("<null>")
                                                  : QString::fromUtf8(buffer));
        }
        result << values.join(u'|');
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return result;
}

}  // namespace varkel::test
