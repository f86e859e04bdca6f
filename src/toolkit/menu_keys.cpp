#include "toolkit/menu_keys.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QWidget>

namespace varkel {

namespace {

class MenuKeys : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::ContextMenu) {
            const auto* menu = static_cast<QContextMenuEvent*>(event);
            if (!menu->spontaneous() || menu->reason() != QContextMenuEvent::Keyboard) return false;
            // The system's own event for the Menu key: one of the two opens the menu.
            if (sent_) {
                sent_ = false;
                return true;
            }
            fromSystem_ = true;
            return false;
        }
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        const bool menuKey = key->key() == Qt::Key_Menu && mods == Qt::NoModifier;
        const bool shiftF10 = key->key() == Qt::Key_F10 && mods == Qt::ShiftModifier;
        if (!menuKey && !shiftF10) return false;
        if (menuKey && fromSystem_) {
            fromSystem_ = false;
            return true;
        }
        if (key->isAutoRepeat()) return true;
        sent_ = menuKey;
        const QPoint center = widget->rect().center();
        QContextMenuEvent open(QContextMenuEvent::Keyboard, center, widget->mapToGlobal(center),
                               key->modifiers());
        QApplication::sendEvent(widget, &open);
        return true;
    }

  private:
    bool sent_ = false;        // a Menu key was turned into the event here
    bool fromSystem_ = false;  // the system sent the event before its Menu key
};

}  // namespace

void MenuKeysOpenContextMenu(QWidget* widget) {
    widget->installEventFilter(new MenuKeys(widget));
}

}  // namespace varkel
