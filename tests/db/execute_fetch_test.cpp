#include <memory>

#include "db/db_test_util.h"
#include "db/result_columns.h"
#include "support/message_recorder.h"

namespace varkel::test {
namespace {

class ExecuteFetchTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFailure()) return;
        ConnectTo(s_, *db_);
    }
    void TearDown() override { DbDisconnect(s_); }
    MessageRecorder boxes_;
    DbSession s_;
};

TEST_P(ExecuteFetchTest, UpdateAndDeleteReportTheRowsTheyChanged) {
    CreateNumbers(*db_, QStringLiteral("n"), 5);
    ASSERT_EQ(DbExecute(s_, QStringLiteral("UPDATE n SET v = 'x' WHERE k <= 3")), 0);
    EXPECT_EQ(LastRowCount(s_), 3);
    EXPECT_EQ(LastColumnCount(s_), 0);
    ASSERT_EQ(DbExecute(s_, QStringLiteral("DELETE FROM n WHERE k > 3")), 0);
    EXPECT_EQ(LastRowCount(s_), 2);
    EXPECT_EQ(s_.LiveStatements, 1);  // the statement last executed, kept until the next
    ASSERT_EQ(DbExecute(s_, QStringLiteral("SELECT k, v FROM n")), 0);
    EXPECT_EQ(LastRowCount(s_), 0);
    EXPECT_EQ(LastColumnCount(s_), 2);
    EXPECT_EQ(s_.LiveStatements, 1);  // it became the cursor
    DbDisconnect(s_);
    EXPECT_EQ(s_.LiveStatements, 0);
}

// A statement posted runs while the caller goes on; whatever is given meanwhile waits for it,
// so the database sees the statements in the order given, and its outcome is collected after.
TEST_P(ExecuteFetchTest, APostedStatementGoesBeforeWhatFollowsIt) {
    CreateNumbers(*db_, QStringLiteral("n"), 5);
    struct Case {
        QString posted, then;
        DbStatus collected;
        QString seen;  // what the following query reads
    };
    const Case cases[] = {
        {QStringLiteral("DELETE FROM n WHERE k > 2"), QStringLiteral("SELECT count(*) FROM n"), 0,
         QStringLiteral("2")},
        {QStringLiteral("INSERT INTO n VALUES (1, 'again')"),
         QStringLiteral("SELECT count(*) FROM n"), -1, QStringLiteral("2")},
        {QStringLiteral("UPDATE n SET v = 'x'"), QStringLiteral("SELECT min(v) FROM n"), 0,
         QStringLiteral("x")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.posted.toStdString());
        DbExecutePost(s_, c.posted);
        EXPECT_FALSE(DbCallOut(s_));
        ASSERT_EQ(DbExecute(s_, c.then), 0);
        QStringList values;
        ASSERT_EQ(DbFetch(s_, values, 0), 0);
        EXPECT_EQ(values.value(0), c.seen);
        const DbStatus status = DbExecuteCollect(s_);
        EXPECT_EQ(status == 0, c.collected == 0) << status;
    }
}

// A result read whole after a reconnect reads its own values, not through what the result read
// before the disconnect left.
TEST_P(ExecuteFetchTest, AResultReadWholeAfterAReconnectReadsItsOwnValues) {
    CreateNumbers(*db_, QStringLiteral("n"), 600);
    QStringList values;
    ASSERT_EQ(DbExecuteStreaming(s_, QStringLiteral("SELECT k FROM n ORDER BY k")), 0);
    ASSERT_EQ(DbFetchWholeInBlocks(s_, values), 0);
    DbDisconnect(s_);
    ConnectTo(s_, *db_);
    ASSERT_EQ(DbExecuteStreaming(s_, QStringLiteral("SELECT k * 2, v, k FROM n ORDER BY k")), 0);
    for (int row = 1; row <= 600; ++row) {
        ASSERT_EQ(DbFetchWholeInBlocks(s_, values), 0) << row;
        ASSERT_EQ(values, QStringList({QString::number(row * 2), QStringLiteral("v%1").arg(row),
                                       QString::number(row)}))
            << row;
    }
    EXPECT_EQ(DbFetchWholeInBlocks(s_, values), 100);
}

