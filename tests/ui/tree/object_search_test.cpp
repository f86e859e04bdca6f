#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "support/accessible_names.h"
#include "support/connected_window.h"
#include "support/key_presses.h"
#include "support/message_recorder.h"
#include "toolkit/file_dialogs.h"
#include "ui/sqlbox/sql_box.h"
#include "ui/tree/keyword_list.h"
#include "ui/tree/search_pane.h"
#include "ui/tree/tree_pane.h"

namespace varkel::test {
namespace {

QString Texts(const QTreeWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(0);
    return texts.join(u',');
}

// The object search, the keyword list, the quick statements and the copies of the main window,
// with the object tree filled from a real SQLite database.
class ObjectSearchTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFailure()) return;
        for (const char* sql :
             {"CREATE TABLE EMP (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))",
              "CREATE TABLE EMPLOYEE (ID INTEGER, \"FULL NAME\" VARCHAR(20))",
              "CREATE TABLE DEPT (ID INTEGER)",
              "CREATE TABLE \"ORDER ITEMS\" (ID INTEGER, \"ORDER DATE\" VARCHAR(10))",
              "INSERT INTO \"ORDER ITEMS\" VALUES (1, '2026-01-02'), (2, '2026-03-04')",
              "CREATE VIEW EMP_V AS SELECT * FROM EMP"})
            ASSERT_TRUE(db_->admin().exec(QString::fromLatin1(sql)));
        QFile keywords(config_.path(QStringLiteral("SQLKYWD.TXT")));
        ASSERT_TRUE(keywords.open(QIODevice::WriteOnly));
        keywords.write("SELECT\r\nFROM\r\n\r\nWHERE\r\n");
        keywords.close();
        window_ = LoadConnectedWindow(session_, *db_);
        ASSERT_TRUE(IsConnected(session_)) << boxes_.texts().join(u'\n').toStdString();
        window_->LoadKeywords();
    }
    void TearDown() override {
        if (window_) window_->close();
    }
    template <typename T>
    T* child(const char* name) const {
        return window_->findChild<T*>(QString::fromLatin1(name));
    }
    QAction* action(const char* name) const { return child<QAction>(name); }
    QTreeWidget* tree() const { return child<QTreeWidget>("TreeView1"); }
    QTreeWidget* found() const { return child<QTreeWidget>("LV_Found"); }
    SqlBox* box() const { return child<SqlBox>("TB_SQL"); }
    QComboBox* combo() const { return child<QComboBox>("CB_srch_obj"); }
    QToolButton* searchButton() const { return child<QToolButton>("Cmd_srch_obj"); }
    ObjectTree* objects() const { return window_->objectTree(); }
    QTreeWidgetItem* object(const char* key, const char* name) const {
        QTreeWidgetItem* category = objects()->category(QString::fromLatin1(key));
        for (int i = 0; category && i < category->childCount(); ++i)
            if (category->child(i)->text(0) == QLatin1String(name)) return category->child(i);
        return nullptr;
    }
    void rightClick(QTreeWidgetItem* node) {
        tree()->scrollToItem(node);
        const QPoint at = tree()->visualItemRect(node).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree()->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(tree()->viewport(), &event);
    }
    QString selected() const { return box()->textCursor().selectedText(); }
    void search(const QString& text, Qt::KeyboardModifiers modifiers = {}) {
        combo()->setEditText(text);
        QTest::mouseClick(searchButton(), Qt::LeftButton, modifiers);
    }

    MessageRecorder boxes_;
    DbSession session_;
    std::unique_ptr<Varkel> window_;
};

