#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "db/db_session.h"
#include "store/code_page.h"
#include "store/ini_file.h"
#include "support/accessible_names.h"
#include "support/message_recorder.h"
#include "support/odbc_config.h"
#include "support/qt_printers.h"
#include "support/when_shown.h"
#include "toolkit/file_dialogs.h"
#include "toolkit/processes.h"
#include "tools/frm_editor.h"
#include "ui/main/main_window.h"

namespace varkel::test {
namespace {

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The main window in its own program folder, the connection dialog cancelled at start-up; the
// editor is answered by the test instead of a real program.
class EditorTest : public ::testing::Test {
  protected:
    void SetUp() override { qputenv("VARKEL_CODEPAGE", "CP932"); }
    void TearDown() override {
        if (window_) window_->close();
        qunsetenv("VARKEL_CODEPAGE");
    }
    void start(const QString& editor) {
        if (!editor.isEmpty())
            WriteIniString(config_.path(QStringLiteral("VARKEL.INI")), QStringLiteral("SET"),
                           QStringLiteral("EDITOR"), editor);
        window_ = std::make_unique<Varkel>(session_);
        Varkel* w = window_.get();
        WhenShown<ConnectDS>(
            w, [w] { return w->connectDialog(); }, [](ConnectDS& d) { d.Cmd_cancel->click(); });
        window_->Load();
    }
    QAction* action(const char* name) const {
        return window_->findChild<QAction*>(QString::fromLatin1(name));
    }
    QPlainTextEdit* sqlBox() const {
        return window_->findChild<QPlainTextEdit*>(QStringLiteral("TB_SQL"));
    }
    FrmEditor* editor() const { return window_->editorWindow(); }
    QString home(const QString& name) const { return config_.path(name); }

