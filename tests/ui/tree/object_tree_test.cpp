#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTabBar>
#include <QTreeWidget>
#include <memory>

#include "db/db_test_util.h"
#include "support/message_recorder.h"
#include "ui/frame/main_menus.h"
#include "ui/tree/catalog_node.h"
#include "ui/tree/column_view.h"
#include "ui/tree/left_pane.h"
#include "ui/tree/quick_sql.h"
#include "ui/tree/tree_pane.h"

namespace varkel::test {
namespace {
using namespace Qt::Literals::StringLiterals;

const QString kAskTitle = QStringLiteral("TABLE/VIEW/SYNONYMの取得");
const QString kRetry = QStringLiteral("\r\nテーブルオーナー無視で、再取得しますか？");

QString Texts(const QTreeWidgetItem* node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts.join(u',');
}

// The object tree on the left pane's real controls, over a database of each engine with a
// table of a one-column key, a table with a two-column key and a unique index on its second
// column, a table with a unique index only, a view and a table of 1,200 columns.
class ObjectTreeTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFailure()) return;
        QString wide = QStringLiteral("CREATE TABLE wide (c1 INTEGER NOT NULL PRIMARY KEY");
        for (int i = 2; i <= 1200; ++i)
            wide += QStringLiteral(", c%1 INTEGER").arg(i);
        wide += u')';
        for (const QString& sql :
             {QStringLiteral("CREATE TABLE orders (order_no INTEGER NOT NULL PRIMARY KEY, "
                             "customer VARCHAR(20) NOT NULL, note VARCHAR(40))"),
              QStringLiteral("CREATE TABLE pair_key (a INTEGER NOT NULL, b INTEGER NOT NULL, "
                             "c VARCHAR(10), PRIMARY KEY (a, b), UNIQUE (b))"),
              QStringLiteral("CREATE TABLE unique_only (x INTEGER, y INTEGER NOT NULL, "
                             "UNIQUE (y))"),
              QStringLiteral("CREATE VIEW order_view AS SELECT order_no, note FROM orders")})
            ASSERT_TRUE(db_->admin().exec(sql));
        // InnoDB keeps at most 1,017 columns.
        ASSERT_TRUE(db_->admin().exec(db_->engine() == Engine::MariaDB
                                          ? QStringLiteral("CREATE TABLE wide (c1 INTEGER)")
                                          : wide));
        if (db_->engine() == Engine::PostgreSQL) {
            // Same-named tables in two schemas, each with columns of its own.
            ASSERT_TRUE(db_->admin().exec(QStringLiteral("CREATE SCHEMA archive")));
            ASSERT_TRUE(db_->admin().exec(QStringLiteral(
                "CREATE TABLE archive.orders (archived_no INTEGER NOT NULL, PRIMARY KEY "
                "(archived_no))")));
        }
        if (db_->engine() == Engine::MariaDB)
            database_ = db_->admin().scalar(QStringLiteral("SELECT DATABASE()"));
        host_.resize(400, 600);
        left_.build(&host_);
        left_.TreeView1->setGeometry(0, 0, 380, 580);
        menus_.build(&bar_, &host_);
        ConnectTo(s_, *db_);
        tree_ = std::make_unique<ObjectTree>(s_, left_.TreeView1, left_.TabObjects, menus_, U_id_);
        tree_->setImages(TreeImageList());
    }
    void TearDown() override { DbDisconnect(s_); }

    // The node of one of this test's objects (other databases of the server may have the same
    // names).
    QTreeWidgetItem* object(const QString& key, const QString& name,
                            const QString& schema = QString()) const {
        QTreeWidgetItem* category = tree_->category(key);
        if (!category) return nullptr;
        for (int i = 0; i < category->childCount(); ++i) {
            QTreeWidgetItem* node = category->child(i);
            if (node->text(0) != name) continue;
            const ObjectOwner owner = NodeOwner(node);
            if (db_->engine() == Engine::MariaDB && owner.catalog != database_) continue;
            if (db_->engine() == Engine::PostgreSQL &&
                owner.schema != (schema.isEmpty() ? QStringLiteral("public") : schema))
                continue;
            return node;
        }
        return nullptr;
    }
    QTreeWidgetItem* expanded(const QString& key, const QString& name,
                              const QString& schema = QString()) const {
        QTreeWidgetItem* node = object(key, name, schema);
        if (node) node->setExpanded(true);
        return node;
    }

    MessageRecorder boxes_;
    DbSession s_;
    QString U_id_;
    QString database_;
    QWidget host_;
    QMenuBar bar_{&host_};
    LeftPane left_;
    MainMenus menus_;
    std::unique_ptr<ObjectTree> tree_;
};

