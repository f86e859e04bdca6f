#include "ui/tree/object_search.h"

#include <QTreeWidgetItem>

#include "ui/tree/object_lists.h"

namespace varkel {

namespace {

bool IsCategoryTag(const QString& tag) {
    return tag == u"tables" || tag == u"views" || tag == u"synonyms";
}

}  // namespace

bool IsObjectTag(const QString& tag) {
    return tag == u"table" || tag == u"view" || tag == u"synonym";
}

bool NameContains(const QString& name, const QString& text) {
    return name.contains(text, Qt::CaseInsensitive);
}

QString FoundLabelText(int count, const QString& text) {
    return QStringLiteral("検出(") + QString::number(count) + QStringLiteral(")：") + text;
}

QString NoSearchLabelText() {
    return QStringLiteral("検出：");
}

QString SearchingLabelText() {
    return QStringLiteral("検索中．．．");
}

int FoundListHeight(int items, int listHeight, int treeHeight) {
    if (items == 0) return 0;
    if (listHeight < 100 && treeHeight > 3000) return 1800;
    return listHeight;
}

std::optional<MainGeometry> DragFoundBoundary(MainGeometry g, const WindowMetrics& m, int newTop) {
    const int bottom = m.statusBarShown ? m.innerHeight - m.statusBarHeight : m.innerHeight;
    const int listTop = newTop + g.foundFrame.height;
    if (newTop < g.tree.top + 500 || bottom - listTop < 0) return std::nullopt;
    g.tree.height = newTop - g.tree.top;
    g.foundFrame.top = newTop;
    g.foundList.top = listTop;
    g.foundList.height = bottom - listTop;
    return g;
}

QList<QTreeWidgetItem*> FindObjects(const QList<QTreeWidgetItem*>& categories, const QString& text,
                                    const QBrush& plainText) {
    QList<QTreeWidgetItem*> found;
    for (QTreeWidgetItem* category : categories) {
        if (!category) continue;
        for (int i = 0; i < category->childCount(); ++i) {
            QTreeWidgetItem* node = category->child(i);
            if (text.isEmpty())
                node->setForeground(0, plainText);
            else if (NameContains(node->text(0), text))
                found << node;
            else if (node->isExpanded())
                node->setExpanded(false);
        }
    }
    return found;
}

QTreeWidgetItem* SearchTreeFrom(QTreeWidgetItem* selected, const QString& text, bool forward) {
    if (!selected) return nullptr;
    QTreeWidgetItem* start = selected;
    bool testStart = true;
    const QString tag = NodeTag(selected);
    if (IsCategoryTag(tag)) {
        start = selected->child(0);
    } else if (IsObjectTag(tag)) {
        testStart = false;
    } else {
        while (start && !IsObjectTag(NodeTag(start)))
            start = start->parent();
    }
    if (!start || !start->parent()) return nullptr;
    QTreeWidgetItem* category = start->parent();
    const int step = forward ? 1 : -1;
    int i = category->indexOfChild(start);
    if (!testStart) i += step;
    for (; i >= 0 && i < category->childCount(); i += step)
        if (NameContains(category->child(i)->text(0), text)) return category->child(i);
    return nullptr;
}

}  // namespace varkel