TEST_P(ObjectSearchTest, SearchListsAppendsAndStepsWithF3) {
    QTreeWidgetItem* dept = object("TABLE", "DEPT");
    ASSERT_TRUE(dept);
    dept->setExpanded(true);
    QLabel* label = child<QLabel>("L_Found");
    EXPECT_EQ(label->text(), u"検出："_qs);

    search(QStringLiteral("emp"));
    EXPECT_EQ(Texts(found()), u"EMP,EMPLOYEE,EMP_V"_qs);
    EXPECT_EQ(label->text(), u"検出(3)：emp"_qs);
    EXPECT_FALSE(dept->isExpanded());
    EXPECT_EQ(tree()->currentItem(), object("TABLE", "EMP"));
    EXPECT_EQ(objects()->clickedNode(), object("TABLE", "EMP"));
    EXPECT_TRUE(found()->isVisible());
    EXPECT_EQ(combo()->itemText(0), u"emp"_qs);

    // Shift at the click appends this search's finds; the first of them is selected.
    search(QStringLiteral("emp"), Qt::ShiftModifier);
    EXPECT_EQ(Texts(found()), u"EMP,EMPLOYEE,EMP_V,EMP,EMPLOYEE,EMP_V"_qs);
    EXPECT_EQ(label->text(), u"検出(3)：emp"_qs);
    EXPECT_EQ(found()->currentItem(), found()->topLevelItem(3));
    EXPECT_EQ(window_->objectSearch()->foundNodes()->size(), 6);
    const int textsUsed = combo()->count();
    EXPECT_EQ(textsUsed, 2);  // the start-up empty item and "emp", once

    // A click on a result selects its node; the right button offers its copies.
    tree()->setCurrentItem(dept);
    const QRect row = found()->visualItemRect(found()->topLevelItem(2));
    QTest::mouseClick(found()->viewport(), Qt::RightButton, {}, row.center());
    EXPECT_EQ(tree()->currentItem(), object("VIEW", "EMP_V"));
    EXPECT_TRUE(child<QMenu>("mn_mouse7")->isVisible());
    child<QMenu>("mn_mouse7")->close();
    box()->setPlainText(u"SELECT * FROM "_qs);
    box()->moveCursor(QTextCursor::End);
    action("mn_objcopy_sql")->trigger();
    EXPECT_EQ(box()->toPlainText(), u"SELECT * FROM EMP_V"_qs);

    // The label above the results is the handle of the boundary between tree and results.
    QLabel* handle = child<QLabel>("L_Found");
    const int treeHeight = tree()->height(), foundHeight = found()->height();
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(handle, QPoint(5, -55));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(5, -55));
    EXPECT_NEAR(tree()->height(), treeHeight - 60, 2);
    EXPECT_NEAR(found()->height(), foundHeight + 60, 2);
    EXPECT_EQ(found()->geometry().top(), child<QFrame>("Fra_Found")->geometry().bottom() + 1);

    // Typed text is searched as typed: no completion from the used texts, Enter only moves on.
    combo()->setEditText(QString());
    combo()->setFocus();
    QTest::keyClicks(combo(), u"em"_qs);
    QTest::keyClick(combo(), Qt::Key_Return);
    EXPECT_EQ(combo()->currentText(), u"em"_qs);
    EXPECT_EQ(combo()->count(), textsUsed);
    EXPECT_EQ(window_->focusWidget(), searchButton());

    // An empty text finds nothing and collapses nothing.
    dept->setExpanded(true);
    search(QString());
    EXPECT_EQ(found()->topLevelItemCount(), 0);
    EXPECT_EQ(label->text(), u"検出(0)："_qs);
    EXPECT_TRUE(dept->isExpanded());
    EXPECT_FALSE(found()->isVisible());

    // F3 from the category tests its first table; from a column its own table first.
    combo()->setEditText(u"EMP"_qs);
    tree()->setCurrentItem(objects()->category(u"TABLE"_qs));
    tree()->setFocus();
    QStringList steps;
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_F3, Qt::NoModifier}, std::pair{Qt::Key_F3, Qt::NoModifier},
          std::pair{Qt::Key_F3, Qt::NoModifier}, std::pair{Qt::Key_F3, Qt::ShiftModifier}}) {
        QTest::keyClick(tree(), key, modifiers);
        steps << tree()->currentItem()->text(0);
    }
    EXPECT_EQ(steps.join(u','), u"EMP,EMPLOYEE,EMPLOYEE,EMP"_qs);
    QTreeWidgetItem* employee = object("TABLE", "EMPLOYEE");
    employee->setExpanded(true);
    ASSERT_GT(employee->childCount(), 0);
    tree()->setCurrentItem(employee->child(0));
    QTest::keyClick(combo(), Qt::Key_F3);  // F3 in the combo goes to the tree
    EXPECT_EQ(tree()->currentItem(), employee);
    EXPECT_EQ(window_->focusWidget(), tree());
    EXPECT_EQ(combo()->itemText(0), u"EMP"_qs);  // a key in the tree keeps the text
}

