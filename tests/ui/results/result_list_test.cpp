#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include "exec/sql_executor.h"
#include "support/connected_window.h"
#include "support/key_presses.h"
#include "support/message_recorder.h"
#include "toolkit/desktop.h"
#include "ui/results/header_marks.h"
#include "ui/results/result_copy_menu.h"
#include "ui/results/result_list_view.h"
#include "ui/results/result_sorter.h"
#include "ui/sqlbox/sql_box.h"

namespace varkel::test {
namespace {

// The result list and the SQL input box of the main window on a real database.
class ResultListTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFailure()) return;
        ASSERT_TRUE(db_->admin().exec(QStringLiteral(
            "CREATE TABLE t (k INTEGER, amount DOUBLE PRECISION, name VARCHAR(20))")));
        ASSERT_TRUE(db_->admin().exec(QStringLiteral(
            "INSERT INTO t VALUES (1, 7, 'a'), (2, -5, 'O''Brien'), (3, 123.4, 'B'), "
            "(4, NULL, NULL), (5, -10, 'c'), (6, 12, 'D')")));
        window_ = LoadConnectedWindow(session_, *db_);
        ASSERT_TRUE(IsConnected(session_)) << boxes_.texts().join(u'\n').toStdString();
    }
    void TearDown() override {
        if (window_) window_->close();
    }
    void run(const QString& sql) {
        box()->setPlainText(sql);
        window_->findChild<QAction*>(QStringLiteral("mn_sql_go"))->trigger();
    }
    SqlBox* box() const { return window_->findChild<SqlBox*>(QStringLiteral("TB_SQL")); }
    QTreeWidget* list() const {
        return window_->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    }
    // The fetch order numbers of the rows as listed.
    QString order() const {
        QStringList rows;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            rows << list()->topLevelItem(i)->text(0).trimmed();
        return rows.join(u',');
    }
    // The header with a sort mark: "column:asc" or "column:desc", empty for none.
    QString arrow() const {
        QStringList marked;
        for (int c = 0; c < list()->columnCount(); ++c) {
            const QString key = HeaderSortMark(list(), c);
            if (key.isEmpty()) continue;
            EXPECT_FALSE(list()->headerItem()->icon(c).isNull());
            marked << QString::number(c) + (key == u"SortASC"_qs ? u":asc"_qs : u":desc"_qs);
        }
        return marked.join(u',');
    }
    void clickHeader(int column) {
        const QHeaderView* h = list()->header();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(column) + h->sectionSize(column) / 2,
                                 h->height() / 2));
    }
    QPoint cellPoint(int row, int column) const {
        const QRect r = list()->visualItemRect(list()->topLevelItem(row));
        const QHeaderView* h = list()->header();
        return {h->sectionViewportPosition(column) + h->sectionSize(column) / 2, r.center().y()};
    }
    void rightClick(int row, int column) {
        QTest::mouseClick(list()->viewport(), Qt::RightButton, {}, cellPoint(row, column));
    }
    QList<QMenu*> cellMenus() const {
        return window_->findChildren<QMenu*>(QStringLiteral("mn_LV_subitem"));
    }
    QList<QMenu*> rowMenus() const {
        return window_->findChildren<QMenu*>(QStringLiteral("mn_LV_subitem_all"));
    }
    QMenu* popup(const char* name) const {
        return window_->findChild<QMenu*>(QString::fromLatin1(name));
    }
    void closePopups() {
        for (const char* name : {"mn_mouse3", "mn_mouse6"})
            popup(name)->hide();
    }
    // Sends a drag over and a drop of `data` at the start of the box; whether it was taken.
    bool drop(QMimeData& data) {
        const QPoint at = box()->cursorRect(box()->textCursor()).center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(box()->viewport(), &enter);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(box()->viewport(), &dropped);
        return enter.isAccepted() && dropped.isAccepted();
    }

    MessageRecorder boxes_;
    DbSession session_;
    std::unique_ptr<Varkel> window_;
};

