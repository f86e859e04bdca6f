#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "db/odbc_comm.h"
#include "store/ini_file.h"
#include "store/sql_history.h"
#include "support/accessible_names.h"
#include "support/engines.h"
#include "support/message_recorder.h"
#include "support/when_shown.h"
#include "toolkit/keyed_bars.h"
#include "ui/history/show_hist.h"
#include "ui/history/show_temp.h"
#include "ui/main/main_window.h"

namespace varkel::test {
namespace {

// The main window on a real SQLite data source, driven through its connection dialog.
class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        config_.addDataSource(QStringLiteral("Broken"), QStringLiteral("NoSuchDriver"), {});
        db_ = std::make_unique<TestDatabase>(Engine::SQLite, config_);
        ASSERT_TRUE(db_->unavailableReason().isEmpty());
        window_ = std::make_unique<Varkel>(session_);
    }
    void TearDown() override {
        if (window_) window_->close();
    }
    // The next opening of the connection dialog does `act`.
    void whenDialogOpens(const std::function<void(ConnectDS&)>& act) {
        Varkel* window = window_.get();
        WhenShown<ConnectDS>(
            window, [window] { return window->connectDialog(); }, act);
    }
    void chooseSource(const QString& item) {
        whenDialogOpens([item](ConnectDS& d) {
            d.Option1[0]->click();
            d.Combo1->setCurrentIndex(d.Combo1->findText(item));
            d.Cmd_ok->click();
        });
    }
    QAction* action(const char* name) const {
        return window_->findChild<QAction*>(QString::fromLatin1(name));
    }
    KeyedToolBar* toolbar() const {
        return window_->findChild<KeyedToolBar*>(QStringLiteral("Toolbar1"));
    }
    QLineEdit* connectionBar() const {
        return window_->findChild<QLineEdit*>(QStringLiteral("TB_DSN"));
    }

    // The availability of the connection commands and buttons, as one readable line.
    std::string state() const {
        std::string s;
        for (const char* name :
             {"mn_connect", "mn_disconnect", "mn_reconnect", "mn_sql_go", "mn_sql_stop",
              "mn_sql_commit", "mn_sql_rollback", "mn_out_select", "mn_inp_csv"})
            s += action(name)->isEnabled() ? '1' : '0';
        s += ' ';
        for (const char* key : {"connect", "discon", "go", "ok", "ng", "inst"})
            s += toolbar()->buttonEnabled(QString::fromLatin1(key)) ? '1' : '0';
        s += ' ';
        s += toolbar()->buttonPressed(QStringLiteral("connect")) ? 'P' : '-';
        s += toolbar()->buttonPressed(QStringLiteral("discon")) ? 'P' : '-';
        return s;
    }

    OdbcConfig config_;
    MessageRecorder boxes_;
    std::unique_ptr<TestDatabase> db_;
    DbSession session_;
    std::unique_ptr<Varkel> window_;
};