// The filling with the owner of the connect and without: the question each engine leads to,
// and what each answer leaves.
TEST_P(ObjectTreeTest, FillsWithTheOwnerOrAsksToListEveryOwner) {
    struct Case {
        QString owner;
        MsgResult answer;
    };
    // SQLite lists every object whatever the owner; psqlODBC reads the connecting user as
    // "public" but finds nothing for a user id that owns nothing; MariaDB refuses any owner.
    auto question = [this](const QString& owner) {
        if (owner.isEmpty() || db_->engine() == Engine::SQLite) return QString();
        if (db_->engine() == Engine::MariaDB)
            return QStringLiteral("TABLE/VIEW/SYNONYMの取得に失敗しました。") + kRetry;
        if (owner == db_->user()) return QString();
        return QStringLiteral("TABLE/VIEW/SYNONYMが取得できませんでした。") + kRetry;
    };
    const QString user = db_->user().isEmpty() ? QStringLiteral("someone") : db_->user();
    const QString nobody = QStringLiteral("someone");
    for (const Case& c : {Case{user, MsgResult::Yes}, Case{nobody, MsgResult::No},
                          Case{nobody, MsgResult::Yes}, Case{QString(), MsgResult::No}}) {
        SCOPED_TRACE(c.owner.toStdString() + (c.answer == MsgResult::Yes ? " yes" : " no"));
        const qsizetype before = boxes_.boxes().size();
        const bool asks = !question(c.owner).isEmpty();
        if (asks) boxes_.answer(c.answer);
        U_id_ = c.owner;
        tree_->FillTree();
        const QList<MessageBoxRequest> asked = boxes_.boxes().mid(before);
        ASSERT_EQ(asked.size(), asks ? 1 : 0) << boxes_.texts().join(u'\n').toStdString();
        if (asks) {
            EXPECT_EQ(asked[0].text, question(c.owner));
            EXPECT_EQ(asked[0].title, kAskTitle);
            EXPECT_EQ(asked[0].buttons, MsgButtons::YesNo);
            EXPECT_EQ(asked[0].icon, MsgIcon::Question);
        }
        ASSERT_EQ(left_.TreeView1->topLevelItemCount(), 3);
        if (asks && c.answer == MsgResult::No) {
            EXPECT_EQ(tree_->category(QStringLiteral("TABLE"))->text(0), QStringLiteral("TABLE"));
            EXPECT_EQ(tree_->category(QStringLiteral("VIEW"))->childCount(), 0);
            EXPECT_EQ(tree_->category(QStringLiteral("SYNONYM"))->text(0),
                      QStringLiteral("SYNONYM"));
            EXPECT_EQ(U_id_, c.owner);
            // Nothing of the listing before stays on offer (to the import window).
            EXPECT_EQ(tree_->lists().Tbl_num, 0);
            EXPECT_TRUE(tree_->lists().TblName.isEmpty());
            continue;
        }
        const ObjectLists& lists = tree_->lists();
        EXPECT_EQ(tree_->category(QStringLiteral("TABLE"))->text(0),
                  QStringLiteral("TABLE(%1)").arg(lists.Tbl_num));
        EXPECT_EQ(tree_->category(QStringLiteral("VIEW"))->text(0),
                  QStringLiteral("VIEW(%1)").arg(lists.View_num));
        EXPECT_EQ(tree_->category(QStringLiteral("SYNONYM"))->text(0),
                  QStringLiteral("SYNONYM(%1)").arg(lists.Synm_num));
        EXPECT_EQ(tree_->category(QStringLiteral("TABLE"))->childCount(), lists.Tbl_num);
        EXPECT_EQ(lists.TblName.size(), lists.TblOwner.size());
        for (const char* name : {"orders", "pair_key", "unique_only", "wide"})
            EXPECT_TRUE(object(QStringLiteral("TABLE"), QString::fromLatin1(name))) << name;
        QTreeWidgetItem* view = object(QStringLiteral("VIEW"), QStringLiteral("order_view"));
        ASSERT_TRUE(view);
        EXPECT_EQ(NodeTag(view), QStringLiteral("view"));
        EXPECT_EQ(Texts(view), QStringLiteral("Columns 取得中..."));
        EXPECT_EQ(NodeTag(view->child(0)), QStringLiteral("dummy"));
        EXPECT_EQ(U_id_, asks ? QString() : c.owner) << "Yes clears the owner";
        // The table tab is chosen: its category open and selected, the others closed.
        EXPECT_EQ(left_.TabObjects->currentIndex(), 1);
        EXPECT_TRUE(tree_->category(QStringLiteral("TABLE"))->isExpanded());
        EXPECT_FALSE(tree_->category(QStringLiteral("VIEW"))->isExpanded());
        EXPECT_EQ(left_.TreeView1->currentItem(), tree_->category(QStringLiteral("TABLE")));
    }
}

