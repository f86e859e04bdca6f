#include "db/odbc_handles.h"

#include <sql.h>
#include <sqlext.h>

namespace varkel {

int EnvTraits::free(void* handle) noexcept {
    return SQLFreeEnv(handle);
}

int DbcTraits::free(void* handle) noexcept {
    return SQLFreeConnect(handle);
}

int DbcTraits::abandon(void* handle) noexcept {
    // Only reached when a connection is abandoned (a failed connect, or a session destroyed
    // without disconnecting): never leave work half done, roll it back and close.
    if (SQLDisconnect(handle) == SQL_ERROR) {
        SQLTransact(SQL_NULL_HENV, handle, SQL_ROLLBACK);
        SQLDisconnect(handle);
    }
    return SQLFreeConnect(handle);
}

int StmtTraits::free(void* handle) noexcept {
    return SQLFreeStmt(handle, SQL_DROP);
}

}  // namespace varkel
