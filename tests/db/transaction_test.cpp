#include <QFile>
#include <QTimer>
#include <thread>

#include "toolkit/call_wait.h"

#include "db/db_test_util.h"
#include "support/message_recorder.h"

namespace varkel::test {
namespace {

class TransactionTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFailure()) return;
        ASSERT_TRUE(db_->admin().exec(
            QStringLiteral("CREATE TABLE t (k INTEGER PRIMARY KEY, v VARCHAR(20))")));
        ConnectTo(s_, *db_);
    }
    int committedRows() {
        return db_->admin().scalar(QStringLiteral("SELECT COUNT(*) FROM t")).toInt();
    }
    void insert(int k) {
        ASSERT_EQ(DbExecute(s_, QStringLiteral("INSERT INTO t VALUES (%1, 'x')").arg(k)), 0)
            << s_.LastMessage.toStdString();
        EXPECT_EQ(LastRowCount(s_), 1);
    }
    MessageRecorder boxes_;
    DbSession s_;
};

// Every connection runs with manual commit: nothing is seen by others until it is committed.
TEST_P(TransactionTest, WorkIsCommittedOnlyByCommitOrDisconnect) {
    insert(1);
    EXPECT_EQ(committedRows(), 0);
    EXPECT_EQ(RollbackWork(s_), 0);
    EXPECT_EQ(committedRows(), 0);

    insert(2);
    EXPECT_EQ(DbCommit(s_), 0);
    EXPECT_EQ(committedRows(), 1);

    insert(3);
    EXPECT_EQ(DbDisconnect(s_), 0);  // disconnecting commits
    EXPECT_EQ(committedRows(), 2);
    EXPECT_TRUE(boxes_.boxes().isEmpty());
}

// "commit work" and "Rollback" are the program's own commands (the driver would reject or
// never see them); " COMMIT" with a leading blank goes to the driver.
TEST_P(TransactionTest, TypedCommitAndRollbackAreCarriedOutByTheProgram) {
    insert(1);
    EXPECT_EQ(DbExecute(s_, QStringLiteral("Rollback")), 0) << s_.LastMessage.toStdString();
    EXPECT_EQ(committedRows(), 0);
    insert(2);
    EXPECT_EQ(DbExecute(s_, QStringLiteral("commit work")), 0) << s_.LastMessage.toStdString();
    EXPECT_EQ(LastRowCount(s_), 0);
    EXPECT_EQ(LastColumnCount(s_), 0);
    EXPECT_EQ(committedRows(), 1);
    DbDisconnect(s_);
}

// Only the bare keyword is the program's command: a savepoint rollback reaches the server and
// undoes the work after the savepoint only.
TEST_P(TransactionTest, RollbackToASavepointKeepsTheWorkBeforeIt) {
    insert(1);
    ASSERT_EQ(DbExecute(s_, QStringLiteral("SAVEPOINT a")), 0) << s_.LastMessage.toStdString();
    insert(2);
    ASSERT_EQ(DbExecute(s_, QStringLiteral("ROLLBACK TO SAVEPOINT a")), 0)
        << s_.LastMessage.toStdString();
    EXPECT_EQ(committedRows(), 0);
    ASSERT_EQ(DbExecute(s_, QStringLiteral("COMMIT;")), 0) << s_.LastMessage.toStdString();
    EXPECT_EQ(db_->admin().scalar(QStringLiteral("SELECT COUNT(*) FROM t")), QStringLiteral("1"));
    EXPECT_EQ(db_->admin().scalar(QStringLiteral("SELECT k FROM t")), QStringLiteral("1"));
    EXPECT_TRUE(boxes_.boxes().isEmpty());
    DbDisconnect(s_);
}

