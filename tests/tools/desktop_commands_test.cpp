#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "db/db_session.h"
#include "store/ini_file.h"
#include "support/message_recorder.h"
#include "support/odbc_config.h"
#include "support/qt_printers.h"
#include "support/stepping_clock.h"
#include "support/when_shown.h"
#include "toolkit/open_document.h"
#include "toolkit/processes.h"
#include "tools/frm_version.h"
#include "ui/history/show_hist.h"
#include "ui/main/main_window.h"

namespace varkel::test {
namespace {

// The main window's help, version and administrator items, answered by the test instead of the
// desktop.
class DesktopCommandsTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (window_) window_->close();
    }
    void start(const QString& helpUrl = {}, const QString& editor = {}) {
        const QString ini = config_.path(QStringLiteral("VARKEL.INI"));
        if (!helpUrl.isEmpty())
            WriteIniString(ini, QStringLiteral("HELP"), QStringLiteral("URL"), helpUrl);
        if (!editor.isEmpty())
            WriteIniString(ini, QStringLiteral("SET"), QStringLiteral("EDITOR"), editor);
        window_ = std::make_unique<Varkel>(session_);
        Varkel* w = window_.get();
        WhenShown<ConnectDS>(
            w, [w] { return w->connectDialog(); }, [](ConnectDS& d) { d.Cmd_cancel->click(); });
        window_->Load();
        window_->historyWindow()->store().setClock(SteppingClock());
    }
    void trigger(const char* name) {
        window_->findChild<QAction*>(QString::fromLatin1(name))->trigger();
    }

    OdbcConfig config_;
    MessageRecorder boxes_;
    DbSession session_;
    std::unique_ptr<Varkel> window_;
};

TEST_F(DesktopCommandsTest, HelpOpensTheSettingOrTheHelpPages) {
    struct Case {
        QString url;
        QString expected;  // relative: taken from the program folder
        bool address;
        bool opened = true;  // a program opened it; else a message names the page
    };
    const Case cases[] = {
        {QString(), QStringLiteral("HELP/index.htm"), false},
        {QStringLiteral("https://example.org/varkel/help"),
         QStringLiteral("https://example.org/varkel/help"), true},
        {QStringLiteral("manual/start.htm"), QStringLiteral("manual/start.htm"), false},
        {QStringLiteral("/usr/share/doc/varkel/index.htm"),
         QStringLiteral("/usr/share/doc/varkel/index.htm"), false},
        {QString(), QStringLiteral("HELP/index.htm"), false, false},
        {QStringLiteral("https://example.org/varkel/help"),
         QStringLiteral("https://example.org/varkel/help"), true, false},
    };
    QDir(config_.folder()).mkpath(QStringLiteral("HELP"));
    QFile(config_.path(QStringLiteral("HELP/index.htm"))).open(QIODevice::WriteOnly);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        QFile::remove(config_.path(QStringLiteral("VARKEL.INI")));
        start(c.url);
        QList<DocumentRequest> opened;
        ScopedDocumentResponder desktop([&](const DocumentRequest& r) {
            opened << r;
            return c.opened;
        });
        auto* help = window_->findChild<QAction*>(QStringLiteral("mn_help_varkel"));
        EXPECT_EQ(help->shortcut(), QKeySequence(Qt::Key_F1));
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        const qsizetype before = boxes_.boxes().size();
        QTest::keyClick(window_.get(), Qt::Key_F1);
        ASSERT_EQ(opened.size(), 1);
        const QString expected = QDir::isAbsolutePath(c.expected) || c.address
                                     ? c.expected
                                     : config_.folder() + u'/' + c.expected;
        EXPECT_EQ(opened[0].path, expected);
        EXPECT_EQ(opened[0].isAddress, c.address);
        EXPECT_EQ(opened[0].owner, window_.get());
        if (c.opened) {
            EXPECT_EQ(boxes_.boxes().size(), before);
        } else {
            ASSERT_EQ(boxes_.boxes().size(), before + 1);
            EXPECT_EQ(boxes_.boxes().last().text,
                      QStringLiteral("ヘルプを開くプログラムが見つかりませんでした。\r\n"
                                     "ヘルプのページ：") +
                          expected);
            EXPECT_EQ(boxes_.boxes().last().icon, MsgIcon::Exclamation);
        }
        window_->close();
        window_.reset();
    }
}

