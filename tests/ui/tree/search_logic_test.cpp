#include <gtest/gtest.h>

#include <QTreeWidget>

#include "ui/sqlbox/word_move.h"
#include "ui/tree/object_lists.h"
#include "ui/tree/object_search.h"
#include "ui/tree/quick_sql.h"

namespace varkel::test {
namespace {

struct MoveCase {
    const char* why;
    QString text;
    int start, length;
    bool right;
    WordMode mode;
    QStringList keywords;
    std::optional<TextSelection> expected;
};

TEST(MoveToWordTest, QuestionMarksTokensAndKeywordsBothWays) {
    const QString stmt = QStringLiteral("SELECT ? FROM t WHERE ? = ?");
    const QString sel = QStringLiteral("select a,b from t");
    const QStringList sf = {QStringLiteral("SELECT"), QStringLiteral("FROM")};
    const auto Q = WordMode::Question, T = WordMode::Token, K = WordMode::Keyword;
    const auto none = std::optional<TextSelection>();
    const MoveCase cases[] = {
        {"? right from the start", stmt, 0, 0, true, Q, {}, TextSelection{7, 1}},
        {"? right after a selected ?", stmt, 7, 1, true, Q, {}, TextSelection{22, 1}},
        {"? right past the last", stmt, 26, 1, true, Q, {}, none},
        {"? right at the end", stmt, 27, 0, true, Q, {}, none},
        {"? left from a selected ?", stmt, 22, 1, false, Q, {}, TextSelection{7, 1}},
        {"? left from the first ?", stmt, 7, 1, false, Q, {}, none},
        {"? left at the start", stmt, 0, 0, false, Q, {}, none},
        {"? in an empty text", QString(), 0, 0, true, Q, {}, none},
        {"token right skips delimiters",
         QStringLiteral(" (abc), d"),
         0,
         0,
         true,
         T,
         {},
         TextSelection{2, 3}},
        {"token right from a token",
         QStringLiteral(" (abc), d"),
         2,
         3,
         true,
         T,
         {},
         TextSelection{8, 1}},
        {"token left from the end",
         QStringLiteral(" (abc), d"),
         9,
         0,
         false,
         T,
         {},
         TextSelection{8, 1}},
        {"token left from inside a token",
         QStringLiteral("ab cd"),
         4,
         0,
         false,
         T,
         {},
         TextSelection{3, 1}},
        {"token right between delimiters at the end",
         QStringLiteral("x \t\r\n"),
         2,
         0,
         true,
         T,
         {},
         none},
        {"token left between delimiters at the start",
         QStringLiteral(" .,x"),
         2,
         0,
         false,
         T,
         {},
         none},
        {"token over line breaks and tabs",
         QStringLiteral("a\r\n\tb"),
         1,
         0,
         true,
         T,
         {},
         TextSelection{4, 1}},
        {"keyword right from the start", sel, 0, 0, true, K, sf, TextSelection{0, 6}},
        {"keyword right again", sel, 0, 6, true, K, sf, TextSelection{11, 4}},
        {"keyword right past the last", sel, 11, 4, true, K, sf, none},
        {"keyword left from the end", sel, 17, 0, false, K, sf, TextSelection{11, 4}},
        {"keyword left again", sel, 11, 4, false, K, sf, TextSelection{0, 6}},
        {"keyword left past the first", sel, 0, 6, false, K, sf, none},
        {"keyword case-insensitive", QStringLiteral("x From y"), 0, 0, true, K, sf,
         TextSelection{2, 4}},
        {"keyword with an empty list", sel, 0, 0, true, K, {}, none},
    };
    for (const MoveCase& c : cases) {
        const auto moved =
            MoveToWord(c.text, c.start, c.length, c.right, c.mode, KeywordSet(c.keywords));
        EXPECT_EQ(moved.has_value(), c.expected.has_value()) << c.why;
        if (moved && c.expected) {
            EXPECT_EQ(moved->start, c.expected->start) << c.why;
            EXPECT_EQ(moved->length, c.expected->length) << c.why;
        }
    }
}

TEST(WordModeTest, CyclesThroughTheThreeCaptions) {
    WordMode mode = WordMode::Question;
    QStringList captions;
    for (int i = 0; i < 4; ++i) {
        captions << WordModeCaption(mode);
        mode = NextWordMode(mode);
    }
    EXPECT_EQ(captions.join(u'/'), QStringLiteral("？/ﾄｰｸﾝ/ｷｰﾜｰﾄﾞ/？"));
}

TEST(QuickSqlTest, NamesStatementsColumnsAndCaptions) {
    using F = NameRules::Folding;
    const NameRules standard, lower{QStringLiteral("\""), F::Lower},
        upper{QStringLiteral("\""), F::Upper}, backquote{QStringLiteral("`"), F::None},
        none{QStringLiteral(" "), F::None};
    const struct {
        QString name;
        NameRules rules;
        QString quoted;
    } names[] = {
        {QStringLiteral("EMP"), standard, QStringLiteral("EMP")},
        {QStringLiteral("ORDER ITEMS"), standard, QStringLiteral("\"ORDER ITEMS\"")},
        {QStringLiteral("a \"b\" c"), standard, QStringLiteral("\"a \"\"b\"\" c\"")},
        {QStringLiteral("a\"b"), standard, QStringLiteral("\"a\"\"b\"")},  // outside names
        {QString(), standard, QString()},
        {QStringLiteral("order-lines"), standard, QStringLiteral("\"order-lines\"")},
        {QStringLiteral("社員_2"), standard, QStringLiteral("社員_2")},
        {QStringLiteral("Emp"), standard, QStringLiteral("Emp")},
        {QStringLiteral("Emp"), lower, QStringLiteral("\"Emp\"")},
        {QStringLiteral("Emp"), upper, QStringLiteral("\"Emp\"")},
        {QStringLiteral("ORDER ITEMS"), backquote, QStringLiteral("`ORDER ITEMS`")},
        {QStringLiteral("a`b"), backquote, QStringLiteral("`a``b`")},
        {QStringLiteral("a b"), none, QStringLiteral("\"a b\"")},
    };
    for (const auto& c : names)
        EXPECT_EQ(QuotedName(c.name, c.rules), c.quoted) << c.name.toStdString();
    EXPECT_EQ(SqlObjectName(QStringLiteral("Emp"), {QString(), QStringLiteral("hr")}, true, lower),
              QStringLiteral("hr.\"Emp\""));
    EXPECT_EQ(SqlObjectName(QStringLiteral("t"), {QString(), QStringLiteral("hr")}, false, lower),
              QStringLiteral("t"));

    const auto t = QuickSqlTexts(QStringLiteral("T"));
    const std::array<QString, 7> expected = {QStringLiteral("SELECT * FROM T　⇒　即実行"),
                                             QString(),
                                             QStringLiteral("SELECT * FROM T"),
                                             QStringLiteral("SELECT * FROM T \nWHERE ? = ?"),
                                             QStringLiteral("UPDATE T SET ? = ? \nWHERE ? = ?"),
                                             QStringLiteral("INSERT INTO T \nVALUES(?)"),
                                             QStringLiteral("DELETE FROM T \nWHERE ? = ?")};
    EXPECT_EQ(t, expected);
    EXPECT_EQ(QuickSqlTexts(QuotedName(QStringLiteral("ORDER ITEMS")))[2],
              QStringLiteral("SELECT * FROM \"ORDER ITEMS\""));

    EXPECT_EQ(AllColumnsText(
                  {QStringLiteral("ID"), QStringLiteral("NAME"), QStringLiteral("ORDER DATE")}),
              QStringLiteral("ID, NAME, \"ORDER DATE\""));
    EXPECT_EQ(AllColumnsText({}), QString());
}

TEST(FoundLayoutTest, ResultsHeightAndBoundaryDrag) {
    EXPECT_EQ(FoundLabelText(3, QStringLiteral("emp")), QStringLiteral("検出(3)：emp"));
    EXPECT_EQ(FoundLabelText(0, QString()), QStringLiteral("検出(0)："));
    struct HeightCase {
        int items, list, tree, expected;
    };
    for (const HeightCase& c : {HeightCase{0, 1800, 5000, 0}, HeightCase{3, 0, 5000, 1800},
                                HeightCase{3, 99, 3001, 1800}, HeightCase{3, 0, 3000, 0},
                                HeightCase{3, 100, 5000, 100}, HeightCase{3, 2400, 1000, 2400}})
        EXPECT_EQ(FoundListHeight(c.items, c.list, c.tree), c.expected)
            << c.items << ' ' << c.list << ' ' << c.tree;

    MainGeometry g;
    g.tree = {0, 1000, 3000, 4000};
    g.foundFrame = {0, 5000, 3000, 300};
    g.foundList = {0, 5300, 3000, 1000};
    WindowMetrics m;
    m.innerHeight = 7000;
    m.statusBarShown = true;
    m.statusBarHeight = 400;
    struct DragCase {
        int newTop;
        bool moves;
    };
    for (const DragCase& c : {DragCase{1499, false}, DragCase{1500, true}, DragCase{3000, true},
                              DragCase{6300, true}, DragCase{6301, false}}) {
        const auto moved = DragFoundBoundary(g, m, c.newTop);
        ASSERT_EQ(moved.has_value(), c.moves) << c.newTop;
        if (!moved) continue;
        EXPECT_EQ(moved->tree.height, c.newTop - 1000);
        EXPECT_EQ(moved->foundFrame.top, c.newTop);
        EXPECT_EQ(moved->foundList.top, c.newTop + 300);
        EXPECT_EQ(moved->foundList.bottom(), 6600);
    }
}

// A tree shaped as the object tree fills it: categories, objects, a column with its description.
class TreeSearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tables_ = add(nullptr, QStringLiteral("TABLE(3)"), QStringLiteral("tables"));
        views_ = add(nullptr, QStringLiteral("VIEW(1)"), QStringLiteral("views"));
        synonyms_ = add(nullptr, QStringLiteral("SYNONYM(0)"), QStringLiteral("synonyms"));
        for (const char* name : {"EMP", "EMPLOYEE", "DEPT"})
            add(tables_, QString::fromLatin1(name), QStringLiteral("table"));
        add(views_, QStringLiteral("EMP_V"), QStringLiteral("view"));
        column_ = add(tables_->child(1), QStringLiteral("NAME"), QStringLiteral("colname"));
        desc_ = add(column_, QStringLiteral("VARCHAR(20)"), QStringLiteral("coltype"));
    }
    QTreeWidgetItem* add(QTreeWidgetItem* parent, const QString& text, const QString& tag) {
        auto* node = new QTreeWidgetItem(QStringList{text});
        node->setData(0, node_data::kTag, tag);
        if (parent)
            parent->addChild(node);
        else
            tree_.addTopLevelItem(node);
        return node;
    }
    QTreeWidget tree_;
    QTreeWidgetItem *tables_, *views_, *synonyms_, *column_, *desc_;
};

