#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <optional>

#include "db/odbc_comm.h"
#include "store/ini_file.h"
#include "store/sql_templates.h"
#include "support/connected_window.h"
#include "support/file_faults.h"
#include "support/message_recorder.h"
#include "support/odbc_config.h"
#include "support/stepping_clock.h"
#include "support/when_shown.h"
#include "ui/connect/connect_ds.h"
#include "ui/history/show_hist.h"
#include "ui/history/show_temp.h"
#include "ui/main/main_window.h"
#include "ui/sqlbox/sql_box.h"
#include "ui/sqlbox/sql_box_keeper.h"

namespace varkel::test {
namespace {

// Counts the times a file of a folder is replaced, made (a new file linked in whole) or written
// and closed.
class FolderWrites {
  public:
    explicit FolderWrites(const QString& folder) : fd_(inotify_init1(IN_NONBLOCK)) {
        inotify_add_watch(fd_, QFile::encodeName(folder).constData(),
                          IN_MOVED_TO | IN_CLOSE_WRITE | IN_CREATE);
    }
    ~FolderWrites() { close(fd_); }
    int count(const QString& name) {
        alignas(inotify_event) char buffer[16384];
        ssize_t n;
        while ((n = read(fd_, buffer, sizeof buffer)) > 0) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                if (e->len > 0) counts_.append(QFile::decodeName(e->name));
                p += sizeof(inotify_event) + e->len;
            }
        }
        return static_cast<int>(counts_.count(name));
    }

  private:
    int fd_;
    QStringList counts_;
};

// The program's end with a run that changed the settings, the templates and the history.
class ProgramEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QFile t(file(QStringLiteral("SQLTMPL.TXT")));
        ASSERT_TRUE(t.open(QIODevice::WriteOnly));
        t.write("a\tSELECT 'a'\r\n/\r\nb\tSELECT 'b'\r\n/\r\n");
        t.close();
        QFile h(file(QStringLiteral("SQLHIST.TXT")));
        ASSERT_TRUE(h.open(QIODevice::WriteOnly));
        for (int i = 10; i < 35; ++i)  // more than MAXHIST: the end trims it
            h.write(QStringLiteral("24/01/01 10:00:%1 DSN=a;\tSELECT 1\r\n/\r\n").arg(i).toUtf8());
        h.close();
        WriteIniString(file(QStringLiteral("VARKEL.INI")), QStringLiteral("WINDOW"),
                       QStringLiteral("ToolBar"), QStringLiteral("ON"));
        window_ = std::make_unique<Varkel>(session_);
        Varkel* window = window_.get();
        WhenShown<ConnectDS>(
            window, [window] { return window->connectDialog(); },
            [](ConnectDS& d) { d.Cmd_cancel->click(); });
        window_->Load();
        window_->historyWindow()->store().setClock(SteppingClock());
        // The run deletes one template (and changes nothing else there) and runs a statement.
        boxes_.answer(MsgResult::Yes);
        window_->templateWindow()->Cmd_del->click();
        window_->historyWindow()->store().AddHist(QStringLiteral("DSN=a;"),
                                                  QStringLiteral("SELECT 2"));
    }
    void TearDown() override {
        if (window_) window_->close();
    }
    QString file(const QString& name) const { return config_.path(name); }
    QByteArray contents(const QString& name) const {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    OdbcConfig config_;
    MessageRecorder boxes_;
    DbSession session_;
    std::unique_ptr<Varkel> window_;
};

TEST_F(ProgramEndTest, EachFileIsWrittenOnceAndADeleteAloneIsSaved) {
    FolderWrites writes(config_.folder());
    window_->close();
    window_.reset();
    EXPECT_EQ(writes.count(QStringLiteral("VARKEL.INI")), 1);
    EXPECT_EQ(ReadIniString(file(QStringLiteral("VARKEL.INI")), QStringLiteral("WINDOW"),
                            QStringLiteral("ToolBar")),
              QStringLiteral("ON"));
    const QList<ClassSQL> templates = ReadTemplateFile(file(QStringLiteral("SQLTMPL.TXT")));
    ASSERT_EQ(templates.size(), 1);
    EXPECT_EQ(templates.first().SQLhead, QStringLiteral("b"));
    EXPECT_TRUE(contents(QStringLiteral("SQLHIST.TXT")).endsWith("\tSELECT 2\r\n/\r\n"));
    EXPECT_TRUE(boxes_.texts().filter(QStringLiteral("できません")).isEmpty())
        << boxes_.texts().join(u'\n').toStdString();
}

