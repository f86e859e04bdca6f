// A server behind a link that is cut for real (a network namespace and a veth pair of the test's
// own): the window keeps painting, every call ends within the bounds the session sets, and a
// call that a stop cannot end is given up by the disconnect command. Needs root.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include "db/db_test_util.h"
#include "exec/sql_executor.h"
#include "support/connected_window.h"
#include "support/message_recorder.h"
#include "toolkit/keyed_bars.h"
#include "ui/main/call_wait_view.h"

namespace varkel::test {
namespace {

// Generous: the bounds the tests set end a call within a few seconds.
constexpr qint64 kWithinBoundMs = 60000;

class DeadLinkTest : public ::testing::TestWithParam<Engine> {
  protected:
    static bool net(const char* command, QByteArray* output = nullptr) {
        QProcess script;
        script.setProcessChannelMode(QProcess::MergedChannels);
        script.start(QStringLiteral("bash"),
                     {QStringLiteral(VARKEL_TESTS_DIR "/db/dead_link_servers.sh"),
                      QString::fromLatin1(command), dir_});
        script.waitForFinished(-1);
        if (output) *output = script.readAll().right(300) + script.errorString().toUtf8();
        return script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0;
    }
    static void SetUpTestSuite() {
        if (geteuid() != 0) {
            skip_ = "a network namespace of its own needs root";
            return;
        }
        dir_ = QDir::tempPath() + QStringLiteral("/varkel-deadlink-%1").arg(getpid());
        if (QByteArray output; !net("start", &output)) {
            skip_ = "no network namespace with a veth pair and its servers here: " +
                    output.toStdString();
            net("stop");
            return;
        }
        QFile env(dir_ + QStringLiteral("/env"));  // the servers' addresses, as the engines read
        for (const QByteArray& line :
             env.open(QIODevice::ReadOnly) ? env.readAll().split('\n') : QList<QByteArray>()) {
            const QByteArray name = line.left(line.indexOf('='));
            saved_.append({name, qgetenv(name.constData())});
            qputenv(name.constData(), line.mid(name.size() + 1));
        }
    }
    static void TearDownTestSuite() {
        for (const auto& [name, value] : saved_)
            value.isEmpty() ? qunsetenv(name.constData()) : qputenv(name.constData(), value);
        if (skip_.empty()) net("stop");
    }
    void SetUp() override {
        if (!skip_.empty()) GTEST_SKIP() << skip_;
        db_ = std::make_unique<TestDatabase>(GetParam(), config_);
        VARKEL_REQUIRE_DATABASE(*db_);
        CreateNumbers(*db_, QStringLiteral("n"), 30000);
        session_.Bounds.loginTimeoutS = 5;
        session_.Bounds.keepIdleS = 1;
        session_.Bounds.keepIntervalS = 1;
        session_.Bounds.keepCount = 2;
        session_.Bounds.userTimeoutMs = 3000;
        window_ = LoadConnectedWindow(session_, *db_);
        ASSERT_TRUE(IsConnected(session_)) << boxes_.texts().join(u'\n').toStdString();
        QObject::connect(window_->callWaitView(), &CallWaitView::callOut, window_.get(),
                         [this] { paints_.out = true, window_->update(); });
        QObject::connect(window_->callWaitView(), &CallWaitView::callBack, window_.get(),
                         [this] { paints_.out = false; });
        qApp->installEventFilter(&paints_);
    }
    void TearDown() override {
        qApp->removeEventFilter(&paints_);
        net("mend");
        if (window_) window_->close();
        // The server still keeps the sessions whose client gave them up during a cut, with
        // their transactions, which would hold the test database's drop.
        if (!db_ || !db_->unavailableReason().isEmpty()) return;
        if (db_->engine() == Engine::PostgreSQL) {
            db_->admin().exec(QStringLiteral(
                "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = "
                "current_database() AND pid <> pg_backend_pid()"));
        } else {
            for (const QString& id : db_->admin().rows(QStringLiteral(
                     "SELECT ID FROM information_schema.PROCESSLIST WHERE DB = DATABASE() AND "
                     "ID <> CONNECTION_ID()")))
                db_->admin().exec(QStringLiteral("KILL ") + id);
        }
    }
    QAction* action(const char* name) const {
        return window_->findChild<QAction*>(QString::fromLatin1(name));
    }
    QList<MessageBoxRequest> run(const QString& script) {
        const qsizetype before = boxes_.boxes().size();
        window_->findChild<QPlainTextEdit*>(QStringLiteral("TB_SQL"))->setPlainText(script);
        action("mn_sql_go")->trigger();
        return boxes_.boxes().mid(before);
    }

