#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>

#include "db/db_session.h"
#include "exchange/load_csv.h"
#include "exec/command_lock.h"
#include "support/accessible_names.h"
#include "support/message_recorder.h"
#include "support/qt_printers.h"
#include "toolkit/file_dialogs.h"

namespace varkel::test {
namespace {

// The window's own behaviour, before anything reaches a database.
class LoadCsvWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_.ShowOption(
            {QStringLiteral("EMPLOYEE"), QStringLiteral("DEPT"), QStringLiteral("unused")}, 2,
            {QStringLiteral("EMPSYN")}, 1);
    }
    QString file(const QByteArray& bytes) {
        QFile f(dir_.filePath(QStringLiteral("f.csv")));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    void clickArrow(QStyle::SubControl arrow) {
        QStyleOptionSlider option;
        option.initFrom(window_.VScroll1);
        option.orientation = Qt::Vertical;
        option.minimum = window_.VScroll1->minimum();
        option.maximum = window_.VScroll1->maximum();
        option.sliderPosition = option.sliderValue = window_.VScroll1->value();
        option.singleStep = option.pageStep = 1;
        option.upsideDown = window_.VScroll1->invertedAppearance();
        const QRect r = window_.VScroll1->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                                  arrow, window_.VScroll1);
        QTest::mouseClick(window_.VScroll1, Qt::LeftButton, {}, r.center());
    }

    QTemporaryDir dir_;
    DbSession session_;
    CommandLock lock_;
    MessageRecorder boxes_;
    LoadCSV window_{session_, lock_, QStringLiteral("Varkel Light"), nullptr};
};

