#include "toolkit/yield.h"

#include <QCoreApplication>

namespace varkel {

void DoEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace varkel