// 600 rows arrive in rowsets of 256, 256 and 88; the next request finds no more rows.
TEST_P(ExecuteFetchTest, BlockFetchReadsRowsetsOf256) {
    CreateNumbers(*db_, QStringLiteral("n"), 600);
    ASSERT_EQ(DbExecute(s_, QStringLiteral("SELECT k, v FROM n ORDER BY k")), 0);
    ASSERT_TRUE(s_.BlockFetch);
    QStringList values;
    for (int row = 1; row <= 600; ++row) {
        ASSERT_EQ(DbFetch(s_, values, 0), 0) << row;
        EXPECT_EQ(s_.RowsFetched, row <= 256 ? 256 : row <= 512 ? 512 : 600) << row;
        ASSERT_EQ(values.value(0), QString::number(row));
        ASSERT_EQ(values.value(1), QStringLiteral("v%1").arg(row));
    }
    EXPECT_EQ(DbFetch(s_, values, 0), 100);
    EXPECT_EQ(LastDbMessage(s_), QStringLiteral("[OdbcLib]NO DATA FOUND"));
    EXPECT_EQ(DbFetch(s_, values, 0), 100);
    EXPECT_EQ(s_.RowsFetched, 600);
}

TEST_P(ExecuteFetchTest, SingleRowFetchReadsTheSameRows) {
    CreateNumbers(*db_, QStringLiteral("n"), 300);
    ASSERT_EQ(DbExecute(s_, QStringLiteral("SELECT k, v FROM n ORDER BY k")), 0);
    QStringList values;
    for (int row = 1; row <= 300; ++row) {
        ASSERT_EQ(DbFetch(s_, values, 1), 0) << row;
        EXPECT_EQ(s_.RowsFetched, row);
        ASSERT_EQ(values.value(1), QStringLiteral("v%1").arg(row));
    }
    EXPECT_EQ(DbFetch(s_, values, 1), 100);
}

// Both fetch paths read NULL and '' as empty text, and keep at most the first 254 bytes of a
// value, never splitting a character.
TEST_P(ExecuteFetchTest, ValuesAreCutAt254BytesOnWholeCharacters) {
    ASSERT_TRUE(db_->admin().exec(
        QStringLiteral("CREATE TABLE s (k INTEGER PRIMARY KEY, v VARCHAR(400))")));
    const QString ascii(300, u'x');
    const QString japanese(100, QChar(0x3042));  // あ: 300 bytes in UTF-8
    const QString mixed = QStringLiteral("a") + QString(100, QChar(0x65E5));  // 254 splits 日
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("INSERT INTO s VALUES (1, NULL)")));
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("INSERT INTO s VALUES (2, '')")));
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("INSERT INTO s VALUES (3, '%1')").arg(ascii)));
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("INSERT INTO s VALUES (4, '%1')").arg(japanese)));
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("INSERT INTO s VALUES (5, '%1')").arg(mixed)));
    const QStringList expected = {QString(), QString(), ascii.left(254), japanese.left(84),
                                  mixed.left(85)};
    for (int singleRow : {0, 1}) {
        SCOPED_TRACE(singleRow ? "single-row fetch" : "block fetch");
        ASSERT_EQ(DbExecute(s_, QStringLiteral("SELECT v FROM s ORDER BY k")), 0);
        for (const QString& want : expected) {
            QStringList values;
            ASSERT_EQ(DbFetch(s_, values, singleRow), 0);
            EXPECT_EQ(values.value(0), want);
        }
    }
}