    struct PaintCounter : QObject {  // paints while a call is out
        bool out = false;
        int count = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            count += out && event->type() == QEvent::Paint;
            return false;
        }
    };

    static inline std::string skip_;
    static inline QString dir_;
    static inline QList<QPair<QByteArray, QByteArray>> saved_;
    OdbcConfig config_;
    MessageRecorder boxes_;
    std::unique_ptr<TestDatabase> db_;
    DbSession session_;
    std::unique_ptr<Varkel> window_;
    PaintCounter paints_;
};

// With the link cut, a fill, the tree's refill and a commit each end with a message within the
// bound, the window painting meanwhile and showing itself disconnected; a reconnect after the
// link is back works.
TEST_P(DeadLinkTest, EveryCallEndsWithinTheBoundAndTheLinkBackConnectsAgain) {
    // While the link lives, a statement that outlasts every bound runs to its end.
    run(GetParam() == Engine::PostgreSQL ? QStringLiteral("SELECT pg_sleep(6)")
                                         : QStringLiteral("SELECT SLEEP(6)"));
    ASSERT_EQ(window_->executor()->result().RowCount, 1)
        << boxes_.texts().join(u'\n').toStdString();
    enum class Way { Fill, Refill, Commit };
    for (const Way way : {Way::Fill, Way::Refill, Way::Commit}) {
        SCOPED_TRACE(static_cast<int>(way));
        if (way == Way::Commit) {  // work of the transaction, so that the commit sends something
            ASSERT_EQ(DbExecute(session_, QStringLiteral("UPDATE n SET v = v WHERE k < 10")), 0);
        }
        paints_.count = 0;
        QElapsedTimer took;
        took.start();
        const qsizetype before = boxes_.boxes().size();
        if (way == Way::Fill) {
            // The link goes in the middle of the fill (the MariaDB driver holds every row of it:
            // the next statement meets the cut).
            auto* timer = new QTimer(window_.get());
            QObject::connect(timer, &QTimer::timeout, timer, [this, timer] {
                if (window_->executor()->result().RowCount >= 300) net("cut"), timer->deleteLater();
            });
            timer->start(0);
            run(QStringLiteral("SELECT k, v FROM n ORDER BY k\r\n/\r\nSELECT 2"));
        } else {
            ASSERT_TRUE(net("cut"));
            action(way == Way::Refill ? "mn_get_tables" : "mn_sql_commit")->trigger();
        }
        EXPECT_LT(took.elapsed(), kWithinBoundMs);
        const auto shown = boxes_.boxes().mid(before);
        ASSERT_FALSE(shown.isEmpty());
        if (way == Way::Refill) {
            EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral("ＤＢとの接続が切れました。")));
        }
        EXPECT_GT(paints_.count, 0);
        EXPECT_FALSE(IsConnected(session_)) << boxes_.texts().join(u'\n').toStdString();
        EXPECT_TRUE(action("mn_connect")->isEnabled());
        EXPECT_FALSE(action("mn_disconnect")->isEnabled());
        ASSERT_TRUE(net("mend"));
        action("mn_reconnect")->trigger();
        ASSERT_TRUE(IsConnected(session_)) << boxes_.texts().join(u'\n').toStdString();
        ASSERT_EQ(run(QStringLiteral("SELECT 1")).size(), 1);
    }
}

