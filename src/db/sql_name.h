#pragma once

#include <QString>

#include "db/object_owner.h"

namespace varkel {

// How the connected server reads a name in a statement: the quote around a name it must take
// as written, and what it does to the letters of a name left bare.
struct NameRules {
    enum class Folding { None, Upper, Lower };
    QString quote = QStringLiteral("\"");
    Folding folding = Folding::None;
};

// A name as SQL: bare when the server reads it back as written (letters, digits and "_", not
// starting with a digit, and no letter that the server would fold); otherwise in the server's
// quote, the quote character inside doubled.
QString SqlName(const QString& name, const NameRules& rules);

// An object's name as SQL, preceded by its owner (the schema, or the catalog where the server
// has no schemas) and "." when `qualified`.
QString SqlObjectName(const QString& name, const ObjectOwner& owner, bool qualified,
                      const NameRules& rules);

}  // namespace varkel
