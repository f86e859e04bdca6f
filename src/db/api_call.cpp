#include "db/api_call.h"

#include "db/odbc_internal.h"
#include "db/odbc_lib.h"

namespace varkel {

int AllocEnvironment(DbSession& s) {
    return SQLAllocEnv(s.Env.receive());
}

int ReleaseEnvironment(DbSession& s) {
    // The connection is over: whatever its transaction held has ended with it.
    s.MayHoldChanges = false;
    odbc_internal::CloseReadingConnection(s.ReadingDbc);
    if (!s.Env) return 0;
    // A connection handle that a failed connect left behind would keep the environment busy.
    if (s.OdbcConnected == 0) s.Dbc.reset();
    return s.Env.reset();
}

std::int32_t LastRowCount(const DbSession& s) {
    return s.LastRowCount;
}

std::int16_t LastColumnCount(const DbSession& s) {
    return s.LastColumnCount;
}

DbStatus DescribeResult(DbSession& s, ResultColumns& record) {
    const int count = std::clamp<int>(record.Count, 0, ResultColumns::Capacity);
    QStringList names;
    std::vector<std::int16_t> kinds;
    // DescribeColumns reads every column of the cursor; only the first `count` are kept.
    const DbStatus status = DescribeColumns(s, names, kinds);
    // Whatever happened, the count never exceeds what the record holds.
    record.Count = static_cast<std::int16_t>(count);
    if (status != 0) return status;
    for (int i = 0; i < count; ++i) {
        record.Names[static_cast<size_t>(i)] = names.value(i);
        const std::int16_t kind =
            i < static_cast<int>(kinds.size()) ? kinds[static_cast<size_t>(i)] : 0;
        record.Kinds[static_cast<size_t>(i)] = kind == 1   ? QStringLiteral("S")
                                               : kind == 2 ? QStringLiteral("T")
                                                           : QStringLiteral("N");
    }
    return 0;
}

}  // namespace varkel
