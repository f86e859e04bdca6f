#include "ui/results/result_keys.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include "toolkit/desktop.h"
#include "toolkit/menu_keys.h"
#include "ui/results/result_copy_menu.h"
#include "ui/results/result_sorter.h"

namespace varkel {

namespace {

// Outlines the current cell, so that it shows within the highlighted row with or without focus.
class CurrentCellDelegate : public QStyledItemDelegate {
  public:
    explicit CurrentCellDelegate(QTreeWidget* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        if (index != list_->currentIndex()) return;
        painter->save();
        painter->setPen(QPen(option.palette.color(QPalette::Text), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
        painter->restore();
    }

  private:
    QTreeWidget* list_;
};

}  // namespace

ResultKeys::ResultKeys(QTreeWidget* list, ResultSorter* sorter, ResultCopyMenu* copyMenu,
                       QObject* parent)
    : QObject(parent), list_(list), sorter_(sorter), copyMenu_(copyMenu) {
    list_->setItemDelegate(new CurrentCellDelegate(list_));
    list_->installEventFilter(this);
    MenuKeysOpenContextMenu(list_);
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &ResultKeys::announce);
}

int ResultKeys::lastColumn() const {
    return list_->columnCount() - 2;
}

void ResultKeys::announce(const QModelIndex& current, const QModelIndex& previous) {
    // The cell's name is its value; its description, set on the current cell only so that
    // the rows keep no copies, is its column's name.
    QAbstractItemModel* model = list_->model();
    if (previous.isValid() && previous.model() == model)
        model->setData(previous, QVariant(), Qt::AccessibleDescriptionRole);
    if (!current.isValid() || current.column() > lastColumn()) return;
    model->setData(current, list_->headerItem()->text(current.column()),
                   Qt::AccessibleDescriptionRole);
}

void ResultKeys::moveColumn(int step) {
    const QModelIndex current = list_->currentIndex();
    if (!current.isValid()) return;
    const int column = std::clamp(current.column() + step, 0, std::max(0, lastColumn()));
    const QModelIndex next = current.siblingAtColumn(column);
    list_->selectionModel()->setCurrentIndex(
        next, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list_->scrollTo(next);
    list_->viewport()->update();
}

void ResultKeys::openMenu() {
    const QModelIndex current = list_->currentIndex();
    if (!current.isValid()) return;
    list_->scrollTo(current);
    // The right click's own path, at the middle of the current cell.
    const QPoint at = list_->visualRect(current).center();
    copyMenu_->ListView1_MouseUp(at, list_->viewport()->mapToGlobal(at));
}

void ResultKeys::copyCell() {
    const QModelIndex current = list_->currentIndex();
    if (!current.isValid() || current.column() > lastColumn()) return;
    ClearClipboard();
    SetClipboardText(current.data().toString());
}

bool ResultKeys::eventFilter(QObject* watched, QEvent* event) {
    if (watched != list_) return false;
    if (event->type() == QEvent::ContextMenu) {
        if (static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Keyboard)
            return false;
        openMenu();
        return true;
    }
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier && (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right)) {
        moveColumn(key->key() == Qt::Key_Left ? -1 : 1);
        return true;
    }
    if (mods == Qt::ControlModifier && key->key() == Qt::Key_C) {
        copyCell();
        return true;
    }
    if (mods == (Qt::ControlModifier | Qt::ShiftModifier) && key->key() == Qt::Key_S) {
        const QModelIndex current = list_->currentIndex();
        if (current.isValid()) sorter_->ListView1_ColumnClick(current.column() + 1);
        return true;
    }
    return false;
}

}  // namespace varkel
