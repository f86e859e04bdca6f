#include "db/sql_comments.h"

namespace varkel {

QString BlankLeadingComments(QString sql) {
    const qsizetype size = sql.size();
    qsizetype at = 0;
    const auto blank = [&](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i)
            if (sql[i] != u'\n' && sql[i] != u'\r') sql[i] = u' ';
    };
    while (at < size) {
        if (sql[at].isSpace()) {
            ++at;
        } else if (sql.mid(at, 2) == QStringLiteral("--")) {
            qsizetype end = sql.indexOf(u'\n', at);
            if (end < 0) end = size;
            blank(at, end);
            at = end;
        } else if (sql.mid(at, 2) == QStringLiteral("/*") &&
                   sql.mid(at, 3) != QStringLiteral("/*+")) {
            // Block comments nest, as the server reads them.
            qsizetype depth = 1, i = at + 2;
            while (i < size && depth > 0) {
                if (sql.mid(i, 2) == QStringLiteral("/*")) {
                    ++depth;
                    i += 2;
                } else if (sql.mid(i, 2) == QStringLiteral("*/")) {
                    --depth;
                    i += 2;
                } else {
                    ++i;
                }
            }
            if (depth > 0) break;  // never closed: the server says so
            blank(at, i);
            at = i;
        } else {
            break;
        }
    }
    return sql;
}

}  // namespace varkel
