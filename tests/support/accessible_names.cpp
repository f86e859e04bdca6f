#include "support/accessible_names.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QToolButton>
#include <QWidget>

#include "toolkit/mnemonics.h"

namespace varkel::test {

namespace {

bool IsControl(QAccessible::Role role) {
    switch (role) {
        case QAccessible::EditableText:
        case QAccessible::ComboBox:
        case QAccessible::List:
        case QAccessible::Tree:
        case QAccessible::Table:
        case QAccessible::PushButton:
        case QAccessible::ButtonMenu:
        case QAccessible::RadioButton:
        case QAccessible::CheckBox:
        case QAccessible::SpinBox:
        case QAccessible::Slider:
        case QAccessible::ScrollBar:
            return true;
        default:
            return false;
    }
}

}  // namespace

QStringList UnnamedControls(const QWidget& window) {
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(const_cast<QWidget*>(&window));
    QStringList unnamed;
    for (QWidget* widget : widgets) {
        // Other windows are walked on their own; Qt's own helpers (a bar's overflow button) and
        // a combo box's drop-down list are announced through their owner.
        // A scroll area's own scroll bars (in Qt's containers) belong to it.
        if (widget->window() != &window || widget->objectName().startsWith(u"qt_")) continue;
        if (widget->parentWidget() && widget->parentWidget()->objectName().startsWith(u"qt_"))
            continue;
        bool insideCombo = false;
        for (QWidget* p = widget->parentWidget(); p && !insideCombo; p = p->parentWidget())
            insideCombo = qobject_cast<QComboBox*>(p) != nullptr;
        if (insideCombo && !qobject_cast<QLineEdit*>(widget)) continue;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        if (!iface || !IsControl(iface->role())) continue;
        // A combo box's own line edit is announced as part of the combo box.
        if (qobject_cast<QComboBox*>(widget->parentWidget()) &&
            iface->role() == QAccessible::EditableText)
            continue;
        const bool named = qobject_cast<QComboBox*>(widget)
                               ? !widget->accessibleName().trimmed().isEmpty()
                               : !iface->text(QAccessible::Name).trimmed().isEmpty();
        if (!named)
            unnamed << widget->objectName() + QStringLiteral(" (") +
                           QString::fromLatin1(widget->metaObject()->className()) + u')';
    }
    return unnamed;
}

QStringList MnemonicFaults(const QWidget& window) {
    static const QRegularExpression latin(QStringLiteral("[A-Za-zＡ-Ｚａ-ｚ]"));
    QStringList faults;
    QList<QChar> seen;
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (button->window() != &window) continue;  // another window's
        // A tool button that shows its icon alone has no caption to take a letter from.
        if (const auto* tool = qobject_cast<const QToolButton*>(button);
            tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly && !tool->icon().isNull())
            continue;
        const QChar letter = MnemonicLetter(button->text());
        if ((letter.isNull() && button->text().contains(latin)) || seen.contains(letter))
            faults << button->objectName() + QStringLiteral(": ") + button->text();
        if (!letter.isNull()) seen << letter;
    }
    // Each menu on its own: the letters of one menu's items differ.
    for (const QMenu* menu : window.findChildren<QMenu*>()) {
        const QWidget* owner = menu;
        while (qobject_cast<const QMenu*>(owner) && owner->parentWidget())
            owner = owner->parentWidget();
        if (owner->window() != &window) continue;
        QList<QChar> inMenu;
        for (const QAction* item : menu->actions()) {
            const QChar letter = MnemonicLetter(item->text());
            if ((letter.isNull() && item->text().contains(latin)) || inMenu.contains(letter))
                faults << menu->objectName() + QStringLiteral(": ") + item->text();
            if (!letter.isNull()) inMenu << letter;
        }
    }
    return faults;
}

QString AccessibleWindow(const QWidget& window) {
    QAccessibleInterface* iface =
        QAccessible::queryAccessibleInterface(const_cast<QWidget*>(&window));
    if (!iface) return QStringLiteral("none");
    QString role;
    switch (iface->role()) {
        case QAccessible::Window:
            role = QStringLiteral("window");
            break;
        case QAccessible::Dialog:
            role = QStringLiteral("dialog");
            break;
        case QAccessible::AlertMessage:
            role = QStringLiteral("alert");
            break;
        default:
            role = QStringLiteral("other");
    }
    return role + u':' + iface->text(QAccessible::Name);
}

}  // namespace varkel::test
