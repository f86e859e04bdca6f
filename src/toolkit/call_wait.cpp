#include "toolkit/call_wait.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QShortcutEvent>
#include <QWidget>

namespace varkel {

namespace {

// A tick often enough that the once-a-second notice is never late by much.
constexpr int kTickMs = 100;

bool IsStopCommand(const QObject* object) {
    return object && object->property(kStopCommandProperty).toBool();
}

bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::InputMethod:
            return true;
        default:
            return false;
    }
}

bool NavigationKey(int key) {
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Escape:
        case Qt::Key_Alt:
        case Qt::Key_F10:
            return true;
        default:
            return false;
    }
}

}  // namespace

CallWait::CallWait(const CallWaitHooks* hooks, std::function<void()> stop)
    : hooks_(hooks), stop_(std::move(stop)) {
    steady_.start();
    start_ = now();
    ticker_.setInterval(kTickMs);
    connect(&ticker_, &QTimer::timeout, this, &CallWait::tick);
}

CallWait::~CallWait() {
    if (qApp) qApp->removeEventFilter(this);
}

std::int64_t CallWait::now() const {
    return hooks_ && hooks_->clock ? hooks_->clock() : steady_.elapsed();
}

void CallWait::exec() {
    if (finished_) return;
    qApp->installEventFilter(this);
    ticker_.start();
    if (hooks_ && hooks_->started) hooks_->started(*this);
    if (!finished_) loop_.exec();
    ticker_.stop();
    qApp->removeEventFilter(this);
    if (hooks_ && hooks_->ended) hooks_->ended();
}

void CallWait::finish() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            finished_ = true;
            loop_.quit();
        },
        Qt::QueuedConnection);
}

void CallWait::tick() {
    if (finished_) return;
    const std::int64_t out = now() - start_;
    if (out < kFirstNoticeMs) return;
    // Once a second: the notice changes only when the whole seconds do.
    if (lastNotice_ >= 0 && out / 1000 == lastNotice_ / 1000) return;
    lastNotice_ = out;
    if (hooks_ && hooks_->running) hooks_->running(out);
}

bool CallWait::letThrough(QObject* watched, QEvent* event) {
    // A message box asked meanwhile (the close of the window) takes its answer.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (w == modal || modal->isAncestorOf(w)) return true;
        }
        return false;
    }
    if (event->type() == QEvent::Shortcut) return IsStopCommand(watched);
    if (!watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    if (IsStopCommand(w)) return true;
    if (qobject_cast<QMenuBar*>(w)) {  // opening a menu does nothing by itself
        if (event->type() != QEvent::KeyPress) return true;
        return NavigationKey(static_cast<QKeyEvent*>(event)->key());
    }
    if (auto* menu = qobject_cast<QMenu*>(w)) {
        switch (event->type()) {
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
                return IsStopCommand(
                    menu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint()));
            case QEvent::MouseButtonPress:
                return true;
            case QEvent::KeyPress: {
                const int key = static_cast<QKeyEvent*>(event)->key();
                if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)
                    return IsStopCommand(menu->activeAction());
                return NavigationKey(key);
            }
            default:
                return event->type() == QEvent::KeyRelease;
        }
    }
    return false;
}

bool CallWait::eventFilter(QObject* watched, QEvent* event) {
    if (!IsInput(event->type())) return false;
    // A window hands its input on to its widgets, where it is judged.
    if (!watched->isWidgetType() && event->type() != QEvent::Shortcut) return false;
    if (letThrough(watched, event)) return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Not taken by the widget: the shortcut is then judged as a Shortcut event.
        event->ignore();
        return true;
    }
    // Esc outside a menu and a message box is the stop command.
    if (event->type() == QEvent::KeyPress && !QApplication::activeModalWidget() &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        !QApplication::activePopupWidget()) {
        if (hooks_ && hooks_->escape)
            hooks_->escape();
        else if (stop_)
            stop_();
    }
    event->accept();
    return true;
}

}  // namespace varkel
