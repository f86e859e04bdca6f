#pragma once

#include <QBrush>
#include <QList>
#include <QString>
#include <optional>

#include "ui/frame/layout_rules.h"

class QTreeWidgetItem;

// Finding database objects in the object tree by a part of their names.
namespace varkel {

// True for the tags of table, view and synonym nodes.
bool IsObjectTag(const QString& tag);

// True when `name` holds `text` anywhere, without regard to case.
bool NameContains(const QString& name, const QString& text);

// The text of the label above the search results.
QString FoundLabelText(int count, const QString& text);
QString NoSearchLabelText();
QString SearchingLabelText();

// The results list's height (twips) after a search that leaves it `items` entries: opened to
// 1800 when it was nearly closed and the tree has room, closed when empty, else as it was.
int FoundListHeight(int items, int listHeight, int treeHeight);

// The boundary between the tree and the results dragged to `newTop` (the results frame's top);
// nothing when the tree would be shorter than 500 or the results list would not fit.
std::optional<MainGeometry> DragFoundBoundary(MainGeometry g, const WindowMetrics& m, int newTop);

// Every object node of the categories, in their order and the tree's, whose name holds `text`.
// The others are collapsed. An empty text finds nothing, collapses nothing and gives every
// object node the colour `plainText`.
QList<QTreeWidgetItem*> FindObjects(const QList<QTreeWidgetItem*>& categories, const QString& text,
                                    const QBrush& plainText);

// The object node after (forward) or before the selected node, in its own category, whose name
// holds `text`; a category node starts at its first object, a column or description node at its
// own object. None when nothing matches before the category ends.
QTreeWidgetItem* SearchTreeFrom(QTreeWidgetItem* selected, const QString& text, bool forward);

}  // namespace varkel