// A full disk or a read-only folder at the end: each file that cannot be written is told once,
// by name, stays as it was, and the program still ends.
TEST_F(ProgramEndTest, FilesThatCannotBeWrittenAreToldOnceAndStayWhole) {
    const QStringList names{QStringLiteral("VARKEL.INI"), QStringLiteral("SQLTMPL.TXT"),
                            QStringLiteral("SQLHIST.TXT")};
    QList<QByteArray> before;
    for (const QString& name : names)
        before << contents(name);
    const qsizetype shown = boxes_.boxes().size();
    {
        ScopedPermissionsObeyed obeyed;
        for (const QString& name : names)
            SetWritable(file(name), false);
        SetWritable(config_.folder(), false);
        window_->close();
        SetWritable(config_.folder(), true);
    }
    EXPECT_FALSE(window_->isVisible());
    window_.reset();
    const QList<MessageBoxRequest> told = boxes_.boxes().mid(shown);
    for (int i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        int naming = 0;
        for (const MessageBoxRequest& box : told)
            naming += box.text.contains(QDir::toNativeSeparators(file(names[i]))) ? 1 : 0;
        EXPECT_EQ(naming, 1);
        EXPECT_EQ(contents(names[i]), before[i]);
        SetWritable(file(names[i]), true);
    }
    EXPECT_EQ(told.size(), 3);
}

// The SQL input box's text kept beside the settings across a crash; the test ends the wait.
struct KeptBoxCase {
    const char* name;
    QByteArray before;    // SQLBOX.TXT at the start (null: none)
    const char* keys;     // typed, with {undo} (Ctrl+Z), {down} (Ctrl+Down), {flush}, {close}
    bool readOnlyFolder;  // also for the writing thread, which takes the test's rights
    bool waiting;         // a write is due after the keys
    QByteArray after;     // SQLBOX.TXT when the wait has ended (null: none)
    int writes;           // times it was written
    int told;             // messages
    const char* box;
};

void Perform(Varkel& window, SqlBox& box, const QString& keys) {
    static const QRegularExpression step(QStringLiteral("\\{(\\w+)\\}|[^{]+"));
    for (const QRegularExpressionMatch& m : step.globalMatch(keys)) {
        const QString command = m.captured(1);
        if (command == u"undo")
            QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        else if (command == u"down")
            QTest::keyClick(&box, Qt::Key_Down, Qt::ControlModifier);
        else if (command == u"flush")
            window.sqlBoxKeeper()->Flush();
        else if (command == u"close")
            window.close();
        else
            for (const QChar ch : m.captured(0))  // as typed, beyond ASCII too
                QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, QString(ch),
                                    Qt::NoModifier);
    }
}