TEST_P(ResultListTest, HeaderClicksCycleAscendingDescendingAndFetchOrderByValue) {
    run(QStringLiteral("SELECT k, amount, name FROM t ORDER BY k"));
    ASSERT_EQ(list()->topLevelItemCount(), 6);
    const QString fetch = QStringLiteral("1,2,3,4,5,6");
    struct Click {
        int column;
        const char16_t* order;
        const char16_t* arrow;
    };
    const Click clicks[] = {
        {2, u"4,5,2,1,6,3", u"2:asc"},  // NULL first, then -10, -5, 7, 12, 123.4
        {2, u"3,6,1,2,5,4", u"2:desc"}, {2, u"1,2,3,4,5,6", u""},
        {4, u"1,2,3,4,5,6", u""},       // the end marker does nothing
        {3, u"4,1,3,5,6,2", u"3:asc"},  // NULL, a, B, c, D, O'Brien: case does not count
        {0, u"1,2,3,4,5,6", u""},       // row numbers ascending: the fetch order, no arrow
        {0, u"6,5,4,3,2,1", u"0:desc"}, {0, u"1,2,3,4,5,6", u""},
    };
    EXPECT_EQ(order(), fetch);
    int n = 0;
    for (const Click& c : clicks) {
        clickHeader(c.column);
        EXPECT_EQ(order(), QString::fromUtf16(c.order)) << "click " << n;
        EXPECT_EQ(arrow(), QString::fromUtf16(c.arrow)) << "click " << n;
        ++n;
    }
    // On the accessibility bus: the columns without the end marker, each header's name and
    // mark, and its action sorting as a click does; the cells read in the order shown.
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(list());
    QAccessibleTableInterface* table = grid->tableInterface();
    ASSERT_EQ(table->columnCount(), 4);
    EXPECT_EQ(grid->childCount(), 4 * 7);
    EXPECT_EQ(table->cellAt(0, 4), nullptr);
    QStringList names;
    for (int c = 0; c < 4; ++c)
        names << grid->child(c)->text(QAccessible::Name);
    EXPECT_EQ(names.join(u','), u"行No.,k,amount,name"_qs);
    QAccessibleActionInterface* sort = grid->child(2)->actionInterface();
    ASSERT_NE(sort, nullptr);
    ASSERT_EQ(sort->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    const Click actions[] = {
        {2, u"4,5,2,1,6,3", u"昇順"}, {2, u"3,6,1,2,5,4", u"降順"}, {2, u"1,2,3,4,5,6", u""}};
    for (const Click& a : actions) {
        grid->child(a.column)->actionInterface()->doAction(
            QAccessibleActionInterface::pressAction());
        QStringList shown;
        for (int r = 0; r < table->rowCount(); ++r)
            shown << table->cellAt(r, 0)->text(QAccessible::Name).trimmed();
        EXPECT_EQ(shown.join(u','), QString::fromUtf16(a.order));
        EXPECT_EQ(grid->child(a.column)->text(QAccessible::Description),
                  QString::fromUtf16(a.arrow));
    }
    QAccessibleInterface* cell = table->cellAt(1, 3);
    EXPECT_EQ(cell->text(QAccessible::Name), u"O'Brien"_qs);
    EXPECT_EQ(grid->indexOfChild(cell), 4 * 2 + 3);
    EXPECT_EQ(cell->tableCellInterface()->columnHeaderCells().value(0), grid->child(3));
    // The numeric column shows its values in one width: blanks before positive values, zeros
    // after the minus sign.
    QStringList amounts;
    for (int i = 0; i < 6; ++i)
        amounts << list()->topLevelItem(i)->text(2);
    for (const QString& a : amounts)
        EXPECT_EQ(a.size(), amounts[0].size()) << a.toStdString();
    EXPECT_TRUE(amounts[0].startsWith(u"   7"_qs)) << amounts[0].toStdString();
    EXPECT_TRUE(amounts[1].startsWith(u"-005"_qs)) << amounts[1].toStdString();
    EXPECT_TRUE(amounts[2].startsWith(u" 123.4"_qs)) << amounts[2].toStdString();
    EXPECT_TRUE(amounts[3].trimmed().isEmpty() || amounts[3].trimmed().startsWith(u'.'));
    EXPECT_TRUE(amounts[4].startsWith(u"-010"_qs)) << amounts[4].toStdString();
    // A new result starts unsorted.
    clickHeader(1);
    EXPECT_FALSE(arrow().isEmpty());
    run(QStringLiteral("SELECT k FROM t ORDER BY k DESC"));
    EXPECT_EQ(arrow(), QString());
    EXPECT_FALSE(window_->resultSorter()->sorted());
    EXPECT_EQ(order(), fetch);
}

// Keys on the result list, one after the other from the row number of the first row: where
// the current cell is, the order and mark they leave, what Ctrl+C copied, which menu opened
// with what first item, and what a screen reader hears of the current cell.
TEST_P(ResultListTest, KeysMoveTheCurrentCellCopyItSortByItsColumnAndOpenItsMenu) {
    run(QStringLiteral("SELECT k, amount, name FROM t ORDER BY k"));
    ASSERT_EQ(list()->topLevelItemCount(), 6);
    QApplication::setActiveWindow(window_.get());
    list()->setFocus();
    list()->setCurrentItem(list()->topLevelItem(0), 0);
    const QString fetch = QStringLiteral("1,2,3,4,5,6");
    const struct {
        std::initializer_list<const char*> keys;
        int k, column;  // the current cell: the row's k and the column
        const char16_t *order, *arrow, *copied, *menu, *heard;
    } steps[] = {
        {{"Right"}, 1, 1, u"", u"", u"", u"", u"1 (k)"},
        {{"Right", "Right", "Right"}, 1, 3, u"", u"", u"", u"", u"a (name)"},  // not the marker
        {{"Down", "Ctrl+C"}, 2, 3, u"", u"", u"O'Brien", u"", u"O'Brien (name)"},
        {{"Left", "Ctrl+Shift+S"}, 2, 2, u"4,5,2,1,6,3", u"2:asc", u"", u"", u""},
        {{"Ctrl+Shift+S"}, 2, 2, u"3,6,1,2,5,4", u"2:desc", u"", u"", u""},
        {{"Ctrl+Shift+S"}, 2, 2, u"", u"", u"", u"", u""},  // the fetch order again
        {{"Menu"}, 2, 2, u"", u"", u"", u"mn_mouse3:amount", u""},
        {{"Left", "Left", "Shift+F10"}, 2, 0, u"", u"", u"", u"mn_mouse6:k", u""},
        {{"Up", "Right", "Right", "Right", "Menu"}, 1, 3, u"", u"", u"", u"mn_mouse3:name", u""},
    };
    for (const auto& s : steps) {
        const QString name = QString::fromLatin1(*s.keys.begin());
        ClearClipboard();
        PressKeys(s.keys);
        ASSERT_NE(list()->currentItem(), nullptr) << name.toStdString();
        EXPECT_EQ(list()->currentItem()->text(1).trimmed(), QString::number(s.k))
            << name.toStdString();
        EXPECT_EQ(list()->currentColumn(), s.column) << name.toStdString();
        const QString order = QString::fromUtf16(s.order);
        EXPECT_EQ(this->order(), order.isEmpty() ? fetch : order) << name.toStdString();
        EXPECT_EQ(arrow(), QString::fromUtf16(s.arrow)) << name.toStdString();
        EXPECT_EQ(ClipboardText(), QString::fromUtf16(s.copied)) << name.toStdString();
        QString menu;
        for (const char* m : {"mn_mouse3", "mn_mouse6"})
            if (popup(m)->isVisible())
                menu = QString::fromLatin1(m) + u':' +
                       window_->resultCopyMenu()->LvCopyText()[0].section(u',', 0, 0);
        closePopups();
        EXPECT_EQ(menu, QString::fromUtf16(s.menu)) << name.toStdString();
        if (*s.heard) {
            QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(list());
            QAccessibleInterface* cell = grid->focusChild();
            ASSERT_NE(cell, nullptr) << name.toStdString();
            const auto* view = qobject_cast<ResultListView*>(list());  // its focus events name
            EXPECT_EQ(grid->child(view->accessibleChild(list()->currentIndex())), cell);
            EXPECT_EQ(cell->text(QAccessible::Name).trimmed() + u" ("_qs +
                          cell->text(QAccessible::Description) + u')',
                      QString::fromUtf16(s.heard))
                << name.toStdString();
        }
    }
    // The current cell is outlined within its highlighted row.
    const QRect cell = list()->visualRect(list()->currentIndex());
    const QImage shown = list()->viewport()->grab().toImage();
    const QColor outline = list()->palette().color(QPalette::Text);
    EXPECT_EQ(shown.pixelColor(cell.left() + 1, cell.center().y()), outline);
    const QRect other = list()->visualRect(list()->currentIndex().siblingAtColumn(1));
    EXPECT_NE(shown.pixelColor(other.left() + 1, other.center().y()), outline);
}

TEST_P(ResultListTest, RowsOfAResumedFillAreWidenedAndSortedWithTheOthers) {
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("CREATE TABLE big (k INTEGER)")));
    QStringList values;
    for (int i = 1; i <= 600; ++i)
        values << QStringLiteral("(%1)").arg(i % 2 ? i * i : -i);  // wider values come later
    ASSERT_TRUE(db_->admin().exec(u"INSERT INTO big VALUES "_qs + values.join(u',')));
    auto* timer = new QTimer(window_.get());
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer] {
        if (window_->executor()->result().RowCount < 100) return;
        window_->findChild<QToolButton*>(QStringLiteral("Cmd_start_stop"))->click();
        timer->deleteLater();
    });
    timer->start();
    run(QStringLiteral("SELECT k FROM big"));
    ASSERT_LT(list()->topLevelItemCount(), 600);
    clickHeader(1);
    clickHeader(1);                                                               // descending
    window_->findChild<QToolButton*>(QStringLiteral("Cmd_start_stop"))->click();  // resume
    ASSERT_EQ(list()->topLevelItemCount(), 600);
    EXPECT_EQ(arrow(), u"1:desc"_qs);
    EXPECT_EQ(list()->topLevelItem(0)->text(1), u" 358801"_qs);
    EXPECT_EQ(list()->topLevelItem(599)->text(1), u"-000600"_qs);
    for (int i = 0; i < 600; ++i)
        ASSERT_EQ(list()->topLevelItem(i)->text(1).size(), 7) << i;
    for (int i = 1; i < 600; ++i)
        ASSERT_GE(list()->topLevelItem(i - 1)->text(1).trimmed().toInt(),
                  list()->topLevelItem(i)->text(1).trimmed().toInt())
            << i;
}

