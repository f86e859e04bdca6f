#include "ui/tree/keyword_list.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "toolkit/menu_keys.h"

namespace varkel {

KeywordList::KeywordList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    MenuKeysOpenContextMenu(this);
}

void KeywordList::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    // A right click opens the menu on the button's release; the keys open it at the keyword.
    if (event->reason() != QContextMenuEvent::Keyboard || !selectedKeyword()) return;
    const QRect row = visualItemRect(selectedItems().first());
    emit menuRequested(viewport()->mapToGlobal(QPoint(row.left() + 16, row.bottom())));
}

std::optional<QString> KeywordList::selectedKeyword() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    if (selected.isEmpty()) return std::nullopt;
    return selected.first()->text();
}

void KeywordList::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    // The list's own row under the pointer, whatever the rows' heights.
    const QModelIndex row = indexAt(event->position().toPoint());
    if (!row.isValid()) {
        clearSelection();
    } else {
        setCurrentRow(row.row());
    }
    if (event->button() == Qt::RightButton && selectedKeyword())
        emit menuRequested(event->globalPosition().toPoint());
}

void KeywordList::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) emit insertRequested();
}

void KeywordList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit insertRequested();
        return;
    }
    QListWidget::keyPressEvent(event);
}

QStringList KeywordList::mimeTypes() const {
    return {QStringLiteral("text/plain")};
}

QMimeData* KeywordList::mimeData(const QList<QListWidgetItem*>& items) const {
    if (items.isEmpty()) return nullptr;
    auto* data = new QMimeData;
    data->setText(items.first()->text());
    return data;
}

void KeywordList::startDrag(Qt::DropActions) {
    QListWidget::startDrag(Qt::CopyAction);
}

}  // namespace varkel
