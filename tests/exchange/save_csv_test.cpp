#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/resource.h>
#include <csignal>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>

#include "db/db_test_util.h"
#include "exchange/save_csv.h"
#include "exchange/xlsx_sheet.h"
#include "exec/command_lock.h"
#include "exec/sql_executor.h"
#include "support/message_recorder.h"
#include "support/when_shown.h"
#include "toolkit/desktop.h"
#include "toolkit/file_dialogs.h"
#include "toolkit/keyed_bars.h"
#include "ui/history/show_hist.h"
#include "ui/main/main_window.h"

namespace varkel::test {
namespace {
using namespace Qt::Literals::StringLiterals;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The export window of a main window connected to the test's database, used as a user would:
// the menu items, the window's controls, and a file dialog that answers with a chosen path.
class SaveCsvTest : public EngineTest {
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
        ASSERT_TRUE(IsConnected(session_)) << boxes_.texts().join(u'\n').toStdString();
        ASSERT_TRUE(db_->admin().exec(
            u"CREATE TABLE t (id INTEGER, name VARCHAR(20), born DATE, code VARCHAR(10))"_s));
        ASSERT_TRUE(db_->admin().exec(
            u"INSERT INTO t VALUES (1, 'abc', '2024-01-02', '00123'), (2, NULL, NULL, NULL), "
            u"(3, '日本', '2024-03-04', '7')"_s));
    }
    void TearDown() override {
        if (window_) window_->close();
    }
    QList<MessageBoxRequest> run(const QString& script) {
        const qsizetype before = boxes_.boxes().size();
        sql()->setPlainText(script);
        action("mn_sql_go")->trigger();
        return boxes_.boxes().mid(before);
    }
    // Opens the window from `menu`, sets the output and the header switch, and presses OK with
    // the file dialog answering `path`; returns the boxes shown meanwhile.
    QList<MessageBoxRequest> exportWith(const char* menu, int option, bool header,
                                        const QString& path) {
        const qsizetype before = boxes_.boxes().size();
        action(menu)->trigger();
        SaveCSV* w = window_->exportWindow();
        if (!w->isVisible()) return boxes_.boxes().mid(before);
        w->Opt_out[option]->setChecked(true);
        w->Chk_head->setChecked(header);
        ScopedFileDialogResponder files([this, path](const FileDialogRequest& r) {
            dialogs_ << r;
            return path;
        });
        w->Command1->click();
        return boxes_.boxes().mid(before);
    }
    // Calls `act` at every yield until it returns true.
    void duringExport(const std::function<bool()>& act) {
        auto* timer = new QTimer(window_.get());
        timer->setInterval(0);
        // Timers also run while a slow statement is out (no yield of the export's own): skipped.
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, act] {
            if (!timer->isActive() || DbCallOut(session_) || !act()) return;
            timer->stop();
            timer->deleteLater();
        });
        timer->start();
    }
    int rowsCounted() const { return window_->exportWindow()->L_cnt->text().toInt(); }
    QAction* action(const char* name) const {
        return window_->findChild<QAction*>(QString::fromLatin1(name));
    }
    QPlainTextEdit* sql() const {
        return window_->findChild<QPlainTextEdit*>(QStringLiteral("TB_SQL"));
    }
    QString file(const QString& name) const { return config_.path(name); }

    MessageRecorder boxes_;
    DbSession session_;
    std::unique_ptr<Varkel> window_;
    QList<FileDialogRequest> dialogs_;
};

const QByteArray kListText =
    "\"id\",\"name\",\"born\",\"code\"\r\n1,\"abc\",\"2024-01-02\",\"00123\"\r\n"
    "2,\"\",\"\",\"\"\r\n3,\"日本\",\"2024-03-04\",\"7\"\r\n";