// Columns with their descriptions and the key positions of one index, fetched once on the
// first expand; the column view of the same columns in both forms.
TEST_P(ObjectTreeTest, ExpandingAnObjectShowsItsColumnsAndKeyPositions) {
    tree_->FillTree();
    ASSERT_TRUE(boxes_.boxes().isEmpty()) << boxes_.texts().join(u'\n').toStdString();
    struct Case {
        const char* key;
        const char* name;
        const char* columns;
        const char* keys;  // "column:position" of the key position nodes
    };
    const Case cases[] = {
        {"TABLE", "orders", "order_no,customer,note", "order_no:1"},
        // b is second in the primary key and first in a unique index: the key wins.
        {"TABLE", "pair_key", "a,b,c", "a:1,b:2"},
        {"TABLE", "unique_only", "x,y", "y:1"},
        {"VIEW", "order_view", "order_no,note", ""},
        // A synonym gets its key positions fetched but not shown.
        {"SYNONYM", "orders", "order_no,customer,note", ""},
    };
    // None of the engines makes synonyms: the node a catalog listing one would give, standing
    // for the table of the same name.
    QTreeWidgetItem* synonym =
        new CatalogNode(QStringLiteral("orders"), QStringLiteral("synonym"), QIcon(),
                        NodeOwner(object(QStringLiteral("TABLE"), QStringLiteral("orders"))));
    synonym->addChild(
        new CatalogNode(QStringLiteral("Columns 取得中..."), QStringLiteral("dummy"), QIcon()));
    tree_->category(QStringLiteral("SYNONYM"))->addChild(synonym);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTreeWidgetItem* node = expanded(QString::fromLatin1(c.key), QString::fromLatin1(c.name));
        ASSERT_TRUE(node);
        EXPECT_EQ(Texts(node), QString::fromLatin1(c.columns)) << s_.LastMessage.toStdString();
        QStringList keys;
        const bool view = QByteArray(c.key) == "VIEW";
        for (int i = 0; i < node->childCount(); ++i) {
            QTreeWidgetItem* column = node->child(i);
            EXPECT_EQ(NodeTag(column), QStringLiteral("colname"));
            EXPECT_EQ(column->icon(0).cacheKey(),
                      tree_->images()
                          .image(view ? QStringLiteral("col_v") : QStringLiteral("col"))
                          .cacheKey());
            ASSERT_GE(column->childCount(), 1);
            EXPECT_EQ(NodeTag(column->child(0)), QStringLiteral("coltype"));
            EXPECT_FALSE(column->child(0)->text(0).isEmpty());
            if (column->childCount() == 2) {
                EXPECT_EQ(NodeTag(column->child(1)), QStringLiteral("pkey"));
                keys << column->text(0) + u':' +
                            column->child(1)->text(0).mid(QStringLiteral("Primary Key #").size());
            }
        }
        EXPECT_EQ(keys.join(u','), QString::fromLatin1(c.keys));
        EXPECT_TRUE(left_.TreeView1->isEnabled());
    }

    // A second expand asks nothing again: the nodes stay as they are.
    QTreeWidgetItem* orders = object(QStringLiteral("TABLE"), QStringLiteral("orders"));
    QTreeWidgetItem* first = orders->child(0);
    orders->setExpanded(false);
    orders->setExpanded(true);
    EXPECT_EQ(orders->child(0), first);
    EXPECT_EQ(orders->childCount(), 3);

    // 1,200 columns: 999 are kept and shown.
    QTreeWidgetItem* wide = expanded(QStringLiteral("TABLE"), QStringLiteral("wide"));
    ASSERT_TRUE(wide);
    if (db_->engine() != Engine::MariaDB) {
        EXPECT_EQ(wide->childCount(), 999);
        EXPECT_EQ(wide->child(998)->text(0), QStringLiteral("c999"));
    }

    // The column view of pair_key, from a column list of its own.
    QTreeWidgetItem* pair = object(QStringLiteral("TABLE"), QStringLiteral("pair_key"));
    tree_->setClickedNode(pair);
    ColumnList columns;
    ASSERT_TRUE(tree_->GetColumns(tree_->clickedNode(), columns));
    QTreeWidget list;
    FillColumnView(&list, columns, true);
    QStringList headers;
    for (int k = 0; k < list.columnCount(); ++k)
        headers << list.headerItem()->text(k);
    EXPECT_EQ(headers.join(u','), QStringLiteral("No.,列名,属性・桁数,NOT NULL,Primary Key,<"));
    ASSERT_EQ(list.topLevelItemCount(), 3);
    for (int i = 0; i < 3; ++i) {
        QTreeWidgetItem* row = list.topLevelItem(i);
        EXPECT_EQ(row->text(0), QStringLiteral("  %1").arg(i + 1));
        EXPECT_EQ(row->text(1), columns.ColName[i]);
        EXPECT_FALSE(row->text(2).contains(QStringLiteral("NOT NULL")));
        EXPECT_EQ(row->text(3), columns.ColDesc[i].contains(QStringLiteral("NOT NULL"))
                                    ? QStringLiteral("YES")
                                    : QString());
        EXPECT_EQ(row->text(4),
                  (QStringList{QStringLiteral("1"), QStringLiteral("2"), QString()}[i]));
    }
    if (db_->engine() != Engine::SQLite) {  // SQLite never reports NOT NULL
        EXPECT_EQ(list.topLevelItem(0)->text(3), QStringLiteral("YES"));
    }
    FillColumnView(&list, columns, false);
    headers.clear();
    for (int k = 0; k < list.columnCount(); ++k)
        headers << list.headerItem()->text(k);
    EXPECT_EQ(headers.join(u','), QStringLiteral("No.,列名,<"));
    EXPECT_EQ(list.topLevelItem(2)->text(1), QStringLiteral("c"));

    // Disconnected: an object still holding its placeholder loses it and gets nothing, and the
    // refill command does nothing.
    tree_->FillTree();
    DbDisconnect(s_);
    orders = expanded(QStringLiteral("TABLE"), QStringLiteral("orders"));
    ASSERT_TRUE(orders);
    EXPECT_EQ(orders->childCount(), 0);
    wide = object(QStringLiteral("TABLE"), QStringLiteral("wide"));
    menus_.mn_get_tables->trigger();
    EXPECT_EQ(object(QStringLiteral("TABLE"), QStringLiteral("wide")), wide);
    EXPECT_TRUE(boxes_.boxes().isEmpty());
}

