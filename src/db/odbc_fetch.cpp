#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>

#include "db/odbc_internal.h"
#include "db/odbc_lib.h"

namespace varkel {

using namespace odbc_internal;

static_assert(std::is_same_v<SQLLEN, long>, "BlockLengths holds the driver manager's SQLLEN");

namespace {

// A row's values as the driver hands them out, before any of the caller's memory is touched.
struct RawRow {
    static constexpr size_t kBytes = 256;
    std::vector<char> bytes;
    std::vector<SQLLEN> indicators;
};

int ReadRawRow(void* statement, int columnCount, RawRow& row) {
    row.bytes.assign(static_cast<size_t>(columnCount) * RawRow::kBytes, '\0');
    row.indicators.assign(static_cast<size_t>(columnCount), 0);
    for (int i = 1; i <= columnCount; ++i) {
        const size_t at = static_cast<size_t>(i - 1);
        const SQLRETURN r = SQLGetData(statement, static_cast<SQLUSMALLINT>(i), SQL_C_CHAR,
                                       row.bytes.data() + at * RawRow::kBytes, RawRow::kBytes - 1,
                                       &row.indicators[at]);
        if (!Succeeded(r)) return r;
    }
    return 0;
}

void DecodeRawRow(const DbSession& s, const RawRow& row, int columnCount, QStringList& values) {
    if (values.size() < columnCount) values.resize(columnCount);
    for (int i = 0; i < columnCount; ++i) {
        const size_t at = static_cast<size_t>(i);
        ReadSlot(s, row.bytes.data() + at * RawRow::kBytes, RawRow::kBytes - 1, row.indicators[at],
                 values[i]);
    }
}

}  // namespace

int GetRowData(DbSession& s, void* statement, int columnCount, QStringList& values) {
    RawRow row;
    const int r = ReadRawRow(statement, columnCount, row);
    if (r == 0) DecodeRawRow(s, row, columnCount, values);
    return r;
}

bool odbc_internal::ClosedByRollback(DbSession& s) {
    if (!s.CursorDiesOnRollback || s.Rollbacks == s.CursorRollbacks) return false;
    s.LastCode = kCursorClosed;
    s.LastMessage =
        QStringLiteral("[OdbcLib]ROLLBACKで結果のカーソルが閉じられたため、続きの行は読めません。");
    return true;
}

DbStatus FetchRow(DbSession& s, QStringList& values) {
    // A result that a catalog enumeration (or CloseCursor) closed has nothing left to read.
    if (s.CursorOpen != 1 || !s.CursorIsResult) return CheckReturn(s, SQL_INVALID_HANDLE);
    if (ClosedByRollback(s)) return s.LastCode;
    s.CursorRowByRow = true;
    void* const stmt = s.CursorStmt.get();
    const int columns = s.CursorColumns;
    DriverWorker* const worker = &WorkerOf(s);
    bool fetched = false;
    // The values are read from the driver before the caller's memory is taken: a read that
    // waits on the network must not hold up giving the connection up.
    const auto raw = std::make_shared<RawRow>();
    const int r = OffThread(s, stmt, [stmt, columns, worker, raw, &s, &values, &fetched] {
        const SQLRETURN f = SQLFetch(stmt);
        if (!Succeeded(f)) return static_cast<int>(f);
        const int got = ReadRawRow(stmt, columns, *raw);
        const auto hold = worker->deliver();
        if (!hold) return DriverWorker::kAbandoned;
        fetched = true;
        if (got == 0) DecodeRawRow(s, *raw, columns, values);
        return got;
    });
    if (fetched) s.RowsFetched += 1;
    return CheckReturn(s, r);
}

DbStatus FetchRowBlock(DbSession& s, QStringList& values) {
    if (!s.BlockFetch || s.CursorOpen != 1 || !s.CursorIsResult || s.CursorRowByRow)
        return FetchRow(s, values);
    if (ClosedByRollback(s)) return s.LastCode;

    const int columns = s.CursorColumns;
    int status = 0;
    if (s.RowsFetched == 0) {
        s.BlockData.assign(static_cast<size_t>(columns) * kRowsetSize * kSlotBytes, '\0');
        s.BlockLengths.assign(static_cast<size_t>(columns) * kRowsetSize, 0);
        // A driver that lowers or refuses the rowset size still works: rows are handed out from
        // whatever each SQLExtendedFetch returns, so only the bindings decide the status.
        status = SQLSetStmtOption(s.CursorStmt.get(), SQL_ROWSET_SIZE, kRowsetSize);
        for (int c = 0; c < columns; ++c) {
            const size_t block = static_cast<size_t>(c) * kRowsetSize;
            status = SQLBindCol(s.CursorStmt.get(), static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR,
                                s.BlockData.data() + block * kSlotBytes, kSlotBytes,
                                s.BlockLengths.data() + block);
            if (status != 0) break;
        }
        s.RowsDelivered = 0;
    }

    s.RowsDelivered += 1;
    if (status != 0) return CheckReturn(s, status);

    if (s.RowsDelivered > s.RowsFetched) {
        s.RowsetIndex = 0;
        // What the driver writes lives as long as the call, should the call be abandoned (the
        // bound buffers then go with the abandoned handles).
        struct Out {
            SQLULEN rowsInSet = 0;
            SQLUSMALLINT rowStatus[kRowsetSize] = {};
        };
        const auto out = std::make_shared<Out>();
        void* const stmt = s.CursorStmt.get();
        status = OffThread(s, stmt, [stmt, out] {
            return SQLExtendedFetch(stmt, SQL_FETCH_NEXT, 0, &out->rowsInSet, out->rowStatus);
        });
        if (status == DriverWorker::kAbandoned) return CheckReturn(s, status);
        s.RowsFetched += static_cast<std::int32_t>(std::min<SQLULEN>(out->rowsInSet, kRowsetSize));
        if (Succeeded(static_cast<SQLRETURN>(status)))
            GrowServerCursorBlocks(
                s, static_cast<SQLLEN>(std::min<SQLULEN>(out->rowsInSet, kRowsetSize)));
    }

    if (Succeeded(static_cast<SQLRETURN>(status))) {
        // Never read past the buffers, whatever cursor the counters now describe.
        if (s.BlockLengths.size() < static_cast<size_t>(columns) * kRowsetSize ||
            s.RowsetIndex >= kRowsetSize)
            return CheckReturn(s, SQL_INVALID_HANDLE);
        if (values.size() < columns) values.resize(columns);
        const size_t row = static_cast<size_t>(s.RowsetIndex);
        for (int c = 0; c < columns; ++c) {
            const size_t column = static_cast<size_t>(c);
            const char* slot = s.BlockData.data() + (column * kRowsetSize + row) * kSlotBytes;
            const SQLLEN indicator = s.BlockLengths[column * kRowsetSize + row];
            ReadSlot(s, slot, kSlotBytes, indicator, values[c]);
        }
        s.RowsetIndex += 1;
        status = 0;
    }
    return CheckReturn(s, status);
}

namespace {

constexpr SQLLEN kPieceBytes = 8192;

}  // namespace

// One column's value, read piece by piece until the driver has handed out all of it. Each piece
// but the last fills the buffer less its closing NUL.
SQLRETURN odbc_internal::GetWholeValue(void* statement, SQLUSMALLINT column, QByteArray& bytes,
                                       bool& null) {
    bytes.resize(0);
    null = false;
    char piece[kPieceBytes];
    SQLLEN left = -1;  // what the driver said was left before the last piece
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN r =
            SQLGetData(statement, column, SQL_C_CHAR, piece, kPieceBytes, &indicator);
        if (r == SQL_NO_DATA_FOUND) return SQL_SUCCESS;  // the previous piece was the last
        if (!Succeeded(r)) return r;
        if (indicator == SQL_NULL_DATA) {
            null = true;
            return SQL_SUCCESS;
        }
        // A driver that hands out the value from its start again would never come to an end.
        if (indicator >= 0 && left >= 0 && indicator >= left) return SQL_SUCCESS;
        left = indicator;
        const bool more =
            r == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator >= kPieceBytes);
        const size_t held = static_cast<size_t>(
            more ? kPieceBytes - 1 : std::clamp<SQLLEN>(indicator, 0, kPieceBytes - 1));
        // As in the list, a NUL ends the value.
        const size_t length = strnlen(piece, held);
        bytes.append(piece, static_cast<qsizetype>(length));
        if (!more || length < held) return SQL_SUCCESS;
    }
}

}  // namespace varkel