TEST(SqlBoxKeeperTest, TextIsKeptAndBroughtBackOnlyAsText) {
    // clang-format off
    const KeptBoxCase cases[] = {
        // name, before, keys, read-only folder, waiting, after, writes, told, box
        {"brought back as one undo step", "SELECT '表';\nDELETE FROM t", "{undo}",
         false, true, {}, 0, 0, ""},
        {"unchanged text is not rewritten", "SELECT 2", "",
         false, false, "SELECT 2", 0, 0, "SELECT 2"},
        {"steady typing is written once a second", "\nFROM t", "SELECT '表'",
         false, true, "SELECT '表'\nFROM t", 1, 0, "SELECT '表'\nFROM t"},
        {"the user's own text while stepping", "mine", "x{down}",
         false, true, "xmine", 1, 0, "SELECT 'from history'"},
        {"a clean end keeps the last text", {}, "SELECT 3{close}",
         false, false, "SELECT 3", 1, 0, "SELECT 3"},
        {"a failed write is told once, nothing lost", "old", "a{flush}b",
         true, true, "old", 0, 1, "abold"},
    };
    // clang-format on
    OdbcConfig config;
    TestDatabase db(Engine::SQLite, config);
    const QString kept = config.path(QStringLiteral("SQLBOX.TXT"));
    for (const KeptBoxCase& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(kept);
        if (!c.before.isNull()) {
            QFile f(kept);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.before);
        }
        QFile h(config.path(QStringLiteral("SQLHIST.TXT")));
        ASSERT_TRUE(h.open(QIODevice::WriteOnly));
        h.write("24/01/01 10:00:00 DSN=a;\tSELECT 'from history'\r\n/\r\n");
        h.close();
        MessageRecorder boxes;
        DbSession session;
        std::unique_ptr<Varkel> window = LoadConnectedWindow(session, db);
        QTRY_VERIFY(IsConnected(session));
        SqlBox* box = window->findChild<SqlBox*>(QStringLiteral("TB_SQL"));
        SqlBoxKeeper* keeper = window->sqlBoxKeeper();
        // Shown, not run: a run would add a history record.
        EXPECT_EQ(box->toPlainText(), QString::fromUtf8(c.before));
        EXPECT_EQ(window->historyWindow()->store().GetHistNum(), 1);
        EXPECT_FALSE(keeper->timer().isActive());

        FolderWrites writes(config.folder());
        {
            std::optional<ScopedPermissionsObeyed> obeyed;
            if (c.readOnlyFolder) {
                obeyed.emplace();
                SetWritable(config.folder(), false);
            }
            Perform(*window, *box, QString::fromUtf8(c.keys));
            EXPECT_EQ(keeper->timer().isActive(), c.waiting);
            QSignalSpy ended(keeper, &SqlBoxKeeper::writeEnded);
            QMetaObject::invokeMethod(&keeper->timer(), "timeout");
            EXPECT_TRUE(!c.waiting || ended.wait());  // written off the window's thread
            SetWritable(config.folder(), true);
        }
        EXPECT_EQ(writes.count(QStringLiteral("SQLBOX.TXT")), c.writes);
        QFile after(kept);
        EXPECT_EQ(after.open(QIODevice::ReadOnly) ? after.readAll() : QByteArray(), c.after);
        struct stat mode {};
        if (c.writes > 0) {
            ASSERT_EQ(stat(QFile::encodeName(kept).constData(), &mode), 0);
            EXPECT_EQ(mode.st_mode & 0777, 0600u);  // owner-only
        }
        EXPECT_EQ(boxes.boxes().size(), c.told);
        for (const MessageBoxRequest& told : boxes.boxes())
            EXPECT_TRUE(told.text.contains(kept)) << told.text.toStdString();
        EXPECT_EQ(box->toPlainText(), QString::fromUtf8(c.box));
        window->close();
    }
}

// A kept text too large to lay out quickly stays out of the box, so the start stays quick; its
// file is set aside where nothing overwrites it, and the user is told where.
TEST(SqlBoxKeeperTest, AHugeKeptTextIsSetAsideNotLaidOut) {
    OdbcConfig config;
    TestDatabase db(Engine::SQLite, config);
    const QByteArray huge(SqlBoxKeeper::kRestoredBytes + 1, 'x');
    for (const char* name : {"SQLBOX.TXT", "SQLBOX-1.TXT"}) {  // an earlier one stays too
        QFile f(config.path(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(huge);
    }
    MessageRecorder boxes;
    DbSession session;
    std::unique_ptr<Varkel> window = LoadConnectedWindow(session, db);
    EXPECT_EQ(window->findChild<SqlBox*>(QStringLiteral("TB_SQL"))->toPlainText(), QString());
    EXPECT_FALSE(QFile::exists(config.path(QStringLiteral("SQLBOX.TXT"))));
    QFile aside(config.path(QStringLiteral("SQLBOX-2.TXT")));
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), huge);
    ASSERT_EQ(boxes.boxes().size(), 1);
    EXPECT_TRUE(boxes.boxes()[0].text.contains(aside.fileName())) << boxes.texts()[0].toStdString();
    window->close();
}

}  // namespace
}  // namespace varkel::test
