#include "ui/main/drag_handles.h"

#include <QMouseEvent>
#include <QWidget>

#include "toolkit/twips.h"

namespace varkel {

void DragHandles::add(QWidget* handle, Handle id, const QList<QWidget*>& passThrough) {
    entries_.insert(handle, {handle, id});
    handle->installEventFilter(this);
    for (QWidget* w : passThrough) {
        entries_.insert(w, {handle, id});
        w->installEventFilter(this);
    }
}

bool DragHandles::eventFilter(QObject* watched, QEvent* event) {
    const auto it = entries_.constFind(watched);
    if (it == entries_.constEnd()) return false;
    const Entry entry = *it;
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    // Where the pointer is on the handle itself, also when it is over a label lying on it.
    const QPoint pos =
        static_cast<QWidget*>(watched)->mapTo(entry.handle->window(), mouse->position().toPoint());
    const QPoint onHandle = entry.handle->mapFrom(entry.handle->window(), pos);
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
        dragging_ = true;
        down_ = onHandle;
        return watched != entry.handle;
    }
    if (type == QEvent::MouseButtonRelease) {
        dragging_ = false;
        return false;
    }
    if (dragging_ && (mouse->buttons() & Qt::LeftButton)) {
        const QPoint d = onHandle - down_;
        if (!d.isNull()) emit dragged(entry.id, PixelsToTwipsX(d.x()), PixelsToTwipsY(d.y()));
    }
    return false;
}

}  // namespace varkel