TEST_F(TreeSearchTest, StepsThroughTheObjectsOfOneCategory) {
    struct Case {
        const char* why;
        QTreeWidgetItem* from;
        QString text;
        bool forward;
        QString expected;  // empty: nothing found
    };
    const QString emp = QStringLiteral("emp");
    const Case cases[] = {
        {"category: its first object is tested", tables_, emp, true, QStringLiteral("EMP")},
        {"object: the search starts at its neighbour", tables_->child(0), emp, true,
         QStringLiteral("EMPLOYEE")},
        {"no wrap at the end", tables_->child(1), emp, true, QString()},
        {"backwards", tables_->child(1), emp, false, QStringLiteral("EMP")},
        {"backwards from the first", tables_->child(0), emp, false, QString()},
        {"column: its own table first", column_, emp, true, QStringLiteral("EMPLOYEE")},
        {"description: its own table first", desc_, QStringLiteral("ploy"), false,
         QStringLiteral("EMPLOYEE")},
        {"the category is not left", tables_->child(2), QStringLiteral("_v"), true, QString()},
        {"views", views_, QStringLiteral("V"), true, QStringLiteral("EMP_V")},
        {"an empty category", synonyms_, emp, true, QString()},
        {"no selection", nullptr, emp, true, QString()},
    };
    for (const Case& c : cases) {
        QTreeWidgetItem* found = SearchTreeFrom(c.from, c.text, c.forward);
        EXPECT_EQ(found ? found->text(0) : QString(), c.expected) << c.why;
    }
}

