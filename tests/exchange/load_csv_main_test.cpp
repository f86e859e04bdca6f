#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>

#include "db/db_test_util.h"
#include "exchange/load_csv.h"
#include "support/message_recorder.h"
#include "support/when_shown.h"
#include "ui/main/main_window.h"

namespace varkel::test {
namespace {

// The import as the main window opens it, connected as a user connects.
class ImportFromMainWindowTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFailure()) return;
        ASSERT_TRUE(db_->admin().exec(
            QStringLiteral("CREATE TABLE imp (a INTEGER, b VARCHAR(40), c VARCHAR(40))")));
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
        ASSERT_TRUE(IsConnected(session_)) << boxes_.texts().join(u'\n').toStdString();
    }
    void TearDown() override {
        if (window_) window_->close();
    }
    QAction* action(const char* name) const {
        return window_->findChild<QAction*>(QString::fromLatin1(name));
    }
    int committedRows() {
        return db_->admin().scalar(QStringLiteral("SELECT COUNT(*) FROM imp")).toInt();
    }

    DbSession session_;
    MessageRecorder boxes_;
    std::unique_ptr<Varkel> window_;
};

TEST_P(ImportFromMainWindowTest, ClosingTheMainWindowEndsAnImportFirst) {
    QFile f(config_.path(QStringLiteral("n.csv")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (int k = 1; k <= 50; ++k)
        f.write(QByteArray::number(k) + ",\"v\",\n");
    f.close();

    action("mn_inp_csv")->trigger();
    LoadCSV* import = window_->importWindow();
    ASSERT_TRUE(import && import->isVisible());
    EXPECT_EQ(import->parentWidget(), window_.get());
    import->ImCB_table->setEditText(QStringLiteral("imp"));
    import->TB_file->setText(f.fileName());
    import->VScroll1->setValue(2);  // 100

    bool locked = false;
    int yields = 0;
    auto* timer = new QTimer(import);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [&, timer] {
        if (!import->running() || ++yields < 6) return;
        // While the import owns the session, statements and catalog queries wait.
        auto* tree = window_->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
        locked = !action("mn_sql_go")->isEnabled() && !action("mn_sql_commit")->isEnabled() &&
                 tree && !tree->isEnabled();
        window_->close();
        timer->stop();
    });
    timer->start();
    import->Command1->click();

    EXPECT_TRUE(locked);
    EXPECT_FALSE(import->running());
    // The window closes once the import has ended: the five rows are committed, nothing asked.
    for (int i = 0; i < 100 && window_->isVisible(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_FALSE(IsConnected(session_));
    EXPECT_EQ(committedRows(), 5);
    EXPECT_TRUE(boxes_.boxes().isEmpty()) << boxes_.texts().join(u'\n').toStdString();
}

// The stop command, enabled while an import runs, stops it as the import's Cancel does.
TEST_P(ImportFromMainWindowTest, TheStopCommandStopsAnImportAsCancelDoes) {
    QFile f(config_.path(QStringLiteral("n.csv")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) &&
                f.write(QByteArray("1,\"v\",\n").repeated(50)) == 350);
    f.close();
    action("mn_inp_csv")->trigger();
    LoadCSV* import = window_->importWindow();
    import->ImCB_table->setEditText(QStringLiteral("imp"));
    import->TB_file->setText(f.fileName());
    auto* timer = new QTimer(import);
    QObject::connect(timer, &QTimer::timeout, timer, [&, timer] {
        if (!import->running() || committedRows() < 5) return;
        action("mn_sql_stop")->trigger();  // nothing when disabled
        timer->stop();
    });
    timer->start(0);
    import->Command1->click();
    ASSERT_EQ(boxes_.boxes().size(), 1);
    EXPECT_TRUE(boxes_.boxes()[0].text.startsWith(QStringLiteral("登録が終了しました。（中断）")))
        << boxes_.boxes()[0].text.toStdString();
    EXPECT_LT(committedRows(), 50);
}

INSTANTIATE_TEST_SUITE_P(Engines, ImportFromMainWindowTest, ::testing::Values(Engine::SQLite),
                         EngineParamName());

}  // namespace
}  // namespace varkel::test
