#pragma once

#include <QString>

#include "db/db_session.h"

namespace varkel {

// Whether a failed statement on `target` (the table as an INSERT names it) leaves none of its
// rows behind and a rollback to a savepoint takes back the rows before it: what lets an import
// send several lines as one statement and send them again one by one when it fails. The MySQL
// family keeps tables that do neither (MyISAM, Aria, MEMORY…): there only InnoDB is trusted,
// and a table whose engine cannot be read is not. Other servers undo every failed statement.
bool TakesBackFailedStatements(DbSession& s, const QString& target);

}  // namespace varkel