TEST_P(ExecuteFetchTest, DescribeResultGivesTheKindOfEachColumn) {
    ASSERT_TRUE(db_->admin().exec(
        QStringLiteral("CREATE TABLE d (c CHAR(3), n NUMERIC(10,2), t TIMESTAMP, i INTEGER)")));
    ASSERT_EQ(DbExecute(s_, QStringLiteral("SELECT c, n, t, i FROM d")), 0);
    auto record = std::make_unique<ResultColumns>();
    record->Count = LastColumnCount(s_);
    ASSERT_EQ(DescribeResult(s_, *record), 0);
    EXPECT_EQ(record->Count, 4);
    const QStringList names = {record->Names[0], record->Names[1], record->Names[2],
                               record->Names[3]};
    const QStringList kinds = {record->Kinds[0], record->Kinds[1], record->Kinds[2],
                               record->Kinds[3]};
    EXPECT_EQ(names.join(u',').toLower(), QStringLiteral("c,n,t,i"));
    EXPECT_EQ(kinds, (QStringList{QStringLiteral("S"), QStringLiteral("N"), QStringLiteral("T"),
                                  QStringLiteral("N")}));
}

// The one cursor serves both: a catalog enumeration closes the open result.
TEST_P(ExecuteFetchTest, ACatalogEnumerationClosesTheOpenResult) {
    CreateNumbers(*db_, QStringLiteral("n"), 600);
    ASSERT_EQ(DbExecute(s_, QStringLiteral("SELECT k FROM n")), 0);
    QStringList values;
    ASSERT_EQ(DbFetch(s_, values, 0), 0);
    int tables = 0, views = 0, others = 0;
    QStringList t, v, o;
    ASSERT_EQ(ListTables(s_, db_->owner(), tables, t, views, v, others, o), 0);
    EXPECT_EQ(s_.CursorOpen, 0);
    EXPECT_EQ(s_.LiveStatements, 0);
    // Reading on finds no cursor: a failed fetch, never the catalog's rows or stale buffers.
    EXPECT_EQ(DbFetch(s_, values, 0), 9999);
    EXPECT_EQ(DbFetch(s_, values, 1), 9999);
}

// Each new result starts its block fetch afresh: a second query after the first was read to its
// end shows its own rows from its first, never what the first left in the buffers.
TEST_P(ExecuteFetchTest, ASecondQueryAfterTheFirstEndedReadsItsOwnRows) {
    CreateNumbers(*db_, QStringLiteral("n"), 600);
    QStringList values;
    ASSERT_EQ(DbExecute(s_, QStringLiteral("SELECT k, v FROM n ORDER BY k")), 0);
    int rows = 0;
    while (DbFetch(s_, values, 0) == 0)
        ++rows;
    ASSERT_EQ(rows, 600);
    ASSERT_EQ(DbExecute(s_, QStringLiteral("SELECT v, k FROM n WHERE k > 200 ORDER BY k DESC")), 0);
    QStringList firsts;
    rows = 0;
    while (DbFetch(s_, values, 0) == 0) {
        if (rows == 0 || rows == 256 || rows == 399) firsts << values.join(u',');
        ++rows;
    }
    EXPECT_EQ(rows, 400);
    EXPECT_EQ(firsts, (QStringList{QStringLiteral("v600,600"), QStringLiteral("v344,344"),
                                   QStringLiteral("v201,201")}));
}

