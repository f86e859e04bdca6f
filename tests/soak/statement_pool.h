#pragma once

#include <QString>
#include <QStringList>
#include <random>

#include "support/engines.h"

namespace varkel::test {

// What a statement of the pool is expected to do.
enum class Expect { Rows, NoRows, Fails, Either };

struct PoolStatement {
    QString sql;
    Expect expect = Expect::Either;
};

// The statements the soak run picks from for one engine: SELECTs from none to 30,000 rows, DML,
// DDL, statements that always fail and, on the servers, one that sleeps a little.
class StatementPool {
  public:
    explicit StatementPool(Engine engine) : engine_(engine) {}
    PoolStatement pick(std::mt19937_64& rng) const;
    // Two to four statements as one script, cut by "/" lines.
    QString script(std::mt19937_64& rng) const;
    // The statements that build the tables the pool works on.
    static QStringList setup(Engine engine);
    static constexpr int kBigRows = 30000;

  private:
    Engine engine_;
};

// A number in [0, n) from the run's generator (libstdc++'s distributions: one seed, one run).
inline int Pick(std::mt19937_64& rng, int n) {
    return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng);
}

}  // namespace varkel::test