TEST_P(ResultListTest, RightClickOnACellOffersTheNameAndFourLiterals) {
    run(QStringLiteral("SELECT k, name AS \"CUST NAME\" FROM t ORDER BY k"));
    ASSERT_EQ(list()->topLevelItemCount(), 6);
    rightClick(1, 2);  // O'Brien
    EXPECT_TRUE(popup("mn_mouse3")->isVisible());
    const QList<QMenu*> menus = cellMenus();
    ASSERT_EQ(menus.size(), 5);
    const QStringList captions = {u"\"CUST NAME\""_qs, u"⇒ O'Brien"_qs, u"⇒ 'O''Brien'"_qs,
                                  u"⇒ \"CUST NAME\" = O'Brien"_qs,
                                  u"⇒ \"CUST NAME\" = 'O''Brien'"_qs};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(menus[i]->title(), captions[i]) << i;
    closePopups();

    box()->setPlainText(u"WHERE name = "_qs);
    box()->moveCursor(QTextCursor::End);
    menus[2]->actions()[0]->trigger();  // → SQL入力エリア
    EXPECT_EQ(box()->toPlainText(), u"WHERE name = 'O''Brien'"_qs);
    menus[4]->actions()[1]->trigger();  // → クリップボード
    EXPECT_EQ(ClipboardText(), u"\"CUST NAME\" = 'O''Brien'"_qs);

    // A NULL cell: an empty bare value and '' quoted.
    rightClick(3, 2);
    closePopups();
    EXPECT_EQ(window_->resultCopyMenu()->LvCopyText()[2], u"''"_qs);

    // The end marker offers nothing and keeps the fragments.
    rightClick(0, 3);
    EXPECT_FALSE(popup("mn_mouse3")->isVisible());
    EXPECT_FALSE(popup("mn_mouse6")->isVisible());
    EXPECT_EQ(window_->resultCopyMenu()->LvCopyText()[2], u"''"_qs);
}

