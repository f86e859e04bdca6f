#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "db/db_test_util.h"
#include "exec/command_lock.h"
#include "exec/sql_executor.h"
#include "store/sql_history.h"
#include "support/message_recorder.h"
#include "support/stepping_clock.h"
#include "support/when_shown.h"
#include "toolkit/keyed_bars.h"
#include "ui/history/show_hist.h"
#include "ui/main/call_wait_view.h"
#include "ui/main/main_window.h"

namespace varkel::test {
namespace {

// The main window connected to the test's database, running SQL as a user would.
class SqlExecutorTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFailure()) return;
        window_ = std::make_unique<Varkel>(session_);
        const QString item = db_->dsn() + u'(' + db_->driverName() + u')';
        const QString user = db_->user(), password = db_->password();
        Varkel* window = window_.get();
        WhenShown<ConnectDS>(
            window, [window] { return window->connectDialog(); },
            [=](ConnectDS& d) {
                d.Combo1->setCurrentIndex(d.Combo1->findText(item));
                d.TB_uid->setText(user);
                d.TB_psw->setText(password);
                d.Cmd_ok->click();
            });
        window_->Load();
        window_->historyWindow()->store().setClock(SteppingClock());
        ASSERT_TRUE(IsConnected(session_)) << boxes_.texts().join(u'\n').toStdString();
    }
    void TearDown() override {
        if (window_) window_->close();
    }
    // Runs a script from the SQL input box; returns the boxes it showed.
    QList<MessageBoxRequest> run(const QString& script) {
        const qsizetype before = boxes_.boxes().size();
        sql()->setPlainText(script);
        action("mn_sql_go")->trigger();
        return boxes_.boxes().mid(before);
    }
    // Calls `act` at every yield of a fill until it returns true (not while a slow statement
    // is out: timers run then too, but that is no yield of the fill's own).
    void duringFill(const std::function<bool()>& act) {
        auto* timer = new QTimer(window_.get());
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, act] {
            if (DbCallOut(session_)) return;
            if (act()) timer->deleteLater();
        });
        timer->start();
    }
    QAction* action(const char* name) const {
        return window_->findChild<QAction*>(QString::fromLatin1(name));
    }
    QPlainTextEdit* sql() const {
        return window_->findChild<QPlainTextEdit*>(QStringLiteral("TB_SQL"));
    }
    QTreeWidget* list() const {
        return window_->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    }
    QToolButton* startStop() const {
        return window_->findChild<QToolButton*>(QStringLiteral("Cmd_start_stop"));
    }
    QString panel(const char* key) const {
        return window_->findChild<KeyedStatusBar*>(QStringLiteral("StatusBar1"))
            ->panelText(QString::fromLatin1(key));
    }
    QStringList headers() const {
        QStringList h;
        for (int i = 0; i < list()->columnCount(); ++i)
            h << list()->headerItem()->text(i);
        return h;
    }
    const ResultList& result() const { return window_->executor()->result(); }

    MessageRecorder boxes_;
    DbSession session_;
    std::unique_ptr<Varkel> window_;
};

TEST_P(SqlExecutorTest, AQueryWithoutRowsBuildsTheColumnsAndReports100) {
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("CREATE TABLE e (k INTEGER, v VARCHAR(5))")));
    const auto shown = run(QStringLiteral("SELECT k, v FROM e"));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:100\r\n行数:0"));
    EXPECT_EQ(shown[0].title, QStringLiteral("Varkel Light - ＳＱＬ正常終了"));
    EXPECT_EQ(shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(headers().join(u',').toLower(), QStringLiteral("行no.,k,v,<"));
    EXPECT_EQ(list()->topLevelItemCount(), 0);
    EXPECT_EQ(panel("status"), QStringLiteral("SQLCode:100"));
    EXPECT_EQ(panel("cnt"), QStringLiteral("行数:0"));
    EXPECT_EQ(panel("msg"), QStringLiteral("SQL実行：正常に終了しました。"));
    EXPECT_TRUE(panel("time").startsWith(QStringLiteral("実行時間：00'")));
}

TEST_P(SqlExecutorTest, WhileAnotherOwnerHoldsTheCursorNothingRuns) {
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("CREATE TABLE e (k INTEGER)")));
    ASSERT_EQ(DbExecute(session_, QStringLiteral("SELECT k FROM e")), 0);
    const std::uint64_t first = DbCursorId(session_);
    EXPECT_NE(first, 0U);
    {
        CommandLock::Hold hold = window_->commandLock().hold();
        CommandLock::Hold nested = window_->commandLock().hold();
        EXPECT_FALSE(action("mn_sql_go")->isEnabled());
        EXPECT_FALSE(action("mn_sql_commit")->isEnabled());
        sql()->setPlainText(QStringLiteral("INSERT INTO e VALUES (1)"));
        window_->RunScript();
        window_->PostSQL(QStringLiteral("INSERT INTO e VALUES (2)"));
        EXPECT_EQ(sql()->toPlainText(), QStringLiteral("INSERT INTO e VALUES (1)"));
        hold.release();
        EXPECT_FALSE(action("mn_sql_go")->isEnabled()) << "a second owner still holds it";
    }
    EXPECT_TRUE(action("mn_sql_go")->isEnabled());
    EXPECT_EQ(DbCursorId(session_), first) << "nothing ran while the cursor was owned";
    ASSERT_EQ(DbExecute(session_, QStringLiteral("SELECT COUNT(*) FROM e")), 0);
    const std::uint64_t second = DbCursorId(session_);
    EXPECT_NE(second, 0U);
    EXPECT_NE(second, first);
    CloseCursor(session_);
    EXPECT_EQ(DbCursorId(session_), 0U);
    run(QStringLiteral("SELECT COUNT(*) FROM e"));
    EXPECT_EQ(list()->topLevelItem(0)->text(1).trimmed(), QStringLiteral("0"));
}

TEST_P(SqlExecutorTest, AtMost10000RowsAreListed) {
    CreateNumbers(*db_, QStringLiteral("n"), 25000);
    const auto shown = run(QStringLiteral("SELECT k, v FROM n ORDER BY k"));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:0\r\n行数:10000"));
    EXPECT_EQ(list()->topLevelItemCount(), 10000);
    EXPECT_EQ(list()->topLevelItem(9999)->text(0), QStringLiteral(" 10000"));
    EXPECT_EQ(list()->topLevelItem(9999)->text(2), QStringLiteral("v10000"));
    EXPECT_FALSE(startStop()->isEnabled());
    EXPECT_EQ(session_.CursorOpen, 0);
    EXPECT_TRUE(list()->isVisible());
}

