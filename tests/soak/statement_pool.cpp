#include "soak/statement_pool.h"

namespace varkel::test {

QStringList StatementPool::setup(Engine engine) {
    const QString numbers =
        QStringLiteral(
            "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < %1) ")
            .arg(kBigRows);
    QStringList sql{
        QStringLiteral(
            "CREATE TABLE soak_big (k INTEGER PRIMARY KEY, v VARCHAR(40), d NUMERIC(10,2))"),
        QStringLiteral("CREATE TABLE soak_t (k INTEGER, v VARCHAR(40))"),
        QStringLiteral("CREATE TABLE soak_pk (k INTEGER PRIMARY KEY)"),
        QStringLiteral("INSERT INTO soak_pk VALUES (1)"),
        QStringLiteral("CREATE VIEW soak_view AS SELECT k, v FROM soak_t"),
    };
    if (engine == Engine::MariaDB)  // its sequence engine gives the numbers
        sql << QStringLiteral(
                   "INSERT INTO soak_big (k, v, d) SELECT seq, CONCAT('row ', seq), "
                   "seq / 4 FROM seq_1_to_%1")
                   .arg(kBigRows);
    else
        sql << numbers + QStringLiteral(
                             "INSERT INTO soak_big (k, v, d) SELECT k, 'row ' || k, "
                             "k / 4.0 FROM n");
    return sql;
}

PoolStatement StatementPool::pick(std::mt19937_64& rng) const {
    static const int sizes[] = {0, 1, 2, 10, 255, 256, 257, 1000, 5000, 10000, 30000};
    const int n = 1 + Pick(rng, 1000);
    switch (Pick(rng, 17)) {
        case 0:
        case 1:
        case 2: {
            const int rows = sizes[Pick(rng, static_cast<int>(std::size(sizes)))];
            // Large results are rarer: they take long under the sanitizers.
            const int capped = rows >= 10000 && Pick(rng, 3) != 0 ? 257 : rows;
            return {
                QStringLiteral("SELECT k, v, d FROM soak_big WHERE k <= %1 ORDER BY k").arg(capped),
                Expect::Rows};
        }
        case 3:
            return {QStringLiteral("SELECT COUNT(*) FROM soak_t"), Expect::Rows};
        case 4:
            return {QStringLiteral("SELECT * FROM soak_view"), Expect::Rows};
        case 5:
        case 6:
            return {QStringLiteral("INSERT INTO soak_t VALUES (%1, 'v%1')").arg(n), Expect::NoRows};
        case 7:
            return {QStringLiteral("UPDATE soak_t SET v = 'u%1' WHERE k = %1").arg(n),
                    Expect::NoRows};
        case 8:
            return {QStringLiteral("DELETE FROM soak_t WHERE k < %1").arg(n), Expect::NoRows};
        case 9:
            return {QStringLiteral("CREATE TABLE soak_d%1 (a INTEGER)").arg(n % 4), Expect::Either};
        case 10:
            return {QStringLiteral("DROP TABLE soak_d%1").arg(n % 4), Expect::Either};
        case 11:
            return {QStringLiteral("SELEC 1"), Expect::Fails};
        case 12:
            return {QStringLiteral("SELECT * FROM soak_missing_table"), Expect::Fails};
        case 13:
            return {QStringLiteral("INSERT INTO soak_pk VALUES (1)"), Expect::Fails};
        case 14:
            if (engine_ == Engine::PostgreSQL)
                return {QStringLiteral("SELECT pg_sleep(0.05)"), Expect::Rows};
            if (engine_ == Engine::MariaDB)
                return {QStringLiteral("SELECT SLEEP(0.05)"), Expect::Rows};
            return {QStringLiteral("SELECT 1"), Expect::Rows};
        case 15:  // a snapshot for the whole transaction: a row changed since is a failure
            if (engine_ == Engine::PostgreSQL)
                return {QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION ISOLATION "
                                       "LEVEL %1")
                            .arg(n % 2 ? QStringLiteral("REPEATABLE READ")
                                       : QStringLiteral("READ COMMITTED")),
                        Expect::NoRows};
            return {QStringLiteral("SELECT COUNT(*) FROM soak_pk"), Expect::Rows};
        default:
            return {QStringLiteral("SELECT k, v FROM soak_t ORDER BY k"), Expect::Rows};
    }
}

QString StatementPool::script(std::mt19937_64& rng) const {
    QStringList parts;
    const int count = 2 + Pick(rng, 3);
    for (int i = 0; i < count; ++i)
        parts << pick(rng).sql;
    return parts.join(QStringLiteral("\r\n/\r\n"));
}

}  // namespace varkel::test