TEST_P(ResultListTest, APressOnACellReadiesItsTextForADragButNotOnTheRowNumber) {
    run(QStringLiteral("SELECT k, name FROM t ORDER BY k"));
    ResultCopyMenu* copy = window_->resultCopyMenu();
    struct Press {
        int row, column;
        const char16_t* dragText;
    };
    const Press presses[] = {{1, 2, u"O'Brien"}, {1, 0, u""}, {0, 1, u"1"}, {0, 3, u""}};
    for (const Press& p : presses) {
        QTest::mousePress(list()->viewport(), Qt::LeftButton, {}, cellPoint(p.row, p.column));
        QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, cellPoint(p.row, p.column));
        EXPECT_EQ(copy->LvDragText(), QString::fromUtf16(p.dragText)) << p.row << ',' << p.column;
    }
}

TEST_P(ResultListTest, TextDraggedInsideTheBoxMovesAndADropOntoItselfChangesNothing) {
    struct Move {
        int start, length, drop;
        const char16_t* text;
    };
    const Move moves[] = {
        {0, 3, 12, u" 1 FROM tSEL"},  // to the right: the removed length is taken into account
        {6, 4, 0, u"FROMSEL 1  t"},   // to the left: no correction
        {0, 3, 2, u"SEL 1 FROM t"},   // onto itself: intact
    };
    for (const Move& m : moves) {
        box()->setPlainText(u"SEL 1 FROM t"_qs);
        box()->beginSelfDrag(m.start, m.length);
        box()->dropText(box()->toPlainText().mid(m.start, m.length), m.drop);
        EXPECT_EQ(box()->toPlainText(), QString::fromUtf16(m.text)) << m.start << "->" << m.drop;
        EXPECT_FALSE(box()->draggingFromSelf());
    }
    // A drop of outside text after a move is inserted, not moved.
    box()->setPlainText(u"ab"_qs);
    box()->dropText(u"X"_qs, 1);
    EXPECT_EQ(box()->toPlainText(), u"aXb"_qs);
}