// A statement whose server stopped answering, stopped by the user: the stop cannot arrive, so
// after a while the window offers the disconnect, which gives the connection up at once,
// committing nothing; a new connect works at once.
TEST_P(DeadLinkTest, ADisconnectAfterAStopThatCannotArriveGivesTheConnectionUp) {
    // Nothing but the user ends the wait.
    session_.Bounds.stuckAfterStopMs = 4000;
    action("mn_disconnect")->trigger();
    session_.Bounds.keepIdleS = 3600;
    session_.Bounds.userTimeoutMs = 3600000;
    action("mn_reconnect")->trigger();
    ASSERT_TRUE(IsConnected(session_));
    std::int64_t now = 0;
    window_->callWaitView()->setClock([&now] { return now; });
    auto* bar = window_->findChild<KeyedToolBar*>();
    const auto click = [bar](const char* key) {
        QTest::mouseClick(bar->widgetForAction(bar->button(QString::fromLatin1(key))),
                          Qt::LeftButton);
    };
    ASSERT_EQ(run(QStringLiteral("INSERT INTO n VALUES (0, 'kept?')")).size(), 1);
    QStringList noticed;
    bool refusedBeforeTheOffer = false;
    QObject::connect(
        window_->callWaitView(), &CallWaitView::callOut, window_.get(), [&](CallWait& wait) {
            QTimer::singleShot(0, window_.get(), [&] {
                click("discon");  // not yet: the call is out
                click("stop");
                now = 1000;
                wait.tick();
                noticed << window_->findChild<KeyedStatusBar*>()->panelText(QStringLiteral("msg"));
                refusedBeforeTheOffer = DbCallOut(session_) && IsConnected(session_);
                now = 5000;
                wait.tick();
                noticed << window_->findChild<KeyedStatusBar*>()->panelText(QStringLiteral("msg"));
                click("discon");
            });
        });
    ASSERT_TRUE(net("cut"));
    QElapsedTimer took;
    took.start();
    const auto shown = run(QStringLiteral("SELECT COUNT(*) FROM n"));
    EXPECT_LT(took.elapsed(), kWithinBoundMs);
    EXPECT_TRUE(refusedBeforeTheOffer);
    ASSERT_EQ(noticed.size(), 2);
    EXPECT_EQ(noticed[0], QStringLiteral("SQL実行中：1秒経過（SQL中断で取り消せます）"));
    EXPECT_EQ(noticed[1], CallWaitView::StuckText(5000));
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("接続を破棄しました")))
        << shown[0].text.toStdString();
    EXPECT_FALSE(IsConnected(session_));
    EXPECT_TRUE(action("mn_connect")->isEnabled());
    EXPECT_FALSE(action("mn_disconnect")->isEnabled());
    EXPECT_GT(paints_.count, 0);
    // A new connection of its own, whatever the old one still waits for.
    ASSERT_TRUE(net("mend"));
    action("mn_reconnect")->trigger();
    ASSERT_TRUE(IsConnected(session_)) << boxes_.texts().join(u'\n').toStdString();
    const auto next = run(QStringLiteral("SELECT COUNT(*) FROM n WHERE k = 0"));
    ASSERT_EQ(next.size(), 1);
    EXPECT_EQ(window_->executor()->result().RowCount, 1) << next[0].text.toStdString();
    EXPECT_EQ(db_->admin().scalar(QStringLiteral("SELECT COUNT(*) FROM n WHERE k = 0")),
              QStringLiteral("0"));
}

INSTANTIATE_TEST_SUITE_P(Engines, DeadLinkTest,
                         ::testing::Values(Engine::PostgreSQL, Engine::MariaDB), EngineParamName());

}  // namespace
}  // namespace varkel::test