TEST_P(SaveCsvTest, TheResultListGoesToAFileTheClipboardAndAWorkbook) {
    ASSERT_EQ(run(u"SELECT id, name, born, code FROM t ORDER BY id"_s).size(), 1);
    const QString csv = file(u"out.csv"_s), xlsx = file(u"out.xlsx"_s);
    SetClipboardText(u"before"_s);

    auto shown = exportWith("mn_out_csv", 0, true, csv);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, csv + u"\r\nに出力しました。"_s);
    EXPECT_EQ(shown[0].title, u"SELECT結果の保存"_s);
    EXPECT_EQ(shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(ReadAll(csv), kListText);
    ASSERT_EQ(dialogs_.size(), 1);
    EXPECT_EQ(dialogs_[0].title, u"SELECT結果の保存ﾌｧｲﾙ指定"_s);
    EXPECT_EQ(dialogs_[0].initialName, u"SELECT.csv"_s);
    EXPECT_EQ(dialogs_[0].filters.size(), 3);
    EXPECT_FALSE(window_->exportWindow()->isVisible()) << "hidden after use";

    shown = exportWith("mn_out_csv", 1, false, QString());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, u"プリップボードに出力しました。"_s);
    EXPECT_EQ(ClipboardText().toUtf8(), kListText.mid(kListText.indexOf('\n') + 1));

    shown = exportWith("mn_out_csv", 2, true, xlsx);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, xlsx + u"\r\nに出力しました。"_s);
    EXPECT_EQ(dialogs_.last().initialName, u"SELECT.xlsx"_s);
    QString error;
    const auto cells = ReadFirstSheet(xlsx, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const struct {
        int row, column;
        const char* type;
        QString value;
    } expected[] = {
        {1, 1, "inlineStr", u"id"_s},    {1, 4, "inlineStr", u"code"_s}, {2, 1, "n", u"1"_s},
        {2, 2, "inlineStr", u"abc"_s},   {2, 3, "n", u"45293"_s},  // a date cell: 2024-01-02
        {2, 4, "inlineStr", u"00123"_s}, {4, 2, "inlineStr", u"日本"_s}, {4, 4, "n", u"7"_s},
    };
    for (const auto& e : expected) {
        const auto it = cells.find({e.row, e.column});
        ASSERT_NE(it, cells.end()) << e.row << "," << e.column;
        EXPECT_EQ(it->type, QString::fromLatin1(e.type)) << e.row << "," << e.column;
        EXPECT_EQ(it->value.toLower(), e.value) << e.row << "," << e.column;
    }
    EXPECT_FALSE(cells.contains({3, 2})) << "a NULL leaves the cell empty";
    EXPECT_EQ(cells.size(), 13);
}

TEST_P(SaveCsvTest, SelectAndSaveWritesEveryRowWithOrWithoutHeader) {
    CreateNumbers(*db_, u"n"_s, 3000);
    const QString path = file(u"sel.csv"_s);
    for (const bool header : {false, true}) {
        sql()->setPlainText(u"  Select k, v\nFROM n ORDER BY k  "_s);
        const auto shown = exportWith("mn_out_select", 0, header, path);
        ASSERT_EQ(shown.size(), 1) << header;
        EXPECT_EQ(shown[0].text, path + u"\r\nに出力しました。"_s);
        EXPECT_EQ(shown[0].title, u"SELECT実行＆保存"_s);
        const QList<QByteArray> lines = ReadAll(path).split('\n');
        ASSERT_EQ(lines.size(), 3001 + (header ? 1 : 0)) << header;
        int first = 0;
        if (header) {
            EXPECT_EQ(lines[first++].toLower(), "\"k\",\"v\"\r");
        }
        EXPECT_EQ(lines[first], "1,\"v1\"\r");
        EXPECT_EQ(lines[first + 2999], "3000,\"v3000\"\r");
        EXPECT_EQ(lines.last(), "");
        EXPECT_EQ(window_->exportWindow()->L_cnt->text(), u"3000"_s);
        EXPECT_EQ(DbCursorId(session_), 0U) << "the cursor is closed";
        EXPECT_FALSE(window_->commandLock().locked());
        EXPECT_TRUE(action("mn_sql_go")->isEnabled());
    }
    EXPECT_EQ(dialogs_.last().title, u"SELECT実行結果の保存ﾌｧｲﾙ指定"_s);
    EXPECT_EQ(window_->findChild<QLabel*>(u"L_sql_no"_s)->text(), u"2"_s) << "both in the history";
    EXPECT_EQ(window_->historyWindow()->store().records().last().SQLstmt,
              u"Select k, v\r\nFROM n ORDER BY k"_s)
        << "with CR LF line breaks, as every statement";
}