// Keys after a search for "emp" (EMP, EMPLOYEE, EMP_V): from a control with a current entry,
// the node chosen in the tree, the pop-up that opened and where the focus is (the SQL box's
// Tab included).
TEST_P(ObjectSearchTest, KeysChooseHitsOpenMenusSwitchTabsAndExpandInTheTree) {
    const struct {
        const char* start;
        const char *key, *name;  // the current entry: a category and an object, or a row
        std::initializer_list<const char*> keys;
        const char *node, *menu, *focus;
    } cases[] = {
        {"LV_Found", "", "1", {"Down", "Return"}, "EMP_V", "", "TreeView1"},
        {"LV_Found", "", "1", {"Space"}, "EMPLOYEE", "", "TreeView1"},
        {"LV_Found", "", "0", {"Down", "Menu"}, "EMPLOYEE", "mn_mouse7", "TreeView1"},
        {"LV_Found", "", "2", {"Shift+F10"}, "EMP_V", "mn_mouse7", "TreeView1"},
        {"TreeView1", "TABLE", "DEPT", {"Menu"}, "DEPT", "mn_mouse", "TreeView1"},
        {"TreeView1", "TABLE", "", {"Shift+F10"}, "TABLE(4)", "mn_mouse2", "TreeView1"},
        {"TreeView1", "TABLE", "DEPT", {"Right"}, "DEPT", "", "TreeView1"},  // columns load
        {"TreeView1", "TABLE", "DEPT", {"Right", "Down", "Menu"}, "ID", "mn_mouse4", "TreeView1"},
        {"TabObjects", "", "", {"Down"}, "VIEW(1)", "", "TreeView1"},
        {"TabObjects", "", "", {"Up"}, "TABLE(4)", "", "TreeView1"},
        {"Lst_kwd", "", "3", {"Menu"}, "TABLE(4)", "mn_mouse5", "Lst_kwd"},
        {"TB_SQL", "", "", {"Tab"}, "TABLE(4)", "", "ListView1"},  // Tab leaves the SQL box
        {"TB_SQL", "", "", {"Shift+Backtab"}, "TABLE(4)", "", "Lst_kwd"},
        {"TB_SQL", "", "", {"Ctrl+Tab"}, "TABLE(4)", "", "TB_SQL"},  // types a tab instead
    };
    if (!action("mn_disp_kwdlist")->isChecked()) action("mn_disp_kwdlist")->trigger();
    for (const auto& c : cases) {
        QApplication::setActiveWindow(window_.get());
        search(QStringLiteral("emp"));
        objects()->ShowCategory(u"TABLE"_qs);
        QWidget* start = child<QWidget>(c.start);
        const int row = QString::fromLatin1(c.name).toInt();
        if (start == found()) {
            found()->setCurrentItem(found()->topLevelItem(row));
        } else if (auto* keywords = qobject_cast<KeywordList*>(start)) {
            keywords->setCurrentRow(row);
        } else if (*c.key) {
            QTreeWidgetItem* category = objects()->category(QString::fromLatin1(c.key));
            tree()->setCurrentItem(*c.name ? object(c.key, c.name) : category);
        }
        start->setFocus();
        PressKeys(c.keys);
        ASSERT_NE(tree()->currentItem(), nullptr) << c.start << *c.keys.begin();
        EXPECT_EQ(tree()->currentItem()->text(0), QString::fromLatin1(c.node))
            << c.start << *c.keys.begin();
        QString menu;
        for (QMenu* m : window_->findChildren<QMenu*>())
            if (m->isVisible() && m->objectName().startsWith(u"mn_mouse"_qs))
                menu = m->objectName();
        for (QMenu* m : window_->findChildren<QMenu*>())
            m->close();
        EXPECT_EQ(menu, QString::fromLatin1(c.menu)) << c.start << *c.keys.begin();
        EXPECT_EQ(window_->focusWidget()->objectName(), QString::fromLatin1(c.focus))
            << c.start << *c.keys.begin();
    }
}