// Every transition of the availability table, in the order a user meets them.
TEST_F(MainWindowTest, CommandsFollowTheConnectionState) {
    const std::string disconnectedAtStart = "100000000 100000 -P";
    const std::string connected = "010101111 011111 P-";
    const std::string disconnected = "101000000 100000 -P";

    whenDialogOpens([](ConnectDS& d) { d.Cmd_cancel->click(); });
    window_->Load();
    EXPECT_EQ(state(), disconnectedAtStart) << "start, connection cancelled";
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Varkel Light"));
    EXPECT_TRUE(connectionBar()->text().isEmpty());

    chooseSource(QStringLiteral("VarkelTestDb(SQLite3)"));
    action("mn_connect")->trigger();
    EXPECT_EQ(state(), connected) << "connected";
    EXPECT_TRUE(IsConnected(session_));
    const QString barText = connectionBar()->text();
    EXPECT_TRUE(barText.startsWith(QStringLiteral("DSN=VarkelTestDb;"))) << barText.toStdString();
    EXPECT_EQ(connectionBar()->toolTip(),
              barText.left(128) + (barText.size() > 128 ? QStringLiteral("...") : QString()));
    EXPECT_EQ(connectionBar()->palette().color(QPalette::Base), QColor(255, 255, 128));

    toolbar()->button(QStringLiteral("discon"))->trigger();  // dispatched by key
    EXPECT_EQ(state(), disconnected) << "disconnected";
    EXPECT_FALSE(IsConnected(session_));
    EXPECT_EQ(connectionBar()->text(), barText);  // the text stays
    EXPECT_TRUE(connectionBar()->toolTip().isEmpty());

    action("mn_reconnect")->trigger();
    EXPECT_EQ(state(), connected) << "reconnected";
    EXPECT_EQ(connectionBar()->toolTip(),
              connectionBar()->text().left(128) +
                  (barText.size() > 128 ? QStringLiteral("...") : QString()));
    action("mn_disconnect")->trigger();

    chooseSource(QStringLiteral("Broken(NoSuchDriver)"));
    action("mn_connect")->trigger();
    EXPECT_EQ(state(), disconnected) << "failed connect changes no command";
    ASSERT_EQ(boxes_.boxes().size(), 1);
    EXPECT_EQ(boxes_.boxes()[0].title, QStringLiteral("CONNECT エラー"));
    EXPECT_TRUE(connectionBar()->text().isEmpty());

    whenDialogOpens([](ConnectDS& d) { d.Cmd_cancel->click(); });
    action("mn_connect")->trigger();
    EXPECT_EQ(state(), "100000000 100000 -P") << "cancel clears reconnect";
}

TEST_F(MainWindowTest, TheTitleShowsTheConnectionWhenSwitchedOn) {
    whenDialogOpens([](ConnectDS& d) { d.Cmd_cancel->click(); });
    window_->Load();
    action("mn_disp_con2title")->trigger();
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Varkel Light")) << "not connected";
    chooseSource(QStringLiteral("VarkelTestDb(SQLite3)"));
    action("mn_connect")->trigger();
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("DSN=VarkelTestDb; - Varkel Light"));
    action("mn_disp_con2title")->trigger();
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Varkel Light"));
}

// The end writes the window's place and the switches, and the connection history.
TEST_F(MainWindowTest, EndingWritesTheSettings) {
    const QString file = config_.path(QStringLiteral("VARKEL.INI"));
    WriteIniString(file, QStringLiteral("WINDOW"), QStringLiteral("ToolBar"), QStringLiteral("on"));
    WriteIniString(file, QStringLiteral("WINDOW"), QStringLiteral("StatusBar"),
                   QStringLiteral("ON"));
    WriteIniString(file, QStringLiteral("CONNHIST"), QStringLiteral("SAVE"), QStringLiteral("ON"));
    whenDialogOpens([](ConnectDS& d) {
        d.Combo1->setCurrentIndex(d.Combo1->findText(QStringLiteral("VarkelTestDb(SQLite3)")));
        d.Cmd_ok->click();
    });
    window_->Load();
    EXPECT_FALSE(action("mn_disp_toolbar")->isChecked()) << "\"on\" is not \"ON\"";
    EXPECT_TRUE(action("mn_disp_statusbar")->isChecked());
    ASSERT_TRUE(IsConnected(session_));
    // The history keeps the completed string itself; the bar shows it masked.
    const QString completed = session_.ConnectString;
    EXPECT_EQ(connectionBar()->text(), MaskPasswords(completed));
    window_->close();
    window_.reset();
    EXPECT_EQ(ReadIniString(file, QStringLiteral("WINDOW"), QStringLiteral("ToolBar")),
              QStringLiteral("OFF"));
    EXPECT_EQ(ReadIniString(file, QStringLiteral("WINDOW"), QStringLiteral("StatusBar")),
              QStringLiteral("ON"));
    EXPECT_EQ(ReadIniString(file, QStringLiteral("WINDOW"), QStringLiteral("KwdList")),
              QStringLiteral("OFF"));
    EXPECT_EQ(
        ReadIniString(file, QStringLiteral("WINDOW"), QStringLiteral("MAIN")).split(u',').size(),
        4);
    EXPECT_EQ(ReadIniString(file, QStringLiteral("CONNHIST"), QStringLiteral("1")), completed);
    EXPECT_FALSE(IsConnected(session_));
}

}  // namespace
}  // namespace varkel::test

