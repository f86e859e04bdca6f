#pragma once

#include <QHash>
#include <QObject>
#include <QPoint>

class QWidget;

namespace varkel {

// The main window's drag handles (splitter, execution frame, search results label, connection
// bar handle). A drag runs only while the left button that started it is held; one drag flag
// serves all handles. Moves are reported in twips relative to where the button went down.
class DragHandles : public QObject {
    Q_OBJECT
  public:
    enum Handle { Splitter, SqlBoundary, FoundBoundary, ConnectionBar };
    using QObject::QObject;

    // `passThrough` widgets lie on the handle and pass their mouse events on to it.
    void add(QWidget* handle, Handle id, const QList<QWidget*>& passThrough = {});
    bool dragging() const { return dragging_; }

  signals:
    void dragged(varkel::DragHandles::Handle handle, int dxTwips, int dyTwips);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Entry {
        QWidget* handle;
        Handle id;
    };
    QHash<QObject*, Entry> entries_;
    bool dragging_ = false;
    QPoint down_;
};

}  // namespace varkel