// The statement of a fill asks the driver for no more rows than the list shows (plus one) or
// reads through a server cursor, however it begins; a statement that changes rows is never cut
// short by it.
TEST_P(ExecuteFetchTest, AFillStatementAsksTheDriverOnlyForWhatTheListShows) {
    const Engine engine = db_->engine();
    CreateNumbers(*db_, QStringLiteral("n"), 30000);
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("CREATE TABLE n2 (k INTEGER, v VARCHAR(20))")));
    ASSERT_EQ(DbExecuteFill(s_, QStringLiteral("UPDATE n SET v = 'x'")), 0)
        << s_.LastMessage.toStdString();
    EXPECT_EQ(LastRowCount(s_), 30000);
    ASSERT_EQ(DbExecuteFill(s_, QStringLiteral("INSERT INTO n2 SELECT k, v FROM n")), 0)
        << s_.LastMessage.toStdString();
    EXPECT_EQ(LastRowCount(s_), 30000);
    struct Case {
        QString sql;
        bool sqlite = true;               // whether SQLite reads the text as a query
        int mariadbRows = kFillRowLimit;  // a LIMIT of the query's own is the server's to keep
    };
    const Case cases[] = {
        {QStringLiteral("SELECT k, v FROM n ORDER BY k")},
        {QStringLiteral("select k FROM n LIMIT 20000"), true, 20000},
        {QStringLiteral("WITH w AS (SELECT k, v FROM n) SELECT * FROM w")},
        {QStringLiteral("/* note */ SELECT k, v FROM n")},
        {QStringLiteral("-- note\n  /* another */\nSELECT k, v FROM n")},
        {QStringLiteral("(SELECT k, v FROM n)"), false},
        {QStringLiteral("SELECT k FROM n UNION ALL SELECT k FROM n2")},
    };
    QStringList values;
    for (const Case& c : cases) {
        if (engine == Engine::SQLite && !c.sqlite) continue;
        SCOPED_TRACE(c.sql.toStdString());
        ASSERT_EQ(DbExecuteFill(s_, c.sql), 0) << s_.LastMessage.toStdString();
        if (engine == Engine::PostgreSQL) {
            // psqlODBC ignores the limit; it reads through a server cursor, which a rollback
            // closes.
            ASSERT_EQ(DbFetch(s_, values, 0), 0);
            EXPECT_TRUE(
                db_->admin()
                    .scalar(QStringLiteral("SELECT query FROM pg_stat_activity WHERE datname = "
                                           "current_database() AND pid <> pg_backend_pid()"))
                    .contains(QStringLiteral("cursor"), Qt::CaseInsensitive));
            EXPECT_EQ(RollbackWork(s_), 0);
            EXPECT_EQ(DbFetch(s_, values, 0), kCursorClosed);
            EXPECT_TRUE(LastDbMessage(s_).contains(QStringLiteral("ROLLBACK")));
            continue;
        }
        int rows = 0;
        DbStatus status = 0;
        while ((status = DbFetch(s_, values, 0)) == 0)
            ++rows;
        EXPECT_EQ(rows, engine == Engine::MariaDB ? c.mariadbRows : kFillRowLimit);
        EXPECT_EQ(status, 100);
    }
    // Statements that return rows of their own kind run and return them all.
    const QString small[] = {
        engine == Engine::SQLite    ? QStringLiteral("PRAGMA table_info(n)")
        : engine == Engine::MariaDB ? QStringLiteral("SHOW COLUMNS FROM n")
                                    : QStringLiteral("SHOW search_path"),
        QStringLiteral("EXPLAIN SELECT k FROM n"),
        // The SQLite and MariaDB drivers return no rows for a bare VALUES.
        engine == Engine::PostgreSQL ? QStringLiteral("VALUES (1), (2)")
                                     : QStringLiteral("SELECT * FROM (VALUES (1), (2)) AS t"),
    };
    for (const QString& sql : small) {
        SCOPED_TRACE(sql.toStdString());
        ASSERT_EQ(DbExecuteFill(s_, sql), 0) << s_.LastMessage.toStdString();
        int rows = 0;
        while (DbFetch(s_, values, 0) == 0)
            ++rows;
        EXPECT_GT(rows, 0);
    }
    int rows = 0;
    // Plain and streaming statements are never limited.
    for (const bool streaming : {false, true}) {
        ASSERT_EQ(streaming ? DbExecuteStreaming(s_, QStringLiteral("SELECT k FROM n"))
                            : DbExecute(s_, QStringLiteral("SELECT k FROM n")),
                  0);
        rows = 0;
        while (DbFetch(s_, values, 0) == 0)
            ++rows;
        EXPECT_EQ(rows, 30000) << streaming;
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, ExecuteFetchTest,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL, Engine::MariaDB),
                         EngineParamName());

}  // namespace
}  // namespace varkel::test
