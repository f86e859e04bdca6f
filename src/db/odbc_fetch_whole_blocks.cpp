// Rows read in blocks with every value whole: the speed of the block fetch for a result that goes
// to a file, where no value may be cut.

#include "db/odbc_internal.h"
#include "db/odbc_lib.h"

namespace varkel {

using namespace odbc_internal;

namespace {

// Whether the driver reads a value of a bound column of any row inside a block
// (SQLSetPos to the row, then SQLGetData).
bool ReadsValuesInBlocks(DbSession& s) {
    // MariaDB's driver says it does, but hands out another row's value after the positioning.
    if (IsMariaDbOdbc(s)) return false;
    SQLUINTEGER extensions = 0;
    if (SQLGetInfo(s.Dbc.get(), SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, nullptr) !=
        SQL_SUCCESS)
        return false;
    return (extensions & SQL_GD_BLOCK) != 0 && (extensions & SQL_GD_BOUND) != 0;
}

}  // namespace

DbStatus FetchRowBlockWhole(DbSession& s, QStringList& values) {
    if (s.CursorOpen != 1 || !s.CursorIsResult) return CheckReturn(s, SQL_INVALID_HANDLE);
    // Decided before the cursor's first row: a cursor is read in blocks or row by row to its end.
    if (s.CursorRowByRow || !s.BlockFetch || (s.RowsFetched == 0 && !ReadsValuesInBlocks(s)))
        return FetchRowWhole(s, values);
    const DbStatus status = FetchRowBlock(s, values);
    if (status != 0) return status;
    const int columns = s.CursorColumns;
    const size_t row = static_cast<size_t>(s.RowsetIndex - 1);
    bool positioned = false;
    QByteArray bytes;
    for (int c = 0; c < columns; ++c) {
        const SQLLEN indicator = s.BlockLengths[static_cast<size_t>(c) * kRowsetSize + row];
        if (indicator != SQL_NO_TOTAL && indicator <= kMaxValueBytes) continue;
        SQLRETURN r = SQL_SUCCESS;
        if (!positioned) {
            r = SQLSetPos(s.CursorStmt.get(), static_cast<SQLUSMALLINT>(row + 1), SQL_POSITION,
                          SQL_LOCK_NO_CHANGE);
            if (!Succeeded(r)) return CheckReturn(s, r);
            positioned = true;
        }
        bool null = false;
        r = GetWholeValue(s.CursorStmt.get(), static_cast<SQLUSMALLINT>(c + 1), bytes, null);
        if (!Succeeded(r)) return CheckReturn(s, r);
        // Decoded once whole, so a character split between pieces stays whole.
        if (null)
            values[c].resize(0);
        else
            s.Ansi.decodeInto(values[c], bytes.constData(), bytes.size());
    }
    return 0;
}

}  // namespace varkel
