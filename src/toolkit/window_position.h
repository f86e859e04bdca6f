#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace varkel {

class IniFile;

// Where a stored position value puts a window's outer frame, in twips: the stored place and
// size when they lie on one of `screens` (the first the main screen, at 0,0); else on the main
// screen, with a left or top that is negative or beyond it taken as 0, a size that is not
// positive taken from `currentSize` (the design size) and one larger than the screen cut to it,
// and the whole moved onto the screen; an empty value, or one that is not four numbers,
// centres the window at its current size on the main screen.
QRect RestoredWindowRect(const QString& value, const QSize& currentSize,
                         const QList<QRect>& screens);
// The same with the main screen only.
QRect RestoredWindowRect(const QString& value, const QSize& currentSize, const QSize& screen);

// "Left,Top,Width,Height" in twips.
QString FormatWindowPos(const QRect& twips);

void RestoreWindowPos(QWidget* window, const QString& value);
// Writes the window's frame to section "WINDOW" of the settings file, unless it is minimized.
void SaveWindowPos(QWidget* window, const QString& key);
// The same into settings that are saved later, with others.
void SaveWindowPos(QWidget* window, const QString& key, IniFile& ini);

}  // namespace varkel
