#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <cstring>

#include "exchange/save_csv.h"
#include "support/accessible_names.h"
#include "support/message_recorder.h"
#include "support/qt_printers.h"
#include "toolkit/file_dialogs.h"

namespace varkel::test {
namespace {
using namespace Qt::Literals::StringLiterals;

class SaveCsvWindowTest : public ::testing::Test {
  protected:
    MessageRecorder boxes_;
    SaveCSV window_{SaveCSV::Calls{}, nullptr};
};

TEST_F(SaveCsvWindowTest, ControlsCarryTheirTextsAndStartAsLoaded) {
    ASSERT_EQ(window_.Opt_out.size(), 3);
    // Captions as shown: a mnemonic's "&" is not.
    const auto shown = [](const QAbstractButton* b) { return QString(b->text()).remove(u'&'); };
    EXPECT_EQ(MnemonicFaults(window_), QStringList());
    const QStringList captions{u"ﾃｷｽﾄﾌｧｲﾙ"_s, u"ｸﾘｯﾌﾟﾎﾞｰﾄﾞ"_s, u"Excelﾌｧｲﾙ"_s};
    const QStringList tips{u"テキストファイルに出力"_s, u"クリップボードに出力"_s,
                           u"Excelファイルに出力"_s};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(shown(window_.Opt_out[i]), captions[i]);
        EXPECT_EQ(window_.Opt_out[i]->toolTip(), tips[i]);
        EXPECT_EQ(window_.Opt_out[i]->objectName(), u"Opt_out"_s);
    }
    EXPECT_TRUE(window_.Opt_out[0]->isChecked());
    EXPECT_EQ(window_.L_txt_dlm->text(), u"テキストの区切り："_s);
    EXPECT_EQ(window_.L_kakomi->text(), u"文字列の引用符："_s);
    const auto items = [](QComboBox* box) {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    };
    EXPECT_EQ(items(window_.CB_txt_dlm), (QStringList{u" ,"_s, u" |"_s, u"TAB"_s}));
    EXPECT_EQ(items(window_.CB_kakomi), (QStringList{u" \""_s, u" '"_s, u"(なし)"_s}));
    EXPECT_EQ(window_.CB_txt_dlm->currentIndex(), 0);
    EXPECT_FALSE(window_.CB_txt_dlm->isEditable());
    EXPECT_EQ(window_.Chk_head->text(), u"列名をヘッダーとして出力する"_s);
    EXPECT_EQ(window_.Chk_edit_csv->text(), u"出力後、ファイルを外部エディタで開く"_s);
    EXPECT_EQ(shown(window_.Chk_open_exel), u"出力後、ファイルをExcelで開く"_s);
    for (QCheckBox* box : {window_.Chk_head, window_.Chk_edit_csv, window_.Chk_open_exel})
        EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(shown(window_.Command1), u"ＯＫ"_s);
    EXPECT_EQ(window_.Command1->toolTip(), u"保存先を指定して出力"_s);
    EXPECT_EQ(shown(window_.Command2), u"Cancel"_s);
    EXPECT_EQ(window_.Label1->text(), u"■■■"_s);
    EXPECT_FALSE(window_.isModal());
}

TEST_F(SaveCsvWindowTest, EachOutputShowsItsOwnControls) {
    const struct {
        int option;
        bool delimited, edit, open;
        QString tip;
    } cases[] = {
        {2, false, false, true, u"保存先を指定して出力"_s},
        {1, true, false, false, QString()},
        {0, true, true, false, u"保存先を指定して出力"_s},
    };
    for (const auto& c : cases) {
        window_.Opt_out[c.option]->setChecked(true);
        for (QWidget* w :
             {static_cast<QWidget*>(window_.L_txt_dlm), static_cast<QWidget*>(window_.CB_txt_dlm),
              static_cast<QWidget*>(window_.L_kakomi), static_cast<QWidget*>(window_.CB_kakomi)})
            EXPECT_EQ(!w->isHidden(), c.delimited) << c.option;
        EXPECT_EQ(!window_.Chk_edit_csv->isHidden(), c.edit) << c.option;
        EXPECT_EQ(!window_.Chk_open_exel->isHidden(), c.open) << c.option;
        EXPECT_EQ(window_.Command1->toolTip(), c.tip) << c.option;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(window_.Opt_out[i]->font().bold(), i == c.option) << c.option;
    }
}

TEST_F(SaveCsvWindowTest, TextsThatAreNoSelectAreRefused) {
    const struct {
        QString sql;
        QString box;  // empty: the window opens
    } cases[] = {
        {QString(), u"実行するSQL(SELECT)がありません。"_s},
        {u"    "_s, u"実行するSQL(SELECT)がありません。"_s},
        {u"\r\nSELECT 1"_s, u"SQLがSELECT文ではありません。"_s},
        {u"\tSELECT 1"_s, u"SQLがSELECT文ではありません。"_s},
        {u"WITH x AS (SELECT 1) SELECT * FROM x"_s, u"SQLがSELECT文ではありません。"_s},
        {u"-- c\r\nSELECT 1"_s, u"SQLがSELECT文ではありません。"_s},
        {u"UPDATE t SET a = 1"_s, u"SQLがSELECT文ではありません。"_s},
        {u"   sElEcT 1   "_s, QString()},
    };
    for (const auto& c : cases) {
        const qsizetype before = boxes_.boxes().size();
        window_.Show4SelectOut(c.sql);
        if (c.box.isEmpty()) {
            EXPECT_EQ(boxes_.boxes().size(), before) << c.sql.toStdString();
            EXPECT_TRUE(window_.isVisible());
            EXPECT_EQ(window_.windowTitle(), u"SELECT実行＆保存"_s);
            EXPECT_TRUE(window_.Opt_out[1]->isHidden());
            EXPECT_TRUE(window_.Opt_out[2]->isHidden());
            EXPECT_TRUE(window_.ProgressBar1->isHidden());
            EXPECT_FALSE(window_.Picture1->isHidden());
            EXPECT_TRUE(window_.Label1->isHidden());
            window_.Command2->click();
            EXPECT_FALSE(window_.isVisible());
            continue;
        }
        ASSERT_EQ(boxes_.boxes().size(), before + 1) << c.sql.toStdString();
        EXPECT_EQ(boxes_.boxes().last().text, c.box) << c.sql.toStdString();
        EXPECT_EQ(boxes_.boxes().last().title, u"SELECT実行＆保存"_s);
        EXPECT_EQ(boxes_.boxes().last().icon, MsgIcon::Exclamation);
        EXPECT_FALSE(window_.isVisible());
    }
}

TEST_F(SaveCsvWindowTest, AnEmptyListIsRefusedAndChoicesLastWhileHidden) {
    QTreeWidget list;
    list.setHeaderLabels({u"行No."_s, u"A"_s, u"<"_s});
    window_.ShowOption(&list);
    ASSERT_EQ(boxes_.boxes().size(), 1);
    EXPECT_EQ(boxes_.boxes()[0].text, u"SELECT結果はありません。"_s);
    EXPECT_EQ(boxes_.boxes()[0].title, u"SELECT結果の保存"_s);
    EXPECT_FALSE(window_.isVisible());

    new QTreeWidgetItem(&list, {u"     1"_s, u"x"_s, QString()});
    window_.ShowOption(&list);
    ASSERT_TRUE(window_.isVisible());
    EXPECT_EQ(window_.windowTitle(), u"SELECT結果の保存"_s);
    EXPECT_EQ(window_.ProgressBar1->maximum(), 1);
    EXPECT_FALSE(window_.ProgressBar1->isHidden());
    EXPECT_TRUE(window_.Picture1->isHidden());
    window_.Opt_out[1]->setChecked(true);
    window_.CB_txt_dlm->setCurrentIndex(2);
    window_.Chk_head->setChecked(true);
    window_.Command2->click();
    window_.ShowOption(&list);
    EXPECT_TRUE(window_.Opt_out[1]->isChecked());
    EXPECT_EQ(window_.CB_txt_dlm->currentIndex(), 2);
    EXPECT_TRUE(window_.Chk_head->isChecked());
    window_.close();  // closed by its frame: the next opening starts afresh
    window_.ShowOption(&list);
    EXPECT_TRUE(window_.Opt_out[0]->isChecked());
    EXPECT_EQ(window_.CB_txt_dlm->currentIndex(), 0);
    EXPECT_FALSE(window_.Chk_head->isChecked());
}

// A result list as the main window fills it: row number, data columns (numeric ones aligned
// right), end marker.
void FillList(QTreeWidget& list, const QList<QStringList>& rows) {
    list.setHeaderLabels({u"行No."_s, u"ID"_s, u"NAME"_s, u"<"_s});
    list.headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    int n = 0;
    for (const QStringList& row : rows)
        new QTreeWidgetItem(&list,
                            QStringList{QString::number(++n)} + row + QStringList{QString()});
}

TEST(SaveCsvCodePageTest, CharactersTheCodePageCannotHoldAreCounted) {
    qputenv("VARKEL_CODEPAGE", "CP932");
    MessageRecorder boxes;
    SaveCSV window(SaveCSV::Calls{}, nullptr);
    qunsetenv("VARKEL_CODEPAGE");
    QTreeWidget list;
    FillList(list, {{u"1"_s, u"日本ｶﾅ"_s}, {u"2"_s, u"café😀"_s}});
    QTemporaryDir dir;
    const QString path = dir.filePath(u"cp.csv"_s);
    ScopedFileDialogResponder files([&](const FileDialogRequest&) { return path; });
    window.ShowOption(&list);
    window.Chk_head->setChecked(true);
    window.Command1->click();
    ASSERT_EQ(boxes.boxes().size(), 1);
    EXPECT_EQ(boxes.boxes()[0].text,
              path + u"\r\nに出力しました。\r\n出力できない文字2文字を「?」に置き換えました。"_s);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\"ID\",\"NAME\"\r\n1,\"\x93\xfa\x96\x7b\xb6\xc5\"\r\n"
                                         "2,\"caf??\"\r\n"));
}

TEST_F(SaveCsvWindowTest, AWorkbookThatCannotBeWrittenSaysWhy) {
    QTreeWidget list;
    FillList(list, {{u"1"_s, u"a"_s}});
    QTemporaryDir dir;
    ScopedFileDialogResponder files(
        [&](const FileDialogRequest&) { return dir.filePath(u"no/such/x.xlsx"_s); });
    window_.ShowOption(&list);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    // By the option's letter and the full-width "ＯＫ"'s, pressed a moment later as shown.
    QTest::keyClick(&window_, Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return window_.Opt_out[2]->isChecked(); }));
    QTest::keyClick(&window_, Qt::Key_O, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !boxes_.boxes().isEmpty(); }));
    ASSERT_EQ(boxes_.boxes().size(), 1);
    EXPECT_EQ(boxes_.boxes()[0].text, u"エクセルファイルの出力に失敗しました。\r\nError:2 "_s +
                                          QString::fromLocal8Bit(strerror(ENOENT)));
    EXPECT_EQ(boxes_.boxes()[0].icon, MsgIcon::Critical);
    EXPECT_EQ(boxes_.boxes()[0].title, u"SELECT結果の保存"_s);
}

}  // namespace
}  // namespace varkel::test
