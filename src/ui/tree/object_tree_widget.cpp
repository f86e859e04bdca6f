#include "ui/tree/object_tree_widget.h"

#include <QContextMenuEvent>
#include <QMimeData>

#include "toolkit/menu_keys.h"

namespace varkel {

ObjectTreeWidget::ObjectTreeWidget(QWidget* parent) : QTreeWidget(parent) {
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    // Tens of thousands of objects: rows of one height keep expanding a category fast.
    setUniformRowHeights(true);
    MenuKeysOpenContextMenu(this);
}

QStringList ObjectTreeWidget::mimeTypes() const {
    return {QStringLiteral("text/plain")};
}

QMimeData* ObjectTreeWidget::mimeData(const QList<QTreeWidgetItem*>& items) const {
    if (items.isEmpty()) return nullptr;
    auto* data = new QMimeData;
    data->setText(items.first()->text(0));
    return data;
}

void ObjectTreeWidget::startDrag(Qt::DropActions) {
    QTreeWidget::startDrag(Qt::CopyAction);
}

void ObjectTreeWidget::contextMenuEvent(QContextMenuEvent* event) {
    QTreeWidgetItem* node = nullptr;
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        node = itemAt(event->pos());
    } else {  // the key: the current node, with the menu at its row
        node = currentItem();
        if (node) {
            const QRect row = visualItemRect(node);
            at = viewport()->mapToGlobal(QPoint(row.left() + 16, row.bottom()));
        }
    }
    event->accept();
    if (node) emit nodeMenuRequested(node, at);
}

}  // namespace varkel