TEST_P(ObjectSearchTest, QuickStatementsAndCopiesOfTheTreesNames) {
    QTreeWidgetItem* items = object("TABLE", "ORDER ITEMS");
    ASSERT_TRUE(items);
    rightClick(items);
    QMenu* popup = child<QMenu>("mn_mouse");
    ASSERT_TRUE(popup->isVisible());
    popup->close();
    const QList<QAction*> quick =
        window_->findChildren<QAction*>(u"mn_quick_sqlstmt"_qs, Qt::FindChildrenRecursively);
    ASSERT_EQ(quick.size(), 7);
    EXPECT_EQ(quick[0]->text(), u"SELECT * FROM \"ORDER ITEMS\"　⇒　即実行"_qs);
    EXPECT_TRUE(quick[0]->isEnabled());
    EXPECT_TRUE(quick[1]->isSeparator());
    EXPECT_EQ(quick[5]->text(), u"INSERT INTO \"ORDER ITEMS\"  VALUES(?)"_qs);

    // A statement replaces the box as one edit, which Ctrl+Z takes back.
    box()->setPlainText(u"my own text"_qs);
    quick[5]->trigger();
    EXPECT_EQ(box()->toPlainText(), u"INSERT INTO \"ORDER ITEMS\" \nVALUES(?)"_qs);
    EXPECT_EQ(box()->textCursor().position(), 0);
    QTest::keyClick(box(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box()->toPlainText(), u"my own text"_qs);

    // Item [0] fills the box with the plain SELECT and runs it.
    quick[0]->trigger();
    EXPECT_EQ(box()->toPlainText(), u"SELECT * FROM \"ORDER ITEMS\""_qs);
    QTreeWidget* result = child<QTreeWidget>("ListView1");
    EXPECT_EQ(result->topLevelItemCount(), 2);

    // Names into the box: quoted from the tree, then the next "?" is selected in mode "？".
    box()->setPlainText(u"SELECT  FROM T WHERE ? = ?"_qs);
    QTextCursor at = box()->textCursor();
    at.setPosition(7);
    box()->setTextCursor(at);
    action("mn_copy_sql")->trigger();
    EXPECT_EQ(box()->toPlainText(), u"SELECT \"ORDER ITEMS\" FROM T WHERE ? = ?"_qs);
    EXPECT_EQ(selected(), u"?"_qs);
    EXPECT_EQ(box()->textCursor().selectionStart(), 34);
    action("mn_copy_clip")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), u"ORDER ITEMS"_qs);

    box()->setPlainText(QString());
    action("mn_copy_allcols_sql")->trigger();
    EXPECT_EQ(box()->toPlainText(), u"ID, \"ORDER DATE\""_qs);
    action("mn_copy_allcols_clip")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), u"ID, \"ORDER DATE\""_qs);

    // A column node inserts its quoted name; its description node removes the selection only.
    items->setExpanded(true);
    ASSERT_EQ(items->childCount(), 2);
    QTreeWidgetItem* date = items->child(1);
    rightClick(date);
    child<QMenu>("mn_mouse4")->close();
    box()->setPlainText(u"x"_qs);
    box()->selectAll();
    action("mn_colcopy_sql")->trigger();
    EXPECT_EQ(box()->toPlainText(), u"\"ORDER DATE\""_qs);
    date->setExpanded(true);
    rightClick(date->child(0));
    child<QMenu>("mn_mouse4")->close();
    action("mn_colcopy_clip")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), date->child(0)->text(0));
    box()->selectAll();
    action("mn_colcopy_sql")->trigger();
    EXPECT_EQ(box()->toPlainText(), QString());

    // Disconnected: item [0] and the column items are off, the others still fill the box.
    action("mn_disconnect")->trigger();
    ASSERT_FALSE(IsConnected(session_));
    rightClick(items);
    popup->close();
    EXPECT_FALSE(quick[0]->isEnabled());
    EXPECT_FALSE(child<QMenu>("mn_copy_allcols")->isEnabled());
    EXPECT_FALSE(child<QMenu>("mn_disp_cols")->isEnabled());
    EXPECT_TRUE(quick[6]->isEnabled());
    quick[6]->trigger();
    EXPECT_EQ(box()->toPlainText(), u"DELETE FROM \"ORDER ITEMS\" \nWHERE ? = ?"_qs);
    const QString before = QApplication::clipboard()->text();
    action("mn_copy_allcols_clip")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), before);
}