namespace varkel::test {
namespace {

// The two other ways of the dialog: a driver (the test driver, which completes the string by
// echoing it), and an entry of the connection history.
TEST_F(MainWindowTest, ConnectsByDriverAndFromTheHistory) {
    whenDialogOpens([](ConnectDS& d) {
        d.Option1[1]->click();
        d.Combo2->setCurrentIndex(d.Combo2->findText(OdbcConfig::testDriverName()));
        d.Chk_add_hist->setChecked(true);
        d.Chk_add_hist->clicked(true);
        d.Cmd_ok->click();
    });
    window_->Load();
    ASSERT_TRUE(IsConnected(session_)) << boxes_.texts().join(u'\n').toStdString();
    EXPECT_EQ(connectionBar()->text(), QStringLiteral("DRIVER=VarkelTest;"));
    action("mn_disconnect")->trigger();

    whenDialogOpens([](ConnectDS& d) {
        d.Option1[2]->click();
        d.Lst_conn_hist->setCurrentRow(0);
        d.Cmd_ok->click();
    });
    action("mn_connect")->trigger();
    ASSERT_TRUE(IsConnected(session_)) << boxes_.texts().join(u'\n').toStdString();
    EXPECT_EQ(connectionBar()->text(), QStringLiteral("DRIVER=VarkelTest;"));
    EXPECT_EQ(window_->connectDialog()->Lst_conn_hist->count(), 1);  // the same string: one entry
}

// The history's selection follows the entry it was on: a connection made by the third of three
// entries selects that entry, now on top; one made by a driver keeps the selected entry.
TEST_F(MainWindowTest, TheHistorySelectionFollowsTheEntry) {
    const QString file = config_.path(QStringLiteral("VARKEL.INI"));
    const QString a = QStringLiteral("DRIVER=VarkelTest;X=a;"),
                  b = QStringLiteral("DRIVER=VarkelTest;X=b;"),
                  c = QStringLiteral("DRIVER=VarkelTest;X=c;");
    WriteIniString(file, QStringLiteral("CONNHIST"), QStringLiteral("SAVE"), QStringLiteral("ON"));
    WriteIniString(file, QStringLiteral("CONNHIST"), QStringLiteral("1"), a);
    WriteIniString(file, QStringLiteral("CONNHIST"), QStringLiteral("2"), b);
    WriteIniString(file, QStringLiteral("CONNHIST"), QStringLiteral("3"), c);
    const auto selected = [this] {
        QListWidget* list = window_->connectDialog()->Lst_conn_hist;
        return list->selectedItems().isEmpty() ? QString() : list->selectedItems().first()->text();
    };
    whenDialogOpens([](ConnectDS& d) {
        d.Option1[2]->click();
        d.Lst_conn_hist->setCurrentRow(2);
        d.Cmd_ok->click();
    });
    window_->Load();
    ASSERT_TRUE(IsConnected(session_));
    EXPECT_EQ(connectionBar()->text(), c);
    EXPECT_EQ(selected(), c);
    EXPECT_EQ(window_->connectDialog()->Lst_conn_hist->currentRow(), 0);
    action("mn_disconnect")->trigger();

    whenDialogOpens([](ConnectDS& d) {
        d.Lst_conn_hist->setCurrentRow(2);  // b
        d.Option1[1]->click();
        d.Combo2->setCurrentIndex(d.Combo2->findText(OdbcConfig::testDriverName()));
        d.Cmd_ok->click();
    });
    action("mn_connect")->trigger();
    ASSERT_TRUE(IsConnected(session_));
    EXPECT_EQ(window_->connectDialog()->Lst_conn_hist->item(0)->text(),
              QStringLiteral("DRIVER=VarkelTest;"));
    EXPECT_EQ(selected(), b);
}

// Reconnect takes the last connection that succeeded, whatever failed since; the bar and the
// title show what is connected.
TEST_F(MainWindowTest, ReconnectUsesTheLastGoodConnection) {
    const QString file = config_.path(QStringLiteral("VARKEL.INI"));
    WriteIniString(file, QStringLiteral("CONNHIST"), QStringLiteral("1"),
                   QStringLiteral("DRIVER=VarkelTest;DENY=1;"));
    WriteIniString(file, QStringLiteral("CONNHIST"), QStringLiteral("2"),
                   QStringLiteral("DRIVER=VarkelTest;X=good;"));
    const auto fromHistory = [this](int row) {
        whenDialogOpens([row](ConnectDS& d) {
            d.Option1[2]->click();
            d.Lst_conn_hist->setCurrentRow(row);
            d.Cmd_ok->click();
        });
    };
    fromHistory(0);
    window_->Load();  // fails: nothing to reconnect to
    EXPECT_FALSE(IsConnected(session_));
    EXPECT_FALSE(action("mn_reconnect")->isEnabled());
    action("mn_disp_con2title")->trigger();

    fromHistory(1);
    action("mn_connect")->trigger();
    ASSERT_TRUE(IsConnected(session_));
    const QString good = connectionBar()->text();
    const QString goodTitle = window_->windowTitle();
    EXPECT_EQ(good, QStringLiteral("DRIVER=VarkelTest;X=good;"));

    fromHistory(0);
    window_->Connect();  // while connected: refused, and the bar and title stay
    EXPECT_TRUE(IsConnected(session_));
    EXPECT_EQ(connectionBar()->text(), good);
    EXPECT_EQ(window_->windowTitle(), goodTitle);

    action("mn_disconnect")->trigger();
    fromHistory(0);
    action("mn_connect")->trigger();
    EXPECT_FALSE(IsConnected(session_));
    ASSERT_TRUE(action("mn_reconnect")->isEnabled());
    action("mn_reconnect")->trigger();
    ASSERT_TRUE(IsConnected(session_));
    EXPECT_EQ(connectionBar()->text(), good);
    EXPECT_EQ(window_->windowTitle(), goodTitle);
}

// A screen reader finds every window by its caption and every control by a name: the main
// window, the connection dialog, the history and template windows.
TEST_F(MainWindowTest, EveryWindowAndControlHasAName) {
    whenDialogOpens([](ConnectDS& d) { d.Cmd_cancel->click(); });
    window_->Load();
    struct Window {
        QWidget* window;
        QString expected;
    };
    const Window windows[] = {
        {window_.get(), QStringLiteral("window:Varkel Light")},
        {window_->connectDialog(), QStringLiteral("dialog:データベース接続")},
        {window_->historyWindow(), QStringLiteral("window:SQL入力履歴")},
        {window_->templateWindow(), QStringLiteral("window:SQLﾃﾝﾌﾟﾚｰﾄ")},
    };
    for (const Window& w : windows) {
        ASSERT_NE(w.window, nullptr) << w.expected.toStdString();
        EXPECT_EQ(AccessibleWindow(*w.window), w.expected);
        EXPECT_EQ(UnnamedControls(*w.window), QStringList()) << w.expected.toStdString();
    }
    // Containers are panes, toolbar buttons press, the tree's header is named and the
    // execution frame reads as one text.
    const auto a11y = [](QObject* o) { return QAccessible::queryAccessibleInterface(o); };
    KeyedToolBar* bar = toolbar();
    QAccessibleInterface* connect = a11y(bar->widgetForAction(bar->button(u"connect"_qs)));
    EXPECT_EQ(connect->role(), QAccessible::Button);
    EXPECT_EQ(connect->actionInterface()->actionNames(), QStringList{u"Press"_qs});
    EXPECT_EQ(a11y(window_->findChild<QFrame*>(u"Frm_SQL_head"_qs))->role(), QAccessible::Pane);
    EXPECT_EQ(window_->findChild<QTreeWidget*>(u"TreeView1"_qs)->headerItem()->text(0),
              u"DBオブジェクト"_qs);
    window_->findChild<QLabel*>(u"L_cols"_qs)->setText(u"3"_qs);
    QAccessibleInterface* info = a11y(window_->findChild<QFrame*>(u"Fra_SqlInfo"_qs));
    EXPECT_EQ(info->text(QAccessible::Name), u"FETCH 3 列 行 時間: 秒"_qs);
    EXPECT_EQ(info->childCount(), 1);  // the FETCH button
    // Every caption with a Latin letter has it as its mnemonic, menus and pop-ups included.
    EXPECT_EQ(MnemonicFaults(*window_), QStringList());
}
}  // namespace
}  // namespace varkel::test