// A statement that runs until it is stopped: the stop cancels it on the server, it fails with
// the driver's message, and the session goes on. The work before it is as the server left it.
TEST_P(TransactionTest, AStatementStoppedWhileOutFailsAndTheSessionGoesOn) {
    insert(1);
    QString sleep;
    switch (GetParam()) {
        case Engine::PostgreSQL:
            sleep = QStringLiteral("SELECT pg_sleep(60)");
            break;
        case Engine::MariaDB:
            sleep = QStringLiteral("SELECT SLEEP(60)");
            break;
        case Engine::SQLite:
            sleep = QStringLiteral(
                "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                "WHERE x < 2000000000) SELECT MAX(x) FROM c");
            break;
    }
    int stops = 0;
    CallWaitHooks hooks;
    // A cancel that reaches the driver before the statement does is lost: it is repeated until
    // the call is back.
    hooks.started = [&](CallWait& wait) {
        auto* again = new QTimer(&wait);
        QObject::connect(again, &QTimer::timeout, [&] { stops += DbCancel(s_) ? 1 : 0; });
        again->start(20);
        stops += DbCancel(s_) ? 1 : 0;
    };
    s_.WaitHooks = &hooks;
    const DbStatus status = DbExecuteFill(s_, sleep);
    EXPECT_NE(status, 0);
    EXPECT_GE(stops, 1);
    EXPECT_TRUE(DbCallStopped(s_));
    EXPECT_FALSE(LastDbMessage(s_).isEmpty());
    s_.WaitHooks = nullptr;
    ASSERT_EQ(DbExecute(s_, QStringLiteral("SELECT 1")), 0) << s_.LastMessage.toStdString();
    EXPECT_EQ(LastColumnCount(s_), 1);
    EXPECT_EQ(DbCommit(s_), 0);
    // The work before it stays: psqlODBC rolls a failed statement back to its own savepoint, so
    // not even PostgreSQL ends the transaction.
    EXPECT_EQ(committedRows(), 1);
    DbDisconnect(s_);
}

// SQLite ends the whole transaction on some failures (a full disk, an interrupted change, an OR
// ROLLBACK conflict): the session counts the rollback, the message says the work is gone, and
// the statements after it belong to a transaction that COMMIT and ROLLBACK still end.
TEST_P(TransactionTest, AFailureThatEndsTheTransactionAtTheDatabaseIsToldAndCounted) {
    if (GetParam() != Engine::SQLite) GTEST_SKIP() << "only SQLite rolls back on these failures";
    ASSERT_TRUE(db_->admin().exec(
        QStringLiteral("CREATE TRIGGER boom BEFORE INSERT ON t WHEN NEW.v = 'boom' "
                       "BEGIN SELECT RAISE(ROLLBACK, 'boom'); END")));
    struct Case {
        const char* sql;
        bool endsTransaction;
    };
    const Case cases[] = {
        {"INSERT OR ROLLBACK INTO t VALUES (1, 'y')", true},
        {"INSERT INTO t VALUES (50, 'boom')", true},
        {"INSERT INTO t VALUES (1, 'y')", false},
        {"INSERT INTO nowhere VALUES (1)", false},
    };
    insert(1);
    ASSERT_EQ(DbCommit(s_), 0);
    int k = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        insert(++k);
        const std::uint64_t rollbacks = s_.Rollbacks;
        const std::uint64_t failures = DbFailureRollbacks(s_);
        EXPECT_NE(DbExecute(s_, QString::fromLatin1(c.sql)), 0);
        EXPECT_EQ(LastDbMessage(s_).contains(QStringLiteral("ロールバックしました")),
                  c.endsTransaction)
            << LastDbMessage(s_).toStdString();
        EXPECT_EQ(s_.Rollbacks - rollbacks, c.endsTransaction ? 1u : 0u);
        EXPECT_EQ(DbFailureRollbacks(s_) - failures, c.endsTransaction ? 1u : 0u);
        insert(100 + k);  // not committed by itself
        EXPECT_EQ(db_->admin().scalar(
                      QStringLiteral("SELECT COUNT(*) FROM t WHERE k BETWEEN 101 AND 199")),
                  QStringLiteral("0"));
        ASSERT_EQ(RollbackWork(s_), 0) << s_.LastMessage.toStdString();
        insert(200 + k);
        ASSERT_EQ(DbCommit(s_), 0) << s_.LastMessage.toStdString();
        EXPECT_EQ(
            db_->admin().scalar(QStringLiteral("SELECT COUNT(*) FROM t WHERE k = %1").arg(200 + k)),
            QStringLiteral("1"));
    }
    EXPECT_EQ(db_->admin().scalar(QStringLiteral("SELECT COUNT(*) FROM t WHERE k < 100")),
              QStringLiteral("1"));
    // An end of the transaction typed for the driver: what follows is still not committed by
    // itself, and a failure after it tells of no rollback.
    for (const char* end : {"END", " COMMIT", "end transaction;"}) {
        SCOPED_TRACE(end);
        ASSERT_EQ(DbExecute(s_, QString::fromLatin1(end)), 0) << s_.LastMessage.toStdString();
        insert(300);
        EXPECT_NE(DbExecute(s_, QStringLiteral("INSERT INTO t VALUES (300, 'again')")), 0);
        EXPECT_FALSE(LastDbMessage(s_).contains(QStringLiteral("ロールバックしました")));
        EXPECT_EQ(db_->admin().scalar(QStringLiteral("SELECT COUNT(*) FROM t WHERE k = 300")),
                  QStringLiteral("0"));
        ASSERT_EQ(RollbackWork(s_), 0) << s_.LastMessage.toStdString();
    }
    DbDisconnect(s_);
}

