#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <memory>

#include "support/qt_printers.h"
#include "toolkit/file_dialogs.h"

namespace varkel {
namespace {

// The real dialog, in Japanese as the program shows it, over a folder of known files.
class FileDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(translator_.load(QStringLiteral("qtbase_ja"),
                                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            << "Qt's Japanese translations (qt6-translations-l10n) are not installed";
        QApplication::installTranslator(&translator_);
        for (const char* name : {"README", "a.csv", "b.txt", "run"}) {
            QFile f(dir_.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("x");
        }
        QFile::setPermissions(dir_.filePath(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void TearDown() override { QApplication::removeTranslator(&translator_); }

    // The file names the dialog lists, once its folder has been read.
    static QStringList listed(QFileDialog& dialog) {
        auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
        QStringList names;
        if (!view) return names;
        if (!QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) > 0; }, 3000))
            return names;
        QTest::qWait(50);
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            names << view->model()->index(row, 0, view->rootIndex()).data().toString();
        names.sort();
        return names;
    }

    QTranslator translator_;
    QTemporaryDir dir_;
};

TEST_F(FileDialogTest, ShowsDescriptionsAndListsWhatEachEntryMeans) {
    struct Case {
        const char* name;
        QString filterText;
        int index;
        QStringList shown;  // the entries of the type list
        QString selected;
        QStringList files;
    };
    const QString csvText =
        QStringLiteral("CSVﾌｧｲﾙ(*.csv)|*.csv|ﾃｷｽﾄﾌｧｲﾙ(*.txt)|*.txt|すべてのﾌｧｲﾙ(*.*)|*.*");
    const QStringList csvShown = {QStringLiteral("CSVﾌｧｲﾙ(*.csv)"),
                                  QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ(*.txt)"),
                                  QStringLiteral("すべてのﾌｧｲﾙ(*.*)")};
    const QStringList all = {QStringLiteral("README"), QStringLiteral("a.csv"),
                             QStringLiteral("b.txt"), QStringLiteral("run")};
    const Case cases[] = {
        {"first entry", csvText, 1, csvShown, csvShown[0], {QStringLiteral("a.csv")}},
        {"second entry", csvText, 2, csvShown, csvShown[1], {QStringLiteral("b.txt")}},
        {"every file, also without a dot", csvText, 3, csvShown, csvShown[2], all},
        {"programs",
         QStringLiteral("EXEﾌｧｲﾙ(*.exe)|*.exe|すべてのﾌｧｲﾙ(*.*)|*.*"),
         1,
         {QStringLiteral("EXEﾌｧｲﾙ(*.exe)"), QStringLiteral("すべてのﾌｧｲﾙ(*.*)")},
         QStringLiteral("EXEﾌｧｲﾙ(*.exe)"),
         {QStringLiteral("run")}},
        {"empty filter text",
         QString(),
         1,
         {QStringLiteral("すべてのﾌｧｲﾙ(*.*)")},
         QStringLiteral("すべてのﾌｧｲﾙ(*.*)"),
         all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FileDialogRequest request =
            MakeFileDialogRequest(FileDialogKind::Open, nullptr, QStringLiteral("題"),
                                  dir_.path() + u'/', c.filterText, c.index);
        std::unique_ptr<QFileDialog> dialog(BuildFileDialog(request));
        dialog->show();
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        QStringList shown;
        for (int i = 0; i < types->count(); ++i)
            shown << types->itemText(i);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(types->currentText(), c.selected);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("題"));
        EXPECT_EQ(listed(*dialog), c.files);
    }
}

TEST_F(FileDialogTest, ProgramEntryStartsInTheProgramsFolder) {
    const FileDialogRequest request = MakeFileDialogRequest(
        FileDialogKind::Open, nullptr, QStringLiteral("外部エディタ"), QString(),
        QStringLiteral("EXEﾌｧｲﾙ(*.exe)|*.exe|すべてのﾌｧｲﾙ(*.*)|*.*"), 1);
    std::unique_ptr<QFileDialog> dialog(BuildFileDialog(request));
    EXPECT_EQ(dialog->directory().absolutePath(), QStringLiteral("/usr/bin"));
}

// Opening: the dialog's buttons speak Japanese, and the chosen name comes back as typed, a
// blank at its end included.
TEST_F(FileDialogTest, OpenReturnsTheChosenFileUntrimmed) {
    QFile f(dir_.filePath(QStringLiteral("ends in blank ")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    QStringList captions;
    QTimer::singleShot(100, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        for (auto* b : dialog->findChild<QDialogButtonBox*>()->buttons())
            captions << b->text();
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("ends in blank "));
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(AskOpenFile(nullptr, QStringLiteral("開く"), dir_.path() + u'/', QString(), 1),
              dir_.filePath(QStringLiteral("ends in blank ")));
    captions.sort();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("キャンセル"), QStringLiteral("開く(&O)")}));
}

// Saving over an existing file asks first; No keeps the dialog open, Yes returns the file. A
// name typed without a suffix gets none.
TEST_F(FileDialogTest, SaveAsksBeforeReplacingAndAddsNoSuffix) {
    int questions = 0;
    QString questionText;
    const auto answer = [&](QMessageBox::StandardButton button) {
        QTimer::singleShot(100, [&, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            ++questions;
            questionText = box->text();
            box->button(button)->click();
        });
    };
    bool stillOpen = false;
    QTimer::singleShot(100, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(QMessageBox::No);
        // Typed as a user would: selectFile() leaves a focused name field as it is.
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("a.csv"));
        static_cast<QDialog*>(dialog)->accept();
        stillOpen = dialog->isVisible();
        answer(QMessageBox::Yes);
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(AskSaveFile(nullptr, QStringLiteral("保存"), dir_.filePath(QStringLiteral("x.csv")),
                          QStringLiteral("CSVﾌｧｲﾙ(*.csv)|*.csv"), 1),
              dir_.filePath(QStringLiteral("a.csv")));
    EXPECT_EQ(questions, 2);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(questionText.contains(QStringLiteral("a.csv"))) << questionText.toStdString();

    QTimer::singleShot(100, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("plain"));
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(AskSaveFile(nullptr, QStringLiteral("保存"), dir_.path() + u'/',
                          QStringLiteral("CSVﾌｧｲﾙ(*.csv)|*.csv"), 1),
              dir_.filePath(QStringLiteral("plain")));
}

// The scripted answer stands in for the dialog and sees the whole request.
TEST_F(FileDialogTest, ResponderAnswersInsteadOfTheDialog) {
    QList<FileDialogRequest> seen;
    ScopedFileDialogResponder responder([&](const FileDialogRequest& r) {
        seen << r;
        return QString();
    });
    EXPECT_EQ(AskSaveFile(nullptr, QStringLiteral("SELECT結果の保存ﾌｧｲﾙ指定"),
                          QStringLiteral("SELECT.csv"), QStringLiteral("CSVﾌｧｲﾙ(*.csv)|*.csv"), 1),
              QString());
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].kind, FileDialogKind::Save);
    EXPECT_EQ(seen[0].initialFolder, QString());
    EXPECT_EQ(seen[0].initialName, QStringLiteral("SELECT.csv"));
}

}  // namespace
}  // namespace varkel
