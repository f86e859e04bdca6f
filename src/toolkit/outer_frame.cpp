#include "toolkit/outer_frame.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace varkel {

namespace {

constexpr auto kFrameMarker = "varkelOuterFrameKeeper";
constexpr auto kWantedFrame = "varkelWantedFrame";  // set while the frame is awaited

// The frame the window manager gave the window; none before it is framed.
QMargins FrameMargins(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle && window->isVisible() ? handle->frameMargins() : QMargins();
}

void Fit(QWidget* window, const QRect& frame, const QMargins& margins) {
    const QSize inner(std::max(1, frame.width() - margins.left() - margins.right()),
                      std::max(1, frame.height() - margins.top() - margins.bottom()));
    if (margins.isNull()) {
        window->resize(inner);
        window->move(frame.topLeft());  // a window's position is its frame's
    } else {
        window->setGeometry(QRect(frame.topLeft() + QPoint(margins.left(), margins.top()), inner));
    }
}

// Waits on its window until the window manager has framed it, then fits the window into the
// wanted outer rectangle once. A window that never gets a frame already covers it.
class OuterFrameKeeper : public QObject {
  public:
    OuterFrameKeeper(QWidget* window, const QRect& frame) : QObject(window), frame_(frame) {
        setObjectName(QString::fromLatin1(kFrameMarker));
        polling_.setInterval(50);
        connect(&polling_, &QTimer::timeout, this, &OuterFrameKeeper::tryFit);
        window->installEventFilter(this);
        if (window->isVisible()) {
            window_ = window;
            polling_.start();
        }
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize ||
            type == QEvent::WindowActivate) {
            // The frame's size arrives with the window manager's own events, which need not
            // move or resize the window: look after they have been handled, for a while.
            tries_ = 0;
            if (!polling_.isActive()) polling_.start();
            window_ = static_cast<QWidget*>(watched);
        }
        return false;
    }

  private:
    void tryFit() {
        if (done_ || !window_ || !window_->isVisible() || ++tries_ > kTries) {
            polling_.stop();
            return;
        }
        const QMargins margins = FrameMargins(window_);
        if (margins.isNull()) return;
        done_ = true;
        polling_.stop();
        window_->removeEventFilter(this);
        window_->setProperty(kWantedFrame, QVariant());
        Fit(window_, frame_, margins);
        deleteLater();
    }

    static constexpr int kTries = 40;  // every 50 ms: two seconds after the last event
    QPointer<QWidget> window_;
    QTimer polling_;
    int tries_ = 0;
    QRect frame_;
    bool done_ = false;
};

}  // namespace

void PlaceOuterFrame(QWidget* window, const QRect& frame) {
    delete window->findChild<QObject*>(QString::fromLatin1(kFrameMarker),
                                       Qt::FindDirectChildrenOnly);
    const QMargins margins = window->isVisible() ? FrameMargins(window) : QMargins();
    Fit(window, frame, margins);
    window->setProperty(kWantedFrame, margins.isNull() ? QVariant(frame) : QVariant());
    if (margins.isNull()) new OuterFrameKeeper(window, frame);
}

QRect OuterFrame(const QWidget* window) {
    // Until the frame has been fitted, the window stands for the place it was given.
    const QVariant wanted = window->property(kWantedFrame);
    if (wanted.isValid() && !FrameMargins(window).isNull()) return wanted.toRect();
    return window->frameGeometry();
}

}  // namespace varkel