// The category tabs and the pop-up menus of the nodes, by mouse and by key.
TEST_P(ObjectTreeTest, TabsOpenTheirCategoriesAndNodesShowTheirMenus) {
    const char* tips[] = {"全て表示します", "テーブルを表示します", "ビューを表示します",
                          "シノニムを表示します"};
    const char* keys[] = {"ALL", "TABLE", "VIEW", "SYNONYM"};
    ASSERT_EQ(left_.TabObjects->count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(left_.TabObjects->tabText(i), QString::fromLatin1(keys[i]));
        EXPECT_EQ(left_.TabObjects->tabToolTip(i), QString::fromUtf8(tips[i]));
    }
    left_.TabObjects->setCurrentIndex(2);  // an empty tree: nothing happens
    EXPECT_EQ(left_.TreeView1->topLevelItemCount(), 0);

    tree_->FillTree();
    struct Case {
        int tab;
        const char* open;  // TABLE, VIEW, SYNONYM expanded
        const char* selected;
    };
    for (const Case& c : {Case{2, "010", "VIEW"}, Case{0, "111", "TABLE"},
                          Case{3, "001", "SYNONYM"}, Case{1, "100", "TABLE"}}) {
        left_.TabObjects->setCurrentIndex(c.tab);
        std::string open;
        for (const char* key : {"TABLE", "VIEW", "SYNONYM"})
            open += tree_->category(QString::fromLatin1(key))->isExpanded() ? '1' : '0';
        EXPECT_EQ(open, c.open) << keys[c.tab];
        EXPECT_EQ(NodeKey(left_.TreeView1->currentItem()), QString::fromLatin1(c.selected));
    }

    host_.show();
    QTreeWidgetItem* orders = expanded(QStringLiteral("TABLE"), QStringLiteral("orders"));
    ASSERT_TRUE(orders);
    QTreeWidgetItem* column = orders->child(0);
    QTreeWidgetItem* view = object(QStringLiteral("VIEW"), QStringLiteral("order_view"));
    int objectMenus = 0;
    QObject::connect(tree_.get(), &ObjectTree::objectMenuAboutToShow, [&] { ++objectMenus; });
    struct Menu {
        QTreeWidgetItem* node;
        QMenu* menu;
        bool byKey;
    };
    for (const Menu& m :
         {Menu{orders, menus_.mn_mouse, false}, Menu{column, menus_.mn_mouse4, false},
          Menu{tree_->category(QStringLiteral("VIEW")), menus_.mn_mouse2, false},
          Menu{column->child(0), menus_.mn_mouse4, true}, Menu{view, menus_.mn_mouse, true}}) {
        SCOPED_TRACE(m.node->text(0).toStdString());
        left_.TreeView1->scrollToItem(m.node);
        if (m.byKey) {
            left_.TreeView1->setCurrentItem(m.node);
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(1, 1),
                                    left_.TreeView1->viewport()->mapToGlobal(QPoint(1, 1)));
            QCoreApplication::sendEvent(left_.TreeView1->viewport(), &event);
        } else {
            const QPoint at = left_.TreeView1->visualItemRect(m.node).center();
            QContextMenuEvent event(QContextMenuEvent::Mouse, at,
                                    left_.TreeView1->viewport()->mapToGlobal(at));
            QCoreApplication::sendEvent(left_.TreeView1->viewport(), &event);
        }
        EXPECT_TRUE(m.menu->isVisible());
        EXPECT_EQ(tree_->clickedNode(), m.node);
        EXPECT_EQ(left_.TreeView1->currentItem(), m.node);
        m.menu->close();
    }
    EXPECT_EQ(objectMenus, 2);
    // Not connected: the category's pop-up with the refill is not offered.
    DbDisconnect(s_);
    const QPoint at =
        left_.TreeView1->visualItemRect(tree_->category(QStringLiteral("TABLE"))).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at,
                            left_.TreeView1->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(left_.TreeView1->viewport(), &event);
    EXPECT_FALSE(menus_.mn_mouse2->isVisible());
}