#include "toolkit/auto_size_columns.h"
#include "toolkit/result_row.h"

namespace varkel::test {
namespace {

TEST(AutoSizeColumnsTest, FitsEveryColumnButTheFixedOnesAndStretchesTheLast) {
    QTreeWidget list;
    list.resize(600, 300);
    list.setHeaderLabels({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    new QTreeWidgetItem(&list, {QString(60, u'x'), QString(60, u'y'), QStringLiteral("z")});
    list.show();
    for (int i = 0; i < 3; ++i)
        list.setColumnWidth(i, 17);
    SetColumnTag(&list, 1, kFixedColumnTag);
    const int fixed = list.columnWidth(1);  // the header's minimum may have raised it
    AutoSizeColumns(&list, true, -1);
    EXPECT_GT(list.columnWidth(0), 100);
    EXPECT_EQ(list.columnWidth(1), fixed);
    EXPECT_GE(list.columnWidth(0) + list.columnWidth(1) + list.columnWidth(2),
              list.viewport()->width());

    list.setColumnWidth(1, 17);
    AutoSizeColumns(&list, false, 2);  // one column by number, contents only
    EXPECT_GT(list.columnWidth(1), 100);
}

// Every row is measured, the last of 10,000 as much as the first; with and without the header;
// plain rows and the result list's rows. Characters beyond the first plane (emoji) count with
// their width, however many rows hold them: the column is as wide as its widest text, no wider
// than a few of them. A font set on a result row later counts.
TEST(AutoSizeColumnsTest, EveryRowOfALongListIsMeasured) {
    struct Case {
        QString row;
        QString widest;
    };
    const Case cases[] = {
        {QString(), QStringLiteral("いちばん長い値 in the very last row of all")},
        {QStringLiteral("\U0001F600 smile"),
         QStringLiteral("\U0001F600\U0001F600\U0001F600 the widest \U0001F389 of all")},
    };
    for (const Case& c : cases)
        for (const bool resultRows : {false, true}) {
            const auto make = [&](const QString& text) -> QTreeWidgetItem* {
                const QStringList texts{text, QStringLiteral("y")};
                if (resultRows) return new ResultRow(texts, QBitArray(2));
                return new QTreeWidgetItem(texts);
            };
            QTreeWidget list;
            list.resize(600, 300);
            list.setHeaderLabels({QStringLiteral("a"), QStringLiteral("b")});
            QList<QTreeWidgetItem*> rows;
            for (int i = 0; i < 9999; ++i)
                rows << make(c.row.isEmpty() ? QString::number(i) : c.row);
            rows << make(c.widest);
            list.addTopLevelItems(rows);
            list.show();
            const int needed = QFontMetrics(list.font()).horizontalAdvance(c.widest);
            for (const bool withHeader : {true, false}) {
                list.setColumnWidth(0, 17);
                AutoSizeColumns(&list, withHeader, 1);
                EXPECT_GE(list.columnWidth(0), needed) << c.widest.toStdString() << withHeader;
                EXPECT_LT(list.columnWidth(0), 2 * needed + 100) << c.widest.toStdString();
            }
            QFont large = list.font();
            large.setPointSize(large.pointSize() * 3);
            rows[5000]->setData(0, Qt::FontRole, large);
            rows[5000]->setText(0, c.widest);
            AutoSizeColumns(&list, false, 1);
            EXPECT_GE(list.columnWidth(0), QFontMetrics(large).horizontalAdvance(c.widest))
                << c.widest.toStdString() << resultRows;
        }
}

}  // namespace
}  // namespace varkel::test
