#pragma once

#include <QTreeWidget>

namespace varkel {

// The object tree's control: a node is dragged as its plain text with the copy effect only,
// and the pop-up of a node is asked for by the right button and the context-menu key alike.
class ObjectTreeWidget : public QTreeWidget {
    Q_OBJECT
  public:
    explicit ObjectTreeWidget(QWidget* parent = nullptr);

  signals:
    // A right click on a node, or the context-menu key on the current node; `at` is global.
    void nodeMenuRequested(QTreeWidgetItem* node, const QPoint& at);

  protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    void startDrag(Qt::DropActions supportedActions) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

}  // namespace varkel
