#include <QGuiApplication>
#include <QRegularExpression>
#include <QWidget>

#include "db/api_call.h"
#include "db/db_test_util.h"
#include "support/message_recorder.h"
#include "support/odbc_config.h"

namespace varkel::test {
namespace {

class ConnectTest : public EngineTest {};

// Each way of naming the database connects, hands back the completed connection string, and
// leaves a session that runs statements.
TEST_P(ConnectTest, ConnectsByDataSourceDriverAndConnectionString) {
    struct Way {
        const char* name;
        QString dsn, user, password, driver, connectString;
    };
    const Way ways[] = {
        {"data source with user id",
         db_->dsn(),
         db_->engine() == Engine::SQLite ? QStringLiteral("me") : db_->user(),
         db_->password(),
         {},
         {}},
        {"data source without user id", db_->dsnWithCredentials(), {}, {}, {}, {}},
        {"connection string", {}, {}, {}, {}, db_->driverConnectString()},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        MessageRecorder boxes;
        DbSession s;
        DbInit(s);
        QString user = way.user, password = way.password, connectString = way.connectString;
        ASSERT_EQ(DbConnect(s, 0, way.dsn, user, password, way.driver, connectString), 0)
            << boxes.texts().join(u'\n').toStdString();
        EXPECT_TRUE(IsConnected(s));
        EXPECT_TRUE(boxes.boxes().isEmpty());
        EXPECT_FALSE(connectString.isEmpty());
        EXPECT_EQ(connectString, s.ConnectString);
        EXPECT_EQ(DbExecute(s, QStringLiteral("SELECT 1")), 0) << s.LastMessage.toStdString();
        QStringList values;
        EXPECT_EQ(DbFetch(s, values, 0), 0);
        EXPECT_EQ(values.value(0), QStringLiteral("1"));
        EXPECT_EQ(DbDisconnect(s), 0);
        EXPECT_FALSE(IsConnected(s));
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "busy pointer left on";
    }
}

// The user id and password come back from the completed string where the driver puts them there.
TEST_P(ConnectTest, TakesUserIdAndPasswordFromTheCompletedString) {
    MessageRecorder boxes;
    DbSession s;
    DbInit(s);
    QString user, password, connectString;
    ASSERT_EQ(DbConnect(s, 0, db_->dsnWithCredentials(), user, password, {}, connectString), 0);
    switch (db_->engine()) {
        case Engine::PostgreSQL:  // ";UID=varkel;PWD=…;" inside a long completed string
            EXPECT_TRUE(connectString.contains(QStringLiteral(";UID=")));
            EXPECT_EQ(user, db_->user());
            EXPECT_EQ(password, db_->password());
            break;
        case Engine::SQLite:  // ends in ";PWD=" with nothing after it
            EXPECT_TRUE(connectString.endsWith(QStringLiteral(";PWD=")))
                << connectString.toStdString();
            EXPECT_EQ(user, QString());
            EXPECT_EQ(password, QString());
            break;
        case Engine::MariaDB:  // echoes what it was given
            EXPECT_EQ(connectString, QStringLiteral("DSN=VarkelTestDbAuth;"));
            EXPECT_EQ(user, QString());
            break;
    }
    DbDisconnect(s);
}

TEST_P(ConnectTest, SecondConnectIsRefusedAndTheFirstStaysUsable) {
    MessageRecorder boxes;
    DbSession s;
    ConnectTo(s, *db_);
    QString user = db_->user(), password = db_->password(), connectString;
    EXPECT_EQ(DbConnect(s, 0, db_->dsn(), user, password, {}, connectString), -99);
    ASSERT_EQ(boxes.boxes().size(), 1);
    EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("ＤＢは既に接続されています。"));
    EXPECT_EQ(boxes.boxes()[0].title, QStringLiteral("CONNECT エラー"));
    EXPECT_EQ(boxes.boxes()[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(boxes.boxes()[0].buttons, MsgButtons::Ok);
    EXPECT_TRUE(IsConnected(s));
    EXPECT_EQ(DbExecute(s, QStringLiteral("SELECT 2")), 0) << s.LastMessage.toStdString();
    QStringList values;
    EXPECT_EQ(DbFetch(s, values, 1), 0);
    EXPECT_EQ(values.value(0), QStringLiteral("2"));
    DbDisconnect(s);
}

// A refused connect shows the status, the fixed text and the driver's own reason.
TEST_P(ConnectTest, FailedConnectShowsTheRealReason) {
    QWidget owner;  // the main window, which a driver may take as its dialog's parent
    for (const std::uintptr_t window : {std::uintptr_t{0}, std::uintptr_t(owner.winId())}) {
        SCOPED_TRACE(window ? "given a window" : "without a window");
        MessageRecorder boxes;
        DbSession s;
        DbInit(s);
        QString user = QStringLiteral("varkel"), password = QStringLiteral("wrong-password");
        QString connectString;
        QString dsn = db_->dsn();
        if (db_->engine() == Engine::SQLite)
            dsn = QStringLiteral("NoSuchSource");  // it checks no password
        EXPECT_EQ(DbConnect(s, window, dsn, user, password, {}, connectString), -99);
        EXPECT_FALSE(IsConnected(s));
        ASSERT_EQ(boxes.boxes().size(), 1);
        const MessageBoxRequest& box = boxes.boxes()[0];
        EXPECT_EQ(box.title, QStringLiteral("CONNECT エラー"));
        EXPECT_EQ(box.icon, MsgIcon::Exclamation);
        const QString head = box.text.section(QStringLiteral("\r\n"), 0, 0);
        const QString reason = box.text.section(QStringLiteral("\r\n"), 1);
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^-\\d+:ＤＢ接続に失敗しました。$"))
                        .match(head)
                        .hasMatch())
            << head.toStdString();
        const char* expected = db_->engine() == Engine::SQLite ? "Data source name not found"
                               : db_->engine() == Engine::PostgreSQL
                                   ? "password authentication failed"
                                   : "Access denied";
        EXPECT_TRUE(reason.contains(QString::fromUtf8(expected))) << reason.toStdString();
        // Not "Dialog failed" (MariaDB): the connect is asked again without a dialog.
        EXPECT_FALSE(reason.contains(QStringLiteral("Dialog failed"))) << reason.toStdString();
        if (db_->engine() == Engine::MariaDB) {
            EXPECT_EQ(head.section(u':', 0, 0), QStringLiteral("-1045"));
        }
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        // The session can connect after a failure.
        QString goodUser = db_->user(), goodPassword = db_->password();
        EXPECT_EQ(DbConnect(s, 0, db_->dsn(), goodUser, goodPassword, {}, connectString), 0);
        DbDisconnect(s);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, ConnectTest,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL, Engine::MariaDB),
                         EngineParamName());

// Connect outcomes other than an error keep their own status; only an error is asked again
// without a dialog.
TEST(ConnectDriverTest, OutcomesOtherThanAnErrorKeepTheirStatus) {
    struct Case {
        const char* keys;
        QString box;
    };
    const Case cases[] = {
        {"CONNECTRETURN=100",
         QStringLiteral("100:ＤＢ接続に失敗しました。\r\n[OdbcLib]NO DATA FOUND")},
        {"CONNECTRETURN=-2",
         QStringLiteral(
             "9999:ＤＢ接続に失敗しました。\r\n[OdbcLib]INVALID HANDLE:プログラムエラー")},
        {"DENY=1",
         QStringLiteral("-1045:ＤＢ接続に失敗しました。\r\n[VarkelTest]Access denied for user")},
    };
    OdbcConfig config;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        MessageRecorder boxes;
        DbSession s;
        DbInit(s);
        QString user, password;
        QString connectString = QStringLiteral("DRIVER=%1;%2")
                                    .arg(OdbcConfig::testDriverName(), QString::fromLatin1(c.keys));
        EXPECT_EQ(DbConnect(s, 0, {}, user, password, {}, connectString), -99);
        EXPECT_EQ(boxes.texts(), QStringList{c.box});
        EXPECT_FALSE(IsConnected(s));
    }
}

}  // namespace
}  // namespace varkel::test
