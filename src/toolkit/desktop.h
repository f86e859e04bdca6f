#pragma once

#include <QColor>
#include <QString>

class QWidget;

// What the program asks of the desktop: the clipboard, the beep, the system colours and sending
// keystrokes to a control (programs are started through processes.h).
namespace varkel {

void ClearClipboard();
void SetClipboardText(const QString& text);
QString ClipboardText();

void Beep();

enum class SystemColor { WindowBackground, WindowText, ButtonFace, TooltipBackground };
QColor SystemColorOf(SystemColor which);

// Sends Ctrl+A and then Delete to a control, as if typed, so that its own undo can reverse it.
void SendSelectAllAndDelete(QWidget* control);

}  // namespace varkel