TEST_P(SqlExecutorTest, AnInterruptedFillResumesWithTheNextRow) {
    CreateNumbers(*db_, QStringLiteral("n"), 1000);
    // While the stop is shown, anything may read the list (a save of it): it holds the rows
    // the counter shows.
    bool stopped = false;
    QString counted;
    int listed = -1;
    duringFill([&] {
        if (!stopped) {
            if (result().RowCount < 300) return false;
            startStop()->click();
            stopped = true;
            return false;
        }
        counted = window_->findChild<QLabel*>(QStringLiteral("L_rows"))->text();
        listed = list()->topLevelItemCount();
        return true;
    });
    auto shown = run(QStringLiteral("SELECT k, v FROM n ORDER BY k"));
    EXPECT_EQ(counted, QStringLiteral("300"));
    EXPECT_EQ(listed, 300);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:0\r\n行数:300"));
    EXPECT_TRUE(startStop()->isEnabled());
    const QLabel* msg = window_->findChild<QLabel*>(QStringLiteral("L_msg"));
    EXPECT_TRUE(msg->text().endsWith(QStringLiteral("（中断されました）")))
        << msg->text().toStdString();
    const QDateTime started = result().StartTime;
    const QString startText = msg->text().left(8);

    const qsizetype before = boxes_.boxes().size();
    startStop()->click();  // resume
    shown = boxes_.boxes().mid(before);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text,
              QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:100\r\n行数:1000"));
    ASSERT_EQ(list()->topLevelItemCount(), 1000);
    EXPECT_EQ(list()->topLevelItem(300)->text(0), QStringLiteral("   301"));
    EXPECT_EQ(list()->topLevelItem(300)->text(1), QStringLiteral("301"));
    EXPECT_EQ(result().StartTime, started);
    EXPECT_EQ(msg->text().left(8), startText);  // the statement's start, not the resume's
    EXPECT_FALSE(startStop()->isEnabled());
}

TEST_P(SqlExecutorTest, ADeleteReportsTheRowsItChangedAndLeavesTheList) {
    CreateNumbers(*db_, QStringLiteral("n"), 8);
    run(QStringLiteral("SELECT k FROM n"));
    ASSERT_EQ(list()->topLevelItemCount(), 8);
    const auto shown = run(QStringLiteral("DELETE FROM n WHERE k <= 5"));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:0\r\n行数:5"));
    EXPECT_EQ(list()->topLevelItemCount(), 8);
    EXPECT_EQ(panel("cnt"), QStringLiteral("行数:5"));
}