TEST_P(ResultListTest, RightClickOnTheRowNumberOffersTheWholeRow) {
    run(QStringLiteral("SELECT k, amount, name AS \"CUST NAME\" FROM t ORDER BY k"));
    rightClick(3, 0);  // k 4: amount and name NULL
    EXPECT_TRUE(popup("mn_mouse6")->isVisible());
    closePopups();
    const QList<QMenu*> menus = rowMenus();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->title(), u"全列名"_qs);
    box()->clear();
    menus[0]->actions()[0]->trigger();
    EXPECT_EQ(box()->toPlainText(), u"k, amount, \"CUST NAME\""_qs);
    menus[1]->actions()[1]->trigger();
    EXPECT_EQ(ClipboardText(), u"4, , ''"_qs);

    rightClick(1, 0);  // k 2, after the amounts were widened by a sort
    clickHeader(2);
    rightClick(0, 0);  // now the NULL amount row: sorted first
    closePopups();
    menus[1]->actions()[1]->trigger();
    const QString row = ClipboardText();
    EXPECT_TRUE(row.startsWith(u"4, "_qs) && row.endsWith(u", ''"_qs)) << row.toStdString();
    EXPECT_TRUE(row.mid(3, row.size() - 7).trimmed().remove(u'.').remove(u'0').isEmpty())
        << row.toStdString();  // the widened NULL: blanks, perhaps "." and zeros
}

