#include "raw_catalog.h"

#include <sql.h>
#include <sqlext.h>

#include <memory>
#include <vector>

namespace {

struct StatementFree {
    void operator()(void* stmt) const { SQLFreeStmt(stmt, SQL_DROP); }
};
using Statement = std::unique_ptr<void, StatementFree>;

// A name as the catalog functions take it: empty is a null pointer ("any").
struct Name {
    explicit Name(const QString& text) : bytes(text.toUtf8()) {}
    SQLCHAR* pointer() {
        return bytes.isEmpty() ? nullptr : reinterpret_cast<SQLCHAR*>(bytes.data());
    }
    SQLSMALLINT length() const { return static_cast<SQLSMALLINT>(bytes.size()); }
    QByteArray bytes;
};

}  // namespace

RawCatalog::RawCatalog(const QString& connectString) {
    SQLAllocEnv(reinterpret_cast<SQLHENV*>(&env_));
    SQLAllocConnect(env_, reinterpret_cast<SQLHDBC*>(&dbc_));
    QByteArray in = connectString.toUtf8();
    connected_ = SQL_SUCCEEDED(SQLDriverConnect(
        dbc_, nullptr, reinterpret_cast<SQLCHAR*>(in.data()), static_cast<SQLSMALLINT>(in.size()),
        nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
}

RawCatalog::~RawCatalog() {
    if (connected_) SQLDisconnect(dbc_);
    SQLFreeConnect(dbc_);
    SQLFreeEnv(env_);
}

long RawCatalog::rows(int columns, const std::function<short(void*)>& call) {
    SQLHSTMT handle = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocStmt(dbc_, &handle))) return -1;
    const Statement stmt(handle);
    if (!SQL_SUCCEEDED(call(handle))) return -1;
    std::vector<char> data(static_cast<size_t>(columns) * 256);
    std::vector<SQLLEN> lengths(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c)
        SQLBindCol(handle, static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR, data.data() + c * 256, 256,
                   &lengths[static_cast<size_t>(c)]);
    long rows = 0;
    while (SQL_SUCCEEDED(SQLFetch(handle)))
        ++rows;
    return rows;
}

long RawCatalog::tables(const QString& owner) {
    Name schema(owner);
    Name types(QStringLiteral("TABLE,VIEW,SYNONYM"));
    return rows(4, [&](void* stmt) {
        return SQLTables(stmt, nullptr, 0, schema.pointer(), schema.length(), nullptr, 0,
                         types.pointer(), types.length());
    });
}

long RawCatalog::columnsAndKeys(const QString& catalog, const QString& schema, const QString& table,
                                bool primaryKey) {
    Name cat(catalog), owner(schema), name(table);
    const long columns = rows(11, [&](void* stmt) {
        return SQLColumns(stmt, cat.pointer(), cat.length(), owner.pointer(), owner.length(),
                          name.pointer(), name.length(), nullptr, 0);
    });
    const long primary = !primaryKey ? 0 : rows(6, [&](void* stmt) {
        return SQLPrimaryKeys(stmt, cat.pointer(), cat.length(), owner.pointer(), owner.length(),
                              name.pointer(), name.length());
    });
    const long keys = rows(9, [&](void* stmt) {
        return SQLStatistics(stmt, cat.pointer(), cat.length(), owner.pointer(), owner.length(),
                             name.pointer(), name.length(), SQL_INDEX_UNIQUE, SQL_QUICK);
    });
    return columns < 0 || primary < 0 || keys < 0 ? -1 : columns;
}