TEST_P(SqlExecutorTest, AFailingStatementKeepsThePreviousListAndAsksAboutTheHistory) {
    CreateNumbers(*db_, QStringLiteral("n"), 3);
    run(QStringLiteral("SELECT k FROM n"));
    const int historyBefore = window_->historyWindow()->store().GetHistNum();
    const auto shown = run(QStringLiteral("SELECT nothing FROM nowhere"));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].title, QStringLiteral("Varkel Light - ＳＱＬ実行エラー"));
    EXPECT_EQ(shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(shown[1].text, QStringLiteral("SQLを履歴に追加しますか？"));
    EXPECT_EQ(shown[1].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(shown[1].defaultButton, 1) << "Cancel is the default";
    EXPECT_EQ(window_->historyWindow()->store().GetHistNum(), historyBefore);
    EXPECT_EQ(list()->topLevelItemCount(), 3);
    EXPECT_TRUE(panel("status").startsWith(QStringLiteral("SQLCode:-")));
    EXPECT_EQ(panel("msg"), QStringLiteral("SQL実行エラー：") + shown[0].text);
}

TEST_P(SqlExecutorTest, ValuesAreShownByTheirKind) {
    ASSERT_TRUE(db_->admin().exec(
        QStringLiteral("CREATE TABLE m (k INTEGER, amount NUMERIC(10,2), at TIMESTAMP, "
                       "f DOUBLE PRECISION)")));
    for (const char* row : {"(1, 12.5, '2024-01-05 00:00:00', 0.000015)",
                            "(2, -3, '2024-01-05 09:30:00', 2.5)", "(3, 1000, NULL, NULL)"})
        ASSERT_TRUE(
            db_->admin().exec(QStringLiteral("INSERT INTO m VALUES ") + QString::fromLatin1(row)));
    run(QStringLiteral("SELECT k, amount, at, f FROM m ORDER BY k"));
    ASSERT_EQ(list()->topLevelItemCount(), 3);
    EXPECT_EQ(list()->topLevelItem(0)->text(3),
              QStringLiteral("2024-01-05"));  // midnight: date only
    EXPECT_EQ(list()->topLevelItem(1)->text(3), QStringLiteral("2024-01-05 09:30:00"));
    EXPECT_EQ(list()->topLevelItem(2)->text(3), QString());
    EXPECT_EQ(list()->headerItem()->textAlignment(2) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    // Every row's numbers stand right, as the list shows them; a date stands as the list's own.
    for (int row = 0; row < 3; ++row) {
        const QModelIndex number = list()->model()->index(row, 2), date = number.siblingAtColumn(3);
        EXPECT_EQ(number.data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
                  Qt::AlignRight);
        EXPECT_FALSE(date.data(Qt::TextAlignmentRole).isValid());
    }
    const std::unique_ptr<QTreeWidgetItem> copy(list()->topLevelItem(1)->clone());
    EXPECT_EQ(copy->text(3), QStringLiteral("2024-01-05 09:30:00"));
    EXPECT_EQ(copy->textAlignment(2), list()->topLevelItem(1)->textAlignment(2));
    const auto& widths = result().NumericWidths;
    ASSERT_TRUE(widths.value(2).has_value());
    // PostgreSQL reads 12.50, -3.00, 1000.00; SQLite keeps 12.5, -3, 1000.
    EXPECT_EQ(*widths.value(2),
              db_->engine() == Engine::PostgreSQL ? qMakePair(4, 2) : qMakePair(4, 1));
    // An exponent form is no plain decimal: it leaves the widths to 2.5.
    EXPECT_TRUE(list()->topLevelItem(0)->text(4).startsWith(QStringLiteral("1.5e-")))
        << list()->topLevelItem(0)->text(4).toStdString();
    ASSERT_TRUE(widths.value(4).has_value());
    EXPECT_EQ(*widths.value(4), qMakePair(1, 1));
}

TEST_P(SqlExecutorTest, StoppingTheFirstStatementStillOffersTheOthers) {
    CreateNumbers(*db_, QStringLiteral("n"), 3000);
    duringFill([this] {
        if (result().RowCount < 100) return false;
        action("mn_sql_stop")->trigger();
        return true;
    });
    const auto shown =
        run(QStringLiteral("SELECT k FROM n\r\n/\r\nSELECT 2 FROM n\r\n/\r\nSELECT 3 FROM n"));
    QStringList texts;
    for (const auto& box : shown)
        texts << box.title;
    EXPECT_EQ(
        texts,
        (QStringList{QStringLiteral("Varkel Light - ＳＱＬ正常終了"), QStringLiteral("SQL連続実行"),
                     QStringLiteral("Varkel Light - ＳＱＬ正常終了"), QStringLiteral("SQL連続実行"),
                     QStringLiteral("Varkel Light - ＳＱＬ正常終了")}));
    EXPECT_EQ(shown[0].text, QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:0\r\n行数:100"));
    EXPECT_EQ(list()->topLevelItemCount(), 3000);  // the last statement ran to its end
    EXPECT_TRUE(action("mn_sql_go")->isEnabled());
    EXPECT_FALSE(action("mn_sql_stop")->isEnabled());
}

TEST_P(SqlExecutorTest, TransactionCommandsReportAndTypedOnesAreRecorded) {
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("CREATE TABLE t (k INTEGER)")));
    // The pending work's panel, by a clock of the test's own.
    QDateTime now(QDate(2026, 3, 1), QTime(9, 15, 0));
    window_->executor()->pendingWork().setClock([&now] { return now; });
    const QString pendingSince915 = QStringLiteral("未確定の変更：%1文（09:15:00から）");
    qsizetype before = boxes_.boxes().size();
    action("mn_sql_commit")->trigger();
    ASSERT_EQ(boxes_.boxes().size(), before + 1);
    EXPECT_EQ(boxes_.boxes().last().text, QStringLiteral("COMMITが完了しました。"));
    EXPECT_EQ(boxes_.boxes().last().title, QStringLiteral("Varkel Light - COMMIT完了"));
    EXPECT_EQ(panel("status"), QStringLiteral("SQLCode:0"));
    EXPECT_EQ(panel("msg"), QStringLiteral("COMMITが完了しました。"));

    EXPECT_EQ(panel("pending"), QString());
    run(QStringLiteral("INSERT INTO t VALUES (1)"));
    EXPECT_EQ(panel("pending"), pendingSince915.arg(1));
    now = now.addSecs(90);
    run(QStringLiteral("SELECT k FROM t"));  // no change
    run(QStringLiteral("UPDATE t SET k = 5"));
    EXPECT_EQ(panel("pending"), pendingSince915.arg(2));
    action("mn_sql_rollback")->trigger();
    EXPECT_EQ(panel("pending"), QString());
    EXPECT_EQ(boxes_.boxes().last().title, QStringLiteral("Varkel Light - ROLLBACK完了"));
    EXPECT_EQ(db_->admin().scalar(QStringLiteral("SELECT COUNT(*) FROM t")), QStringLiteral("0"));

    run(QStringLiteral("INSERT INTO t VALUES (2)"));
    EXPECT_EQ(panel("pending"), QStringLiteral("未確定の変更：1文（09:16:30から）"));
    const auto shown = run(QStringLiteral("commit"));
    EXPECT_EQ(panel("pending"), QString());
    EXPECT_EQ(shown.last().text, QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:0\r\n行数:0"));
    EXPECT_EQ(window_->historyWindow()->store().GetHistCurr(
                  window_->historyWindow()->store().GetHistNum()),
              QStringLiteral("commit"));
    EXPECT_EQ(db_->admin().scalar(QStringLiteral("SELECT COUNT(*) FROM t")), QStringLiteral("1"));

    // Ending the program commits what is pending, and the history file holds every statement.
    run(QStringLiteral("UPDATE t SET k = 4"));
    now = now.addDays(1);
    run(QStringLiteral("UPDATE t SET k = 3"));
    EXPECT_EQ(panel("pending"), QStringLiteral("未確定の変更：2文（26/03/01 09:16:30から）"));
    window_->close();
    window_.reset();
    EXPECT_EQ(db_->admin().scalar(QStringLiteral("SELECT k FROM t")), QStringLiteral("3"));
    SqlHistory file(config_.path(QStringLiteral("SQLHIST.TXT")), 20);
    file.ReadHist();
    QStringList statements;
    for (const ClassSQL& r : file.records())
        statements << r.SQLstmt;
    EXPECT_EQ(
        statements,
        (QStringList{QStringLiteral("INSERT INTO t VALUES (1)"), QStringLiteral("SELECT k FROM t"),
                     QStringLiteral("UPDATE t SET k = 5"),
                     QStringLiteral("INSERT INTO t VALUES (2)"), QStringLiteral("commit"),
                     QStringLiteral("UPDATE t SET k = 4"), QStringLiteral("UPDATE t SET k = 3")}));
}

// A statement the server executes with a notice succeeds, and the notice is shown with it.
TEST_P(SqlExecutorTest, AStatementWithANoticeSucceedsAndShowsIt) {
    const auto shown = run(QStringLiteral("DROP TABLE IF EXISTS nosuch"));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("Varkel Light - ＳＱＬ正常終了"));
    EXPECT_TRUE(
        shown[0].text.startsWith(QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:0\r\n行数:")))
        << shown[0].text.toStdString();
    EXPECT_TRUE(panel("msg").startsWith(QStringLiteral("SQL実行：正常に終了しました。")));
    if (db_->engine() == Engine::PostgreSQL) {
        EXPECT_TRUE(shown[0].text.contains(QStringLiteral("\r\n\r\n")) &&
                    shown[0]
                        .text.section(QStringLiteral("\r\n\r\n"), 2)
                        .contains(QStringLiteral("does not exist")))
            << shown[0].text.toStdString();
        EXPECT_TRUE(panel("msg").contains(QStringLiteral("does not exist")))
            << panel("msg").toStdString();
    }
}

// Every recorded statement updates the count beside the SQL box, and the connection label is
// kept whole up to 64 characters.
TEST_P(SqlExecutorTest, RecordingShowsTheCountAndKeepsTheLabel) {
    auto* label = window_->findChild<QLabel*>(QStringLiteral("L_sql_no"));
    auto* dsn = window_->findChild<QLineEdit*>(QStringLiteral("TB_DSN"));
    const SqlHistory& store = window_->historyWindow()->store();
    const int before = store.GetHistNum();
    const QString exact(64, u'x');
    const QString longer = QString(64, u'y') + u'z';
    dsn->setText(exact);
    run(QStringLiteral("SELECT 1 AS one"));
    EXPECT_EQ(store.GetHistNum(), before + 1);
    EXPECT_EQ(label->text(), QString::number(before + 1));
    EXPECT_TRUE(store.records().last().SQLhead.endsWith(u' ' + exact))
        << store.records().last().SQLhead.toStdString();
    dsn->setText(longer);
    run(QStringLiteral("SELECT 2 AS two"));
    EXPECT_EQ(label->text(), QString::number(before + 2));
    EXPECT_TRUE(
        store.records().last().SQLhead.endsWith(u' ' + longer.left(64) + QStringLiteral("...")))
        << store.records().last().SQLhead.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Engines, SqlExecutorTest,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL), EngineParamName());

class StopTest : public SqlExecutorTest {};

// A statement that sleeps on the server is cancelled by the stop command: it is reported as a
// failure with the server's text, the work before it stays uncommitted, and the next statement
// runs at once.
TEST_P(StopTest, ASleepingStatementIsCancelledAndTheNextOneRuns) {
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("CREATE TABLE t (k INTEGER)")));
    const QString sleep = GetParam() == Engine::PostgreSQL ? QStringLiteral("SELECT pg_sleep(60)")
                          : GetParam() == Engine::MariaDB
                              ? QStringLiteral("SELECT SLEEP(60)")
                              : QStringLiteral(
                                    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT "
                                    "x + 1 FROM c WHERE x < 2000000000) SELECT MAX(x) "
                                    "FROM c");
    run(QStringLiteral("INSERT INTO t VALUES (1)"));
    // A stop that reaches the driver before the statement does is lost: it is given again
    // until the call is back.
    QObject::connect(window_->callWaitView(), &CallWaitView::callOut, window_.get(),
                     [this](CallWait& wait) {
                         auto* again = new QTimer(&wait);
                         QObject::connect(again, &QTimer::timeout, window_.get(),
                                          [this] { action("mn_sql_stop")->trigger(); });
                         again->start(20);
                         action("mn_sql_stop")->trigger();
                     });
    const auto shown = run(sleep);
    ASSERT_EQ(shown.size(), 2) << boxes_.texts().join(u'\n').toStdString();
    EXPECT_EQ(shown[0].title, QStringLiteral("Varkel Light - ＳＱＬ実行エラー"));
    const char* text = GetParam() == Engine::PostgreSQL ? "canceling statement due to user request"
                       : GetParam() == Engine::MariaDB  ? "Query execution was interrupted"
                                                        : "interrupted";
    EXPECT_TRUE(shown[0].text.contains(QString::fromLatin1(text))) << shown[0].text.toStdString();
    EXPECT_TRUE(
        panel("msg").endsWith(QStringLiteral("トランザクションはサーバーが残したままです）")));
    const auto next = run(QStringLiteral("SELECT COUNT(*) FROM t"));
    ASSERT_EQ(next.size(), 1);
    EXPECT_EQ(list()->topLevelItem(0)->text(1), QStringLiteral("1"));  // the insert is still there
    EXPECT_EQ(db_->admin().scalar(QStringLiteral("SELECT COUNT(*) FROM t")), QStringLiteral("0"));
}

