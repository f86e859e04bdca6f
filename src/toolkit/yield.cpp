#include "toolkit/yield.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QWindow>

namespace varkel {

namespace {

// The clock is looked at once every so many items: an item costs about a microsecond.
constexpr unsigned kItemsPerLook = 512;

// Holds back every close while it is installed, noting what was to close.
class CloseCatcher : public QObject {
  public:
    explicit CloseCatcher(QList<QPointer<QObject>>& closes) : closes_(closes) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~CloseCatcher() override { QCoreApplication::instance()->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Close) return false;
        // A window's close is its widget's: it is the widget that is asked again.
        QObject* target = watched;
        if (watched->isWindowType())
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (widget->windowHandle() == watched) target = widget;
        if (!closes_.contains(target)) closes_.append(target);
        event->ignore();
        return true;
    }

  private:
    QList<QPointer<QObject>>& closes_;
};

}  // namespace

void DoEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

PaintYield::~PaintYield() {
    // Each window or widget asked to close meanwhile is asked again, once the work is done.
    for (const QPointer<QObject>& target : closes_)
        if (target) QMetaObject::invokeMethod(target, "close", Qt::QueuedConnection);
}

void PaintYield::operator()() {
    if (++calls_ % kItemsPerLook != 0) return;
    if (!since_.isValid()) {
        since_.start();
        if (everyMs_ > 0) return;
    }
    if (since_.elapsed() < everyMs_ || !QCoreApplication::instance()) return;
    const bool hold = held_ && !held_->updatesEnabled();
    if (hold) held_->setUpdatesEnabled(true);
    {
        CloseCatcher catcher(closes_);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        // A timer that ran just now may have asked for a repaint: it is done now, not a yield
        // later.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    }
    if (hold && held_) held_->setUpdatesEnabled(false);
    since_.start();
}

}  // namespace varkel
