#include "toolkit/plain_roles.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QToolButton>
#include <algorithm>

#include "toolkit/keyed_bars.h"

namespace varkel {

namespace {

constexpr auto kOneText = "varkelOneText";

// A frame whose labels are one text: the labels are left out of its children.
class OneTextInterface : public QAccessibleWidget {
  public:
    explicit OneTextInterface(QWidget* frame) : QAccessibleWidget(frame, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        QList<const QLabel*> labels;
        for (const QLabel* label : widget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            if (label->isVisible() && !label->text().trimmed().isEmpty()) labels << label;
        std::stable_sort(labels.begin(), labels.end(),
                         [](const QLabel* a, const QLabel* b) { return a->x() < b->x(); });
        QStringList parts;
        for (const QLabel* label : labels)
            parts << label->text().trimmed();
        return parts.join(u' ');
    }
    int childCount() const override { return static_cast<int>(others().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> list = others();
        return index >= 0 && index < list.size()
                   ? QAccessible::queryAccessibleInterface(list[index])
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? static_cast<int>(others().indexOf(child->object())) : -1;
    }

  private:
    QList<QWidget*> others() const {
        QList<QWidget*> list;
        for (QWidget* w : widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!qobject_cast<QLabel*>(w) && !w->isWindow()) list << w;
        return list;
    }
};

// A toolbar button, also one that shows a pressed state: a button whose Press clicks it.
class PressButtonInterface : public QAccessibleWidget {
  public:
    explicit PressButtonInterface(QToolButton* button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty()) {
            own = button()->text();
            own.remove(u'&');
        }
        return own;
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->isChecked();
        return s;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && button()->isEnabled()) button()->click();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    QToolButton* button() const { return static_cast<QToolButton*>(widget()); }
};

QAccessibleInterface* PlainInterface(const QString&, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (widget->metaObject() == &QFrame::staticMetaObject) {
        if (widget->property(kOneText).toBool()) return new OneTextInterface(widget);
        return new QAccessibleWidget(widget, QAccessible::Pane);
    }
    if (auto* button = qobject_cast<QToolButton*>(widget)) {
        // Made when the button is, before its action may become checkable: every one of them.
        if (button->defaultAction() && qobject_cast<KeyedToolBar*>(button->parentWidget()))
            return new PressButtonInterface(button);
    }
    return nullptr;
}

}  // namespace

void UsePlainRoles() {
    static const bool installed = [] {
        QAccessible::installFactory(PlainInterface);
        return true;
    }();
    (void)installed;
}

void ReadAsOneText(QWidget* frame) {
    UsePlainRoles();
    frame->setProperty(kOneText, true);
}

}  // namespace varkel