INSTANTIATE_TEST_SUITE_P(Engines, StopTest,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL, Engine::MariaDB),
                         EngineParamName());

}  // namespace
}  // namespace varkel::test

#include "ui/history/show_temp.h"
#include "ui/history/statement_box.h"

namespace varkel::test {
namespace {

class CappedFillTest : public SqlExecutorTest {};

// A fill of a table larger than the list lists exactly its first 10,000 rows, interrupted and
// resumed as before; a rollback while it is interrupted either leaves the rows to continue or
// ends the resume with a message that says why, never with wrong or missing rows unreported.
TEST_P(CappedFillTest, ABigTableFillsTheFirst10000RowsAndSurvivesARollback) {
    CreateNumbers(*db_, QStringLiteral("n"), 30000);
    for (const char* rollback : {"", "menu", "typed"}) {
        SCOPED_TRACE(rollback);
        duringFill([this] {
            if (!window_->executor()->filling() || result().RowCount < 300) return false;
            startStop()->click();
            return true;
        });
        run(QStringLiteral("SELECT k, v FROM n ORDER BY k"));
        ASSERT_EQ(list()->topLevelItemCount(), 300);
        if (QByteArray(rollback) == "menu") action("mn_sql_rollback")->trigger();
        if (QByteArray(rollback) == "typed") run(QStringLiteral("ROLLBACK"));
        const qsizetype before = boxes_.boxes().size();
        startStop()->click();
        const auto shown = boxes_.boxes().mid(before);
        ASSERT_EQ(shown.size(), 1);
        const bool closed = db_->engine() == Engine::PostgreSQL && *rollback != '\0';
        if (closed) {
            EXPECT_EQ(shown[0].title, QStringLiteral("Varkel Light - ＳＱＬ実行エラー"));
            EXPECT_TRUE(shown[0].text.contains(QStringLiteral("ROLLBACK")))
                << shown[0].text.toStdString();
            EXPECT_EQ(list()->topLevelItemCount(), 300);
            continue;
        }
        EXPECT_EQ(shown[0].text,
                  QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:0\r\n行数:10000"));
        ASSERT_EQ(list()->topLevelItemCount(), 10000);
        EXPECT_EQ(list()->topLevelItem(0)->text(2), QStringLiteral("v1"));
        EXPECT_EQ(list()->topLevelItem(300)->text(1), QStringLiteral("301"));
        EXPECT_EQ(list()->topLevelItem(9999)->text(0), QStringLiteral(" 10000"));
        EXPECT_EQ(list()->topLevelItem(9999)->text(2), QStringLiteral("v10000"));
        EXPECT_FALSE(startStop()->isEnabled());
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, CappedFillTest,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL, Engine::MariaDB),
                         EngineParamName());

class ServerGoneTest : public SqlExecutorTest {
  protected:
    // Ends the program's session at the server, as a server that stops does for its clients.
    void endSessionAtServer() {
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
    void reconnect() {
        QString user = db_->user(), password = db_->password(), connectString;
        ASSERT_EQ(DbConnect(session_, 0, db_->dsn(), user, password, {}, connectString), 0);
    }
};

// The server ends the session during a fill, during a script and before a catalog query: each
// ends with the driver's message in a box, the rows listed so far stay, and the session is then
// not connected.
TEST_P(ServerGoneTest, TheDriversMessageIsShownAndTheSessionEnds) {
    CreateNumbers(*db_, QStringLiteral("n"), 30000);
    const bool postgres = db_->engine() == Engine::PostgreSQL;
    {
        SCOPED_TRACE("fill");
        duringFill([this] {
            if (!window_->executor()->filling() || result().RowCount < 300) return false;
            endSessionAtServer();
            return true;
        });
        const auto shown = run(QStringLiteral("SELECT k, v FROM n ORDER BY k\r\n/\r\nSELECT 2"));
        ASSERT_FALSE(shown.isEmpty());
        // psqlODBC reads the fill through a server cursor and notices at once; the MariaDB driver
        // has the rows of the fill already and notices at the next statement.
        if (postgres) {
            ASSERT_EQ(shown.size(), 1) << boxes_.texts().join(u'\n').toStdString();
            EXPECT_EQ(shown[0].title, QStringLiteral("Varkel Light - ＳＱＬ実行エラー"));
            EXPECT_TRUE(shown[0].text.contains(QStringLiteral("terminating connection")))
                << shown[0].text.toStdString();
            EXPECT_GE(list()->topLevelItemCount(), 300);
            EXPECT_LT(list()->topLevelItemCount(), 10000);
        } else {
            EXPECT_EQ(list()->topLevelItemCount(), 10000);
            EXPECT_EQ(shown.last().text, QStringLiteral("SQLを履歴に追加しますか？"))
                << boxes_.texts().join(u'\n').toStdString();
        }
        EXPECT_FALSE(IsConnected(session_)) << boxes_.texts().join(u'\n').toStdString();
        EXPECT_FALSE(action("mn_sql_go")->isEnabled());
    }
    {
        SCOPED_TRACE("script");
        reconnect();
        const QString stop = postgres
                                 ? QStringLiteral("SELECT pg_terminate_backend(pg_backend_pid())")
                                 : QStringLiteral("KILL CONNECTION_ID()");
        const qsizetype before = boxes_.boxes().size();
        window_->PostSQL(stop + QStringLiteral("\r\n/\r\nSELECT 2\r\n/\r\nSELECT 3"));
        const auto shown = boxes_.boxes().mid(before);
        QStringList titles;
        for (const auto& box : shown)
            titles << box.title;
        EXPECT_FALSE(titles.contains(QStringLiteral("SQL連続実行")))
            << titles.join(u',').toStdString();
        EXPECT_EQ(titles.value(0), QStringLiteral("Varkel Light - ＳＱＬ実行エラー"));
        EXPECT_FALSE(IsConnected(session_));
    }
    {
        SCOPED_TRACE("catalog");
        reconnect();
        endSessionAtServer();
        const std::uint64_t lostBefore = DbFailureRollbacks(session_);
        int t = 0, v = 0, o = 0;
        QStringList tables, views, others;
        EXPECT_NE(ListTables(session_, db_->owner(), t, tables, v, views, o, others), 0);
        EXPECT_FALSE(LastDbMessage(session_).isEmpty());
        EXPECT_FALSE(IsConnected(session_));
        EXPECT_EQ(DbFailureRollbacks(session_), lostBefore + 1);  // no work is left pending
        EXPECT_EQ(DbDisconnect(session_), 0);
    }
}

// The server ends the session before the tree's catalog query: refilling the tree and
// expanding a table each tell the driver's message once, ask nothing about owners, and leave the
// window disconnected with the nodes in place. A quick statement and a COMMIT that find the
// connection gone leave the window disconnected as well: commands, bar and title.
TEST_P(ServerGoneTest, ATreeQueryAfterTheServerWentLeavesTheWindowDisconnected) {
    CreateNumbers(*db_, QStringLiteral("gone_t"), 3);
    auto* tree = window_->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    auto* dsn = window_->findChild<QLineEdit*>(QStringLiteral("TB_DSN"));
    if (!action("mn_disp_con2title")->isChecked())  // the title shows the connection
        action("mn_disp_con2title")->trigger();
    enum class Way { Refill, Expand, QuickStatement, Commit };
    for (const Way way : {Way::Refill, Way::Expand, Way::QuickStatement, Way::Commit}) {
        SCOPED_TRACE(static_cast<int>(way));
        if (!IsConnected(session_)) action("mn_reconnect")->trigger();
        ASSERT_TRUE(IsConnected(session_)) << boxes_.texts().join(u'\n').toStdString();
        ASSERT_NE(window_->windowTitle(), QStringLiteral("Varkel Light"));
        action("mn_get_tables")->trigger();
        const auto found =
            tree->findItems(QStringLiteral("gone_t"), Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1);
        const int nodes = tree->topLevelItem(0)->childCount();
        // Work of the transaction, so that the commit has something to send.
        if (way == Way::Commit) {
            ASSERT_EQ(DbExecute(session_, QStringLiteral("UPDATE gone_t SET v = v")), 0);
        }
        endSessionAtServer();
        const qsizetype before = boxes_.boxes().size();
        if (way == Way::Expand)
            found.first()->setExpanded(true);
        else if (way == Way::Refill)
            action("mn_get_tables")->trigger();
        else if (way == Way::QuickStatement)
            window_->PostSQL(QStringLiteral("SELECT * FROM gone_t"));
        else
            action("mn_sql_commit")->trigger();
        const auto shown = boxes_.boxes().mid(before);
        const bool treeQuery = way == Way::Refill || way == Way::Expand;
        if (treeQuery) {
            ASSERT_EQ(shown.size(), 1) << boxes_.texts().join(u'\n').toStdString();
            EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral("ＤＢとの接続が切れました。\r\n")));
            EXPECT_GT(shown[0].text.size(), 16) << "the driver's message follows";
        }
        EXPECT_FALSE(IsConnected(session_));
        EXPECT_FALSE(action("mn_disconnect")->isEnabled());
        EXPECT_FALSE(action("mn_sql_go")->isEnabled());
        EXPECT_TRUE(action("mn_connect")->isEnabled());
        EXPECT_TRUE(dsn->toolTip().isEmpty());
        EXPECT_EQ(window_->windowTitle(), QStringLiteral("Varkel Light"));
        EXPECT_TRUE(tree->isEnabled());
        EXPECT_EQ(tree->topLevelItem(0)->childCount(), way == Way::Refill ? 0 : nodes);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, ServerGoneTest,
                         ::testing::Values(Engine::PostgreSQL, Engine::MariaDB), EngineParamName());

class HistoryAndTemplatesTest : public SqlExecutorTest {};

// A user's round: statements, the history window, templates, an end and a new start.
TEST_P(HistoryAndTemplatesTest, HistoryAndTemplatesLastFromOneRunToTheNext) {
    run(QStringLiteral("SELECT 1 AS one"));
    run(QStringLiteral("SELECT 2 AS two"));
    action("mn_sql_history")->trigger();
    ShowHist* hist = window_->historyWindow();
    EXPECT_TRUE(hist->isVisible());
    ASSERT_EQ(hist->ListView1->topLevelItemCount(), 2);
    hist->sortByHeader(0);
    hist->sortByHeader(0);  // oldest first
    hist->ListView1->setCurrentItem(hist->ListView1->topLevelItem(0));
    hist->Command1->click();  // back into the SQL input box
    EXPECT_EQ(sql()->toPlainText(), QStringLiteral("SELECT 1 AS one"));
    EXPECT_FALSE(hist->isVisible());
    action("mn_sql_history")->trigger();
    hist->Command2->click();  // and run at once
    EXPECT_EQ(hist->store().GetHistNum(), 3);
    EXPECT_EQ(list()->headerItem()->text(1), QStringLiteral("one"));

    action("mn_sql_temp")->trigger();
    ShowTemp* temp = window_->templateWindow();
    for (const char* title : {"daily", "weekly", "monthly"}) {
        temp->Cmd_add->click();
        temp->CB_hdr->setEditText(QString::fromLatin1(title));
        temp->Text1->setPlainText(QStringLiteral("SELECT '%1'").arg(QString::fromLatin1(title)));
        temp->Cmd_OK->click();
    }
    temp->CB_hdr->setCurrentIndex(0);  // daily
    temp->CB_hdr->activated(0);
    temp->Cmd_mod->click();
    temp->Text1->setPlainText(QStringLiteral("SELECT 'every day'"));
    temp->Cmd_OK->click();
    temp->CB_hdr->setCurrentIndex(2);  // weekly
    temp->CB_hdr->activated(2);
    boxes_.answer(MsgResult::Yes);
    temp->Cmd_del->click();
    EXPECT_FALSE(temp->Command1->isEnabled());  // nothing chosen after the delete
    temp->Command1->click();
    EXPECT_EQ(sql()->toPlainText(), QStringLiteral("SELECT 1 AS one"));  // left as it was

    window_->close();
    window_.reset();
    DbSession next;
    Varkel again(next);
    WhenShown<ConnectDS>(
        &again, [&again] { return again.connectDialog(); },
        [](ConnectDS& d) { d.Cmd_cancel->click(); });
    again.Load();
    QStringList titles;
    for (const ClassSQL& t : again.templateWindow()->templates())
        titles << t.SQLhead + u'=' + t.SQLstmt;
    EXPECT_EQ(titles, (QStringList{QStringLiteral("daily=SELECT 'every day'"),
                                   QStringLiteral("monthly=SELECT 'monthly'")}));
    QStringList statements;
    for (const ClassSQL& r : again.historyWindow()->store().records())
        statements << r.SQLstmt;
    EXPECT_EQ(statements,
              (QStringList{QStringLiteral("SELECT 1 AS one"), QStringLiteral("SELECT 2 AS two"),
                           QStringLiteral("SELECT 1 AS one")}));
    again.close();
}

INSTANTIATE_TEST_SUITE_P(Engines, HistoryAndTemplatesTest, ::testing::Values(Engine::SQLite),
                         EngineParamName());

}  // namespace
}  // namespace varkel::test

namespace varkel::test {
namespace {

// Counts the paint events while a call is out, and calls onPaint once at the next.
class PaintCounter : public QObject {
  public:
    PaintCounter(int* paints, const bool* out) : paints_(paints), out_(out) {}
    std::function<void()> onPaint;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && *out_) {
            ++*paints_;
            if (onPaint) std::exchange(onPaint, nullptr)();
        }
        return false;
    }