// Values go to the file whole (the list keeps its cut); a timestamp at midnight is its date.
TEST_P(SaveCsvTest, SelectAndSaveWritesEveryValueWhole) {
    ASSERT_TRUE(db_->admin().exec(db_->engine() == Engine::MariaDB
                                      ? u"CREATE TABLE w (k INTEGER, s MEDIUMTEXT, ts DATETIME)"_s
                                      : u"CREATE TABLE w (k INTEGER, s TEXT, ts TIMESTAMP)"_s));
    const QString cases[][3] = {
        // value, timestamp stored, timestamp written
        {QString(303, u'x'), u"2024-01-02 00:00:00"_s, u"2024-01-02"_s},
        {QString(1000, u'日'), u"2024-01-02 12:30:00"_s, u"2024-01-02 12:30:00"_s},
        {u"ab"_s + QString(10000, u'本'), u"1999-12-31 00:00:00"_s, u"1999-12-31"_s},
        {QString(100000, u'y'), u"2024-03-04 00:00:01"_s, u"2024-03-04 00:00:01"_s},
    };
    QByteArray expected;
    for (int k = 0; k < 4; ++k) {
        ASSERT_TRUE(db_->admin().exec(
            u"INSERT INTO w VALUES (%1, '%2', '%3')"_s.arg(k).arg(cases[k][0], cases[k][1])));
        expected += u"%1,\"%2\",\"%3\"\r\n"_s.arg(k).arg(cases[k][0], cases[k][2]).toUtf8();
    }
    // Beyond the first block of rows: short values, and a long one among them.
    for (int k = 4; k < 300; ++k) {
        const QString value = k == 290 ? QString(5000, u'z') : u"v%1"_s.arg(k);
        ASSERT_TRUE(db_->admin().exec(
            u"INSERT INTO w VALUES (%1, '%2', '2024-01-02 00:00:00')"_s.arg(k).arg(value)));
        expected += u"%1,\"%2\",\"2024-01-02\"\r\n"_s.arg(k).arg(value).toUtf8();
    }
    sql()->setPlainText(u"SELECT k, s, ts FROM w ORDER BY k"_s);
    ASSERT_EQ(exportWith("mn_out_select", 0, false, file(u"w.csv"_s)).size(), 1);
    const QByteArray written = ReadAll(file(u"w.csv"_s));
    EXPECT_TRUE(written == expected) << written.left(400).toStdString();
    ASSERT_EQ(run(u"SELECT s FROM w ORDER BY k"_s).size(), 1);
    EXPECT_EQ(window_->findChild<QTreeWidget*>(u"ListView1"_s)->topLevelItem(0)->text(1).size(),
              254);

    // A change the session has not committed is in the file and stays uncommitted; without one,
    // SQLite's rows come from the file as they are read (on a connection of their own), and the
    // file is the same, typed expressions included.
    const QString query = u"SELECT k, s, ts, k * 2, k / 7.0 FROM w ORDER BY k"_s;
    QByteArray files[2];
    bool readAside[2] = {};
    for (const bool pending : {false, true}) {
        if (pending) {
            ASSERT_EQ(run(u"INSERT INTO w VALUES (300, 'new', NULL)"_s).size(), 1);
        }
        sql()->setPlainText(query);
        const std::uint64_t asideBefore = session_.ResultsReadAside;
        const auto shown = exportWith("mn_out_select", 0, false, file(u"w.csv"_s));
        readAside[pending] = session_.ResultsReadAside != asideBefore;
        ASSERT_EQ(shown.size(), 1) << pending;
        EXPECT_EQ(shown[0].text, file(u"w.csv"_s) + u"\r\nに出力しました。"_s);
        files[pending] = ReadAll(file(u"w.csv"_s));
        EXPECT_EQ(readAside[pending], !pending && db_->engine() == Engine::SQLite) << pending;
    }
    EXPECT_EQ(files[0].count('\n'), 300);
    EXPECT_TRUE(files[1].startsWith(files[0]));
    EXPECT_TRUE(files[1].mid(files[0].size()).startsWith("300,\"new\",\"\",600,"));
    EXPECT_EQ(db_->admin().scalar(u"SELECT count(*) FROM w"_s), u"300"_s) << "not committed";
    run(u"ROLLBACK"_s);
    sql()->setPlainText(query);
    ASSERT_EQ(exportWith("mn_out_select", 0, false, file(u"w.csv"_s)).size(), 1);
    EXPECT_EQ(ReadAll(file(u"w.csv"_s)), files[0]) << "rolled back";
}

