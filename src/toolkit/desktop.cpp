#include "toolkit/desktop.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPalette>
#include <QWidget>

namespace varkel {

void ClearClipboard() {
    QGuiApplication::clipboard()->clear();
}

void SetClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

QString ClipboardText() {
    return QGuiApplication::clipboard()->text();
}

void Beep() {
    QApplication::beep();
}

QColor SystemColorOf(SystemColor which) {
    const QPalette palette = QApplication::palette();
    switch (which) {
        case SystemColor::WindowBackground:
            return palette.color(QPalette::Base);
        case SystemColor::WindowText:
            return palette.color(QPalette::Text);
        case SystemColor::ButtonFace:
            return palette.color(QPalette::Button);
        case SystemColor::TooltipBackground:
            return palette.color(QPalette::ToolTipBase);
    }
    return palette.color(QPalette::Window);
}

void SendSelectAllAndDelete(QWidget* control) {
    const auto send = [control](int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(control, &press);
        QApplication::sendEvent(control, &release);
    };
    send(Qt::Key_A, Qt::ControlModifier);
    send(Qt::Key_Delete, Qt::NoModifier);
}

}  // namespace varkel