  private:
    int* paints_;
    const bool* out_;
};

QString panel(QWidget* window, const char* key) {
    return window->findChild<KeyedStatusBar*>(QStringLiteral("StatusBar1"))
        ->panelText(QString::fromLatin1(key));
}

// The main window connected to the project's test driver, for fetch failures on demand.
class FetchFailureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_ = std::make_unique<Varkel>(session_);
        Varkel* window = window_.get();
        WhenShown<ConnectDS>(
            window, [window] { return window->connectDialog(); },
            [](ConnectDS& d) {
                d.Option1[1]->click();
                d.Combo2->setCurrentIndex(d.Combo2->findText(OdbcConfig::testDriverName()));
                d.Cmd_ok->click();
            });
        window_->Load();
        window_->historyWindow()->store().setClock(SteppingClock());
        ASSERT_TRUE(IsConnected(session_));
    }
    void TearDown() override { window_->close(); }
    QList<MessageBoxRequest> run(const QString& sql) {
        const qsizetype before = boxes_.boxes().size();
        window_->PostSQL(sql);
        return boxes_.boxes().mid(before);
    }
    QTreeWidget* list() const {
        return window_->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    }
    QToolButton* startStop() const {
        return window_->findChild<QToolButton*>(QStringLiteral("Cmd_start_stop"));
    }
    QAction* action(const char* name) const {
        return window_->findChild<QAction*>(QString::fromLatin1(name));
    }
    // Runs a query whose fill the user interrupts once `rows` rows are listed.
    void runInterruptedAfter(const QString& sql, int rows) {
        auto* timer = new QTimer(window_.get());
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, rows] {
            if (window_->executor()->result().RowCount < rows) return;
            window_->findChild<QToolButton*>(QStringLiteral("Cmd_start_stop"))->click();
            timer->deleteLater();
        });
        timer->start();
        run(sql);
    }

    OdbcConfig config_;
    MessageRecorder boxes_;
    DbSession session_;
    std::unique_ptr<Varkel> window_;
};