    OdbcConfig config_;
    MessageRecorder boxes_;
    DbSession session_;
    std::unique_ptr<Varkel> window_;
};

// Ctrl+E: the box's text goes out in the code page, the editor's text comes back, every window
// is held while the editor runs, and Ctrl+Z brings the old text back.
TEST_F(EditorTest, SqlBoxRoundTripsThroughTheEditor) {
    start(QStringLiteral("myedit --wait %P"));
    sqlBox()->setPlainText(QStringLiteral("SELECT '表' FROM t"));
    QList<ProcessRequest> requests;
    QByteArray sent;
    bool windowHeld = false;
    QFile::Permissions permissions;
    ScopedProcessResponder editorRun([&](const ProcessRequest& r) {
        requests << r;
        const QString file = r.arguments.value(1);
        sent = ReadBytes(file);
        permissions = QFile::permissions(file);
        windowHeld = !window_->isEnabled();
        WriteBytes(file, CodePage("CP932").encode(QStringLiteral("SELECT 名前\nFROM 社員")));
        return ProcessOutcome{true, 0, {}};
    });
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(sqlBox(), Qt::Key_E, Qt::ControlModifier);

    const QString temporary = home(QStringLiteral("SQL(temporary edit).sql"));
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].program, QStringLiteral("myedit"));
    EXPECT_EQ(requests[0].arguments, (QStringList{QStringLiteral("--wait"), temporary}));
    EXPECT_TRUE(requests[0].wait);
    EXPECT_EQ(sent, CodePage("CP932").encode(QStringLiteral("SELECT '表' FROM t")));
    EXPECT_EQ(permissions,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    EXPECT_TRUE(windowHeld);
    EXPECT_TRUE(window_->isEnabled());
    EXPECT_EQ(sqlBox()->toPlainText(), QStringLiteral("SELECT 名前\nFROM 社員"));
    EXPECT_TRUE(QFile::exists(temporary));  // kept between runs
    sqlBox()->undo();
    EXPECT_EQ(sqlBox()->toPlainText(), QStringLiteral("SELECT '表' FROM t"));
    EXPECT_TRUE(boxes_.boxes().isEmpty()) << boxes_.texts().join(u'\n').toStdString();
}

// What keeps the box's text: no editor set, an editor that cannot start, a work file that cannot
// be written, an editor that leaves the file empty.
TEST_F(EditorTest, BoxKeepsItsTextWhenTheEditDoesNotHappen) {
    struct Case {
        const char* name;
        QString editor;
        std::function<void(const QString& temporary)> prepare;
        std::function<ProcessOutcome(const ProcessRequest&)> run;
        QString box;  // expected message, empty for none
        QString title;
        bool settingsShown;
        QString sql = QStringLiteral("SELECT 1");
    };
    const auto emptyFile = [](const ProcessRequest& r) {
        WriteBytes(r.arguments.value(0), {});
        return ProcessOutcome{true, 0, {}};
    };
    bool editorTried = false;  // the editor is not even started when its file cannot be written
    const Case cases[] = {
        {"no editor", QString(), nullptr, nullptr, QStringLiteral("外部エディタを設定してください"),
         QStringLiteral("外部エディタ設定"), true},
        {"cannot start", QStringLiteral("/no/such/editor %p"), nullptr, nullptr,
         QStringLiteral("エディタ起動に失敗しました。\r\nError:2 "), QStringLiteral("Varkel Light"),
         false},
        {"work file not writable", QStringLiteral("varkel-test-no-editor %p"),
         [](const QString& temporary) {
             QFile::remove(temporary);
             ASSERT_TRUE(QDir().mkpath(temporary + QStringLiteral("/x")));
         },
         [&editorTried](const ProcessRequest&) {
             editorTried = true;
             return ProcessOutcome{true, 0, {}};
         },
         QStringLiteral("エディタ起動に失敗しました。\r\nError:"), QStringLiteral("Varkel Light"),
         false},
        {"emptied by the editor", QStringLiteral("varkel-test-no-editor %p"), nullptr, emptyFile,
         QString(), QString(), false},
        {"a character the code page cannot hold", QStringLiteral("varkel-test-no-editor %p"),
         nullptr,
         [&editorTried](const ProcessRequest&) {
             editorTried = true;
             return ProcessOutcome{true, 0, {}};
         },
         QStringLiteral(
             "コードページ CP932 で表せない文字があるため、外部エディタで編集できません："
             "\u00E4"),
         QStringLiteral("Varkel Light"), false, QStringLiteral("SELECT '表\u00E4'")},
        {"saved by the editor in another code page", QStringLiteral("varkel-test-no-editor %p"),
         nullptr,
         [](const ProcessRequest& r) {
             WriteBytes(r.arguments.value(0), QStringLiteral("SELECT '①'").toUtf8());
             return ProcessOutcome{true, 0, {}};
         },
         QStringLiteral("編集したファイルにコードページ CP932 で読めない文字があるため、"
                        "SQL入力エリアに戻しません。"),
         QStringLiteral("Varkel Light"), false, QStringLiteral("SELECT '表'")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(home(QStringLiteral("VARKEL.INI")));
        start(c.editor);
        const QString temporary = home(QStringLiteral("SQL(temporary edit).sql"));
        if (c.prepare) c.prepare(temporary);
        std::optional<ScopedProcessResponder> responder;
        if (c.run) responder.emplace(c.run);
        const int before = boxes_.boxes().size();
        sqlBox()->setPlainText(c.sql);
        action("mn_sql_edit")->trigger();
        EXPECT_EQ(sqlBox()->toPlainText(), c.sql);
        if (c.box.isEmpty()) {
            EXPECT_EQ(boxes_.boxes().size(), before);
        } else {
            ASSERT_EQ(boxes_.boxes().size(), before + 1);
            EXPECT_TRUE(boxes_.boxes().last().text.startsWith(c.box))
                << boxes_.boxes().last().text.toStdString();
            EXPECT_EQ(boxes_.boxes().last().title, c.title);
        }
        EXPECT_EQ(editor()->isVisible(), c.settingsShown);
        EXPECT_TRUE(window_->isEnabled());
        editor()->hide();
        window_->close();
        window_.reset();
        QDir(temporary).removeRecursively();
    }
    EXPECT_FALSE(editorTried);
}

// While another running copy edits through the shared work file, this one uses its own file
// and removes it afterwards.
TEST_F(EditorTest, SecondCopyUsesAWorkFileOfItsOwn) {
    start(QStringLiteral("ed %p"));
    QLockFile other(home(QStringLiteral("SQL(temporary edit).sql.lock")));
    ASSERT_TRUE(other.tryLock(0));
    QString used;
    ScopedProcessResponder editorRun([&](const ProcessRequest& r) {
        used = r.arguments.value(0);
        WriteBytes(used, "SELECT 2");
        return ProcessOutcome{true, 0, {}};
    });
    sqlBox()->setPlainText(QStringLiteral("SELECT 1"));
    action("mn_sql_edit")->trigger();
    EXPECT_EQ(sqlBox()->toPlainText(), QStringLiteral("SELECT 2"));
    EXPECT_EQ(
        used,
        home(QStringLiteral("SQL(temporary edit)-%1.sql").arg(QCoreApplication::applicationPid())));
    EXPECT_FALSE(QFile::exists(used));
}

// The settings window: what OK accepts and saves, what it refuses, and what Cancel keeps.
TEST_F(EditorTest, SettingsWindowSavesOnlyACommandWithTheFileMark) {
    struct Case {
        QString typed;
        QString saved;  // the SET/EDITOR afterwards
        QString box;
        bool hidden;
    };
    const Case cases[] = {
        {QStringLiteral("  notepad %P  "), QStringLiteral("notepad %P"), QString(), true},
        {QStringLiteral("gedit"), QStringLiteral("notepad %P"),
         QStringLiteral("編集ファイル置換用の %p を入力してください"), false},
        {QStringLiteral("   "), QStringLiteral("notepad %P"), QString(), false},
        {QStringLiteral("kate %p %p"), QStringLiteral("kate %p %p"), QString(), true},
    };
    start(QString());
    const QString ini = home(QStringLiteral("VARKEL.INI"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        const int before = boxes_.boxes().size();
        editor()->show();
        editor()->Text1->setText(c.typed);
        editor()->Cmd_OK->click();
        EXPECT_EQ(ReadIniString(ini, QStringLiteral("SET"), QStringLiteral("EDITOR")), c.saved);
        EXPECT_EQ(editor()->EditorCommand(), c.saved);
        EXPECT_EQ(!editor()->isVisible(), c.hidden);
        if (c.box.isEmpty()) {
            EXPECT_EQ(boxes_.boxes().size(), before);
        } else {
            ASSERT_EQ(boxes_.boxes().size(), before + 1);
            EXPECT_EQ(boxes_.boxes().last().text, c.box);
            EXPECT_EQ(boxes_.boxes().last().title, QStringLiteral("外部エディタ設定"));
        }
    }
    // Cancel, here by its letter, keeps the command but shows the typed text the next time.
    EXPECT_EQ(MnemonicFaults(*editor()), QStringList());
    editor()->show();
    editor()->Text1->setText(QStringLiteral("other %p"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor()));
    QTest::keyClick(editor()->Text1, Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !editor()->isVisible(); }));
    EXPECT_EQ(editor()->EditorCommand(), QStringLiteral("kate %p %p"));
    EXPECT_EQ(editor()->Text1->text(), QStringLiteral("other %p"));

    // Browsing puts the chosen program in, quoted when it has blanks; Ctrl+Z takes it back.
    QList<FileDialogRequest> dialogs;
    ScopedFileDialogResponder chooser([&](const FileDialogRequest& r) {
        dialogs << r;
        return QStringLiteral("/opt/My Editor/edit");
    });
    editor()->Cmd_fileref->click();
    ASSERT_EQ(dialogs.size(), 1);
    EXPECT_EQ(dialogs[0].kind, FileDialogKind::Open);
    EXPECT_EQ(dialogs[0].title, QStringLiteral("外部エディタ"));
    EXPECT_EQ(dialogs[0].filters.size(), 2);
    EXPECT_EQ(dialogs[0].filters[0].description, QStringLiteral("EXEﾌｧｲﾙ(*.exe)"));
    EXPECT_EQ(dialogs[0].filterIndex, 1);
    EXPECT_EQ(editor()->Text1->text(), QStringLiteral("\"/opt/My Editor/edit\""));
    editor()->Text1->undo();
    EXPECT_EQ(editor()->Text1->text(), QStringLiteral("other %p"));
}

// The keyword list: edited in the editor (waited for), read again, shown at its new width.
TEST_F(EditorTest, KeywordListIsReadAgainAfterTheEdit) {
    WriteBytes(home(QStringLiteral("SQLKYWD.TXT")), "SELECT\r\nFROM\r\n");
    WriteIniString(home(QStringLiteral("VARKEL.INI")), QStringLiteral("WINDOW"),
                   QStringLiteral("KwdList"), QStringLiteral("ON"));
    start(QStringLiteral("ed %p"));
    auto* list = window_->findChild<QListWidget*>(QStringLiteral("Lst_kwd"));
    ASSERT_EQ(list->count(), 2);
    const int narrow = window_->geometryTwips().kwd.width;
    ScopedProcessResponder editorRun([&](const ProcessRequest& r) {
        EXPECT_TRUE(r.wait);
        EXPECT_EQ(r.arguments, QStringList{home(QStringLiteral("SQLKYWD.TXT"))});
        WriteBytes(r.arguments.value(0),
                   "SELECT\r\nFROM\r\n\r\nCURRENT_TIMESTAMP_WITH_A_LONG_NAME\r\n");
        return ProcessOutcome{true, 0, {}};
    });
    action("mn_kwd_edit")->trigger();
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(2)->text(), QString());
    EXPECT_EQ(list->item(3)->text(), QStringLiteral("CURRENT_TIMESTAMP_WITH_A_LONG_NAME"));
    EXPECT_GT(window_->geometryTwips().kwd.width, narrow);
    EXPECT_EQ(window_->Keywords.size(), 4);
}

// A window closed while the editor runs closes once the editor has ended.
TEST_F(EditorTest, CloseDuringTheWaitHappensAfterIt) {
    start(QStringLiteral("ed %p"));
    bool stillOpen = false;
    ScopedProcessResponder editorRun([&](const ProcessRequest& r) {
        window_->close();
        stillOpen = window_->isVisible();
        WriteBytes(r.arguments.value(0), "SELECT 3");
        return ProcessOutcome{true, 0, {}};
    });
    action("mn_sql_edit")->trigger();
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(sqlBox()->toPlainText(), QStringLiteral("SELECT 3"));
    for (int i = 0; i < 200 && window_->isVisible(); ++i)
        QTest::qWait(10);
    EXPECT_FALSE(window_->isVisible());
}

}  // namespace
}  // namespace varkel::test
