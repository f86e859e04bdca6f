#include "ui/results/result_list_accessible.h"

#include <QHeaderView>
#include <utility>

#include "ui/results/result_list_cells.h"
#include "ui/results/result_list_view.h"

namespace varkel {

ResultListAccessible::ResultListAccessible(ResultListView* list)
    : QAccessibleWidget(list, QAccessible::Tree) {}

ResultListAccessible::~ResultListAccessible() {
    for (const QAccessible::Id id : std::as_const(cells_))
        QAccessible::deleteAccessibleInterface(id);
    for (const QAccessible::Id id : std::as_const(headers_))
        QAccessible::deleteAccessibleInterface(id);
}

ResultListView* ResultListAccessible::list() const {
    return static_cast<ResultListView*>(widget());
}

int ResultListAccessible::columnCount() const {
    return list()->accessibleColumnCount();
}

int ResultListAccessible::rowCount() const {
    return list()->topLevelItemCount();
}

int ResultListAccessible::childCount() const {
    return columnCount() * (rowCount() + 1);
}

QAccessibleInterface* ResultListAccessible::child(int index) const {
    const int columns = columnCount();
    if (index < 0 || columns == 0) return nullptr;
    if (index < columns) return headerCell(index);
    return cellAt(index / columns - 1, index % columns);
}

int ResultListAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (!child || child->parent() != this) return -1;
    if (child->role() == QAccessible::ColumnHeader)
        return static_cast<int>(
            headers_.indexOf(QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child))));
    const auto* cell = dynamic_cast<const ResultListCell*>(child);
    return cell ? list()->accessibleChild(cell->index()) : -1;
}

QAccessibleInterface* ResultListAccessible::childAt(int x, int y) const {
    const QPoint global(x, y);
    const QHeaderView* header = list()->header();
    const QPoint onHeader = header->viewport()->mapFromGlobal(global);
    if (header->isVisible() && header->viewport()->rect().contains(onHeader)) {
        const int column = header->logicalIndexAt(onHeader);
        return column >= 0 && column < columnCount() ? headerCell(column) : nullptr;
    }
    const QModelIndex index = list()->indexAt(list()->viewport()->mapFromGlobal(global));
    return child(list()->accessibleChild(index));
}

QAccessibleInterface* ResultListAccessible::focusChild() const {
    return child(list()->accessibleChild(list()->currentIndex()));
}

void* ResultListAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface* ResultListAccessible::headerCell(int column) const {
    if (column < 0 || column >= columnCount()) return nullptr;
    while (headers_.size() <= column)
        headers_ << QAccessible::registerAccessibleInterface(
            new ResultListHeaderCell(list(), static_cast<int>(headers_.size())));
    return QAccessible::accessibleInterface(headers_[column]);
}

QAccessibleInterface* ResultListAccessible::cellAt(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return nullptr;
    const QModelIndex index = list()->model()->index(row, column);
    const QPair<int, int> place(row, column);
    if (const auto kept = cells_.constFind(place); kept != cells_.cend()) {
        const auto* cell = dynamic_cast<ResultListCell*>(QAccessible::accessibleInterface(*kept));
        if (cell && cell->index() == index) return QAccessible::accessibleInterface(*kept);
        // The rows moved (a sort, a new result) while no one was told.
        if (cell) QAccessible::deleteAccessibleInterface(*kept);
    }
    QAccessibleInterface* cell = new ResultListCell(list(), index);
    cells_.insert(place, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

void ResultListAccessible::dropMovedCells() const {
    for (auto it = cells_.begin(); it != cells_.end();) {
        const auto* cell = dynamic_cast<ResultListCell*>(QAccessible::accessibleInterface(*it));
        const QModelIndex index = cell ? cell->index() : QModelIndex();
        if (cell && index.isValid() && index.row() == it.key().first &&
            index.column() == it.key().second) {
            ++it;
            continue;
        }
        if (cell) QAccessible::deleteAccessibleInterface(*it);
        it = cells_.erase(it);
    }
}

void ResultListAccessible::modelChange(QAccessibleTableModelChangeEvent* event) {
    switch (event->modelChangeType()) {
        case QAccessibleTableModelChangeEvent::DataChanged:
            return;
        case QAccessibleTableModelChangeEvent::RowsInserted:
            // Rows added at the end, as a fetch adds them, move no cell.
            if (event->lastRow() + 1 >= rowCount()) return;
            break;
        default:
            break;
    }
    dropMovedCells();
}

int ResultListAccessible::selectedCellCount() const {
    return static_cast<int>(selectedCells().size());
}

QList<QAccessibleInterface*> ResultListAccessible::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    for (const QModelIndex& index : list()->selectionModel()->selectedIndexes())
        if (QAccessibleInterface* cell = cellAt(index.row(), index.column())) cells << cell;
    return cells;
}

QString ResultListAccessible::columnDescription(int column) const {
    return column >= 0 && column < columnCount() ? list()->headerItem()->text(column) : QString();
}

QList<int> ResultListAccessible::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : list()->selectionModel()->selectedRows())
        rows << index.row();
    return rows;
}

int ResultListAccessible::selectedRowCount() const {
    return static_cast<int>(selectedRows().size());
}

bool ResultListAccessible::isRowSelected(int row) const {
    return list()->selectionModel()->isRowSelected(row, QModelIndex());
}

bool ResultListAccessible::selectRow(int row) {
    const QModelIndex index = list()->model()->index(row, 0);
    if (!index.isValid() || list()->selectionMode() == QAbstractItemView::NoSelection) return false;
    const auto flags = list()->selectionMode() == QAbstractItemView::SingleSelection
                           ? QItemSelectionModel::ClearAndSelect
                           : QItemSelectionModel::Select;
    list()->selectionModel()->select(index, flags | QItemSelectionModel::Rows);
    return true;
}

bool ResultListAccessible::unselectRow(int row) {
    const QModelIndex index = list()->model()->index(row, 0);
    if (!index.isValid()) return false;
    list()->selectionModel()->select(index,
                                     QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    return true;
}

QAccessibleInterface* CreateResultListAccessible(const QString& key, QObject* object) {
    if (key != QLatin1String(ResultListView::staticMetaObject.className())) return nullptr;
    auto* list = qobject_cast<ResultListView*>(object);
    return list ? new ResultListAccessible(list) : nullptr;
}

}  // namespace varkel