// Calls `act` at every yield until it returns true.
void AtEveryYield(QObject* owner, const std::function<bool()>& act) {
    auto* timer = new QTimer(owner);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (act()) timer->deleteLater();
    });
    timer->start();
}

// After the retry, which reads row by row, an interrupted fill resumes row by row on the same
// cursor: never from block buffers that still hold rows of the cursor before the retry.
TEST_F(FetchFailureTest, AResumeAfterTheRetryGoesOnRowByRow) {
    boxes_.answer(MsgResult::Ok);
    boxes_.answer(MsgResult::Yes);
    AtEveryYield(window_.get(), [this] {
        if (boxes_.boxes().size() < 2 || window_->executor()->result().RowCount < 10) return false;
        startStop()->click();
        return true;
    });
    run(QStringLiteral("ROWS 600 FAILAT 300 BLOCKONLY"));
    ASSERT_EQ(list()->topLevelItemCount(), 10);
    startStop()->click();  // resume
    ASSERT_EQ(list()->topLevelItemCount(), 600);
    for (int row : {11, 12, 257, 300, 600}) {
        EXPECT_EQ(list()->topLevelItem(row - 1)->text(1), QString::number(row));
        EXPECT_EQ(list()->topLevelItem(row - 1)->text(2), QStringLiteral("row %1").arg(row));
    }
    EXPECT_EQ(boxes_.boxes().last().text,
              QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:100\r\n行数:600"));
}

// A resume reads only the cursor it was interrupted on: once another query took the session's
// cursor, it ends as a failed fetch that says so, and no foreign row joins the list.
TEST_F(FetchFailureTest, AResumeNeverReadsAnotherQuerysRows) {
    runInterruptedAfter(QStringLiteral("ROWS 600"), 10);
    ASSERT_EQ(list()->topLevelItemCount(), 10);
    ASSERT_EQ(DbExecute(session_, QStringLiteral("ROWS 50")), 0);  // as a save of a query does
    const qsizetype before = boxes_.boxes().size();
    startStop()->click();
    const auto shown = boxes_.boxes().mid(before);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("Varkel Light - ＳＱＬ実行エラー"));
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("カーソル"))) << shown[0].text.toStdString();
    EXPECT_EQ(list()->topLevelItemCount(), 10);
    EXPECT_FALSE(startStop()->isEnabled());
    EXPECT_NE(DbCursorId(session_), 0U) << "the other query's cursor is left to its owner";
}

// A resumed fill holds the command lock as a script run does: nothing else starts meanwhile.
// Closing the window during it ends the fill first.
TEST_F(FetchFailureTest, AResumedFillHoldsTheCommandLock) {
    runInterruptedAfter(QStringLiteral("ROWS 3000"), 10);
    ASSERT_TRUE(action("mn_sql_go")->isEnabled());
    bool checked = false;
    AtEveryYield(window_.get(), [this, &checked] {
        if (window_->executor()->result().RowCount < 20) return false;
        EXPECT_TRUE(window_->commandLock().locked());
        for (const char* name : {"mn_sql_go", "mn_sql_commit", "mn_sql_rollback"})
            EXPECT_FALSE(action(name)->isEnabled()) << name;
        window_->PostSQL(QStringLiteral("UPDATE 1"));  // the history window's "run at once"
        checked = true;
        window_->close();
        return true;
    });
    const qsizetype before = boxes_.boxes().size();
    startStop()->click();
    EXPECT_TRUE(checked);
    QElapsedTimer waited;
    waited.start();
    while (IsConnected(session_) && waited.elapsed() < 5000)  // closed once the fill ended
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(IsConnected(session_));
    EXPECT_LT(list()->topLevelItemCount(), 3000);
    EXPECT_EQ(boxes_.boxes().size(), before) << "an ending program reports nothing";
    EXPECT_FALSE(window_->commandLock().locked());
}

// Disconnecting while a script runs ends it at once: the running fill ends as failed, no further
// statement is offered, none runs on a connection made meanwhile, and the commands stay as the
// disconnected state has them. The reconnect command meanwhile leaves the commands locked until
// the script has ended.
TEST_F(FetchFailureTest, DisconnectingEndsTheRunningScript) {
    enum class Then { StayDisconnected, ConnectAgain, ReconnectCommand };
    for (const Then then : {Then::StayDisconnected, Then::ConnectAgain, Then::ReconnectCommand}) {
        SCOPED_TRACE(static_cast<int>(then));
        const bool reconnect = then != Then::StayDisconnected;
        if (!IsConnected(session_)) {
            QString user, password, connectString = QStringLiteral("DRIVER=VarkelTest");
            ASSERT_EQ(DbConnect(session_, 0, {}, user, password, {}, connectString), 0);
        }
        const QString log = config_.path(QStringLiteral("after%1.log").arg(reconnect));
        QStringList enabledMeanwhile;
        AtEveryYield(window_.get(), [this, then, log, &enabledMeanwhile] {
            if (!window_->executor()->filling() || window_->executor()->result().RowCount < 20)
                return false;
            window_->Disconnect();  // what the disconnect command does
            if (then == Then::ConnectAgain) {
                QString user, password;
                QString connectString = QStringLiteral("DRIVER=VarkelTest;LOG=") + log;
                EXPECT_EQ(DbConnect(session_, 0, {}, user, password, {}, connectString), 0);
            } else if (then == Then::ReconnectCommand) {
                action("mn_reconnect")->trigger();
                EXPECT_TRUE(IsConnected(session_));
                for (const char* name : {"mn_sql_go", "mn_sql_stop", "mn_sql_commit"})
                    if (action(name)->isEnabled()) enabledMeanwhile << QString::fromLatin1(name);
            }
            return true;
        });
        const auto shown = run(QStringLiteral("ROWS 3000\r\n/\r\nUPDATE 1\r\n/\r\nUPDATE 2"));
        ASSERT_EQ(shown.size(), 1) << boxes_.texts().join(u'\n').toStdString();
        EXPECT_EQ(shown[0].title, QStringLiteral("Varkel Light - ＳＱＬ実行エラー"));
        EXPECT_TRUE(shown[0].text.contains(QStringLiteral("切断"))) << shown[0].text.toStdString();
        EXPECT_GE(list()->topLevelItemCount(), 20);
        if (!reconnect) {
            EXPECT_FALSE(action("mn_sql_go")->isEnabled());
            EXPECT_FALSE(action("mn_sql_commit")->isEnabled());
            EXPECT_FALSE(action("mn_sql_stop")->isEnabled());
        } else if (then == Then::ReconnectCommand) {
            EXPECT_EQ(enabledMeanwhile, QStringList{QStringLiteral("mn_sql_stop")});
            EXPECT_TRUE(action("mn_sql_go")->isEnabled());  // once the script has ended
            EXPECT_FALSE(action("mn_sql_stop")->isEnabled());
            window_->Disconnect();
        } else {
            QFile file(log);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_FALSE(file.readAll().contains("EXEC"))
                << "a statement ran on the new connection";
            DbDisconnect(session_);
        }
    }
}

