#include "ui/toolkit/busy_pointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace varkel {

BusyPointer::BusyPointer() : active_(qGuiApp != nullptr) {
    if (active_) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyPointer::~BusyPointer() {
    if (active_ && qGuiApp) QGuiApplication::restoreOverrideCursor();
}

}  // namespace varkel
