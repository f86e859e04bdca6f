#pragma once

#include "db/db_session.h"
#include "db/result_columns.h"

namespace varkel {

// Allocates the session's environment (ODBC 2 behaviour); returns the raw return code.
int AllocEnvironment(DbSession& s);
// Frees the environment, and first any connection handle a failed connect left on it; returns
// the raw return code of SQLFreeEnv, 0 when there was no environment.
int ReleaseEnvironment(DbSession& s);

std::int32_t LastRowCount(const DbSession& s);
std::int16_t LastColumnCount(const DbSession& s);

// Describes the first record.Count columns of the open cursor (at most ResultColumns::Capacity;
// a wider result is described by its first columns and Count is lowered to match).
DbStatus DescribeResult(DbSession& s, ResultColumns& record);

}  // namespace varkel
