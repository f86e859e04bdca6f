#include "toolkit/combo_names.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace varkel {

namespace {

// A combo box as the toolkit shows it (its drop-down list and, when editable, its text box as
// children; Press and ShowMenu open and close the list), named by its label.
class NamedComboInterface : public QAccessibleWidget {
  public:
    explicit NamedComboInterface(QComboBox* combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        const QString current = shown();
        switch (t) {
            case QAccessible::Name:
                if (!combo()->accessibleName().isEmpty()) return combo()->accessibleName();
                return current.isEmpty() ? QAccessibleWidget::text(t) : current;
            case QAccessible::Value:
                return current;
            case QAccessible::Description: {
                const QString own = QAccessibleWidget::text(t);
                return own.isEmpty() && !combo()->accessibleName().isEmpty() ? current : own;
            }
            default:
                return QAccessibleWidget::text(t);
        }
    }
    int childCount() const override { return combo()->isEditable() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 0) return QAccessible::queryAccessibleInterface(combo()->view());
        if (index == 1 && combo()->isEditable())
            return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child->object() == combo()->view()) return 0;
        if (combo()->isEditable() && child->object() == combo()->lineEdit()) return 1;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        if (combo()->isEditable() &&
            combo()->lineEdit()->rect().contains(combo()->lineEdit()->mapFromGlobal(QPoint(x, y))))
            return child(1);
        return nullptr;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    QString localizedActionDescription(const QString& action) const override {
        if (action == showMenuAction() || action == pressAction())
            return QComboBox::tr("Open the combo box selection popup");
        return {};
    }
    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction()) return;
        if (combo()->view()->isVisible())
            combo()->hidePopup();
        else
            combo()->showPopup();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    QComboBox* combo() const { return static_cast<QComboBox*>(object()); }
    QString shown() const {
        return combo()->isEditable() ? combo()->lineEdit()->text() : combo()->currentText();
    }
};

QAccessibleInterface* ComboInterface(const QString& className, QObject* object) {
    if (className != u"QComboBox" || !object || !object->isWidgetType()) return nullptr;
    return new NamedComboInterface(static_cast<QComboBox*>(object));
}

}  // namespace

void NameCombosByLabel() {
    static const bool installed = [] {
        QAccessible::installFactory(ComboInterface);
        return true;
    }();
    (void)installed;
}

}  // namespace varkel