// InnoDB rolls back the whole transaction of a deadlock's victim: the program says the work is
// gone and counts the rollback. The other side holds more rows, so the session is the victim
// whichever of the two waits first.
TEST_P(TransactionTest, ADeadlockVictimIsToldThatItsWorkIsGone) {
    if (GetParam() != Engine::MariaDB) GTEST_SKIP() << "InnoDB chooses the victim by its weight";
    insert(1);
    insert(2);
    ASSERT_EQ(DbCommit(s_), 0);
    ASSERT_EQ(DbExecute(s_, QStringLiteral("UPDATE t SET v = 's' WHERE k = 1")), 0);
    insert(10);
    AdminConnection& other = db_->admin();
    ASSERT_TRUE(other.exec(QStringLiteral("START TRANSACTION")));
    ASSERT_TRUE(other.exec(QStringLiteral("UPDATE t SET v = 'o' WHERE k = 2")));
    for (int k = 20; k < 40; ++k)
        ASSERT_TRUE(other.exec(QStringLiteral("INSERT INTO t VALUES (%1, 'o')").arg(k)));
    std::thread waiting([&] { other.exec(QStringLiteral("UPDATE t SET v = 'o' WHERE k = 1")); });
    const std::uint64_t rollbacks = s_.Rollbacks;
    EXPECT_EQ(DbExecute(s_, QStringLiteral("UPDATE t SET v = 's' WHERE k = 2")), -1213);
    EXPECT_TRUE(LastDbMessage(s_).contains(QStringLiteral("ロールバックしました")))
        << LastDbMessage(s_).toStdString();
    EXPECT_EQ(s_.Rollbacks - rollbacks, 1u);
    EXPECT_EQ(DbFailureRollbacks(s_), 1u);
    waiting.join();
    ASSERT_TRUE(other.exec(QStringLiteral("COMMIT")));
    insert(11);
    ASSERT_EQ(DbCommit(s_), 0) << s_.LastMessage.toStdString();
    EXPECT_EQ(db_->admin().rows(QStringLiteral("SELECT k, v FROM t WHERE k < 20 ORDER BY k")),
              (QStringList{QStringLiteral("1|o"), QStringLiteral("2|o"), QStringLiteral("11|x")}));
    DbDisconnect(s_);
}

INSTANTIATE_TEST_SUITE_P(Engines, TransactionTest,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL, Engine::MariaDB),
                         EngineParamName());

