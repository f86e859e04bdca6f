#pragma once

#include "ui/tree/object_lists.h"

class QTreeWidget;

namespace varkel {

class KeyedStatusBar;
class ResultSorter;
class ObjectTree;
class SqlExecutor;

// Where the column view is shown: the result list with its panels.
struct ColumnViewTargets {
    QTreeWidget* ListView1 = nullptr;
    KeyedStatusBar* StatusBar1 = nullptr;
    SqlExecutor* executor = nullptr;
    ResultSorter* sorter = nullptr;  // the view is sorted as a new result: not at first
};

// Shows the columns of the tree's clicked node in the result list instead of a query result:
// all attributes or the names only. The last query's result columns stay as they were.
void ShowColumnView(ObjectTree& tree, const ColumnViewTargets& targets, bool ShowAllColumnInfo);

// The list part of it: headers, one row per column, fitted widths.
void FillColumnView(QTreeWidget* list, const ColumnList& columns, bool ShowAllColumnInfo);

}  // namespace varkel
