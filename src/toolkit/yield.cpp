#include "toolkit/yield.h"

#include <QCoreApplication>

namespace varkel {

namespace {

// Under the 100 ms after which a window that does not repaint is seen as frozen.
constexpr qint64 kPaintEveryMs = 25;
// The clock is looked at once every so many items: an item costs about a microsecond.
constexpr unsigned kItemsPerLook = 512;

}  // namespace

void DoEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void PaintYield::operator()() {
    if (++calls_ % kItemsPerLook != 0) return;
    if (!since_.isValid()) {
        since_.start();
        return;
    }
    if (since_.elapsed() < kPaintEveryMs) return;
    const bool hold = held_ && !held_->updatesEnabled();
    if (hold) held_->setUpdatesEnabled(true);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // A timer that ran just now may have asked for a repaint: it is done now, not a yield later.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    if (hold && held_) held_->setUpdatesEnabled(false);
    since_.start();
}

}  // namespace varkel