// What reaches the driver, as the project's test driver logs it.
TEST(TransactionDriverTest, OnlyStatementsWithoutTheCommandPrefixReachTheDriver) {
    OdbcConfig config;
    MessageRecorder boxes;
    const QString log = config.path(QStringLiteral("driver.log"));
    DbSession s;
    DbInit(s);
    QString user, password;
    QString connectString = QStringLiteral("DRIVER=VarkelTest;LOG=%1").arg(log);
    ASSERT_EQ(DbConnect(s, 0, {}, user, password, {}, connectString), 0);
    for (const char* sql : {"commit work", "Rollback", "COMMITTED", " COMMIT", "ROLLBACK TO x",
                            "rollback transaction ;", "Commit\t;\r\n", "COMMIT PREPARED 'x'",
                            "ROLLBACK PREPARED 'x'", "COMMIT;;", "ROLLBACK WORK TRANSACTION"})
        DbExecute(s, QString::fromLatin1(sql));
    DbDisconnect(s);
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    const QStringList expected = {QStringLiteral("CONNECT"),
                                  QStringLiteral("AUTOCOMMIT 0"),
                                  QStringLiteral("COMMIT"),
                                  QStringLiteral("ROLLBACK"),
                                  QStringLiteral("EXEC COMMITTED"),
                                  QStringLiteral("EXEC  COMMIT"),
                                  QStringLiteral("EXEC ROLLBACK TO x"),
                                  QStringLiteral("ROLLBACK"),
                                  QStringLiteral("COMMIT"),
                                  QStringLiteral("EXEC COMMIT PREPARED 'x'"),
                                  QStringLiteral("EXEC ROLLBACK PREPARED 'x'"),
                                  QStringLiteral("EXEC COMMIT;;"),
                                  QStringLiteral("EXEC ROLLBACK WORK TRANSACTION"),
                                  QStringLiteral("COMMIT"),  // the disconnect commits
                                  QStringLiteral("DISCONNECT")};
    EXPECT_EQ(lines, expected);
}

