#include "ui/tree/tree_pane.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QTabBar>

#include "db/odbc_comm.h"
#include "toolkit/message_box.h"
#include "toolkit/yield.h"
#include "ui/frame/main_menus.h"
#include "ui/tree/catalog_node.h"
#include "ui/tree/object_tree_widget.h"

namespace varkel {

namespace {

const QString kTitle = QStringLiteral("TABLE/VIEW/SYNONYMの取得");
const QString kCategories[] = {QStringLiteral("TABLE"), QStringLiteral("VIEW"),
                               QStringLiteral("SYNONYM")};

// Disables the tree while it lives (a column fetch yields, and a second expand or a refill
// must not start meanwhile); then restores the state it found. The focus the disabled tree had
// to give up comes back to it, unless the user put it somewhere else meanwhile.
class TreeDisabled {
  public:
    explicit TreeDisabled(QWidget* tree)
        : tree_(tree), was_(tree->isEnabled()), focused_(tree->hasFocus()) {
        tree_->setEnabled(false);
        if (focused_) movedTo_ = QApplication::focusWidget();
    }
    ~TreeDisabled() {
        if (!tree_) return;
        tree_->setEnabled(was_);
        if (focused_ && was_ && QApplication::focusWidget() == movedTo_)
            tree_->setFocus(Qt::OtherFocusReason);
    }
    TreeDisabled(const TreeDisabled&) = delete;
    TreeDisabled& operator=(const TreeDisabled&) = delete;

