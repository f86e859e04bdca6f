#include "ui/results/result_list_view.h"

#include <QAccessible>
#include <algorithm>

#include "ui/results/result_list_accessible.h"

namespace varkel {

namespace {

// An event on the cell at `index`; on the end marker, a focus event is the list's own and
// a selection event none.
void Notify(ResultListView* list, QAccessible::Event type, const QModelIndex& index) {
    const int child = list->accessibleChild(index);
    if (child < 0 && type != QAccessible::Focus) return;
    QAccessibleEvent event(list, type);
    event.setChild(child);
    QAccessible::updateAccessibility(&event);
}

}  // namespace

ResultListView::ResultListView(QWidget* parent) : QTreeWidget(parent) {
    QAccessible::installFactory(&CreateResultListAccessible);  // once: Qt keeps no duplicates
    setRootIsDecorated(false);
    // Every row is one line: the list never asks each of 10,000 rows for its height.
    setUniformRowHeights(true);
    setColumnCount(0);
    setAlternatingRowColors(true);
}

int ResultListView::accessibleColumnCount() const {
    return std::max(0, columnCount() - 1);
}

int ResultListView::accessibleChild(const QModelIndex& index) const {
    const int columns = accessibleColumnCount();
    if (!index.isValid() || index.model() != model() || index.column() >= columns) return -1;
    return (index.row() + 1) * columns + index.column();
}

// The tree view's own versions of these two number the cells with the end marker counted; the
// events are sent here in the list's accessible numbering instead.
void ResultListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QAbstractItemView::currentChanged(current, previous);
    if (allColumnsShowFocus()) viewport()->update();
    if (QAccessible::isActive() && current.isValid() && hasFocus())
        Notify(this, QAccessible::Focus, current);
}

void ResultListView::selectionChanged(const QItemSelection& selected,
                                      const QItemSelection& deselected) {
    QAbstractItemView::selectionChanged(selected, deselected);
    if (!QAccessible::isActive()) return;
    Notify(this, QAccessible::SelectionAdd, selected.indexes().value(0));
    Notify(this, QAccessible::SelectionRemove, deselected.indexes().value(0));
}

}  // namespace varkel
