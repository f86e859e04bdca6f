#pragma once

#include <QColor>
#include <QString>

class QWidget;

// What the program asks of the desktop: the clipboard, the beep, the system colours, starting
// programs and sending keystrokes to a control.
namespace varkel {

void ClearClipboard();
void SetClipboardText(const QString& text);
QString ClipboardText();

void Beep();

enum class SystemColor { WindowBackground, WindowText, ButtonFace, TooltipBackground };
QColor SystemColorOf(SystemColor which);

// Starts a program from a command line split as a shell would; its process id, or 0 when it
// could not be started.
qint64 StartProgram(const QString& commandLine);

// Sends Ctrl+A and then Delete to a control, as if typed, so that its own undo can reverse it.
void SendSelectAllAndDelete(QWidget* control);

}  // namespace varkel
