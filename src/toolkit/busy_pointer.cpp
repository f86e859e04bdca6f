#include "toolkit/busy_pointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace varkel {

namespace {

// Setting the pointer costs a request to the window system for every window: a pointer that is
// busy already stays as it is.
bool PointerBusy() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}

}  // namespace

BusyPointer::BusyPointer() : active_(qGuiApp != nullptr && !PointerBusy()) {
    if (active_) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyPointer::~BusyPointer() {
    if (active_ && qGuiApp) QGuiApplication::restoreOverrideCursor();
}

}  // namespace varkel
