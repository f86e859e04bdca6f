#include "db/odbc_internal.h"
#include "db/odbc_lib.h"

namespace varkel {

using namespace odbc_internal;

namespace {

// One step of SQLDataSources or SQLDrivers: FETCH_FIRST when the flag is clear, else FETCH_NEXT.
template <typename Call>
DbStatus NextEntry(DbSession& s, bool& flag, QString& first, QString& second, Call call) {
    const SQLUSMALLINT direction = flag ? SQL_FETCH_NEXT : SQL_FETCH_FIRST;
    flag = true;
    char firstBuffer[256] = {};
    char secondBuffer[256] = {};
    SQLSMALLINT firstLength = 0;
    SQLSMALLINT secondLength = 0;
    const SQLRETURN r = call(direction, reinterpret_cast<SQLCHAR*>(firstBuffer), &firstLength,
                             reinterpret_cast<SQLCHAR*>(secondBuffer), &secondLength);
    if (r != SQL_SUCCESS) {
        flag = false;
        return CheckReturn(s, r);
    }
    first = FromBuffer(s, firstBuffer, sizeof firstBuffer);
    second = FromBuffer(s, secondBuffer, sizeof secondBuffer);
    return 0;
}

}  // namespace

DbStatus NextDataSource(DbSession& s, QString& name, QString& description) {
    return NextEntry(s, s.DataSourceScan, name, description,
                     [&](SQLUSMALLINT direction, SQLCHAR* a, SQLSMALLINT* aLength, SQLCHAR* b,
                         SQLSMALLINT* bLength) {
                         return SQLDataSources(s.Env.get(), direction, a, 255, aLength, b, 255,
                                               bLength);
                     });
}

DbStatus NextDriver(DbSession& s, QString& description, QString& attributes) {
    return NextEntry(s, s.DriverScan, description, attributes,
                     [&](SQLUSMALLINT direction, SQLCHAR* a, SQLSMALLINT* aLength, SQLCHAR* b,
                         SQLSMALLINT* bLength) {
                         return SQLDrivers(s.Env.get(), direction, a, 255, aLength, b, 255,
                                           bLength);
                     });
}

}  // namespace varkel