TEST_F(TreeSearchTest, FindObjectsInCategoryOrderAndCollapsesTheOthers) {
    tables_->setExpanded(true);
    for (int i = 0; i < 3; ++i)
        tables_->child(i)->setExpanded(true);
    const QBrush plain(Qt::darkGreen);
    const auto texts = [](const QList<QTreeWidgetItem*>& nodes) {
        QStringList t;
        for (const QTreeWidgetItem* n : nodes)
            t << n->text(0);
        return t.join(u',');
    };
    EXPECT_EQ(texts(FindObjects({tables_, views_, synonyms_}, QStringLiteral("emp"), plain)),
              QStringLiteral("EMP,EMPLOYEE,EMP_V"));
    EXPECT_TRUE(tables_->child(0)->isExpanded());
    EXPECT_TRUE(tables_->child(1)->isExpanded());
    EXPECT_FALSE(tables_->child(2)->isExpanded());  // DEPT

    tables_->child(2)->setExpanded(true);
    EXPECT_TRUE(FindObjects({tables_, views_, synonyms_}, QString(), plain).isEmpty());
    EXPECT_TRUE(tables_->child(2)->isExpanded());
    EXPECT_EQ(views_->child(0)->foreground(0), plain);
}

}  // namespace
}  // namespace varkel::test
