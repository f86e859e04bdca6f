#include "db/db_test_util.h"
#include "support/message_recorder.h"

namespace varkel::test {
namespace {

class CatalogTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFailure()) return;
        for (const char* sql :
             {"CREATE TABLE a_b (k1 INTEGER NOT NULL, name VARCHAR(20), amount NUMERIC(10,2), "
              "born DATE, PRIMARY KEY (k1))",
              "CREATE TABLE axb (other INTEGER)",
              "CREATE TABLE pk2 (k1 INTEGER NOT NULL, k2 INTEGER NOT NULL, v VARCHAR(10), "
              "PRIMARY KEY (k2, k1))",
              "CREATE VIEW v1 AS SELECT k1, name FROM a_b"})
            ASSERT_TRUE(db_->admin().exec(QString::fromLatin1(sql)));
        ConnectTo(s_, *db_);
    }
    void TearDown() override { DbDisconnect(s_); }
    MessageRecorder boxes_;
    DbSession s_;
};

TEST_P(CatalogTest, ListTablesSortsObjectsByType) {
    int tableCount = -1, viewCount = -1, otherCount = -1;
    QStringList tables, views, others;
    // An empty owner means every owner (MariaDB would list nothing for an empty string).
    ASSERT_EQ(ListTables(s_, QString(), tableCount, tables, viewCount, views, otherCount, others),
              0)
        << s_.LastMessage.toStdString();
    EXPECT_EQ(tableCount, tables.size());
    EXPECT_EQ(viewCount, views.size());
    EXPECT_EQ(otherCount, others.size());
    for (const char* table : {"a_b", "axb", "pk2"})
        EXPECT_TRUE(tables.contains(QString::fromLatin1(table)))
            << table << " in " << tables.join(u',').toStdString();
    EXPECT_TRUE(views.contains(QStringLiteral("v1"))) << views.join(u',').toStdString();
    EXPECT_FALSE(tables.contains(QStringLiteral("v1")));
    EXPECT_FALSE(s_.TableScan);
    EXPECT_EQ(s_.CursorOpen, 0);
}

// The exact name filter: a_b is also a pattern that matches axb, whose columns are not wanted.
TEST_P(CatalogTest, ListColumnsGivesOnlyTheNamedTablesColumnsWithTypeTexts) {
    int count = -1;
    QStringList names, types;
    ASSERT_EQ(ListColumns(s_, db_->owner(), QStringLiteral("a_b"), 100, count, names, types), 0)
        << s_.LastMessage.toStdString();
    EXPECT_EQ(count, 4);
    EXPECT_EQ(names, (QStringList{QStringLiteral("k1"), QStringLiteral("name"),
                                  QStringLiteral("amount"), QStringLiteral("born")}));
    QStringList expected;
    switch (db_->engine()) {
        case Engine::SQLite:  // its TYPE_NAME keeps the declared size, its scale column is odd
            expected = {QStringLiteral("INTEGER(9,10) NOT NULL"),
                        QStringLiteral("VARCHAR(20)(20,10)"), QStringLiteral("NUMERIC(10,2)(2,10)"),
                        QStringLiteral("DATE(0,10)")};
            break;
        case Engine::PostgreSQL:
            expected = {QStringLiteral("int4(10,0) NOT NULL"), QStringLiteral("varchar(20)"),
                        QStringLiteral("numeric(10,2)"), QStringLiteral("date(10)")};
            break;
        case Engine::MariaDB:
            expected = {QStringLiteral("INT(10,0) NOT NULL"), QStringLiteral("VARCHAR(20)"),
                        QStringLiteral("DECIMAL(10,2)"), QStringLiteral("DATE(10)")};
            break;
    }
    EXPECT_EQ(types, expected);
    // At most the maximum is kept.
    ASSERT_EQ(ListColumns(s_, db_->owner(), QStringLiteral("a_b"), 2, count, names, types), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names.size(), 2);
}

TEST_P(CatalogTest, MarkKeyColumnsSetsThePositionsOfATwoColumnKey) {
    const QStringList names = {QStringLiteral("k1"), QStringLiteral("k2"), QStringLiteral("v")};
    std::vector<std::int16_t> positions = {-1, -1, -1};
    ASSERT_EQ(MarkKeyColumns(s_, db_->owner(), QStringLiteral("pk2"), 3, names, positions), 0)
        << s_.LastMessage.toStdString();
    EXPECT_EQ(positions, (std::vector<std::int16_t>{2, 1, -1}));  // v is in no unique index
    EXPECT_FALSE(s_.KeyScan);
}

INSTANTIATE_TEST_SUITE_P(Engines, CatalogTest,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL, Engine::MariaDB),
                         EngineParamName());

// An owner with no objects lists nothing, without failing.
TEST(CatalogPostgresTest, AnOwnerWithoutObjectsGivesThreeEmptyLists) {
    OdbcConfig config;
    TestDatabase db(Engine::PostgreSQL, config);
    VARKEL_REQUIRE_DATABASE(db);
    ASSERT_TRUE(db.admin().exec(QStringLiteral("CREATE TABLE t (k INTEGER)")));
    ASSERT_TRUE(db.admin().exec(QStringLiteral("CREATE SCHEMA empty_owner")));
    MessageRecorder boxes;
    DbSession s;
    ConnectTo(s, db);
    int tableCount = -1, viewCount = -1, otherCount = -1;
    QStringList tables = {QStringLiteral("stale")}, views, others;
    EXPECT_EQ(ListTables(s, QStringLiteral("empty_owner"), tableCount, tables, viewCount, views,
                         otherCount, others),
              0);
    EXPECT_EQ(tableCount + viewCount + otherCount, 0);
    EXPECT_TRUE(tables.isEmpty() && views.isEmpty() && others.isEmpty());
    DbDisconnect(s);
}

}  // namespace
}  // namespace varkel::test
