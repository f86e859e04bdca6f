#include "ui/toolkit/outer_frame.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace varkel {

namespace {

constexpr auto kFrameMarker = "varkelOuterFrameKeeper";

QMargins FrameMargins(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

void Fit(QWidget* window, const QRect& frame, const QMargins& margins) {
    window->resize(std::max(1, frame.width() - margins.left() - margins.right()),
                   std::max(1, frame.height() - margins.top() - margins.bottom()));
    window->move(frame.topLeft());  // a window's position is its frame's
}

// Waits on its window until the window manager has framed it, then fits the window into the
// wanted outer rectangle once. A window that never gets a frame already covers it.
class OuterFrameKeeper : public QObject {
  public:
    OuterFrameKeeper(QWidget* window, const QRect& frame) : QObject(window), frame_(frame) {
        setObjectName(QString::fromLatin1(kFrameMarker));
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize) {
            // The frame's size arrives with the window manager's own events: look once they
            // have been handled.
            QTimer::singleShot(0, this,
                               [this, window = QPointer<QWidget>(static_cast<QWidget*>(watched))] {
                                   if (window) tryFit(window);
                               });
        }
        return false;
    }

  private:
    void tryFit(QWidget* window) {
        if (done_ || !window->isVisible()) return;
        const QMargins margins = FrameMargins(window);
        if (margins.isNull()) return;
        done_ = true;
        window->removeEventFilter(this);
        Fit(window, frame_, margins);
        deleteLater();
    }

    QRect frame_;
    bool done_ = false;
};

}  // namespace

void PlaceOuterFrame(QWidget* window, const QRect& frame) {
    delete window->findChild<QObject*>(QString::fromLatin1(kFrameMarker),
                                       Qt::FindDirectChildrenOnly);
    const QMargins margins = window->isVisible() ? FrameMargins(window) : QMargins();
    Fit(window, frame, margins);
    if (margins.isNull()) new OuterFrameKeeper(window, frame);
}

}  // namespace varkel
