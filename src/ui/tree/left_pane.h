#pragma once

#include "ui/frame/layout_rules.h"
#include "ui/tree/object_tree_widget.h"

class QComboBox;
class QFrame;
class QLabel;
class QTabBar;
class QToolButton;
class QTreeWidget;
class QWidget;

namespace varkel {

// The left pane: the object search row, the category tabs, the object tree and the search
// results below it.
struct LeftPane {
    QToolButton* Cmd_srch_obj = nullptr;
    QComboBox* CB_srch_obj = nullptr;
    QTabBar* TabObjects = nullptr;
    ObjectTreeWidget* TreeView1 = nullptr;
    QFrame* Fra_Found = nullptr;
    QLabel* L_Found = nullptr;
    QTreeWidget* LV_Found = nullptr;

    void build(QWidget* parent);
    void apply(const MainGeometry& g);
};

}  // namespace varkel