// Cancel, the menu's "SQL中断" and the toolbar's stop button each stop a running save.
TEST_P(SaveCsvTest, CancelInTheMiddleKeepsThePartialFileAndSaysSo) {
    CreateNumbers(*db_, u"n"_s, 30000);
    const QString path = file(u"part.csv"_s);
    auto* toolbar = window_->findChild<KeyedToolBar*>(u"Toolbar1"_s);
    for (QAction* stop :
         {static_cast<QAction*>(nullptr), action("mn_sql_stop"), toolbar->button(u"stop"_s)}) {
        sql()->setPlainText(u"SELECT k, v FROM n ORDER BY k"_s);
        bool lockedMeanwhile = false;
        duringExport([&] {
            if (rowsCounted() < 100) return false;
            lockedMeanwhile = window_->commandLock().locked() &&
                              !action("mn_sql_go")->isEnabled() && (!stop || stop->isEnabled());
            stop ? stop->trigger() : window_->exportWindow()->Command2->click();
            return true;
        });
        const auto shown = exportWith("mn_out_select", 0, false, path);
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text, path + u"\r\nに出力しました。（中断）"_s);
        EXPECT_TRUE(lockedMeanwhile);
        const QList<QByteArray> lines = ReadAll(path).split('\n');
        EXPECT_GT(lines.size(), 101);
        EXPECT_LT(lines.size(), 30001);
        EXPECT_EQ(lines[0], "1,\"v1\"\r");
        EXPECT_EQ(lines.last(), "") << "the last line is whole";
        EXPECT_EQ(DbCursorId(session_), 0U);
        EXPECT_FALSE(window_->commandLock().locked());
    }
}

// A result that breaks off (PostgreSQL reads it through a server cursor, a block at a time)
// never replaces an earlier file; where there was none, the report says where it stopped.
TEST_P(SaveCsvTest, AResultThatBreaksOffNeverPassesForAWholeOne) {
    if (db_->engine() != Engine::PostgreSQL) GTEST_SKIP() << "the others fail at the execute";
    CreateNumbers(*db_, u"n"_s, 3000);
    const QString earlier = file(u"earlier.csv"_s), fresh = file(u"fresh.csv"_s),
                  linked = file(u"linked.csv"_s);
    for (const QString& path : {earlier, linked}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("earlier\r\n") == 9);
    }
    // A file of two names is written in place: its earlier content cannot be kept, and the
    // report says that the rows broke off.
    ASSERT_EQ(::link(QFile::encodeName(linked).constData(),
                     QFile::encodeName(file(u"second.csv"_s)).constData()),
              0);
    // The rows come in blocks of 256: the four before the failing one are written.
    const auto brokeOff = [](const QString& path) {
        return path +
               u"\r\nに出力しました。（中断）\r\nSELECT結果の取得に失敗したため、1024行で中断しました。"_s;
    };
    for (const QString& path : {earlier, fresh, linked}) {
        sql()->setPlainText(u"SELECT k, 10/(k-1500) FROM n ORDER BY k"_s);
        const auto shown = exportWith("mn_out_select", 0, false, path);
        ASSERT_EQ(shown.size(), 2);
        EXPECT_TRUE(shown[0].text.contains(u"division by zero"_s)) << shown[0].text.toStdString();
        EXPECT_EQ(shown[1].text,
                  path == earlier
                      ? u"SELECT結果の取得が1024行の後で失敗したため、出力を中止しました。\r\n"_s +
                            earlier + u"\r\nは元の内容のままです。"_s
                      : brokeOff(path));
        EXPECT_EQ(ReadAll(path).count('\n'), path == earlier ? 1 : 1024);
    }
    EXPECT_EQ(ReadAll(earlier), "earlier\r\n");
    const QDir folder = QFileInfo(earlier).absoluteDir();
    EXPECT_EQ(folder.entryList(QDir::Hidden | QDir::Files).filter(u".csv."_s), QStringList());
}