TEST_F(DesktopCommandsTest, VersionWindowShowsTheReleaseAndUnloadsOnOk) {
    start();
    trigger("mn_version");
    QPointer<FrmVersion> version = window_->findChild<FrmVersion*>();
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->isVisible());
    EXPECT_EQ(version->windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(version->accessibleDescription(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(version->L_title[0]->text(), QStringLiteral("Varkel Light"));
    EXPECT_TRUE(version->L_title[1]->text().startsWith(QStringLiteral("Ver.1.0.5\n")));
    EXPECT_FALSE(version->Image1->pixmap().isNull());
    EXPECT_TRUE(version->Command1->isDefault());
    trigger("mn_version");  // again while it is open: the same window, no second one
    EXPECT_EQ(window_->findChildren<FrmVersion*>().size(), 1);
    version->Command1->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return version.isNull(); }, 2000));
    trigger("mn_version");  // loaded anew
    EXPECT_NE(window_->findChild<FrmVersion*>(), nullptr);
}

// The administrator: the graphical tool when one is installed, else the user's data source
// file in the editor or with the desktop, else a message that names the file.
TEST_F(DesktopCommandsTest, AdministratorFallsBackToTheUsersFile) {
    const QByteArray path = qgetenv("PATH");
    const QString bin = config_.path(QStringLiteral("bin"));
    QDir().mkpath(bin);
    struct Case {
        const char* name;
        bool adminInstalled;
        QString editor;
        bool fileExists;
        QString program;  // expected start, empty for none
        bool document;
        bool message;
    };
    const QString userFile = config_.path(QStringLiteral("my-odbc.ini"));
    const Case cases[] = {
        {"administrator", true, QStringLiteral("myedit %p"), true,
         bin + QStringLiteral("/ODBCConfig"), false, false},
        {"editor", false, QStringLiteral("myedit %p"), true, QStringLiteral("myedit"), false,
         false},
        {"desktop", false, QString(), true, QString(), true, false},
        {"nothing", false, QString(), false, QString(), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(bin + QStringLiteral("/ODBCConfig"));
        if (c.adminInstalled) {
            QFile tool(bin + QStringLiteral("/ODBCConfig"));
            ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
            tool.write("#!/bin/sh\n");
            tool.close();
            tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", bin.toLocal8Bit() + ':' + path);
        QFile::remove(userFile);
        if (c.fileExists) QFile(userFile).open(QIODevice::WriteOnly);
        QFile::remove(config_.path(QStringLiteral("VARKEL.INI")));
        start({}, c.editor);
        const QByteArray odbcIni = qgetenv("ODBCINI");
        qputenv("ODBCINI", userFile.toLocal8Bit());
        QList<ProcessRequest> started;
        QList<DocumentRequest> opened;
        ScopedProcessResponder programs([&](const ProcessRequest& r) {
            started << r;
            return ProcessOutcome{true, 0, {}};
        });
        ScopedDocumentResponder desktop([&](const DocumentRequest& r) {
            opened << r;
            return true;
        });
        const int before = boxes_.boxes().size();
        trigger("mn_kick_dsnadmin");
        qputenv("ODBCINI", odbcIni);
        qputenv("PATH", path);
        if (c.program.isEmpty()) {
            EXPECT_TRUE(started.isEmpty());
        } else {
            ASSERT_EQ(started.size(), 1);
            EXPECT_EQ(started[0].program, c.program);
            EXPECT_FALSE(started[0].wait);
            if (c.program == QStringLiteral("myedit")) {
                EXPECT_EQ(started[0].arguments, QStringList{userFile});
            }
        }
        EXPECT_EQ(opened.size(), c.document ? 1 : 0);
        if (c.document) {
            EXPECT_EQ(opened[0].path, userFile);
        }
        EXPECT_EQ(boxes_.boxes().size(), before + (c.message ? 1 : 0));
        if (c.message) {
            EXPECT_TRUE(boxes_.boxes().last().text.contains(userFile));
        }
        window_->close();
        window_.reset();
    }
}

// A new window is a second, independent copy of the program, started without waiting.
TEST_F(DesktopCommandsTest, NewWindowStartsAnotherCopy) {
    start();
    QList<ProcessRequest> started;
    ScopedProcessResponder programs([&](const ProcessRequest& r) {
        started << r;
        return ProcessOutcome{true, 0, {}};
    });
    trigger("mn_new_window");
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started[0].program, QCoreApplication::applicationFilePath());
    EXPECT_TRUE(started[0].arguments.isEmpty());
    EXPECT_FALSE(started[0].wait);
}

}  // namespace
}  // namespace varkel::test
