#include "db/sql_name.h"

namespace varkel {

namespace {

bool IsNameCharacter(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

bool IsFolded(QChar c, NameRules::Folding folding) {
    switch (folding) {
        case NameRules::Folding::Upper:
            return c.isLower();
        case NameRules::Folding::Lower:
            return c.isUpper();
        case NameRules::Folding::None:
            break;
    }
    return false;
}

}  // namespace

QString SqlName(const QString& name, const NameRules& rules) {
    bool bare = !name.isEmpty() && !name.front().isDigit();
    for (qsizetype i = 0; bare && i < name.size(); ++i)
        bare = IsNameCharacter(name[i]) && !IsFolded(name[i], rules.folding);
    if (bare) return name;
    // A driver that names no quote (a blank) still gets the standard one: the name cannot be
    // read bare anyway.
    const QString quote = rules.quote.trimmed().isEmpty() ? QStringLiteral("\"") : rules.quote;
    QString doubled = name;
    doubled.replace(quote, quote + quote);
    return quote + doubled + quote;
}

QString SqlObjectName(const QString& name, const ObjectOwner& owner, bool qualified,
                      const NameRules& rules) {
    const QString& by = owner.schema.isEmpty() ? owner.catalog : owner.schema;
    if (!qualified || by.isEmpty()) return SqlName(name, rules);
    return SqlName(by, rules) + u'.' + SqlName(name, rules);
}

}  // namespace varkel