// A deferred unique key fails at commit: the box shows the status and the server's own text,
// which is taken out of the session.
TEST(TransactionPostgresTest, CommitFailingAtTheServerShowsItsMessage) {
    OdbcConfig config;
    TestDatabase db(Engine::PostgreSQL, config);
    VARKEL_REQUIRE_DATABASE(db);
    ASSERT_TRUE(db.admin().exec(
        QStringLiteral("CREATE TABLE u (k INTEGER UNIQUE DEFERRABLE INITIALLY DEFERRED)")));
    MessageRecorder boxes;
    DbSession s;
    ConnectTo(s, db);
    ASSERT_EQ(DbExecute(s, QStringLiteral("INSERT INTO u VALUES (1), (1)")), 0);
    const DbStatus status = DbCommit(s);
    EXPECT_LT(status, 0);
    ASSERT_EQ(boxes.boxes().size(), 1);
    const QString text = boxes.boxes()[0].text;
    EXPECT_TRUE(
        text.startsWith(QString::number(status) + QStringLiteral(":以下のメッセージを参照。\r\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("duplicate key"))) << text.toStdString();
    EXPECT_EQ(boxes.boxes()[0].title, QStringLiteral("COMMIT エラー"));
    EXPECT_EQ(boxes.boxes()[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(s.LastMessage.isEmpty());
    EXPECT_EQ(db.admin().scalar(QStringLiteral("SELECT COUNT(*) FROM u")), QStringLiteral("0"));
    DbDisconnect(s);
}

// Work left open is committed at the disconnect; when that commit fails the user reads why in
// the commit error box, and the session is closed all the same.
TEST(TransactionPostgresTest, CommitFailingAtTheDisconnectIsReported) {
    OdbcConfig config;
    TestDatabase db(Engine::PostgreSQL, config);
    VARKEL_REQUIRE_DATABASE(db);
    ASSERT_TRUE(db.admin().exec(
        QStringLiteral("CREATE TABLE u (k INTEGER UNIQUE DEFERRABLE INITIALLY DEFERRED)")));
    MessageRecorder boxes;
    DbSession s;
    ConnectTo(s, db);
    ASSERT_EQ(DbExecute(s, QStringLiteral("INSERT INTO u VALUES (1), (1)")), 0);
    EXPECT_EQ(DbDisconnect(s), -99);
    ASSERT_EQ(boxes.boxes().size(), 1);
    EXPECT_EQ(boxes.boxes()[0].title, QStringLiteral("COMMIT エラー"));
    EXPECT_TRUE(boxes.boxes()[0].text.contains(QStringLiteral("duplicate key")))
        << boxes.boxes()[0].text.toStdString();
    EXPECT_FALSE(IsConnected(s));
    EXPECT_FALSE(s.Env);
    EXPECT_EQ(db.admin().scalar(QStringLiteral("SELECT COUNT(*) FROM u")), QStringLiteral("0"));
}

// What the test driver sees when closing goes wrong: a refused disconnect is rolled back and
// disconnected again, a failed switch to manual commit closes the connection it made, and in
// either case the environment can be freed.
TEST(TransactionDriverTest, ConnectionsAreClosedWhenClosingOrSettingUpFails) {
    struct Case {
        const char* name;
        const char* keys;
        const char* statement;
        int disconnectResult;
        QStringList boxTitles;
        QStringList log;
    };
    const Case cases[] = {
        {"commit fails, disconnect refused",
         "BUSYDISCONNECT=1",
         "FAILCOMMIT 0 serialization failure",
         -99,
         {QStringLiteral("COMMIT エラー")},
         {QStringLiteral("EXEC FAILCOMMIT 0 serialization failure"), QStringLiteral("COMMIT"),
          QStringLiteral("DISCONNECT REFUSED"), QStringLiteral("ROLLBACK"),
          QStringLiteral("DISCONNECT")}},
        {"commit warns",
         "",
         "WARNCOMMIT all is well",
         0,
         {},
         {QStringLiteral("EXEC WARNCOMMIT all is well"), QStringLiteral("COMMIT"),
          QStringLiteral("DISCONNECT")}},
    };
    OdbcConfig config;
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MessageRecorder boxes;
        const QString log = config.path(QStringLiteral("driver%1.log").arg(++run));
        DbSession s;
        DbInit(s);
        QString user, password;
        QString connectString =
            QStringLiteral("DRIVER=VarkelTest;LOG=%1;%2").arg(log, QString::fromLatin1(c.keys));
        ASSERT_EQ(DbConnect(s, 0, {}, user, password, {}, connectString), 0);
        DbExecute(s, QString::fromLatin1(c.statement));
        EXPECT_EQ(DbDisconnect(s), c.disconnectResult);
        QStringList titles;
        for (const auto& box : boxes.boxes())
            titles << box.title;
        EXPECT_EQ(titles, c.boxTitles);
        if (!c.boxTitles.isEmpty()) {
            EXPECT_TRUE(boxes.boxes()[0].text.endsWith(QStringLiteral("serialization failure")))
                << boxes.boxes()[0].text.toStdString();
        }
        EXPECT_FALSE(s.Env);
        QFile file(log);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts).mid(2), c.log);
    }

    // Manual commit cannot be set: the connect fails, and what it opened is closed again.
    MessageRecorder boxes;
    const QString log = config.path(QStringLiteral("driver.log"));
    DbSession s;
    DbInit(s);
    QString user, password;
    QString connectString = QStringLiteral("DRIVER=VarkelTest;LOG=%1;AUTOCOMMITFAIL=1").arg(log);
    EXPECT_EQ(DbConnect(s, 0, {}, user, password, {}, connectString), -99);
    ASSERT_EQ(boxes.boxes().size(), 1);
    EXPECT_TRUE(boxes.boxes()[0].text.endsWith(QStringLiteral("Autocommit cannot be switched")))
        << boxes.boxes()[0].text.toStdString();
    EXPECT_FALSE(IsConnected(s));
    EXPECT_EQ(ReleaseEnvironment(s), 0) << "the connection kept the environment busy";
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts),
              (QStringList{QStringLiteral("CONNECT"), QStringLiteral("AUTOCOMMIT 0"),
                           QStringLiteral("DISCONNECT")}));
}

}  // namespace
}  // namespace varkel::test