// What the files' code page cannot hold is refused as SQL実行 refuses it: not run, not recorded.
TEST_P(SaveCsvTest, AStatementTheCodePageCannotHoldIsRefusedAsSqlExecutionDoes) {
    const int recorded = window_->historyWindow()->store().GetHistNum();
    qputenv("VARKEL_CODEPAGE", "CP932");
    const auto restore = qScopeGuard([] { qunsetenv("VARKEL_CODEPAGE"); });
    const auto refused = run(u"SELECT name FROM t WHERE name <> '😀'"_s);
    const auto shown = exportWith("mn_out_select", 0, false, file(u"cp.csv"_s));  // the same text
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, u"コードページ CP932 で表せない文字があるため、実行しません：😀"_s);
    EXPECT_EQ(shown[0].text, refused.value(0).text);
    EXPECT_EQ(shown[0].title, refused.value(0).title);
    EXPECT_TRUE(dialogs_.isEmpty()) << "no file is asked for";
    EXPECT_EQ(window_->historyWindow()->store().GetHistNum(), recorded);
}

TEST_P(SaveCsvTest, AWriteFailureSaysWhyAndKeepsTheEarlierFile) {
    CreateNumbers(*db_, u"n"_s, 30000);
    const QString earlier = file(u"earlier.csv"_s);
    {
        QFile f(earlier);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("earlier\r\n");
    }
    std::signal(SIGXFSZ, SIG_IGN);
    const struct {
        QString path;
        rlim_t limit;  // 0: none
        int error;
    } cases[] = {{u"/dev/full"_s, 0, ENOSPC}, {earlier, 65536, EFBIG}};
    for (const auto& c : cases) {
        sql()->setPlainText(u"SELECT k, v FROM n ORDER BY k"_s);
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        if (c.limit) {
            rlimit small = old;
            small.rlim_cur = c.limit;
            ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        }
        const auto shown = exportWith("mn_out_select", 0, true, c.path);
        ::setrlimit(RLIMIT_FSIZE, &old);
        ASSERT_EQ(shown.size(), 1) << c.path.toStdString();
        EXPECT_EQ(shown[0].text, u"書込みに失敗しました。\r\nError:"_s + QString::number(c.error) +
                                     u' ' + QString::fromLocal8Bit(strerror(c.error)));
        EXPECT_EQ(shown[0].icon, MsgIcon::Critical);
        EXPECT_EQ(DbCursorId(session_), 0U);
    }
    EXPECT_EQ(ReadAll(earlier), "earlier\r\n");
}

TEST_P(SaveCsvTest, AQueryDuringSelectAndSaveNeitherRunsNorBreaksIt) {
    CreateNumbers(*db_, u"n"_s, 20000);
    ASSERT_EQ(run(u"SELECT id FROM t"_s).size(), 1);
    const QString path = file(u"q.csv"_s);
    sql()->setPlainText(u"SELECT k, v FROM n ORDER BY k"_s);
    bool tried = false;
    duringExport([&] {
        if (rowsCounted() < 1) return false;
        // The commands are locked: the menu item is off and a direct call does nothing.
        window_->RunScript();
        window_->PostSQL(u"SELECT name FROM t"_s);
        tried = true;
        return true;
    });
    const auto shown = exportWith("mn_out_select", 0, false, path);
    ASSERT_TRUE(tried);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, path + u"\r\nに出力しました。"_s);
    EXPECT_EQ(ReadAll(path).count('\n'), 20000);
    EXPECT_EQ(window_->findChild<QTreeWidget*>(u"ListView1"_s)->columnCount(), 3)
        << "the list still shows the earlier result";
}

TEST_P(SaveCsvTest, ACursorTakenByAnotherCallEndsTheSaveAsAFailure) {
    CreateNumbers(*db_, u"n"_s, 20000);
    const QString path = file(u"lost.csv"_s);
    sql()->setPlainText(u"SELECT k, v FROM n ORDER BY k"_s);
    duringExport([&] {
        if (rowsCounted() < 1) return false;
        // Whatever bypasses the lock (a catalog query, say) replaces the session's cursor.
        DbExecute(session_, u"SELECT 1"_s);
        return true;
    });
    const auto shown = exportWith("mn_out_select", 0, false, path);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].text.startsWith(u"SELECT結果が他の操作で閉じられたため"_s))
        << shown[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(path)) << "nothing incomplete is put in place";
    EXPECT_NE(DbCursorId(session_), 0U) << "the other call's cursor is left alone";
}