TEST_F(FetchFailureTest, AFailedBlockFetchIsRetriedRowByRowFromTheStart) {
    boxes_.answer(MsgResult::Ok);   // the driver's message
    boxes_.answer(MsgResult::Yes);  // retry from the first row
    const auto shown = run(QStringLiteral("ROWS 600 FAILAT 300 BLOCKONLY"));
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[0].text, QStringLiteral("[VarkelTest]fetch failed at row 300"));
    EXPECT_EQ(shown[0].title, QStringLiteral("Varkel Light - ＳＱＬ実行エラー"));
    EXPECT_EQ(shown[1].text, QStringLiteral("FETCHを先頭行から再試行しますか？"));
    EXPECT_EQ(shown[1].title, QStringLiteral("FETCH再試行確認"));
    EXPECT_EQ(shown[1].buttons, MsgButtons::YesNo);
    EXPECT_EQ(shown[1].defaultButton, 1) << "No is the default: a retry executes again";
    EXPECT_EQ(shown[2].text, QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:100\r\n行数:600"));
    ASSERT_EQ(list()->topLevelItemCount(), 600);
    EXPECT_EQ(list()->topLevelItem(599)->text(2), QStringLiteral("row 600"));
    EXPECT_EQ(boxes_.boxesUnderBusyPointer(), 0);  // busy through the fill, not for its boxes
}

TEST_F(FetchFailureTest, NoRetryEndsTheFillAsFailedAndKeepsTheRows) {
    boxes_.answer(MsgResult::Ok);
    boxes_.answer(MsgResult::No);
    const auto shown = run(QStringLiteral("ROWS 600 FAILAT 300"));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(list()->topLevelItemCount(), 256);  // the first rowset
    EXPECT_TRUE(list()->isVisible());
    const auto* status = window_->findChild<KeyedStatusBar*>(QStringLiteral("StatusBar1"));
    EXPECT_EQ(status->panelText(QStringLiteral("status")), QStringLiteral("SQLCode:-9999"));
    EXPECT_EQ(status->panelText(QStringLiteral("msg")), QStringLiteral("SQL実行エラー："));
    EXPECT_EQ(session_.CursorOpen, 0);
}

// Warnings of the driver on execute and on commit are successes that carry the driver's text.
TEST_F(FetchFailureTest, WarningsAreSuccessesWithTheDriversText) {
    auto shown = run(QStringLiteral("WARN careful now"));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("Varkel Light - ＳＱＬ正常終了"));
    EXPECT_EQ(shown[0].text,
              QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:0\r\n行数:0\r\n\r\ncareful now"));
    const auto* status = window_->findChild<KeyedStatusBar*>(QStringLiteral("StatusBar1"));
    EXPECT_EQ(status->panelText(QStringLiteral("status")), QStringLiteral("SQLCode:0"));
    EXPECT_EQ(status->panelText(QStringLiteral("msg")),
              QStringLiteral("SQL実行：正常に終了しました。 careful now"));

    run(QStringLiteral("WARNCOMMIT committed with care"));
    shown = run(QStringLiteral("commit"));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:0\r\n行数:0"
                                            "\r\n\r\ncommitted with care"));

    run(QStringLiteral("WARNCOMMIT menu commit warned"));
    const qsizetype before = boxes_.boxes().size();
    window_->findChild<QAction*>(QStringLiteral("mn_sql_commit"))->trigger();
    shown = boxes_.boxes().mid(before);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("Varkel Light - COMMIT完了"));
    EXPECT_EQ(shown[0].text, QStringLiteral("COMMITが完了しました。\r\n\r\nmenu commit warned"));
    EXPECT_EQ(status->panelText(QStringLiteral("msg")),
              QStringLiteral("COMMITが完了しました。 menu commit warned"));
}

// A result wider than the list can describe shows its first 1,000 columns, also when one name
// is too long for the driver's buffer.
TEST_F(FetchFailureTest, AResultOfMoreThan1000ColumnsShowsTheFirst1000) {
    for (const char* sql : {"COLS 1200 LONGNAME 5", "COLS 1200 LONGNAME 1100", "COLS 1001"}) {
        SCOPED_TRACE(sql);
        const auto shown = run(QString::fromLatin1(sql));
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text,
                  QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:100\r\n行数:1"));
        ASSERT_EQ(list()->columnCount(), 1002);
        EXPECT_EQ(list()->headerItem()->text(1000), QStringLiteral("C1000"));
        EXPECT_EQ(list()->headerItem()->text(1001), QStringLiteral("<"));
        ASSERT_EQ(list()->topLevelItemCount(), 1);
        EXPECT_EQ(list()->topLevelItem(0)->text(1000), QStringLiteral("c1000_1"));
    }
    EXPECT_EQ(window_->findChild<QLabel*>(QStringLiteral("L_cols"))->text(),
              QStringLiteral("1000"));
}

// A statement without rows may run while a fill is interrupted; the fill then resumes with the
// row numbers of the list, not with the count of that statement.
TEST_F(FetchFailureTest, AStatementWithoutRowsLeavesTheInterruptedFillResumable) {
    runInterruptedAfter(QStringLiteral("ROWS 600"), 10);
    ASSERT_EQ(list()->topLevelItemCount(), 10);
    const auto updated = run(QStringLiteral("UPDATE 5"));
    EXPECT_EQ(updated.last().text,
              QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:0\r\n行数:5"));
    window_->findChild<QToolButton*>(QStringLiteral("Cmd_start_stop"))->click();  // resume
    ASSERT_EQ(list()->topLevelItemCount(), 600);
    EXPECT_EQ(list()->topLevelItem(10)->text(0), QStringLiteral("    11"));
    EXPECT_EQ(list()->topLevelItem(10)->text(1), QStringLiteral("11"));
    EXPECT_EQ(boxes_.boxes().last().text,
              QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:100\r\n行数:600"));
}

// The session has one cursor: a catalog query while a fill is interrupted takes it, and the
// resume then ends as a failed fetch instead of reading what is no longer there.
TEST_F(FetchFailureTest, ResumingAfterACatalogQueryEndsAsAFailedFetch) {
    runInterruptedAfter(QStringLiteral("ROWS 600"), 10);
    ASSERT_EQ(list()->topLevelItemCount(), 10);
    int t = 0, v = 0, o = 0;
    QStringList tables, views, others;
    ListTables(session_, QString(), t, tables, v, views, o, others);  // what the tree does
    const qsizetype before = boxes_.boxes().size();
    window_->findChild<QToolButton*>(QStringLiteral("Cmd_start_stop"))->click();  // resume
    const auto shown = boxes_.boxes().mid(before);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("Varkel Light - ＳＱＬ実行エラー"));
    EXPECT_EQ(list()->topLevelItemCount(), 10);
    EXPECT_FALSE(window_->findChild<QToolButton*>(QStringLiteral("Cmd_start_stop"))->isEnabled());
}

}  // namespace
}  // namespace varkel::test