TEST_P(ResultListTest, HistoryStepsWithCtrlDownAndUpAndTheUserTextComesBack) {
    run(QStringLiteral("SELECT 1"));
    run(QStringLiteral("SELECT 2"));
    box()->setPlainText(u"my text"_qs);
    QTextCursor c = box()->textCursor();
    c.setPosition(3);
    c.setPosition(7, QTextCursor::KeepAnchor);
    box()->setTextCursor(c);
    auto* label = window_->findChild<QLabel*>(QStringLiteral("L_sql_no"));
    QTest::keyClick(box(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(box()->toPlainText(), u"SELECT 2"_qs);
    EXPECT_EQ(label->text(), u"2/2"_qs);
    EXPECT_TRUE(label->isEnabled());
    EXPECT_EQ(box()->palette().color(QPalette::Base),
              SystemColorOf(SystemColor::TooltipBackground));
    QTest::keyClick(box(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(box()->toPlainText(), u"SELECT 1"_qs);
    EXPECT_EQ(label->text(), u"1/2"_qs);
    QTest::keyClick(box(), Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(box(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(box()->toPlainText(), u"my text"_qs);
    EXPECT_EQ(box()->textCursor().selectedText(), u"text"_qs);
    EXPECT_EQ(label->text(), u"2"_qs);
    EXPECT_FALSE(label->isEnabled());
    EXPECT_EQ(box()->palette().color(QPalette::Base), SystemColorOf(SystemColor::WindowBackground));
    // The history scroll bar's arrows step the same way.
    window_->findChild<QScrollBar*>(QStringLiteral("VScr_hist"))->setValue(1);
    EXPECT_EQ(box()->toPlainText(), u"SELECT 2"_qs);
    // A template taken into the box ends the stepping without restoring the text.
    window_->CopyTmpl(u"SELECT 9"_qs);
    EXPECT_EQ(box()->HistPos(), 0);
    EXPECT_EQ(label->text(), u"2"_qs);
    QTest::keyClick(box(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box()->toPlainText(), u"SELECT 2"_qs);  // the replacement is one undoable edit
    // A history statement run at once replaces the text the same way.
    box()->setPlainText(u"typed"_qs);
    window_->PostSQL(u"SELECT 3"_qs);
    EXPECT_EQ(box()->toPlainText(), u"SELECT 3"_qs);
    QTest::keyClick(box(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box()->toPlainText(), u"typed"_qs);
}

TEST_P(ResultListTest, DropsLoadOneFileRefuseSeveralAndInsertText) {
    const QString dir = config_.folder();
    const QString file = dir + u"/q.sql"_qs;
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("SELECT '\xE6\x97\xA5\xE6\x9C\xAC'\nFROM t\n");
    }
    box()->setPlainText(u"old"_qs);
    QMimeData one;
    one.setUrls({QUrl::fromLocalFile(file)});
    one.setText(file);
    EXPECT_TRUE(drop(one));
    EXPECT_EQ(box()->toPlainText(), u"SELECT '日本'\nFROM t\n"_qs);
    QTest::keyClick(box(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box()->toPlainText(), u"old"_qs);

    QMimeData two;
    two.setUrls({QUrl::fromLocalFile(file), QUrl::fromLocalFile(file + u"x"_qs)});
    two.setText(file);
    EXPECT_FALSE(drop(two));
    EXPECT_EQ(box()->toPlainText(), u"old"_qs);

    QMimeData missing;
    missing.setUrls({QUrl::fromLocalFile(dir + u"/none.sql"_qs)});
    const qsizetype before = boxes_.boxes().size();
    drop(missing);
    ASSERT_EQ(boxes_.boxes().size(), before + 1);
    EXPECT_EQ(boxes_.boxes().last().icon, MsgIcon::Critical);
    EXPECT_TRUE(boxes_.boxes().last().text.contains(u"："_qs));
    EXPECT_EQ(box()->toPlainText(), u"old"_qs);

    QMimeData text;
    text.setText(u"'O''Brien'"_qs);
    box()->moveCursor(QTextCursor::Start);
    EXPECT_TRUE(drop(text));
    EXPECT_EQ(box()->toPlainText(), u"'O''Brien'old"_qs);
    QMimeData link;  // a link from a browser, with its text
    link.setUrls({QUrl(u"https://example.org/q?a=1"_qs)});
    link.setText(u"x"_qs);
    box()->moveCursor(QTextCursor::End);
    EXPECT_TRUE(drop(link));
    EXPECT_EQ(box()->toPlainText(), u"'O''Brien'oldx"_qs);
    box()->setPlainText(u"'O''Brien'old"_qs);

    window_->findChild<QPushButton*>(QStringLiteral("Cmd_clear"))->click();
    EXPECT_EQ(box()->toPlainText(), QString());
    QTest::keyClick(box(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box()->toPlainText(), u"'O''Brien'old"_qs);
    QTest::keyClick(box(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(box()->textCursor().selectedText(), u"'O''Brien'old"_qs);
}

INSTANTIATE_TEST_SUITE_P(Engines, ResultListTest,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL), EngineParamName());

}  // namespace
}  // namespace varkel::test