// Quick statements and copied names address the object the tree shows: a name the server would
// fold or that holds other characters is quoted with the driver's quote, and a name the tree
// lists under two owners names its owner.
TEST_P(ObjectTreeTest, QuickStatementsAddressTheObjectTheTreeShows) {
    const bool maria = db_->engine() == Engine::MariaDB;
    const QString q = maria ? QStringLiteral("`") : QStringLiteral("\"");
    for (const QString& sql : {u"CREATE TABLE %1Mixed%1 (%1Id%1 INTEGER, plain INTEGER)"_s.arg(q),
                               u"CREATE TABLE %1odd-name%1 (%1a b%1 INTEGER)"_s.arg(q)})
        ASSERT_TRUE(db_->admin().exec(sql));
    tree_->FillTree();
    const NameRules rules = ServerNameRules(s_);
    EXPECT_EQ(rules.quote, q);
    const bool folds = db_->engine() == Engine::PostgreSQL;  // to lower case
    const struct {
        const char* name;
        const char* schema;
        QString select;  // without a MariaDB owner other databases may force
        QString columns;
        int columnCount;
    } cases[] = {
        {"Mixed", "", folds ? u"SELECT * FROM \"Mixed\""_s : u"SELECT * FROM Mixed"_s,
         folds ? u"\"Id\", plain"_s : u"Id, plain"_s, 2},
        {"odd-name", "", u"SELECT * FROM %1odd-name%1"_s.arg(q), u"%1a b%1"_s.arg(q), 1},
        {"orders", "", folds ? u"SELECT * FROM public.orders"_s : u"SELECT * FROM orders"_s,
         u"order_no, customer, note"_s, 3},
        {"orders", "archive", u"SELECT * FROM archive.orders"_s, u"archived_no"_s, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString schema = QString::fromLatin1(c.schema);
        if (!schema.isEmpty() && !folds) continue;  // only PostgreSQL has the second owner
        QTreeWidgetItem* node =
            expanded(QStringLiteral("TABLE"), QString::fromLatin1(c.name), schema);
        ASSERT_TRUE(node);
        const QString name = ObjectSqlName(node, tree_->lists(), rules);
        const auto texts = QuickSqlTexts(name);
        if (maria)
            EXPECT_TRUE(texts[2].endsWith(c.select.mid(14))) << texts[2].toStdString();
        else
            EXPECT_EQ(texts[2], c.select);
        QStringList columns;
        for (int i = 0; i < node->childCount(); ++i)
            columns << node->child(i)->text(0);
        EXPECT_EQ(AllColumnsText(columns, rules), c.columns);
        // The statements run against that very object.
        EXPECT_EQ(DbExecute(s_, u"SELECT "_s + c.columns + u" FROM "_s + name), 0)
            << s_.LastMessage.toStdString();
        EXPECT_EQ(LastColumnCount(s_), c.columnCount);
        CloseCursor(s_);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, ObjectTreeTest,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL, Engine::MariaDB),
                         EngineParamName());

// Two same-named tables in two schemas, listed without an owner, each show their own columns.
TEST(ObjectTreeOwnerTest, SameNamedTablesOfTwoSchemasKeepTheirOwnColumns) {
    OdbcConfig config;
    TestDatabase db(Engine::PostgreSQL, config);
    VARKEL_REQUIRE_DATABASE(db);
    for (const char* sql :
         {"CREATE TABLE orders (order_no INTEGER PRIMARY KEY, note TEXT)", "CREATE SCHEMA archive",
          "CREATE TABLE archive.orders (archived_no INTEGER, kept_on DATE, "
          "UNIQUE (kept_on))"})
        ASSERT_TRUE(db.admin().exec(QString::fromLatin1(sql)));
    MessageRecorder boxes;
    boxes.answer(MsgResult::Yes);
    DbSession s;
    ConnectTo(s, db);
    QWidget host;
    QMenuBar bar(&host);
    LeftPane left;
    left.build(&host);
    MainMenus menus;
    menus.build(&bar, &host);
    QString owner = QStringLiteral("someone");  // a user id that owns nothing
    ObjectTree tree(s, left.TreeView1, left.TabObjects, menus, owner);
    tree.FillTree();
    ASSERT_EQ(boxes.boxes().size(), 1);
    QStringList seen;
    QTreeWidgetItem* tables = tree.category(QStringLiteral("TABLE"));
    for (int i = 0; i < tables->childCount(); ++i) {
        QTreeWidgetItem* node = tables->child(i);
        if (node->text(0) != QStringLiteral("orders")) continue;
        node->setExpanded(true);
        QStringList keys;
        for (int k = 0; k < node->childCount(); ++k)
            if (node->child(k)->childCount() == 2) keys << node->child(k)->text(0);
        seen << NodeOwner(node).schema + u':' + Texts(node) + u':' + keys.join(u',');
    }
    seen.sort();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("archive:archived_no,kept_on:kept_on"),
                                 QStringLiteral("public:order_no,note:order_no")}));
    DbDisconnect(s);
}

// A node is dragged as its text, for copying only.
TEST(ObjectTreeDragTest, ANodeIsDraggedAsPlainTextToCopy) {
    struct Probe : ObjectTreeWidget {
        using ObjectTreeWidget::mimeData;
    } tree;
    auto* node = new QTreeWidgetItem(QStringList{QStringLiteral("受注 明細")});
    tree.addTopLevelItem(node);
    std::unique_ptr<QMimeData> data(tree.mimeData({node}));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->formats(), QStringList{QStringLiteral("text/plain")});
    EXPECT_EQ(data->text(), QStringLiteral("受注 明細"));
    EXPECT_EQ(tree.dragDropMode(), QAbstractItemView::DragOnly);
    EXPECT_EQ(tree.defaultDropAction(), Qt::CopyAction);
}

}  // namespace
}  // namespace varkel::test
