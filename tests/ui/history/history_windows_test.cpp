#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDrag>
#include <QFile>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "store/ini_file.h"
#include "store/sql_templates.h"
#include "support/message_recorder.h"
#include "support/qt_printers.h"
#include "ui/history/show_hist.h"
#include "ui/history/show_temp.h"
#include "ui/history/statement_box.h"
#include "ui/history/statement_text.h"

namespace varkel::test {
namespace {

TEST(StatementTextTest, TheOneLineFormOfAStatement) {
    EXPECT_EQ(OneLineStatement(QStringLiteral("  \r\n\r\n SELECT *\tFROM T\r\n WHERE A = 1 \r\n")),
              QStringLiteral("SELECT * FROM T↓ WHERE A = 1"));
    EXPECT_EQ(TemplateItemText(
                  {QStringLiteral("Monthly"), QStringLiteral("SELECT * FROM T\r\nWHERE X = 1")}),
              QStringLiteral("【Monthly】SELECT * FROM T↓WHERE X = 1"));
    // A huge statement shows its first thousand characters and "…".
    const QString huge = QStringLiteral("SELECT ") + QString(5000, u'x');
    EXPECT_EQ(OneLineStatement(huge), huge.left(1000) + u'…');
    // Blank lines in front do not use up the shown part; a cut keeps no half line break.
    const QString blankFirst = QString(600, u'\r').replace(u'\r', QStringLiteral("\r\n")) +
                               QStringLiteral(" \tSELECT ") + QString(2000, u'x');
    EXPECT_EQ(OneLineStatement(blankFirst), QStringLiteral("SELECT ") + QString(993, u'x') + u'…');
    const QString crlfAtCut = QString(999, u'a') + QStringLiteral("\r\nb") + QString(10, u'c');
    EXPECT_EQ(OneLineStatement(crlfAtCut), QString(999, u'a') + u'…');
}

struct MoveCase {
    const char* name;
    int start, length, drop;
    QString text;
};

TEST(StatementTextTest, DraggedTextMovesInsideTheBox) {
    const QString text = QStringLiteral("SELECT a, b FROM t");
    const MoveCase cases[] = {
        {"to the right", 7, 3, 18, QStringLiteral("SELECT b FROM ta, ")},
        {"to the left", 12, 4, 0, QStringLiteral("FROMSELECT a, b  t")},
        {"inside itself", 7, 3, 8, text},
        {"onto its own end", 7, 3, 10, text},
    };
    for (const MoveCase& c : cases)
        EXPECT_EQ(MoveText(text, c.start, c.length, c.drop).text, c.text) << c.name;
}

TEST(StatementBoxTest, DropsInsertOutsideTextAndMoveItsOwn) {
    StatementBox box;
    box.setReadOnly(true);
    box.setPlainText(QStringLiteral("SELECT a FROM t"));
    box.dropText(QStringLiteral("b, "), 7);  // from outside: inserted, even read-only
    EXPECT_EQ(box.toPlainText(), QStringLiteral("SELECT b, a FROM t"));
    box.beginSelfDrag(7, 3);
    box.dropText(QStringLiteral("b, "), 18);  // its own text, to the end
    EXPECT_EQ(box.toPlainText(), QStringLiteral("SELECT a FROM tb, "));
    EXPECT_FALSE(box.draggingFromSelf());
    box.dropText(QStringLiteral("x"), 0);  // a later outside drop is no move
    EXPECT_EQ(box.toPlainText(), QStringLiteral("xSELECT a FROM tb, "));
}

// A drag of the selection out of the box offers a copy only, editable or not: a field or another
// program that takes it never cuts the statement.
TEST(StatementBoxTest, TextIsDraggedOutAsACopyOnly) {
    for (const bool readOnly : {false, true}) {
        StatementBox box;
        box.setReadOnly(readOnly);
        box.resize(300, 100);
        box.show();
        box.setPlainText(QStringLiteral("SELECT a FROM t"));
        QTextCursor selection = box.textCursor();
        selection.setPosition(0);
        selection.setPosition(6, QTextCursor::KeepAnchor);
        box.setTextCursor(selection);
        QTextCursor inside = box.textCursor();
        inside.setPosition(3);
        const QPoint from = box.cursorRect(inside).center();
        QTest::mousePress(box.viewport(), Qt::LeftButton, {}, from);
        const QPoint to = from + QPoint(QApplication::startDragDistance() + 20, 40);
        QMouseEvent move(QEvent::MouseMove, to, box.viewport()->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(box.viewport(), &move);  // the drag runs to its end in here
        const auto* drag = box.findChild<QDrag*>();      // deleted later, by the event loop
        ASSERT_NE(drag, nullptr) << readOnly;
        EXPECT_EQ(drag->supportedActions(), Qt::CopyAction) << readOnly;
        EXPECT_EQ(drag->mimeData()->text(), QStringLiteral("SELECT")) << readOnly;
        QTest::mouseRelease(box.viewport(), Qt::LeftButton, {}, to);
        EXPECT_EQ(box.toPlainText(), QStringLiteral("SELECT a FROM t"));
        EXPECT_EQ(box.isReadOnly(), readOnly);
    }
}

class HistoryWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("VARKEL_HOME", QFile::encodeName(dir_.path()));
        QFile f(dir_.filePath(QStringLiteral("SQLHIST.TXT")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(
            "24/01/01 10:00:00 DSN=b;\tSELECT 1\r\n/\r\n24/01/01 11:00:00 DSN=a;\tSELECT 2\r\n/\r\n"
            "24/01/01 12:00:00 DSN=c;\tSELECT 3\r\n/\r\n");
    }
    QStringList column(const ShowHist& w, int c) const {
        QStringList texts;
        for (int i = 0; i < w.ListView1->topLevelItemCount(); ++i)
            texts << w.ListView1->topLevelItem(i)->text(c);
        return texts;
    }
    QStringList markers(const ShowHist& w) const {
        QStringList m;
        for (int c = 0; c < 2; ++c)
            m << w.ListView1->headerItem()->data(c, Qt::UserRole + 8).toString();
        return m;
    }
    // Calls that keep what the buttons hand on.
    static ShowHist::Calls recording(QString& putBack, QString& ran) {
        ShowHist::Calls calls;
        calls.InputHist = [&putBack](const QString& s) { putBack = s; };
        calls.PostSQL = [&ran](const QString& s) { ran = s; };
        return calls;
    }
    QTemporaryDir dir_;
};

TEST_F(HistoryWindowTest, ListsNewestFirstAndCyclesTheSortOrder) {
    ShowHist w(dir_.filePath(QStringLiteral("SQLHIST.TXT")), QString(), {}, nullptr);
    w.store().ReadHist();
    EXPECT_EQ(column(w, 1), (QStringList{QStringLiteral("DSN=c;"), QStringLiteral("DSN=a;"),
                                         QStringLiteral("DSN=b;")}));
    EXPECT_EQ(w.Text1->toPlainText(), QStringLiteral("SELECT 3"));

    w.sortByHeader(1);  // DB: descending
    EXPECT_EQ(column(w, 1), (QStringList{QStringLiteral("DSN=c;"), QStringLiteral("DSN=b;"),
                                         QStringLiteral("DSN=a;")}));
    EXPECT_EQ(markers(w), (QStringList{QString(), QStringLiteral("SortDESC")}));
    w.sortByHeader(1);  // ascending
    EXPECT_EQ(column(w, 1), (QStringList{QStringLiteral("DSN=a;"), QStringLiteral("DSN=b;"),
                                         QStringLiteral("DSN=c;")}));
    EXPECT_EQ(markers(w), (QStringList{QString(), QStringLiteral("SortASC")}));
    w.sortByHeader(1);  // the default order, no marker
    EXPECT_EQ(column(w, 1), (QStringList{QStringLiteral("DSN=c;"), QStringLiteral("DSN=a;"),
                                         QStringLiteral("DSN=b;")}));
    EXPECT_EQ(markers(w), (QStringList{QString(), QString()}));
    w.sortByHeader(2);  // the statements are not sorted
    EXPECT_EQ(w.sortColumn(), 0);
}

TEST_F(HistoryWindowTest, TheTimeHeaderWhileUnsortedKeepsTheOrderThenAscends) {
    ShowHist w(dir_.filePath(QStringLiteral("SQLHIST.TXT")), QString(), {}, nullptr);
    w.store().ReadHist();
    const QStringList newestFirst = column(w, 0);
    w.sortByHeader(0);
    EXPECT_EQ(column(w, 0), newestFirst);
    EXPECT_EQ(markers(w), (QStringList{QString(), QString()}));
    w.sortByHeader(0);
    EXPECT_EQ(column(w, 0).first(), QStringLiteral("24/01/01 10:00:00"));
    EXPECT_EQ(markers(w), (QStringList{QStringLiteral("SortASC"), QString()}));
}

TEST_F(HistoryWindowTest, TheSplitterKeepsItsLimits) {
    ShowHist w(dir_.filePath(QStringLiteral("SQLHIST.TXT")), QString(), {}, nullptr);
    w.resize(600, 500);
    const int listTop = w.ListView1->y() * 15;
    const int inner = 500 * 15;
    EXPECT_FALSE(w.dragSplitter(listTop + 499));
    EXPECT_FALSE(w.dragSplitter(inner - 999));
    EXPECT_TRUE(w.dragSplitter(listTop + 1500));
    EXPECT_EQ(w.ListView1->height(), 100);
}

TEST_F(HistoryWindowTest, ButtonsHandTheStatementOnAndTheFrameOnlyHides) {
    QString putBack, ran;
    ShowHist w(dir_.filePath(QStringLiteral("SQLHIST.TXT")), QString(), recording(putBack, ran),
               nullptr);
    w.store().ReadHist();
    w.show();
    w.ListView1->setCurrentItem(w.ListView1->topLevelItem(2));
    w.Command1->click();
    EXPECT_EQ(putBack, QStringLiteral("SELECT 1"));
    EXPECT_FALSE(w.isVisible());
    w.show();
    w.Command2->click();
    EXPECT_EQ(ran, QStringLiteral("SELECT 1"));
    w.show();
    w.close();  // refused: hidden, and the place saved
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(ReadIniString(dir_.filePath(QStringLiteral("VARKEL.INI")), QStringLiteral("WINDOW"),
                            QStringLiteral("HIST"))
                  .split(u',')
                  .size(),
              4);
}

// A statement too long for a text box to lay out: the list and the box show its beginning, and
// the buttons still hand the whole statement on; the next record is shown and editable again.
TEST_F(HistoryWindowTest, AHugeStatementIsShownCutButHandedOnWhole) {
    const QString huge = QStringLiteral("SELECT 'a\r\n") + QString(300000, u'y') + u'\'';
    QFile f(dir_.filePath(QStringLiteral("SQLHIST.TXT")));
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("24/01/01 13:00:00 DSN=d;\t" + huge.toUtf8() + "\r\n/\r\n");
    f.close();
    QString putBack, ran;
    ShowHist w(dir_.filePath(QStringLiteral("SQLHIST.TXT")), QString(), recording(putBack, ran),
               nullptr);
    w.store().ReadHist();
    w.show();
    const QString line = w.ListView1->topLevelItem(0)->text(2);  // the line break is one "↓"
    EXPECT_EQ(line, QStringLiteral("SELECT 'a↓") + QString(989, u'y') + u'…');
    EXPECT_TRUE(w.Text1->toPlainText().startsWith(QStringLiteral("SELECT 'a\nyyy")));
    EXPECT_LT(w.Text1->toPlainText().size(), 101000);
    EXPECT_TRUE(w.Text1->isReadOnly());
    w.Command1->click();
    EXPECT_EQ(putBack, QStringLiteral("SELECT 'a\n") + QString(300000, u'y') + u'\'');
    w.show();
    w.Command2->click();
    EXPECT_EQ(ran, putBack);
    w.show();
    w.ListView1->setCurrentItem(w.ListView1->topLevelItem(1));
    EXPECT_EQ(w.Text1->toPlainText(), QStringLiteral("SELECT 3"));
    EXPECT_FALSE(w.Text1->isReadOnly());
    w.Text1->setPlainText(QStringLiteral("SELECT 33"));
    w.Command1->click();
    EXPECT_EQ(putBack, QStringLiteral("SELECT 33"));
}

// The menu bar spans the window, and the list takes half the room between the menu bar and the
// buttons of the size the window was restored to, not of its design size.
TEST_F(HistoryWindowTest, TheMenuBarSpansAndTheListFollowsTheRestoredSize) {
    for (const QString& place :
         {QStringLiteral("300,300,12000,9000"), QStringLiteral("300,300,7000,5400")}) {
        ShowHist w(dir_.filePath(QStringLiteral("SQLHIST.TXT")), place, {}, nullptr);
        w.show();
        const auto* bar = w.findChild<QMenuBar*>();
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->width(), w.width()) << place.toStdString();
        const int room = w.height() - bar->height() - w.Picture1->height();
        EXPECT_NEAR(w.ListView1->height(), room / 2, 5) << place.toStdString();
        w.resize(w.width() + 100, w.height());
        EXPECT_EQ(bar->width(), w.width()) << place.toStdString();
    }
}

// Two records of one second (two instances recording at once) are two rows, each with its own
// statement; when the oldest falls off the MAXHIST end, its row alone leaves the list.
TEST_F(HistoryWindowTest, EachRowIsItsOwnRecordUntilItFallsOff) {
    QFile f(dir_.filePath(QStringLiteral("SQLHIST.TXT")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(
        "24/01/01 10:00:00 DSN=a;\tSELECT 'first'\r\n/\r\n"
        "24/01/01 10:00:00 DSN=b;\tSELECT 'twin'\r\n/\r\n");
    for (int i = 1; i <= 18; ++i)
        f.write(QStringLiteral("24/01/01 11:00:%1 DSN=c;\tSELECT %2\r\n/\r\n")
                    .arg(i, 2, 10, QLatin1Char('0'))
                    .arg(i)
                    .toUtf8());
    f.close();
    QString putBack, ran;
    ShowHist w(dir_.filePath(QStringLiteral("SQLHIST.TXT")), QString(), recording(putBack, ran),
               nullptr);
    w.store().ReadHist();
    ASSERT_EQ(w.ListView1->topLevelItemCount(), 20);
    QTreeWidgetItem* first = w.ListView1->topLevelItem(19);
    QTreeWidgetItem* twin = w.ListView1->topLevelItem(18);
    ASSERT_EQ(first->text(0), twin->text(0));
    w.ListView1->setCurrentItem(first);
    EXPECT_EQ(w.Text1->toPlainText(), QStringLiteral("SELECT 'first'"));
    w.ListView1->setCurrentItem(twin);
    EXPECT_EQ(w.Text1->toPlainText(), QStringLiteral("SELECT 'twin'"));
    w.Command2->click();
    EXPECT_EQ(ran, QStringLiteral("SELECT 'twin'"));

    w.store().AddHist(QStringLiteral("DSN=d;"), QStringLiteral("SELECT 'new'"));
    ASSERT_EQ(w.ListView1->topLevelItemCount(), 20);
    EXPECT_EQ(column(w, 2).first(), QStringLiteral("SELECT 'new'"));
    EXPECT_FALSE(column(w, 2).contains(QStringLiteral("SELECT 'first'")));
    ASSERT_EQ(column(w, 2).last(), QStringLiteral("SELECT 'twin'"));
    w.ListView1->setCurrentItem(w.ListView1->topLevelItem(1));
    w.ListView1->setCurrentItem(w.ListView1->topLevelItem(19));
    EXPECT_EQ(w.Text1->toPlainText(), QStringLiteral("SELECT 'twin'"));
    // What the box holds is handed on as it is: a no-break space stays one.
    w.Text1->setPlainText(QStringLiteral("SELECT '\u00A0'"));
    w.Command1->click();
    EXPECT_EQ(putBack, QStringLiteral("SELECT '\u00A0'"));
}

// Keys as a user presses them, each to whatever has the focus then; "'text" types the text.
void Press(std::initializer_list<const char*> keys) {
    for (const char* k : keys) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr) << k;
        if (k[0] == '\'') {
            QTest::keyClicks(focus, QString::fromUtf8(k + 1));
        } else {
            const QKeyCombination c = QKeySequence(QString::fromLatin1(k))[0];
            QTest::keyClick(focus, c.key(), c.keyboardModifiers());
        }
    }
}

// The control with the focus; empty when the window is hidden.
QString FocusName(const QWidget& w) {
    return w.isVisible() ? QApplication::focusWidget()->objectName() : QString();
}

// Keys from a control of the history window, "SELECT 3" chosen: where the focus ends, what the
// box holds, what was taken back and what was run.
TEST_F(HistoryWindowTest, EveryCommandByKeys) {
    const char *s3 = "SELECT 3", *s2 = "SELECT 2";
    const struct {
        const char *name, *start;
        std::initializer_list<const char*> keys;
        const char *focus, *box, *putBack, *ran;
    } cases[] = {
        {"Tab leaves the box", "Text1", {"Tab"}, "Command1", s3, "", ""},
        {"Shift+Tab goes back", "Text1", {"Shift+Backtab"}, "ListView1", s3, "", ""},
        {"Ctrl+Tab types a tab", "Text1", {"Ctrl+End", "Ctrl+Tab"}, "Text1", "SELECT 3\t", "", ""},
        {"Tab, Enter: back unchanged", "Text1", {"Tab", "Return"}, "", s3, s3, ""},
        {"Enter on a row takes it back", "ListView1", {"Down", "Return"}, "", s2, s2, ""},
        {"Enter runs at once", "Command2", {"Return"}, "", s3, "", s3},
        {"Enter closes", "Command3", {"Return"}, "", s3, "", ""},
        {"Esc closes from the list", "ListView1", {"Esc"}, "", s3, "", ""},
        {"Esc closes from the box", "Text1", {"Esc"}, "", s3, "", ""},
    };
    for (const auto& c : cases) {
        QString putBack, ran;
        ShowHist w(dir_.filePath(QStringLiteral("SQLHIST.TXT")), QString(), recording(putBack, ran),
                   nullptr);
        w.store().ReadHist();
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        w.findChild<QWidget*>(QString::fromLatin1(c.start))->setFocus();
        Press(c.keys);
        EXPECT_EQ(FocusName(w), QString::fromLatin1(c.focus)) << c.name;
        EXPECT_EQ(w.Text1->toPlainText(), QString::fromLatin1(c.box)) << c.name;
        EXPECT_EQ(putBack, QString::fromLatin1(c.putBack)) << c.name;
        EXPECT_EQ(ran, QString::fromLatin1(c.ran)) << c.name;
    }
}

class TemplateWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { qputenv("VARKEL_HOME", QFile::encodeName(dir_.path())); }
    QString file() const { return dir_.filePath(QStringLiteral("SQLTMPL.TXT")); }
    std::unique_ptr<ShowTemp> window() {
        auto w = std::make_unique<ShowTemp>(
            file(), QString(), [this](const QString& s) { copied_ = s; }, nullptr);
        w->ReadTmpl();
        return w;
    }
    static void addTemplate(ShowTemp& w, const QString& title, const QString& statement) {
        w.Cmd_add->click();
        w.CB_hdr->setEditText(title);
        w.Text1->setPlainText(statement);
        w.Cmd_OK->click();
    }
    static QStringList titles(const ShowTemp& w) {
        QStringList t;
        for (const ClassSQL& c : w.templates())
            t << c.SQLhead;
        return t;
    }
    QByteArray contents() const {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QTemporaryDir dir_;
    QString copied_;
    MessageRecorder boxes_;
};

TEST_F(TemplateWindowTest, TemplatesAreKeptInTitleOrderInTheListAndTheFile) {
    auto w = window();
    addTemplate(*w, QStringLiteral("b"), QStringLiteral("SELECT 'b'"));
    addTemplate(*w, QStringLiteral("A"), QStringLiteral("SELECT 'A'"));
    addTemplate(*w, QStringLiteral("c"), QStringLiteral("SELECT 'c'"));
    EXPECT_EQ(titles(*w),
              (QStringList{QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(w->CB_hdr->itemText(0), QStringLiteral("【A】SELECT 'A'"));
    EXPECT_EQ(w->CB_hdr->currentIndex(), 2);  // the one just accepted is the chosen one
    EXPECT_TRUE(w->Changed());
    w->SaveTmpl();
    EXPECT_EQ(contents(),
              QByteArray("A\tSELECT 'A'\r\n/\r\nb\tSELECT 'b'\r\n/\r\nc\tSELECT 'c'\r\n/\r\n"));
}

TEST_F(TemplateWindowTest, TheMonthlyExampleAndAnUnchangedAdd) {
    auto w = window();
    addTemplate(*w, QStringLiteral("Monthly"), QStringLiteral("SELECT * FROM T\nWHERE X = 1"));
    w->Cmd_add->click();
    EXPECT_TRUE(w->editing());
    EXPECT_FALSE(w->Command1->isEnabled());
    // The prompt is no content of the box, to the eye or to a screen reader.
    EXPECT_EQ(w->Text1->placeholderText(), QStringLiteral("ＳＱＬを入力してください"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w->Text1)->text(QAccessible::Value), QString());
    w->Cmd_OK->click();  // the prompts themselves are accepted
    EXPECT_FALSE(w->editing());
    w->SaveTmpl();
    EXPECT_EQ(contents(),
              QStringLiteral("Monthly\tSELECT * FROM T\r\nWHERE X = 1\r\n/\r\n"
                             "タイトルを入力してください\tＳＱＬを入力してください\r\n\r\n/\r\n")
                  .toUtf8());
}

TEST_F(TemplateWindowTest, ModifyMovesTheTemplateAndDeletingTheLastEmptiesTheFile) {
    auto w = window();
    EXPECT_FALSE(w->Command1->isEnabled());  // no template to copy
    addTemplate(*w, QStringLiteral("a"), QStringLiteral("SELECT 1"));
    addTemplate(*w, QStringLiteral("m"), QStringLiteral("SELECT 2"));
    w->CB_hdr->setCurrentIndex(0);
    w->CB_hdr->activated(0);
    w->Cmd_mod->click();
    w->CB_hdr->setEditText(QStringLiteral("z"));
    w->Cmd_OK->click();
    EXPECT_EQ(titles(*w), (QStringList{QStringLiteral("m"), QStringLiteral("z")}));
    EXPECT_EQ(w->CB_hdr->currentIndex(), 1);
    EXPECT_EQ(w->Text1->toPlainText(), QStringLiteral("SELECT 1"));

    // Choosing another template while editing makes it the one the OK replaces.
    w->Cmd_mod->click();
    w->CB_hdr->setCurrentIndex(0);
    w->CB_hdr->activated(0);
    EXPECT_EQ(w->Text1->toPlainText(), QStringLiteral("SELECT 2"));
    w->CB_hdr->setEditText(QStringLiteral("n"));
    w->Cmd_OK->click();
    EXPECT_EQ(titles(*w), (QStringList{QStringLiteral("n"), QStringLiteral("z")}));

    for (int i = 0; i < 2; ++i) {
        w->CB_hdr->setCurrentIndex(0);
        w->CB_hdr->activated(0);
        boxes_.answer(MsgResult::Yes);
        w->Cmd_del->click();
    }
    EXPECT_EQ(boxes_.boxes().last().text,
              QStringLiteral("表示のテンプレートを削除してよろしいですか？"));
    EXPECT_EQ(boxes_.boxes().last().title, QStringLiteral("テンプレートの削除"));
    EXPECT_TRUE(w->templates().isEmpty());
    EXPECT_FALSE(w->Command1->isEnabled());
    w->SaveTmpl();
    EXPECT_EQ(contents(), QByteArray());
}

TEST_F(TemplateWindowTest, CopyHandsTheStatementOverAndNothingChangedLeavesTheFile) {
    WriteTemplateFile(file(), {{QStringLiteral("t"), QStringLiteral("SELECT\r\n 1")}});
    const QByteArray before = contents();
    auto w = window();
    EXPECT_EQ(w->Text1->toPlainText(), QStringLiteral("SELECT\n 1"));
    w->Command1->click();
    EXPECT_EQ(copied_, QStringLiteral("SELECT\n 1"));
    EXPECT_FALSE(w->Changed());
    EXPECT_EQ(contents(), before);
}

TEST_F(TemplateWindowTest, ATitleWithATabAndAStatementWithATerminatorReadBackTheSame) {
    auto w = window();
    addTemplate(*w, QStringLiteral("a\tb"), QStringLiteral("SELECT 1\n/\nSELECT 2"));
    w->SaveTmpl();
    auto again = window();
    ASSERT_EQ(again->templates().size(), 1);
    EXPECT_EQ(again->templates().first(), w->templates().first());
    EXPECT_EQ(again->templates().first().SQLhead, QStringLiteral("a b"));
}

// Choosing another template by key while adding or modifying fills the field with its title,
// so the OK that follows never stores the list text as a title.
TEST_F(TemplateWindowTest, AChoiceWhileEditingFillsTheFieldWithTheTitle) {
    for (const bool modifying : {false, true}) {
        auto w = window();
        addTemplate(*w, QStringLiteral("a"), QStringLiteral("SELECT 1"));
        addTemplate(*w, QStringLiteral("m"), QStringLiteral("SELECT 2"));
        w->CB_hdr->setCurrentIndex(0);
        w->CB_hdr->activated(0);
        (modifying ? w->Cmd_mod : w->Cmd_add)->click();
        QTest::keyClick(w->CB_hdr, Qt::Key_Down);
        EXPECT_EQ(w->CB_hdr->currentText(), QStringLiteral("m")) << "modifying " << modifying;
        EXPECT_EQ(w->Text1->toPlainText(), QStringLiteral("SELECT 2"));
        w->Cmd_OK->click();
        const QStringList expected =
            modifying ? QStringList{QStringLiteral("a"), QStringLiteral("m")}
                      : QStringList{QStringLiteral("a"), QStringLiteral("m"), QStringLiteral("m")};
        EXPECT_EQ(titles(*w), expected) << "modifying " << modifying;
    }
}

// Keys from a control of the template window, template "t" ("x") chosen, after a click on the
// button given: where the focus ends ("*" anywhere), what the box holds, whether it is still
// editing and the statements kept.
TEST_F(TemplateWindowTest, EveryCommandByKeys) {
    const struct {
        const char *name, *click, *start;
        std::initializer_list<const char*> keys;
        const char *focus, *box;
        bool editing;
        const char* kept;
    } cases[] = {
        {"Tab leaves the box", "Cmd_mod", "Text1", {"Tab"}, "Cmd_OK", "x", true, "x"},
        {"Shift+Tab goes back", "Cmd_mod", "Text1", {"Shift+Backtab"}, "CB_hdr", "x", true, "x"},
        {"Ctrl+Tab types a tab", "Cmd_mod", "Text1", {"Ctrl+Tab"}, "Text1", "\tx", true, "x"},
        {"OK by Enter", "Cmd_mod", "Text1", {"'y", "Tab", "Return"}, "*", "yx", false, "yx"},
        {"over the prompt", "Cmd_add", "Text1", {"'y", "Tab", "Return"}, "*", "y", false, "x;y"},
        {"Esc while adding is 取消", "Cmd_add", "CB_hdr", {"Esc"}, "*", "x", false, "x"},
        {"Esc while modifying is 取消", "Cmd_mod", "Text1", {"'y", "Esc"}, "*", "x", false, "x"},
        {"Enter on 取消 cancels", "Cmd_add", "Cmd_Cancel", {"Return"}, "*", "x", false, "x"},
        {"Esc closes", nullptr, "CB_hdr", {"Esc"}, "", "x", false, "x"},
        {"Enter copies", nullptr, "Command1", {"Return"}, "", "x", false, "x"},
    };
    for (const auto& c : cases) {
        WriteTemplateFile(file(), {{QStringLiteral("t"), QStringLiteral("x")}});
        auto w = window();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        if (c.click) w->findChild<QPushButton*>(QString::fromLatin1(c.click))->click();
        w->findChild<QWidget*>(QString::fromLatin1(c.start))->setFocus();
        Press(c.keys);
        const QString focus = *c.focus == '*' ? QStringLiteral("*") : FocusName(*w);
        EXPECT_EQ(focus, QString::fromLatin1(c.focus)) << c.name;
        EXPECT_EQ(w->Text1->toPlainText(), QString::fromLatin1(c.box)) << c.name;
        EXPECT_EQ(w->editing(), c.editing) << c.name;
        QStringList kept;
        for (const ClassSQL& t : w->templates())
            kept << t.SQLstmt;
        EXPECT_EQ(kept.join(u';'), QString::fromLatin1(c.kept)) << c.name;
    }
    EXPECT_EQ(copied_, QStringLiteral("x"));
}

}  // namespace
}  // namespace varkel::test