TEST_P(ObjectSearchTest, KeywordListWordButtonsAndSqlFiles) {
    auto* keywords = child<KeywordList>("Lst_kwd");
    ASSERT_EQ(keywords->count(), 4);
    EXPECT_EQ(keywords->item(2)->text(), QString());  // an empty line is an empty entry

    // A double click inserts the keyword at the caret and selects the next "?".
    box()->setPlainText(u" * FROM T WHERE ? = ?"_qs);
    box()->moveCursor(QTextCursor::Start);
    const QRect first = keywords->visualItemRect(keywords->item(0));
    QTest::mouseDClick(keywords->viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_EQ(box()->toPlainText(), u"SELECT * FROM T WHERE ? = ?"_qs);
    EXPECT_EQ(box()->textCursor().selectionStart(), 22);
    // Enter inserts the selected keyword over the selection, the key itself goes nowhere.
    keywords->setCurrentRow(3);
    QTest::keyClick(keywords, Qt::Key_Return);
    EXPECT_EQ(box()->toPlainText(), u"SELECT * FROM T WHERE WHERE = ?"_qs);
    EXPECT_EQ(box()->textCursor().selectionStart(), 30);
    // Below the last entry a click clears the selection; the copies then do nothing.
    QTest::mouseClick(keywords->viewport(), Qt::LeftButton, {},
                      QPoint(5, keywords->visualItemRect(keywords->item(3)).bottom() + 5));
    EXPECT_TRUE(keywords->selectedItems().isEmpty());
    const QString text = box()->toPlainText();
    action("mn_kwdcopy_sql")->trigger();
    EXPECT_EQ(box()->toPlainText(), text);
    QTest::mouseClick(keywords->viewport(), Qt::RightButton, {},
                      keywords->visualItemRect(keywords->item(3)).center());
    EXPECT_TRUE(child<QMenu>("mn_mouse5")->isVisible());
    child<QMenu>("mn_mouse5")->close();
    action("mn_kwdcopy_clip")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), u"WHERE"_qs);

    // The mode button cycles its caption and colour; the arrows follow the mode.
    auto* mode = child<QPushButton>("Cmd_srch_wd");
    EXPECT_EQ(mode->toolTip(), u"？/ﾄｰｸﾝ/ｷｰﾜｰﾄﾞ切替"_qs);
    QToolButton *right = nullptr, *left = nullptr;
    for (QToolButton* b : window_->findChildren<QToolButton*>(u"Cmd_q"_qs))
        (b->toolTip() == u"右をサーチ"_qs ? right : left) = b;
    ASSERT_TRUE(right && left);
    box()->setPlainText(u"select a,b from t"_qs);
    box()->moveCursor(QTextCursor::Start);
    const QColor white(Qt::white);
    const std::tuple<QString, QColor, QToolButton*, QString> steps[] = {
        {u"ﾄｰｸﾝ"_qs, white, right, u"select"_qs},
        {u"ｷｰﾜｰﾄﾞ"_qs, keywords->palette().color(QPalette::Base), right, u"from"_qs},
        {u"？"_qs, white, left, u"from"_qs},  // no "?" to the left: nothing changes
    };
    for (const auto& [caption, colour, arrow, selection] : steps) {
        mode->click();
        EXPECT_EQ(mode->text(), caption);
        EXPECT_EQ(mode->palette().color(QPalette::Button), colour) << caption.toStdString();
        EXPECT_EQ(window_->focusWidget(), box());
        arrow->click();
        EXPECT_EQ(selected(), selection) << caption.toStdString();
    }

    // An LF-only file with a byte order mark and Japanese text, then Ctrl+Z.
    const QString file = config_.path(u"query.sql"_qs);
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QByteArray("\xEF\xBB\xBF") + u"SELECT '日本語'\nFROM T\n"_qs.toUtf8());
    out.close();
    QList<FileDialogRequest> asked;
    QString answer = file;
    ScopedFileDialogResponder responder([&](const FileDialogRequest& r) {
        asked << r;
        return answer;
    });
    box()->setPlainText(u"before"_qs);
    action("mn_open_file")->trigger();
    EXPECT_EQ(box()->toPlainText(), u"SELECT '日本語'\nFROM T\n"_qs);
    QTest::keyClick(box(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box()->toPlainText(), u"before"_qs);
    // A file that cannot be opened leaves the box; the next dialog starts at the last file.
    answer = config_.path(u"missing.sql"_qs);
    action("mn_open_file")->trigger();
    EXPECT_EQ(box()->toPlainText(), u"before"_qs);
    answer.clear();
    action("mn_open_file")->trigger();
    ASSERT_EQ(asked.size(), 3);
    EXPECT_EQ(asked[0].title, u"SQLﾌｧｲﾙ読込み"_qs);
    EXPECT_EQ(asked[0].filters.size(), 2);
    EXPECT_EQ(asked[1].initialFolder + asked[1].initialName, file);
    EXPECT_EQ(asked[2].initialFolder + asked[2].initialName, config_.path(u"missing.sql"_qs));
    EXPECT_TRUE(boxes_.texts().isEmpty()) << boxes_.texts().join(u'\n').toStdString();
    EXPECT_EQ(UnnamedControls(*window_), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Engines, ObjectSearchTest, ::testing::Values(Engine::SQLite),
                         EngineParamName());

}  // namespace
}  // namespace varkel::test
