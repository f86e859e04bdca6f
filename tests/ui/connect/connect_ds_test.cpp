#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "db/odbc_comm.h"
#include "store/ini_file.h"
#include "support/accessible_names.h"
#include "support/message_recorder.h"
#include "support/odbc_config.h"
#include "support/qt_printers.h"
#include "support/when_shown.h"
#include "toolkit/twips.h"
#include "ui/connect/connect_ds.h"

namespace varkel::test {
namespace {

struct Choice {
    QString dsn, uid, pwd, drv, tag;
};

class ConnectDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { DbInit(s_); }
    // Opens the dialog and, once it is up, lets `act` work it.
    Choice open(ConnectDS& dialog, const std::function<void(ConnectDS&)>& act) {
        WhenShown<ConnectDS>(
            &dialog, [&dialog] { return &dialog; }, act);
        Choice c;
        c.dsn = dialog.GetDSN(c.uid, c.pwd, c.drv, c.tag);
        return c;
    }
    static void pick(QComboBox* combo, const QString& text) {
        const int index = combo->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        combo->setCurrentIndex(index);
    }
    QString settingsFile() const { return config_.path(QStringLiteral("VARKEL.INI")); }

    OdbcConfig config_;
    MessageRecorder boxes_;
    DbSession s_;
};

TEST_F(ConnectDialogTest, DataSourcesAreListedWithTheirDriverAndReturnedByName) {
    config_.addDriver(QStringLiteral("SQL Server"));
    config_.addDriver(QStringLiteral("D"));
    config_.addDataSource(QStringLiteral("MyDB"), QStringLiteral("SQL Server"), {});
    config_.addDataSource(QStringLiteral("A(1)"), QStringLiteral("D"), {}, true);
    ConnectDS dialog(s_, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("データベース接続"));
    QStringList items;
    for (int i = 0; i < dialog.Combo1->count(); ++i)
        items << dialog.Combo1->itemText(i);
    EXPECT_EQ(items, (QStringList{QStringLiteral("A(1)(D)"), QStringLiteral("MyDB(SQL Server)")}));
    EXPECT_EQ(dialog.Combo1->currentIndex(), -1);
    EXPECT_EQ(dialog.TB_psw->echoMode(), QLineEdit::Password);

    Choice c = open(dialog, [](ConnectDS& d) {
        pick(d.Combo1, QStringLiteral("MyDB(SQL Server)"));
        d.TB_uid->setText(QStringLiteral("scott"));
        d.TB_psw->setText(QStringLiteral("tiger"));
        d.Cmd_ok->click();
    });
    EXPECT_EQ(c.dsn, QStringLiteral("MyDB"));
    EXPECT_EQ(c.uid, QStringLiteral("scott"));
    EXPECT_EQ(c.pwd, QStringLiteral("tiger"));
    EXPECT_TRUE(c.drv.isEmpty() && c.tag.isEmpty());

    c = open(dialog, [](ConnectDS& d) {
        pick(d.Combo1, QStringLiteral("A(1)(D)"));
        d.Cmd_ok->click();
    });
    EXPECT_EQ(c.dsn, QStringLiteral("A"));  // cut at its first "("
    EXPECT_TRUE(boxes_.boxes().isEmpty());
}

TEST_F(ConnectDialogTest, AtMost99DataSourcesAreListedSorted) {
    for (int i = 119; i >= 0; --i)
        config_.addDataSource(QStringLiteral("S%1").arg(i, 3, 10, QLatin1Char('0')),
                              OdbcConfig::testDriverName(), {});
    ConnectDS dialog(s_, nullptr);
    ASSERT_EQ(dialog.Combo1->count(), 99);
    // The first 99 that the driver manager reports (S119 down to S021), in text order.
    EXPECT_EQ(dialog.Combo1->itemText(0), QStringLiteral("S021(VarkelTest)"));
    EXPECT_EQ(dialog.Combo1->itemText(98), QStringLiteral("S119(VarkelTest)"));
    EXPECT_GE(dialog.Combo2->findText(QStringLiteral("SQLite3")), 0);
}

TEST_F(ConnectDialogTest, ASecondOpeningKeepsTheChoicesAndCancelReturnsNothing) {
    ConnectDS dialog(s_, nullptr);
    Choice c = open(dialog, [](ConnectDS& d) {
        d.Option1[1]->click();
        pick(d.Combo2, QStringLiteral("SQLite3"));
        d.Cmd_ok->click();
    });
    EXPECT_EQ(c.drv, QStringLiteral("SQLite3"));
    EXPECT_TRUE(c.dsn.isEmpty() && c.uid.isEmpty() && c.pwd.isEmpty() && c.tag.isEmpty());

    bool keptMode = false, keptDriver = false;
    c = open(dialog, [&](ConnectDS& d) {
        keptMode =
            d.Option1[1]->isChecked() && d.Frame1[1]->isVisible() && !d.Frame1[0]->isVisible();
        keptDriver = d.Combo2->currentText() == QStringLiteral("SQLite3");
        d.Cmd_cancel->click();
    });
    EXPECT_TRUE(keptMode);
    EXPECT_TRUE(keptDriver);
    EXPECT_TRUE(c.dsn.isEmpty() && c.uid.isEmpty() && c.pwd.isEmpty() && c.drv.isEmpty() &&
                c.tag.isEmpty());
}

TEST_F(ConnectDialogTest, OkWithoutASelectionKeepsTheDialogOpen) {
    ConnectDS dialog(s_, nullptr);
    bool stillOpen = false;
    const Choice c = open(dialog, [&](ConnectDS& d) {
        d.Cmd_ok->click();
        stillOpen = d.isVisible();
        d.Cmd_cancel->click();
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(c.dsn.isEmpty());
}

TEST_F(ConnectDialogTest, HistoryModeWidensTheDialogByTheDetailList) {
    ConnectDS dialog(s_, nullptr);
    int normal = 0, history = 0, back = 0;
    open(dialog, [&](ConnectDS& d) {
        normal = d.width();
        d.Option1[2]->click();
        history = d.width();
        d.Option1[0]->click();
        back = d.width();
        d.Cmd_cancel->click();
    });
    EXPECT_EQ(normal, TwipsToPixelsX(dialog.normalWidth()));
    EXPECT_NEAR(history, TwipsToPixelsX(dialog.normalWidth() + 5400 + 30), 2);
    EXPECT_EQ(back, normal);
}

TEST_F(ConnectDialogTest, TheHistoryShowsMaskedEntriesAndConnectsUnmasked) {
    QFile f(settingsFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[CONNHIST]\r\nSAVE=ON\r\n1=DSN=a;UID=u;PWD=secret;Port=1\r\n2=DRIVER=x;PWD=last\r\n");
    f.close();
    ConnectDS dialog(s_, nullptr);
    ASSERT_EQ(dialog.Lst_conn_hist->count(), 2);
    EXPECT_EQ(dialog.Lst_conn_hist->item(0)->text(),
              QStringLiteral("DSN=a;UID=u;PWD=********;Port=1"));
    EXPECT_EQ(dialog.Lst_conn_hist->item(1)->text(), QStringLiteral("DRIVER=x;PWD=********"));
    EXPECT_TRUE(dialog.Chk_add_hist->isChecked());
    int details = 0;
    const Choice c = open(dialog, [&](ConnectDS& d) {
        d.Option1[2]->click();
        d.Lst_conn_hist->setCurrentRow(0);
        details = d.ListView1->topLevelItemCount();
        d.Cmd_ok->click();
    });
    EXPECT_EQ(details, 4);
    EXPECT_EQ(c.tag, QStringLiteral("DSN=a;UID=u;PWD=secret;Port=1"));
    EXPECT_TRUE(c.dsn.isEmpty() && c.drv.isEmpty());
}

TEST_F(ConnectDialogTest, AddingAndDeletingFollowTheCheckBox) {
    ConnectDS dialog(s_, nullptr);
    EXPECT_FALSE(dialog.Chk_add_hist->isChecked());  // SAVE missing
    dialog.SetDataSrcTag(QStringLiteral("DSN=ignored;"));
    EXPECT_EQ(dialog.Lst_conn_hist->count(), 0);
    dialog.Chk_add_hist->click();
    dialog.SetDataSrcTag(QStringLiteral("DSN=one;"));
    dialog.SetDataSrcTag(QStringLiteral("DSN=two;PWD=x"));
    dialog.SetDataSrcTag(QStringLiteral("DSN=one;  "));
    ASSERT_EQ(dialog.Lst_conn_hist->count(), 2);
    EXPECT_EQ(dialog.Lst_conn_hist->item(0)->text(), QStringLiteral("DSN=one;"));
    EXPECT_EQ(ReadIniString(settingsFile(), QStringLiteral("CONNHIST"), QStringLiteral("1")),
              QString());

    dialog.Lst_conn_hist->setCurrentRow(0);
    dialog.findChild<QAction*>(QStringLiteral("mn_delete"))->trigger();  // saved at once
    EXPECT_EQ(dialog.Lst_conn_hist->count(), 1);
    EXPECT_EQ(ReadIniString(settingsFile(), QStringLiteral("CONNHIST"), QStringLiteral("1")),
              QStringLiteral("DSN=two;PWD=x"));
    EXPECT_EQ(ReadIniString(settingsFile(), QStringLiteral("CONNHIST"), QStringLiteral("SAVE")),
              QStringLiteral("ON"));
}

// An assistive tool's "toggle" (and any change of state without a click) switches the mode
// and the history switch as a click does.
TEST_F(ConnectDialogTest, OptionsFollowTheirStateNotTheClick) {
    ConnectDS dialog(s_, nullptr);
    bool historyMode = false, sourceMode = false;
    open(dialog, [&](ConnectDS& d) {
        d.Option1[2]->toggle();
        historyMode = d.Lst_conn_hist->isEnabled() && d.ListView1->isVisible() &&
                      !d.Frame1[0]->isVisible() && d.width() > TwipsToPixelsX(d.normalWidth());
        d.Option1[0]->toggle();
        sourceMode = d.Frame1[0]->isVisible() && !d.Lst_conn_hist->isEnabled() &&
                     d.width() == TwipsToPixelsX(d.normalWidth());
        d.Chk_add_hist->toggle();
        d.Cmd_cancel->click();
    });
    EXPECT_TRUE(historyMode);
    EXPECT_TRUE(sourceMode);
    dialog.SaveHist();
    EXPECT_EQ(ReadIniString(settingsFile(), QStringLiteral("CONNHIST"), QStringLiteral("SAVE")),
              QStringLiteral("ON"));
}
// Keys alone, each sent to what has the focus: the dialog's own at first, or the option a case
// starts on. The outcome is "data source|driver|history entry", or "open". The lists keep their
// labels as their names whatever they show.
TEST_F(ConnectDialogTest, KeysAloneChooseAndConnect) {
    config_.addDriver(QStringLiteral("Zeta"));
    config_.addDataSource(QStringLiteral("MyDB"), QStringLiteral("Zeta"), {});
    config_.addDataSource(QStringLiteral("A"), QStringLiteral("Zeta"), {});
    using K = QList<QKeyCombination>;
    const Qt::Key down = Qt::Key_Down, enter = Qt::Key_Return, space = Qt::Key_Space;
    const struct {
        int history, option;  // entries stored; the option focused first, -1 for none
        K keys;
        const char* outcome;
    } cases[] = {
        {0, -1, K{down, down, enter}, "MyDB||"},
        {0, -1, K{enter}, "open"},  // OK without a choice
        {0, -1, K{down, Qt::ALT | Qt::Key_O}, "A||"},
        {0, -1, K{down, Qt::ALT | Qt::Key_C}, "||"},
        {0, 0, K{Qt::Key_Right, Qt::Key_End, enter}, "|Zeta|"},
        {1, 1, K{Qt::Key_Right, down, enter}, "||DSN=a;"},  // the only entry
        {2, 2, K{space, Qt::Key_Up, enter}, "||DSN=a;"},    // the entry in focus
        {2, 2, K{space, down, enter}, "||DSN=b;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outcome);
        QFile::remove(settingsFile());
        for (int i = 0; i < c.history; ++i)
            WriteIniString(settingsFile(), QStringLiteral("CONNHIST"), QString::number(i + 1),
                           QStringLiteral("DSN=%1;").arg(QChar(u'a' + i)));
        ConnectDS dialog(s_, nullptr);
        QString outcome;
        QStringList names;
        const Choice got = open(dialog, [&](ConnectDS& d) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
            if (c.option >= 0) d.Option1[c.option]->setFocus();
            for (const QKeyCombination key : c.keys)
                QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
            for (QComboBox* combo : {d.Combo1, d.Combo2})
                names << QAccessible::queryAccessibleInterface(combo)->text(QAccessible::Name);
            // A button pressed by its letter is clicked a moment later, as it is shown pressed.
            if (d.isVisible() && (qstrcmp(c.outcome, "open") == 0 ||
                                  !QTest::qWaitFor([&d] { return !d.isVisible(); }))) {
                outcome = QStringLiteral("open");
                d.Cmd_cancel->click();
            }
        });
        if (outcome.isEmpty()) outcome = got.dsn + u'|' + got.drv + u'|' + got.tag;
        EXPECT_EQ(outcome, QString::fromUtf8(c.outcome));
        EXPECT_EQ(names, (QStringList{QStringLiteral("データソース"), QStringLiteral("ドライバ")}));
        EXPECT_TRUE(boxes_.boxes().isEmpty());
        EXPECT_EQ(MnemonicFaults(dialog), QStringList());
    }
}
}  // namespace
}  // namespace varkel::test

namespace varkel::test {
namespace {

// Without a usable environment the data sources cannot be listed: the dialog says so, and the
// history it never read is not written over at the end.
TEST(ConnectDialogFailureTest, AFailedListingStopsTheLoadAndKeepsTheStoredHistory) {
    OdbcConfig config;
    MessageRecorder boxes;
    const QString file = config.path(QStringLiteral("VARKEL.INI"));
    WriteIniString(file, QStringLiteral("CONNHIST"), QStringLiteral("1"),
                   QStringLiteral("DSN=kept;"));
    DbSession noEnvironment;  // DbInit never ran
    ConnectDS dialog(noEnvironment, nullptr);
    ASSERT_EQ(boxes.boxes().size(), 1);
    EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("データソースの取得に失敗しました。"));
    EXPECT_EQ(boxes.boxes()[0].title, QStringLiteral("データベース接続"));
    EXPECT_EQ(dialog.Combo1->count(), 0);
    EXPECT_EQ(dialog.Lst_conn_hist->count(), 0);
    dialog.SetDataSrcTag(QStringLiteral("DSN=new;"));
    dialog.SaveHist();
    EXPECT_EQ(ReadIniString(file, QStringLiteral("CONNHIST"), QStringLiteral("1")),
              QStringLiteral("DSN=kept;"));
}

}  // namespace
}  // namespace varkel::test
