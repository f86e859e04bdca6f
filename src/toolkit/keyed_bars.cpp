#include "toolkit/keyed_bars.h"

#include <QAction>
#include <QLabel>

namespace varkel {

KeyedToolBar::KeyedToolBar(QWidget* parent) : QToolBar(parent) {}

QAction* KeyedToolBar::addKeyedButton(const QString& key, const QIcon& icon, const QString& tooltip,
                                      bool checkable) {
    QAction* action = addAction(icon, tooltip);
    action->setObjectName(key);
    action->setToolTip(tooltip);
    action->setCheckable(checkable);
    buttons_.insert(key, action);
    connect(action, &QAction::triggered, this, [this, key] {
        // A pressed-state button stays as the program sets it, not as the click left it.
        if (QAction* a = buttons_.value(key); a && a->isCheckable())
            a->setChecked(a->property("varkelPressed").toBool());
        emit buttonClicked(key);
    });
    return action;
}

void KeyedToolBar::setButtonEnabled(const QString& key, bool enabled) {
    if (QAction* a = buttons_.value(key)) a->setEnabled(enabled);
}

void KeyedToolBar::setButtonPressed(const QString& key, bool pressed) {
    if (QAction* a = buttons_.value(key)) {
        a->setProperty("varkelPressed", pressed);
        a->setChecked(pressed);
    }
}

bool KeyedToolBar::buttonEnabled(const QString& key) const {
    const QAction* a = buttons_.value(key);
    return a && a->isEnabled();
}

bool KeyedToolBar::buttonPressed(const QString& key) const {
    const QAction* a = buttons_.value(key);
    return a && a->isChecked();
}

KeyedStatusBar::KeyedStatusBar(QWidget* parent) : QStatusBar(parent) {}

void KeyedStatusBar::addPanel(const QString& key, int stretch) {
    auto* label = new QLabel(this);
    label->setObjectName(key);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    addPermanentWidget(label, stretch);
    panels_.insert(key, label);
}

void KeyedStatusBar::setPanelText(const QString& key, const QString& text) {
    if (QLabel* label = panels_.value(key)) label->setText(text);
}

QString KeyedStatusBar::panelText(const QString& key) const {
    const QLabel* label = panels_.value(key);
    return label ? label->text() : QString();
}

}  // namespace varkel