  private:
    QPointer<QWidget> tree_;
    bool was_;
    bool focused_;
    QWidget* movedTo_ = nullptr;  // compared only
};

QTreeWidgetItem* NewNode(const QString& text, const QString& tag, const QIcon& image,
                         const ObjectOwner& owner = {}) {
    return new CatalogNode(text, tag, image, owner);
}

}  // namespace

ObjectTree::ObjectTree(DbSession& session, ObjectTreeWidget* TreeView1, QTabBar* TabObjects,
                       MainMenus& menus, QString& U_id, QObject* parent)
    : QObject(parent),
      session_(session),
      tree_(TreeView1),
      tabs_(TabObjects),
      menus_(menus),
      U_id_(U_id) {
    connect(tree_, &QTreeWidget::itemExpanded, this, &ObjectTree::onExpanded);
    connect(tree_, &ObjectTreeWidget::nodeMenuRequested, this, &ObjectTree::onNodeMenu);
    // A click on the current tab applies its rule again; the keyboard changes the current tab.
    connect(tabs_, &QTabBar::tabBarClicked, this,
            [this](int index) { ShowCategory(tabs_->tabData(index).toString()); });
    connect(tabs_, &QTabBar::currentChanged, this,
            [this](int index) { ShowCategory(tabs_->tabData(index).toString()); });
    // The tabs stand one above the other: Up and Down step through them too.
    tabs_->installEventFilter(this);
    connect(menus_.mn_get_tables, &QAction::triggered, this, [this] {
        if (IsConnected(session_)) FillTree();
    });
}

bool ObjectTree::eventFilter(QObject* watched, QEvent* event) {
    if (watched != tabs_ || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() != Qt::NoModifier) return false;
    if (key->key() != Qt::Key_Up && key->key() != Qt::Key_Down) return false;
    const int next = tabs_->currentIndex() + (key->key() == Qt::Key_Up ? -1 : 1);
    if (next >= 0 && next < tabs_->count()) tabs_->setCurrentIndex(next);
    return true;
}

QTreeWidgetItem* ObjectTree::category(const QString& key) const {
    for (int i = 0; i < tree_->topLevelItemCount(); ++i)
        if (NodeKey(tree_->topLevelItem(i)) == key) return tree_->topLevelItem(i);
    return nullptr;
}

ObjectTree::NodePlace ObjectTree::placeOf(QTreeWidgetItem* node) const {
    NodePlace place{filling_, {}};
    for (QTreeWidgetItem* n = node; n; n = n->parent())
        place.path.prepend(n->parent() ? n->parent()->indexOfChild(n)
                                       : tree_->indexOfTopLevelItem(n));
    return place;
}

QTreeWidgetItem* ObjectTree::find(const NodePlace& place) const {
    if (place.filling != filling_ || place.path.isEmpty()) return nullptr;
    QTreeWidgetItem* node = tree_->topLevelItem(place.path.first());
    for (qsizetype i = 1; node && i < place.path.size(); ++i)
        node = node->child(place.path[i]);
    return node;
}

QTreeWidgetItem* ObjectTree::clickedNode() const {
    return find(clicked_);
}

void ObjectTree::setClickedNode(QTreeWidgetItem* node) {
    clicked_ = node ? placeOf(node) : NodePlace{};
}

bool ObjectTree::lost() const {
    if (IsConnected(session_)) return false;
    if (connectionLost) connectionLost();
    return true;
}

bool ObjectTree::askAllOwners(const QString& firstLine) const {
    return ShowMessageBox(firstLine + QStringLiteral("\r\n") +
                              QStringLiteral("テーブルオーナー無視で、再取得しますか？"),
                          MsgButtons::YesNo, MsgIcon::Question, kTitle) == MsgResult::Yes;
}

void ObjectTree::addObjects(const QString& key, const QStringList& names,
                            const QList<ObjectOwner>& owners, const QString& tag) {
    QTreeWidgetItem* parent = category(key);
    const QIcon image = images_.image(tag);
    const QString placeholder = QStringLiteral("Columns 取得中...");
    const QString dummy = QStringLiteral("dummy");
    QList<QTreeWidgetItem*> nodes;
    nodes.reserve(names.size());
    PaintYield paint(tree_);
    for (qsizetype i = 0; i < names.size(); ++i) {
        QTreeWidgetItem* node = NewNode(names[i], tag, image, owners.value(i));
        node->addChild(NewNode(placeholder, dummy, QIcon()));
        nodes << node;
        paint();
    }
    parent->addChildren(nodes);  // one insertion per category
}

bool ObjectTree::queryCatalog() {
    return !takeCursor || takeCursor();
}

void ObjectTree::FillTree() {
    if (clearSearchResults) clearSearchResults();
    ++filling_;
    clicked_ = {};
    // A listing that fails or is declined leaves no objects, not the last database's.
    lists_ = ObjectLists{};
    tree_->clear();
    tree_->repaint();
    const std::pair<const char*, const char*> categories[] = {
        {"TABLE", "tables"}, {"VIEW", "views"}, {"SYNONYM", "synonyms"}};
    for (const auto& [key, tag] : categories) {
        QTreeWidgetItem* node = NewNode(QString::fromLatin1(key), QString::fromLatin1(tag),
                                        images_.image(QStringLiteral("tables")));
        node->setData(0, node_data::kKey, QString::fromLatin1(key));
        tree_->addTopLevelItem(node);
    }
    CatalogObjects tables, views, others;
    if (!queryCatalog()) return;
    DbStatus status = ListTables(session_, U_id_, tables, views, others);
    // Without an owner the query already asked for every owner: asking again would repeat it,
    // so there is no question, only the failure.
    const bool owned = !U_id_.isEmpty();
    bool again = false;
    if (status != 0 && lost()) return;  // asking about owners would be no use
    if (status != 0) {
        if (owned && !askAllOwners(QStringLiteral("TABLE/VIEW/SYNONYMの取得に失敗しました。")))
            return;
        again = true;
    } else if (owned && tables.count() == 0 && views.count() == 0) {  // synonyms do not count
        if (!askAllOwners(QStringLiteral("TABLE/VIEW/SYNONYMが取得できませんでした。"))) return;
        again = true;
    }
    if (again) {
        if (owned) {
            if (!queryCatalog()) return;
            status = ListTables(session_, QString(), tables, views, others);
        }
        if (status != 0 && lost()) return;
        if (status != 0) {
            ShowMessageBox(QStringLiteral("TABLE/VIEW/SYNONYMが取得できません。"), MsgButtons::Ok,
                           MsgIcon::Critical, kTitle);
            return;
        }
        // Every later column and key query of this connection runs without an owner too.
        U_id_.clear();
    }
    lists_.TblName = tables.names;
    lists_.TblOwner = tables.owners;
    lists_.Tbl_num = tables.count();
    lists_.ViewName = views.names;
    lists_.ViewOwner = views.owners;
    lists_.View_num = views.count();
    lists_.SynmName = others.names;
    lists_.SynmOwner = others.owners;
    lists_.Synm_num = others.count();

    tree_->setUpdatesEnabled(false);
    addObjects(QStringLiteral("TABLE"), tables.names, tables.owners, QStringLiteral("table"));
    addObjects(QStringLiteral("VIEW"), views.names, views.owners, QStringLiteral("view"));
    addObjects(QStringLiteral("SYNONYM"), others.names, others.owners, QStringLiteral("synonym"));
    category(QStringLiteral("TABLE"))->setText(0, QStringLiteral("TABLE(%1)").arg(lists_.Tbl_num));
    category(QStringLiteral("VIEW"))->setText(0, QStringLiteral("VIEW(%1)").arg(lists_.View_num));
    category(QStringLiteral("SYNONYM"))
        ->setText(0, QStringLiteral("SYNONYM(%1)").arg(lists_.Synm_num));
    tree_->setUpdatesEnabled(true);

    const int tableTab = 1;
    if (tabs_->currentIndex() != tableTab)
        tabs_->setCurrentIndex(tableTab);  // applies the rule through currentChanged
    else
        ShowCategory(QStringLiteral("TABLE"));
}

void ObjectTree::ShowCategory(const QString& key) {
    if (tree_->topLevelItemCount() == 0) return;
    const bool all = key == QStringLiteral("ALL");
    tree_->setUpdatesEnabled(false);
    for (const QString& name : kCategories)
        if (QTreeWidgetItem* node = category(name)) node->setExpanded(all || name == key);
    tree_->setUpdatesEnabled(true);
    QTreeWidgetItem* selected = category(all ? QStringLiteral("TABLE") : key);
    if (!selected) return;
    tree_->setCurrentItem(selected);
    tree_->scrollToItem(selected, QAbstractItemView::PositionAtTop);
    tree_->setFocus();
}

bool ObjectTree::GetColumns(QTreeWidgetItem* node, ColumnList& columns) {
    columns = ColumnList{};
    if (!IsConnected(session_) || !node) return false;
    const NodePlace place = placeOf(node);
    TreeDisabled disabled(tree_);
    // Finds the node again after a yield; anything may have happened meanwhile.
    auto stillThere = [&] { return IsConnected(session_) && find(place) == node; };
    DoEvents();
    if (!stillThere()) return false;
    const QString kind = NodeKey(node->parent());
    const QString name = node->text(0);
    const ObjectOwner where = NodeOwner(node);
    if (!queryCatalog()) return false;
    if (ListColumns(session_, where, name, ColumnList::kMaxColumns, columns.Col_num,
                    columns.ColName, columns.ColDesc) != 0) {
        lost();
        return false;
    }
    DoEvents();
    if (!stillThere()) return false;
    columns.ColKeySeq.assign(static_cast<size_t>(columns.Col_num), 0);
    if (kind == QStringLiteral("TABLE") || kind == QStringLiteral("SYNONYM")) {
        // A failed key query leaves the columns without key positions.
        if (queryCatalog() &&
            MarkKeyColumns(session_, where, name, columns.Col_num, columns.ColName,
                           columns.ColKeySeq) != 0 &&
            lost())
            return false;
    }
    DoEvents();
    return stillThere();
}

void ObjectTree::AddColumnNodes(QTreeWidgetItem* node, const ColumnList& columns) {
    const QString kind = NodeKey(node->parent());
    const bool table = kind == QStringLiteral("TABLE");
    const QIcon columnImage =
        images_.image(table || kind == QStringLiteral("SYNONYM") ? QStringLiteral("col")
                                                                 : QStringLiteral("col_v"));
    const QIcon descImage = images_.image(QStringLiteral("desc"));
    const QString colname = QStringLiteral("colname"), coltype = QStringLiteral("coltype"),
                  pkey = QStringLiteral("pkey");
    QList<QTreeWidgetItem*> nodes;
    nodes.reserve(columns.Col_num);
    for (int i = 0; i < columns.Col_num; ++i) {
        QTreeWidgetItem* column = NewNode(columns.ColName.value(i), colname, columnImage);
        column->addChild(NewNode(columns.ColDesc.value(i), coltype, descImage));
        const int position = static_cast<size_t>(i) < columns.ColKeySeq.size()
                                 ? columns.ColKeySeq[static_cast<size_t>(i)]
                                 : 0;
        if (table && position > 0)
            column->addChild(NewNode(QStringLiteral("Primary Key #") + QString::number(position),
                                     pkey, descImage));
        nodes << column;
    }
    node->addChildren(nodes);
    DoEvents();
}

void ObjectTree::onExpanded(QTreeWidgetItem* node) {
    const QString tag = NodeTag(node);
    if (tag != QStringLiteral("table") && tag != QStringLiteral("view") &&
        tag != QStringLiteral("synonym"))
        return;
    QTreeWidgetItem* placeholder = node->child(0);
    if (!placeholder || NodeTag(placeholder) != QStringLiteral("dummy")) return;
    // The placeholder is taken first: an expand during the fetch's yields fetches nothing.
    placeholder->setData(0, node_data::kTag, QStringLiteral("fetching"));
    const NodePlace place = placeOf(node);
    const NodePlace placeholderPlace = placeOf(placeholder);
    TreeDisabled disabled(tree_);
    ColumnList columns;
    const bool fetched = GetColumns(node, columns);
    node = find(place);
    if (!node) return;  // refilled meanwhile
    tree_->setUpdatesEnabled(false);
    if (fetched) AddColumnNodes(node, columns);
    if (find(placeholderPlace) == placeholder) delete placeholder;
    tree_->setUpdatesEnabled(true);
}

void ObjectTree::onNodeMenu(QTreeWidgetItem* node, const QPoint& at) {
    tree_->setCurrentItem(node);
    setClickedNode(node);
    const QString tag = NodeTag(node);
    if (tag == QStringLiteral("table") || tag == QStringLiteral("view") ||
        tag == QStringLiteral("synonym")) {
        emit objectMenuAboutToShow(node);
        menus_.mn_mouse->popup(at);
    } else if (tag == QStringLiteral("tables") || tag == QStringLiteral("views") ||
               tag == QStringLiteral("synonyms")) {
        if (IsConnected(session_)) menus_.mn_mouse2->popup(at);
    } else {
        emit columnMenuAboutToShow(node);
        menus_.mn_mouse4->popup(at);
    }
}

}  // namespace varkel
