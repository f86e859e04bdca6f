#include "ui/results/result_list_cells.h"

#include <QHeaderView>

#include "ui/results/header_marks.h"
#include "ui/results/result_list_view.h"

namespace varkel {

namespace {

QRect GlobalRect(const QWidget* widget, const QRect& local) {
    return local.isNull() ? QRect() : local.translated(widget->mapToGlobal(QPoint(0, 0)));
}

}  // namespace

QAccessibleInterface* ResultListPart::parent() const {
    return QAccessible::queryAccessibleInterface(list_.data());
}

ResultListCell::ResultListCell(ResultListView* list, const QModelIndex& index)
    : ResultListPart(list), index_(index) {}

bool ResultListCell::isValid() const {
    return list_ && index_.isValid() && index_.column() < list_->accessibleColumnCount();
}

QString ResultListCell::text(QAccessible::Text t) const {
    if (!isValid()) return {};
    if (t == QAccessible::Name) {
        const QString text = index_.data(Qt::AccessibleTextRole).toString();
        return text.isEmpty() ? index_.data(Qt::DisplayRole).toString() : text;
    }
    if (t == QAccessible::Description) return index_.data(Qt::AccessibleDescriptionRole).toString();
    return {};
}

QRect ResultListCell::rect() const {
    if (!isValid()) return {};
    return GlobalRect(list_->viewport(), list_->visualRect(index_));
}

QAccessible::State ResultListCell::state() const {
    QAccessible::State st;
    if (!isValid()) return st;
    const QRect shown = GlobalRect(list_->viewport(), list_->viewport()->rect());
    st.invisible = !list_->isVisible() || !shown.intersects(rect());
    st.selectable = st.focusable = true;
    st.selected = isSelected();
    st.focused = list_->currentIndex() == QModelIndex(index_);
    return st;
}

void* ResultListCell::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface*>(this);
    if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
}

bool ResultListCell::isSelected() const {
    return isValid() && list_->selectionModel()->isSelected(index_);
}

QList<QAccessibleInterface*> ResultListCell::columnHeaderCells() const {
    QAccessibleInterface* table = parent();
    QAccessibleInterface* header = isValid() && table ? table->child(index_.column()) : nullptr;
    return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
}

QStringList ResultListCell::actionNames() const {
    return {toggleAction()};
}

void ResultListCell::doAction(const QString& name) {
    if (name != toggleAction() || !isValid()) return;
    // Rows are what the list selects.
    if (isSelected())
        list_->selectionModel()->select(index_,
                                        QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    else
        list_->selectionModel()->setCurrentIndex(
            index_, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

ResultListHeaderCell::ResultListHeaderCell(ResultListView* list, int column)
    : ResultListPart(list), column_(column) {}

bool ResultListHeaderCell::isValid() const {
    return list_ && column_ < list_->accessibleColumnCount();
}

QString ResultListHeaderCell::text(QAccessible::Text t) const {
    if (!isValid()) return {};
    if (t == QAccessible::Name) return list_->headerItem()->text(column_);
    if (t == QAccessible::Description) {
        const QString mark = HeaderSortMark(list_, column_);
        return mark == QStringLiteral("SortASC")    ? QStringLiteral("昇順")
               : mark == QStringLiteral("SortDESC") ? QStringLiteral("降順")
                                                    : QString();
    }
    return {};
}

QRect ResultListHeaderCell::rect() const {
    if (!isValid()) return {};
    const QHeaderView* header = list_->header();
    return GlobalRect(header->viewport(), QRect(header->sectionViewportPosition(column_), 0,
                                                header->sectionSize(column_), header->height()));
}

QAccessible::State ResultListHeaderCell::state() const {
    QAccessible::State st;
    st.invisible = !isValid() || !list_->header()->isVisible();
    return st;
}

void* ResultListHeaderCell::interface_cast(QAccessible::InterfaceType type) {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
}

QStringList ResultListHeaderCell::actionNames() const {
    return {pressAction()};
}

QString ResultListHeaderCell::localizedActionName(const QString& name) const {
    return name == pressAction() ? QStringLiteral("並べ替え") : QString();
}

QString ResultListHeaderCell::localizedActionDescription(const QString& name) const {
    return name == pressAction() ? QStringLiteral("昇順、降順、取得順の順に並べ替えます")
                                 : QString();
}

void ResultListHeaderCell::doAction(const QString& name) {
    // The header tells of a click on a section this way; whoever sorts on clicks hears it.
    if (name == pressAction() && isValid()) emit list_->header()->sectionClicked(column_);
}

}  // namespace varkel