TEST_F(LoadCsvWindowTest, TargetsAreTablesThenSynonymsAndTypingIsNeverCompleted) {
    QComboBox* combo = window_.ImCB_table;
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("EMPLOYEE"));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("DEPT"));
    EXPECT_EQ(combo->itemText(2), QStringLiteral("EMPSYN"));
    EXPECT_NE(combo->itemIcon(0).cacheKey(), combo->itemIcon(2).cacheKey());
    combo->setFocus();
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("EMP"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("EMP"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(combo->currentText(), QStringLiteral("EMP"));
    EXPECT_EQ(combo->count(), 3);
    // Shown again with other lists: the typed name stays.
    window_.hide();
    window_.ShowOption({QStringLiteral("T1")}, 1, {}, 0);
    EXPECT_EQ(combo->count(), 1);
    EXPECT_EQ(combo->currentText(), QStringLiteral("EMP"));
}

TEST_F(LoadCsvWindowTest, TheIntervalGrowsWithTheUpArrow) {
    EXPECT_EQ(window_.L_commit_int->text(), QStringLiteral("1"));
    const QStringList expected = {QStringLiteral("10"), QStringLiteral("100"),
                                  QStringLiteral("1000"), QStringLiteral("10000"),
                                  QStringLiteral("10000")};
    for (const QString& text : expected) {
        clickArrow(QStyle::SC_ScrollBarSubLine);  // the upper arrow
        EXPECT_EQ(window_.L_commit_int->text(), text);
    }
    clickArrow(QStyle::SC_ScrollBarAddLine);
    EXPECT_EQ(window_.L_commit_int->text(), QStringLiteral("1000"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    window_.Cmd_read->setFocus();
    QTest::keyClick(window_.Cmd_read, Qt::Key_Tab);  // the interval is reached by Tab
    ASSERT_EQ(QApplication::focusWidget(), window_.VScroll1);
    QTest::keyClick(window_.VScroll1, Qt::Key_Down);
    EXPECT_EQ(window_.L_commit_int->text(), QStringLiteral("100"));
    QTest::keyClick(window_.VScroll1, Qt::Key_Up);
    EXPECT_EQ(window_.L_commit_int->text(), QStringLiteral("1000"));
}

TEST_F(LoadCsvWindowTest, TheHeaderFrameFollowsTheHeaderBox) {
    EXPECT_FALSE(window_.Frm_head->isVisible());
    window_.Chk_head->toggle();
    EXPECT_TRUE(window_.Frm_head->isVisible());
    window_.Chk_head_col->setChecked(true);
    window_.Chk_head->toggle();
    EXPECT_FALSE(window_.Frm_head->isVisible());
    EXPECT_TRUE(window_.Chk_head_col->isChecked());
    QStringList items;
    for (int i = 0; i < window_.CB_txt_dlm->count(); ++i)
        items << window_.CB_txt_dlm->itemText(i);
    EXPECT_EQ(items,
              QStringList({QStringLiteral(" ,"), QStringLiteral(" |"), QStringLiteral("TAB")}));
    EXPECT_EQ(window_.CB_txt_dlm->currentIndex(), 0);
    EXPECT_FALSE(window_.CB_txt_dlm->isEditable());
}

TEST_F(LoadCsvWindowTest, EnterInTheFileBoxPreviewsTheFirstTenLines) {
    QByteArray bytes;
    for (int i = 1; i <= 12; ++i)
        bytes += "line" + QByteArray::number(i) + "\n";
    window_.TB_file->setText(QStringLiteral("  ") + file(bytes) + QStringLiteral(" "));
    window_.TB_file->setFocus();
    QTest::keyClick(window_.TB_file, Qt::Key_Return);
    EXPECT_TRUE(window_.isVisible());  // the key is not the default button's
    QStringList lines = window_.TB_file_cont->toPlainText().split(u'\n');
    EXPECT_EQ(lines.size(), 11);
    EXPECT_EQ(lines.first(), QStringLiteral("line1"));
    EXPECT_EQ(lines[9], QStringLiteral("line10"));
    // A second preview shows the file again, not twenty lines.
    window_.Cmd_read->click();
    EXPECT_EQ(window_.TB_file_cont->toPlainText().split(u'\n').size(), 11);
    EXPECT_TRUE(boxes_.boxes().isEmpty());

    window_.TB_file->setText(dir_.filePath(QStringLiteral("none.csv")));
    window_.Cmd_read->click();
    ASSERT_EQ(boxes_.boxes().size(), 1);
    EXPECT_EQ(boxes_.boxes()[0].text, QStringLiteral("ﾌｧｲﾙがありません。"));
    EXPECT_EQ(boxes_.boxes()[0].icon, MsgIcon::Exclamation);
}

TEST_F(LoadCsvWindowTest, ALineOfSixteenMegabytesIsPreviewedByItsBeginning) {
    QByteArray bytes(16 << 20, 'v');
    bytes += "\nnext\n";
    window_.TB_file->setText(file(bytes));
    window_.Cmd_read->click();
    EXPECT_EQ(window_.TB_file_cont->toPlainText(),
              QString(2000, u'v') + QStringLiteral("…\nnext\n"));
    EXPECT_TRUE(boxes_.boxes().isEmpty());
}

TEST_F(LoadCsvWindowTest, TheFileChosenInTheDialogIsPreviewed) {
    const QString path = file("a,b\r\nc,d\r\n");
    QList<FileDialogRequest> asked;
    ScopedFileDialogResponder chooser([&](const FileDialogRequest& request) {
        asked << request;
        return asked.size() == 1 ? path : QString();  // chosen, then cancelled
    });
    window_.TB_file->setText(QStringLiteral(" /data/old.csv "));
    window_.Cmd_ref->click();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].kind, FileDialogKind::Open);
    EXPECT_EQ(asked[0].owner, &window_);
    EXPECT_EQ(asked[0].title, QStringLiteral("CSVﾌｧｲﾙ選択"));
    EXPECT_EQ(asked[0].initialFolder, QStringLiteral("/data/"));
    EXPECT_EQ(asked[0].initialName, QStringLiteral("old.csv"));
    EXPECT_EQ(asked[0].filterIndex, 1);
    ASSERT_EQ(asked[0].filters.size(), 3);
    EXPECT_EQ(asked[0].filters[0].pattern, QStringLiteral("*.csv"));
    EXPECT_EQ(window_.TB_file->text(), path);
    EXPECT_EQ(window_.TB_file_cont->toPlainText(), QStringLiteral("a,b\nc,d\n"));

    window_.Cmd_ref->click();
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(window_.TB_file->text(), path);
}

// A click copies the statement, and so do Enter and Ctrl+C once Tab has reached it.
TEST_F(LoadCsvWindowTest, ClickingTheStatementCopiesIt) {
    window_.L_sql->setText(QStringLiteral("INSERT INTO T VALUES(1)"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    for (const QKeyCombination key : {QKeyCombination(), QKeyCombination(Qt::Key_Return),
                                      QKeyCombination(Qt::CTRL | Qt::Key_C)}) {
        QApplication::clipboard()->clear();
        window_.Command2->setFocus();
        QTest::keyClick(window_.Command2, Qt::Key_Tab);
        if (key == QKeyCombination())
            QTest::mouseClick(window_.L_sql, Qt::LeftButton);
        else
            QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
        EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("INSERT INTO T VALUES(1)"));
        EXPECT_TRUE(window_.isVisible());
    }
    EXPECT_EQ(window_.L_sql->toolTip(), QStringLiteral("マウスクリックでクリップボードへコピー"));
}

TEST_F(LoadCsvWindowTest, CancelAndTheFrameHideTheWindowAndKeepItsSettings) {
    window_.TB_file->setText(QStringLiteral("x.csv"));
    window_.Command2->click();
    EXPECT_FALSE(window_.isVisible());
    window_.ShowOption({}, 0, {}, 0);
    window_.close();
    EXPECT_FALSE(window_.isVisible());
    window_.ShowOption({}, 0, {}, 0);
    EXPECT_EQ(window_.TB_file->text(), QStringLiteral("x.csv"));
    EXPECT_EQ(AccessibleWindow(window_), QStringLiteral("dialog:ファイルからTABLEへ登録"));
    EXPECT_FALSE(window_.isModal());
    window_.Chk_head->setChecked(true);  // every control on screen
    EXPECT_EQ(UnnamedControls(window_), QStringList());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window_.ProgressBar1)->text(QAccessible::Name),
              QStringLiteral("登録の進み具合"));
}

// The preview by keys: Tab and Shift+Tab leave it, Ctrl+Tab types nothing into it.
TEST_F(LoadCsvWindowTest, TheKeyboardLeavesThePreview) {
    const std::pair<QKeyCombination, const char*> cases[] = {
        {Qt::Key_Tab, "Cmd_read"},
        {Qt::SHIFT | Qt::Key_Backtab, "Chk_head"},
        {Qt::CTRL | Qt::Key_Tab, "TB_file_cont"}};
    window_.TB_file->setText(file("a,b\n"));
    window_.Cmd_read->click();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    for (const auto& [key, focus] : cases) {
        window_.TB_file_cont->setFocus();
        QTest::keyClick(window_.TB_file_cont, key.key(), key.keyboardModifiers());
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QString::fromLatin1(focus));
        EXPECT_EQ(window_.TB_file_cont->toPlainText(), QStringLiteral("a,b\n"));
    }
}

}  // namespace
}  // namespace varkel::test
