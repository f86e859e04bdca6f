#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QPushButton>

#include "db/odbc_comm.h"
#include "store/ini_file.h"
#include "store/sql_templates.h"
#include "support/file_faults.h"
#include "support/message_recorder.h"
#include "support/stepping_clock.h"
#include "support/odbc_config.h"
#include "support/when_shown.h"
#include "ui/connect/connect_ds.h"
#include "ui/history/show_hist.h"
#include "ui/history/show_temp.h"
#include "ui/main/main_window.h"

namespace varkel::test {
namespace {

// Counts the times a file of a folder is replaced or written and closed.
class FolderWrites {
  public:
    explicit FolderWrites(const QString& folder) : fd_(inotify_init1(IN_NONBLOCK)) {
        inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
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

}  // namespace
}  // namespace varkel::test
