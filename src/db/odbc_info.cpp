// What the session services tell of the connected driver beyond its data.
#include <sql.h>
#include <sqlext.h>

#include "db/odbc_comm.h"
#include "db/odbc_internal.h"

namespace varkel {

QString IdentifierQuoteChar(DbSession& s) {
    if (s.OdbcConnected == 0) return QStringLiteral("\"");
    char quote[8] = {};
    SQLSMALLINT length = 0;
    if (SQLGetInfo(s.Dbc.get(), SQL_IDENTIFIER_QUOTE_CHAR, quote, sizeof quote - 1, &length) !=
        SQL_SUCCESS)
        return QStringLiteral("\"");
    // A driver that quotes no names answers a blank.
    return odbc_internal::FromBuffer(s, quote, sizeof quote).trimmed();
}

NameRules::Folding IdentifierCase(DbSession& s) {
    SQLUSMALLINT folding = 0;
    if (s.OdbcConnected == 0 || SQLGetInfo(s.Dbc.get(), SQL_IDENTIFIER_CASE, &folding,
                                           sizeof folding, nullptr) != SQL_SUCCESS)
        return NameRules::Folding::None;
    switch (folding) {
        case SQL_IC_UPPER:
            return NameRules::Folding::Upper;
        case SQL_IC_LOWER:
            return NameRules::Folding::Lower;
        default:  // kept as written, or read alike in any case
            return NameRules::Folding::None;
    }
}

NameRules ServerNameRules(DbSession& s) {
    return NameRules{IdentifierQuoteChar(s), IdentifierCase(s)};
}

}  // namespace varkel
