#include "db/odbc_internal.h"
#include "db/odbc_lib.h"

namespace varkel {

using namespace odbc_internal;

namespace {

// An owner as the catalog functions take it: an empty owner is a null pointer, which ODBC
// reads as "every owner" (an empty string would mean "no owner" and list nothing on some
// drivers).
struct CatalogName {
    QByteArray bytes;
    bool given = false;
    SQLCHAR* pointer() { return given ? Chars(bytes) : nullptr; }
    SQLSMALLINT length() const { return given ? static_cast<SQLSMALLINT>(bytes.size()) : 0; }
};

CatalogName Owner(const DbSession& s, const QString& owner) {
    return {ToAnsi(s, owner), !owner.isEmpty()};
}

CatalogName Name(const DbSession& s, const QString& name) {
    return {ToAnsi(s, name), true};
}

// Bytes a catalog value is read into, as the driver is told: as for a value of a result row.
constexpr SQLLEN kCatalogValueBytes = kSlotBytes - 1;

// The part of every catalog enumeration after its first call: fetch one row into `row`,
// ending the enumeration (flag cleared, cursor dropped) on anything but a row. The columns are
// bound to the session's block buffers before the first row (the cursor is the session's only
// one), so that a row costs one call, not one per column: catalogs have tens of thousands.
DbStatus FetchCatalogRow(DbSession& s, bool& flag, QStringList& row) {
    SQLHSTMT stmt = s.CursorStmt.get();
    const int columns = s.CursorColumns;
    int status = SQL_SUCCESS;
    if (s.RowsFetched == 0) {
        s.BlockData.assign(static_cast<size_t>(columns) * kSlotBytes, '\0');
        s.BlockLengths.assign(static_cast<size_t>(columns), 0);
        for (int c = 0; c < columns && status == SQL_SUCCESS; ++c)
            status = SQLBindCol(stmt, static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR,
                                s.BlockData.data() + static_cast<size_t>(c) * kSlotBytes,
                                kCatalogValueBytes, &s.BlockLengths[static_cast<size_t>(c)]);
    }
    if (status == SQL_SUCCESS) status = SQLFetch(stmt);
    // A value longer than its buffer comes with a warning, and is cut as a result value is.
    if (Succeeded(static_cast<SQLRETURN>(status))) {
        s.RowsFetched += 1;
        if (row.size() < columns) row.resize(columns);
        for (int c = 0; c < columns; ++c)
            ReadSlot(s, s.BlockData.data() + static_cast<size_t>(c) * kSlotBytes,
                     kCatalogValueBytes, s.BlockLengths[static_cast<size_t>(c)], row[c]);
        status = SQL_SUCCESS;
    }
    if (status == SQL_NO_DATA_FOUND) row = QStringList(s.CursorColumns, QString());
    const DbStatus result = CheckReturn(s, status);
    if (status != 0) {
        flag = false;
        DropCursor(s);
    }
    return result;
}

// The first call of a catalog enumeration: a new cursor for the catalog function `call`, which
// holds its own copy of the names (a connection given up leaves the call running on the worker).
template <typename Call>
DbStatus StartCatalog(DbSession& s, bool& flag, int columnsRead, Call call) {
    DropCursor(s);
    s.CursorIsResult = false;
    SQLRETURN r = SQLAllocStmt(s.Dbc.get(), s.CursorStmt.receive(&s.LiveStatements));
    if (r != SQL_SUCCESS) return CheckReturn(s, r);
    s.CursorOpen = 1;
    s.CursorId = ++s.LastCursorId;
    void* const stmt = s.CursorStmt.get();
    r = static_cast<SQLRETURN>(OffThread(s, stmt, [stmt, call]() mutable { return call(stmt); }));
    if (r != SQL_SUCCESS) return CheckReturn(s, r);
    flag = true;
    s.CursorColumns = static_cast<std::int16_t>(columnsRead);
    s.RowsFetched = 0;
    return 0;
}

}  // namespace

DbStatus NextTable(DbSession& s, const QString& tableTypes, const QString& owner,
                   QString& tableType, QString& tableName, ObjectOwner& where) {
    if (!s.TableScan) {
        CatalogName schema = Owner(s, owner);
        CatalogName types = Name(s, tableTypes);
        const DbStatus started = StartCatalog(s, s.TableScan, 4, [=](SQLHSTMT stmt) mutable {
            return SQLTables(stmt, nullptr, 0, schema.pointer(), schema.length(), nullptr, 0,
                             types.pointer(), types.length());
        });
        if (started != 0) return started;
    }
    QStringList row;
    const DbStatus status = FetchCatalogRow(s, s.TableScan, row);
    where = {row.value(0), row.value(1)};
    tableType = row.value(3);
    tableName = row.value(2);
    return status;
}

DbStatus NextTable(DbSession& s, const QString& tableTypes, const QString& owner,
                   QString& tableType, QString& tableName) {
    ObjectOwner where;
    return NextTable(s, tableTypes, owner, tableType, tableName, where);
}

DbStatus NextColumn(DbSession& s, const ObjectOwner& where, const QString& table,
                    QString& tableName, QString& columnName, QString& typeText) {
    if (!s.ColumnScan) {
        CatalogName catalog = Owner(s, where.catalog);
        CatalogName schema = Owner(s, where.schema);
        CatalogName name = Name(s, table);
        const DbStatus started = StartCatalog(s, s.ColumnScan, 11, [=](SQLHSTMT stmt) mutable {
            return SQLColumns(stmt, catalog.pointer(), catalog.length(), schema.pointer(),
                              schema.length(), name.pointer(), name.length(), nullptr, 0);
        });
        if (started != 0) return started;
    }
    QStringList row;
    const DbStatus status = FetchCatalogRow(s, s.ColumnScan, row);
    tableName = row.value(2);
    columnName = row.value(3);
    typeText.clear();
    if (status == 0) {
        typeText = row.value(5) + u'(' + row.value(6);
        if (!row.value(8).isEmpty()) typeText += u',' + row.value(8);
        typeText += u')';
        if (row.value(10) == QStringLiteral("0")) typeText += QStringLiteral(" NOT NULL");
    }
    return status;
}

DbStatus NextColumn(DbSession& s, const QString& owner, const QString& table, QString& tableName,
                    QString& columnName, QString& typeText) {
    return NextColumn(s, ObjectOwner{QString(), owner}, table, tableName, columnName, typeText);
}

DbStatus NextKeyColumn(DbSession& s, const ObjectOwner& where, const QString& table,
                       QString& columnName, std::int16_t& position, QString& indexName) {
    if (!s.KeyScan) {
        CatalogName catalog = Owner(s, where.catalog);
        CatalogName schema = Owner(s, where.schema);
        CatalogName name = Name(s, table);
        const DbStatus started = StartCatalog(s, s.KeyScan, 9, [=](SQLHSTMT stmt) mutable {
            return SQLStatistics(stmt, catalog.pointer(), catalog.length(), schema.pointer(),
                                 schema.length(), name.pointer(), name.length(), SQL_INDEX_UNIQUE,
                                 SQL_QUICK);
        });
        if (started != 0) return started;
    }
    QStringList row;
    DbStatus status = 0;
    do {  // the table's own statistics row (TYPE 0) is no key column
        status = FetchCatalogRow(s, s.KeyScan, row);
    } while (status == 0 && row.value(6).trimmed().toInt() == SQL_TABLE_STAT);
    indexName = row.value(5);
    columnName = row.value(8);
    position = static_cast<std::int16_t>(row.value(7).trimmed().toInt());
    return status;
}

DbStatus NextKeyColumn(DbSession& s, const QString& owner, const QString& table,
                       QString& columnName, std::int16_t& position) {
    QString indexName;
    return NextKeyColumn(s, ObjectOwner{QString(), owner}, table, columnName, position, indexName);
}

DbStatus NextPrimaryKeyColumn(DbSession& s, const ObjectOwner& where, const QString& table,
                              QString& columnName, std::int16_t& position, QString& keyName) {
    if (!s.PrimaryKeyScan) {
        CatalogName catalog = Owner(s, where.catalog);
        CatalogName schema = Owner(s, where.schema);
        CatalogName name = Name(s, table);
        const DbStatus started = StartCatalog(s, s.PrimaryKeyScan, 6, [=](SQLHSTMT stmt) mutable {
            return SQLPrimaryKeys(stmt, catalog.pointer(), catalog.length(), schema.pointer(),
                                  schema.length(), name.pointer(), name.length());
        });
        if (started != 0) return started;
    }
    QStringList row;
    const DbStatus status = FetchCatalogRow(s, s.PrimaryKeyScan, row);
    columnName = row.value(3);
    position = static_cast<std::int16_t>(row.value(4).trimmed().toInt());
    keyName = row.value(5);
    return status;
}

}  // namespace varkel