namespace varkel::test {
namespace {

// A statement whose driver call is out: the window paints, nothing else starts, the status bar
// tells how long it runs, and the stop command, given as the user would, cancels it.
TEST_F(FetchFailureTest, TheStopCommandCancelsTheCallThatIsOut) {
    enum class Way { Menu, ToolbarButton, Escape };
    struct Case {
        Way way;
        QString script;
        QStringList titles;
        QString firstText;
        QString status;  // the "msg" panel afterwards
    };
    const QString failed = QStringLiteral("Varkel Light - ＳＱＬ実行エラー");
    const QString cancelled = QStringLiteral("[VarkelTest]Operation canceled");
    const QString note =
        QStringLiteral("（SQL中断で取り消しました。トランザクションはサーバーが残したままです）");
    const Case cases[] = {
        // A cancelled statement fails with the driver's text; the script asks nothing more.
        {Way::Menu,
         QStringLiteral("WAIT\r\n/\r\nUPDATE 1"),
         {failed, QStringLiteral("Varkel Light")},
         cancelled,
         QStringLiteral("SQL実行エラー：") + cancelled + note},
        {Way::ToolbarButton,
         QStringLiteral("WAIT"),
         {failed, QStringLiteral("Varkel Light")},
         cancelled,
         QStringLiteral("SQL実行エラー：") + cancelled + note},
        {Way::Escape,
         QStringLiteral("WAIT"),
         {failed, QStringLiteral("Varkel Light")},
         cancelled,
         QStringLiteral("SQL実行エラー：") + cancelled + note},
        // A fetch cancelled in the middle of a fill ends it as the stop ends a fill.
        {Way::Menu,
         QStringLiteral("ROWS 3000 WAITAT 600\r\n/\r\nUPDATE 1"),
         {QStringLiteral("Varkel Light - ＳＱＬ正常終了")},
         QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:0\r\n行数:512"),
         QStringLiteral("SQL実行：正常に終了しました。")},
    };
    std::int64_t now = 0;
    window_->callWaitView()->setClock([&now] { return now; });
    int paints = 0;
    bool out = false;
    PaintCounter counter(&paints, &out);
    qApp->installEventFilter(&counter);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script.toStdString() + " " + std::to_string(static_cast<int>(c.way)));
        paints = 0;
        now = 0;
        QStringList noticed;
        bool busyPointer = false;
        bool secondRan = false;
        const auto stop = [&] {
            switch (c.way) {
                case Way::Menu:
                    action("mn_sql_stop")->trigger();
                    break;
                case Way::ToolbarButton: {
                    auto* bar = window_->findChild<KeyedToolBar*>();
                    QTest::mouseClick(bar->widgetForAction(bar->button(QStringLiteral("stop"))),
                                      Qt::LeftButton);
                    break;
                }
                case Way::Escape:
                    QTest::keyClick(window_->findChild<QPlainTextEdit*>(QStringLiteral("TB_SQL")),
                                    Qt::Key_Escape);
                    break;
            }
        };
        const auto connection = QObject::connect(
            window_->callWaitView(), &CallWaitView::callOut, window_.get(), [&](CallWait& wait) {
                out = true;
                const QString before = panel(window_.get(), "msg");
                now = 400;
                wait.tick();
                noticed << panel(window_.get(), "msg");
                now = 1500;
                wait.tick();
                noticed << panel(window_.get(), "msg");
                now = 2600;
                wait.tick();
                noticed << panel(window_.get(), "msg");
                EXPECT_EQ(noticed[0], before);
                const QCursor* cursor = QGuiApplication::overrideCursor();
                busyPointer = cursor && cursor->shape() == Qt::WaitCursor;
                // No second command starts: the go button takes no click, a posted statement
                // waits for nothing.
                auto* bar = window_->findChild<KeyedToolBar*>();
                QTest::mouseClick(bar->widgetForAction(bar->button(QStringLiteral("go"))),
                                  Qt::LeftButton);
                window_->PostSQL(QStringLiteral("UPDATE 7"));
                secondRan = !DbCallOut(session_);
                // The stop comes once the window has painted during the call.
                counter.onPaint = [&] { QTimer::singleShot(0, window_.get(), stop); };
                window_->update();
            });
        const auto shown = run(c.script);
        QObject::disconnect(connection);
        out = false;
        QStringList titles;
        for (const auto& box : shown)
            titles << box.title;
        EXPECT_EQ(titles, c.titles);
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_EQ(shown[0].text, c.firstText);
        EXPECT_GT(paints, 0);
        EXPECT_TRUE(busyPointer);
        EXPECT_FALSE(secondRan);
        ASSERT_EQ(noticed.size(), 3);
        EXPECT_EQ(noticed[1], QStringLiteral("SQL実行中：1秒経過（SQL中断で取り消せます）"));
        EXPECT_EQ(noticed[2], QStringLiteral("SQL実行中：2秒経過（SQL中断で取り消せます）"));
        EXPECT_EQ(panel(window_.get(), "msg"), c.status);
        EXPECT_FALSE(action("mn_sql_stop")->isEnabled());
        // The session goes on.
        const auto next = run(QStringLiteral("UPDATE 3"));
        ASSERT_EQ(next.size(), 1);
        EXPECT_EQ(next[0].text, QStringLiteral("正常に終了しました。\r\n\r\nSQLCode:0\r\n行数:3"));
    }
    qApp->removeEventFilter(&counter);
}

// Closing the window while a call is out cancels the call and ends without committing.
TEST_F(FetchFailureTest, ClosingWhileACallIsOutCancelsItAndCommitsNothing) {
    DbDisconnect(session_);
    const QString log = config_.path(QStringLiteral("close.log"));
    QString user, password, connectString = QStringLiteral("DRIVER=VarkelTest;LOG=") + log;
    ASSERT_EQ(DbConnect(session_, 0, {}, user, password, {}, connectString), 0);
    QObject::connect(window_->callWaitView(), &CallWaitView::callOut, window_.get(),
                     [this](CallWait&) { QTimer::singleShot(0, window_.get(), &QWidget::close); });
    const qsizetype before = boxes_.boxes().size();
    const auto shown = run(QStringLiteral("UPDATE 2\r\n/\r\nWAIT"));
    EXPECT_EQ(shown.size(), 2) << boxes_.texts().join(u'\n').toStdString();  // UPDATE, question
    QElapsedTimer waited;
    waited.start();
    while (IsConnected(session_) && waited.elapsed() < 5000)  // closed once the call is back
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(IsConnected(session_));
    EXPECT_EQ(boxes_.boxes().size(), before + shown.size()) << "an ending program reports nothing";
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    // The statement before the delimiter keeps its line end.
    EXPECT_EQ(lines.mid(2), (QStringList{QStringLiteral("EXEC UPDATE 2\r"),
                                         QStringLiteral("EXEC WAIT"), QStringLiteral("ROLLBACK"),
                                         QStringLiteral("COMMIT"), QStringLiteral("DISCONNECT")}));
}

}  // namespace
}  // namespace varkel::test
