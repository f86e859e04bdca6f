#include "toolkit/window_role.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace varkel {

namespace {

constexpr auto kWindowRole = "varkelWindowRole";

QAccessibleInterface* WindowInterface(const QString&, QObject* object) {
    if (!object || !object->isWidgetType() || !object->property(kWindowRole).toBool())
        return nullptr;
    // A window's accessible name is its title unless an accessible name was set.
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

}  // namespace

void ExposeAsWindow(QWidget* window) {
    static const bool installed = [] {
        QAccessible::installFactory(WindowInterface);
        return true;
    }();
    (void)installed;
    window->setProperty(kWindowRole, true);
    // An interface made before (by a title change, say) is made again with the window's role.
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(window);
    if (iface && iface->role() != QAccessible::Window)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

}  // namespace varkel