TEST_P(SaveCsvTest, TheListAsItWasWhenOkWasPressedIsExported) {
    CreateNumbers(*db_, u"n"_s, 5000);
    ASSERT_EQ(run(u"SELECT k, v FROM n ORDER BY k"_s).size(), 1);
    const QString path = file(u"snap.csv"_s);
    bool ran = false;
    duringExport([&] {
        if (window_->exportWindow()->ProgressBar1->value() < 1) return false;
        run(u"SELECT id FROM t"_s);  // the list changes under the export
        ran = true;
        return true;
    });
    const auto shown = exportWith("mn_out_csv", 0, false, path);
    ASSERT_TRUE(ran);
    EXPECT_EQ(shown.last().text, path + u"\r\nに出力しました。"_s);
    const QList<QByteArray> lines = ReadAll(path).split('\n');
    ASSERT_EQ(lines.size(), 5001);
    EXPECT_EQ(lines[4999], "5000,\"v5000\"\r");
}

TEST_P(SaveCsvTest, EveryColumnIsWrittenAlsoBeyondAThousand) {
    QStringList items;
    for (int i = 1; i <= 1100; ++i)
        items << QString::number(i) + u" AS c"_s + QString::number(i);
    sql()->setPlainText(u"SELECT "_s + items.join(u", "_s));
    const QString path = file(u"wide.csv"_s);
    const auto shown = exportWith("mn_out_select", 0, true, path);
    ASSERT_EQ(shown.size(), 1);
    const QList<QByteArray> lines = ReadAll(path).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].split(',').size(), 1100);
    EXPECT_EQ(lines[0].split(',').last(), "\"c1100\"\r");
    EXPECT_EQ(lines[1].split(',').last(), "1100\r");
}

TEST_P(SaveCsvTest, ClosingTheProgramDuringASaveEndsItWithoutAFile) {
    CreateNumbers(*db_, u"n"_s, 30000);
    const QString path = file(u"closed.csv"_s);
    sql()->setPlainText(u"SELECT k, v FROM n ORDER BY k"_s);
    duringExport([&] {
        if (rowsCounted() < 1) return false;
        window_->close();
        return true;
    });
    const auto shown = exportWith("mn_out_select", 0, false, path);
    EXPECT_TRUE(shown.isEmpty()) << shown.value(0).text.toStdString();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(window_->isVisible()) << "the window closed once the save had ended";
    EXPECT_FALSE(IsConnected(session_));
}

TEST_P(SaveCsvTest, AnInterruptedFillIsEndedBeforeTheSaveTakesTheCursor) {
    CreateNumbers(*db_, u"n"_s, 1000);
    auto* startStop = window_->findChild<QToolButton*>(u"Cmd_start_stop"_s);
    duringExport([&] {
        if (window_->executor()->result().RowCount < 300) return false;
        startStop->click();  // interrupt the fill
        return true;
    });
    ASSERT_EQ(run(u"SELECT k, v FROM n ORDER BY k"_s).size(), 1);
    ASSERT_TRUE(startStop->isEnabled()) << "the fill could be resumed";
    const QString path = file(u"after.csv"_s);
    sql()->setPlainText(u"SELECT v FROM n WHERE k <= 10"_s);
    const auto shown = exportWith("mn_out_select", 0, false, path);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, path + u"\r\nに出力しました。"_s);
    EXPECT_EQ(ReadAll(path).count('\n'), 10);
    EXPECT_FALSE(startStop->isEnabled()) << "nothing is left to resume";
    EXPECT_EQ(window_->findChild<QTreeWidget*>(u"ListView1"_s)->topLevelItemCount(), 300);
}

TEST_P(SaveCsvTest, ASelectWithoutResultColumnsWritesAnEmptyFile) {
    if (db_->engine() != Engine::PostgreSQL) GTEST_SKIP() << "SELECT … INTO is PostgreSQL's";
    const QString path = file(u"into.csv"_s);
    sql()->setPlainText(u"SELECT id, name INTO t2 FROM t"_s);
    const auto shown = exportWith("mn_out_select", 0, true, path);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, path + u"\r\nに出力しました。"_s);
    EXPECT_EQ(ReadAll(path), QByteArray());
    EXPECT_EQ(DbCursorId(session_), 0U);
    ASSERT_EQ(run(u"SELECT COUNT(*) FROM t2"_s).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, SaveCsvTest,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL, Engine::MariaDB),
                         EngineParamName());

}  // namespace
}  // namespace varkel::test
