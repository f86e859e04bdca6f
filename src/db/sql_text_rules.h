#pragma once

#include <QString>

#include "db/db_session.h"

// How the connected server reads the text of a statement, as far as a writer of literals and
// names must know it.
namespace varkel {

// Whether a backslash inside a string literal is an escape character for the server.
enum class LiteralBackslash { Plain, Escape, Unknown };

// Asked of the server on a statement of its own, so the session's cursor stays as it is:
// MariaDB and MySQL read backslashes as escapes unless sql_mode holds NO_BACKSLASH_ESCAPES,
// PostgreSQL when standard_conforming_strings is off. Unknown when the server does not answer.
LiteralBackslash LiteralBackslashRule(DbSession& s);

}  // namespace varkel
