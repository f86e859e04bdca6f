// Rows read with every value whole, however long, for a result that goes to a file: the worker
// reads the next lot of rows while the caller hands out (and writes) the lot before it.

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

#include "db/odbc_internal.h"
#include "db/odbc_lib.h"

namespace varkel {

using namespace odbc_internal;

namespace {

// What one call of the worker reads: rows up to this many, or until they hold this much.
constexpr int kAheadRows = kRowsetSize;
constexpr qsizetype kAheadBytes = 1 << 20;

// Takes the value of column `c` of the row the statement is on into `lot`: from its bound slot
// when it fitted there, otherwise read again whole with SQLGetData.
SQLRETURN TakeValue(void* stmt, int c, const char* slot, SQLLEN indicator, QByteArray& whole,
                    WholeRows& lot) {
    if (indicator == SQL_NULL_DATA) {
        lot.lengths.push_back(-1);
        return SQL_SUCCESS;
    }
    if (slot && indicator >= 0 && indicator < kSlotBytes) {
        // As in the list, a NUL ends the value.
        const auto length = static_cast<qsizetype>(strnlen(slot, static_cast<size_t>(indicator)));
        lot.bytes.append(slot, length);
        lot.lengths.push_back(length);
        return SQL_SUCCESS;
    }
    bool null = false;
    const SQLRETURN r = GetWholeValue(stmt, static_cast<SQLUSMALLINT>(c + 1), whole, null);
    if (!Succeeded(r)) return r;
    lot.lengths.push_back(null ? -1 : whole.size());
    lot.bytes.append(whole);
    return SQL_SUCCESS;
}

// Reads whole rows into `lot` on the worker, touching nothing of the session; the code of the
// call that ended the reading, or 0 when it stopped only because enough was read. Without
// `bound` every value is read with SQLGetData; with it a row (or a block of rows) is one call of
// the driver, and only a value longer than its slot is read again. A lot ends after the row
// that fills it, also inside a block: the next lot goes on with the block's next row.
int ReadWholeRows(void* stmt, int columns, WholeBinding* bound, WholeRows& lot) {
    QByteArray whole;
    const size_t stride = bound ? static_cast<size_t>(bound->rows) : 1;
    while (lot.lengths.size() < static_cast<size_t>(kAheadRows * columns) &&
           lot.bytes.size() < kAheadBytes) {
        size_t row = 0;
        if (stride > 1 && bound->nextRow < bound->blockRows) {
            row = bound->nextRow++;
        } else {
            SQLRETURN r = SQL_SUCCESS;
            if (stride > 1) {
                SQLULEN rowsInSet = 0;
                SQLUSMALLINT rowStatus[kRowsetSize] = {};
                r = SQLExtendedFetch(stmt, SQL_FETCH_NEXT, 0, &rowsInSet, rowStatus);
                bound->blockRows = Succeeded(r) ? std::min<SQLULEN>(rowsInSet, stride) : 0;
                bound->nextRow = 0;
                if (Succeeded(r) && bound->blockRows == 0) return SQL_NO_DATA_FOUND;
            } else {
                r = SQLFetch(stmt);
            }
            if (!Succeeded(r)) return r;
            if (stride > 1) continue;
        }
        const size_t rowValues = lot.lengths.size();
        const qsizetype rowBytes = lot.bytes.size();
        bool positioned = stride == 1;
        SQLRETURN r = SQL_SUCCESS;
        for (int c = 0; c < columns && Succeeded(r); ++c) {
            const size_t at = static_cast<size_t>(c) * stride + row;
            const SQLLEN indicator = bound ? bound->indicators[at] : SQL_NO_TOTAL;
            const char* slot = bound ? bound->bytes.data() + at * kSlotBytes : nullptr;
            const bool fits =
                indicator == SQL_NULL_DATA || (slot && indicator >= 0 && indicator < kSlotBytes);
            if (!fits && !positioned) {
                r = SQLSetPos(stmt, static_cast<SQLUSMALLINT>(row + 1), SQL_POSITION,
                              SQL_LOCK_NO_CHANGE);
                positioned = true;
            }
            if (Succeeded(r)) r = TakeValue(stmt, c, slot, indicator, whole, lot);
        }
        if (!Succeeded(r)) {  // a row that breaks off is not handed out: its error is
            lot.lengths.resize(rowValues);
            lot.bytes.resize(rowBytes);
            return r;
        }
    }
    return SQL_SUCCESS;
}

// Whether the driver reads a value of a bound column of any row inside a block (SQLSetPos to
// the row, then SQLGetData), and whether it reads a bound column of the current row again.
void ReadableBound(DbSession& s, bool& inBlocks, bool& again) {
    SQLUINTEGER extensions = 0;
    void* const dbc = s.ReadingDbc ? s.ReadingDbc.get() : s.Dbc.get();
    if (SQLGetInfo(dbc, SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, nullptr) !=
        SQL_SUCCESS)
        extensions = 0;
    again = (extensions & SQL_GD_BOUND) != 0;
    // MariaDB's driver says it does, but hands out another row's value after the positioning.
    inBlocks = again && (extensions & SQL_GD_BLOCK) != 0 && s.BlockFetch && !IsMariaDbOdbc(s);
}

// Binds the columns of a cursor not yet read, in blocks where the driver allows, else one row;
// with neither, every value is read with SQLGetData.
void BindWholeColumns(DbSession& s, bool blocks) {
    if (s.WholeBinds || s.RowsFetched != 0) return;
    bool inBlocks = false, again = false;
    ReadableBound(s, inBlocks, again);
    if (!again) return;
    void* const stmt = s.CursorStmt.get();
    auto binds = std::make_shared<WholeBinding>();
    binds->cursor = s.CursorId;
    binds->rows =
        blocks && inBlocks && SQLSetStmtOption(stmt, SQL_ROWSET_SIZE, kRowsetSize) == SQL_SUCCESS
            ? kRowsetSize
            : 1;
    const size_t rows = static_cast<size_t>(binds->rows);
    const size_t columns = static_cast<size_t>(s.CursorColumns);
    binds->bytes.assign(columns * rows * kSlotBytes, '\0');
    binds->indicators.assign(columns * rows, 0);
    for (size_t c = 0; c < columns; ++c) {
        if (SQLBindCol(stmt, static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR,
                       binds->bytes.data() + c * rows * kSlotBytes, kSlotBytes,
                       &binds->indicators[c * rows]) != SQL_SUCCESS) {
            SQLFreeStmt(stmt, SQL_UNBIND);
            if (rows > 1) SQLSetStmtOption(stmt, SQL_ROWSET_SIZE, 1);
            return;
        }
    }
    s.WholeBinds = std::move(binds);
}

// The call of the worker that reads the cursor's next lot into `lot`. What it uses lives as long
// as the call, should the call be abandoned.
std::function<int()> WholeRowsCall(DbSession& s, const std::shared_ptr<WholeRows>& lot) {
    return [stmt = s.CursorStmt.get(), columns = static_cast<int>(s.CursorColumns),
            binds = s.WholeBinds, lot] { return ReadWholeRows(stmt, columns, binds.get(), *lot); };
}

// The cursor's next lot: the one read meanwhile, or one read now.
std::shared_ptr<WholeRows> NextWholeRows(DbSession& s, bool blocks) {
    SettleReadAhead(s);
    if (s.WholeNext) return std::move(s.WholeNext);
    BindWholeColumns(s, blocks);
    auto lot = std::make_shared<WholeRows>();
    lot->code = OffThread(s, s.CursorStmt.get(), WholeRowsCall(s, lot));
    // An abandoned call may still write into its lot.
    if (lot->code == DriverWorker::kAbandoned) {
        lot = std::make_shared<WholeRows>();
        lot->code = DriverWorker::kAbandoned;
    }
    return lot;
}

// The worker reads the next lot while the caller hands out the one it has.
void PostWholeRows(DbSession& s) {
    auto lot = std::make_shared<WholeRows>();
    if (!WorkerOf(s).post(s.CursorStmt.get(), WholeRowsCall(s, lot))) return;
    s.WholeNext = std::move(lot);
    s.WholeNextOut = true;
}

// The widest row of `lot` in bytes.
SQLLEN WidestRow(const WholeRows& lot, size_t columns) {
    SQLLEN widest = 0;
    for (size_t at = 0; at + columns <= lot.lengths.size(); at += columns) {
        SQLLEN bytes = 0;
        for (size_t c = 0; c < columns; ++c)
            bytes += std::max<SQLLEN>(lot.lengths[at + c], 0);
        widest = std::max(widest, bytes);
    }
    return widest;
}

DbStatus FetchWhole(DbSession& s, QStringList& values, bool blocks) {
    if (s.CursorOpen != 1 || !s.CursorIsResult) return CheckReturn(s, SQL_INVALID_HANDLE);
    if (s.WholeAheadCursor != s.CursorId) {  // rows (and bindings) of a cursor that is gone
        SettleReadAhead(s);
        s.WholeAhead.reset();
        s.WholeNext.reset();
        if (s.WholeBinds && s.WholeBinds->cursor != s.CursorId) s.WholeBinds.reset();
        s.WholeAheadCursor = s.CursorId;
    }
    if (ClosedByRollback(s)) {
        SettleReadAhead(s);
        s.WholeAhead.reset();
        s.WholeNext.reset();
        return s.LastCode;
    }
    s.CursorRowByRow = true;
    const size_t columns = static_cast<size_t>(s.CursorColumns);
    const auto handedOut = [&] {
        return !s.WholeAhead || s.WholeAheadAt + columns > s.WholeAhead->lengths.size();
    };
    if (handedOut()) {
        // The call that ended the reading is answered once its rows are handed out; its
        // diagnostics are still on the statement, which nothing has called since.
        if (s.WholeAhead && s.WholeAhead->code != 0) {
            const int code = s.WholeAhead->code;
            s.WholeAhead.reset();
            return CheckReturn(s, code);
        }
        s.WholeAhead = NextWholeRows(s, blocks);
        s.WholeAheadAt = 0;
        s.WholeAheadByte = 0;
        if (s.WholeAhead->code == 0 && columns > 0) {
            // The server cursor's later blocks are sized by the first rows, before the next
            // lot asks for them.
            const auto lotRows = static_cast<SQLLEN>(s.WholeAhead->lengths.size() / columns);
            GrowServerCursorBlocks(s, s.RowsFetched, s.RowsFetched + lotRows,
                                   WidestRow(*s.WholeAhead, columns));
            PostWholeRows(s);
        }
        if (handedOut()) {
            const int code = s.WholeAhead->code;
            s.WholeAhead.reset();
            return CheckReturn(s, code);
        }
    }
    if (values.size() != static_cast<qsizetype>(columns)) values.resize(columns);
    const WholeRows& lot = *s.WholeAhead;
    for (size_t c = 0; c < columns; ++c) {
        const std::int64_t length = lot.lengths[s.WholeAheadAt++];
        QString& value = values[static_cast<qsizetype>(c)];
        if (length < 0) {
            value = QString();
            continue;
        }
        // The bytes are decoded once whole, so a character split between pieces stays whole.
        s.Ansi.decodeInto(value, lot.bytes.constData() + s.WholeAheadByte,
                          static_cast<qsizetype>(length));
        s.WholeAheadByte += static_cast<qsizetype>(length);
    }
    s.RowsFetched += 1;
    return CheckReturn(s, SQL_SUCCESS);
}

}  // namespace

void SettleReadAhead(DbSession& s) {
    if (!s.WholeNextOut) return;
    s.WholeNextOut = false;
    const int code = s.Worker ? s.Worker->collect(s.WaitHooks) : DriverWorker::kAbandoned;
    // An abandoned call may still write into its lot.
    if (code == DriverWorker::kAbandoned || !s.WholeNext)
        s.WholeNext = std::make_shared<WholeRows>();
    s.WholeNext->code = code;
}

void ForgetWholeRows(DbSession& s) {
    s.WholeAhead.reset();
    s.WholeNext.reset();
    s.WholeNextOut = false;
    s.WholeBinds.reset();
}

DbStatus FetchRowWhole(DbSession& s, QStringList& values) {
    return FetchWhole(s, values, false);
}

DbStatus FetchRowBlockWhole(DbSession& s, QStringList& values) {
    return FetchWhole(s, values, true);
}

}  // namespace varkel
