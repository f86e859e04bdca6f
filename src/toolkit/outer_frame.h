#pragma once

#include <QRect>

class QWidget;

namespace varkel {

// Places a top-level window so that its outer frame (title bar and borders included) covers
// `frame`, in pixels. A window manager adds the frame only once the window is on screen, so
// until its size is known the window keeps the whole rectangle and is fitted when it arrives.
void PlaceOuterFrame(QWidget* window, const QRect& frame);

// The window's outer frame in pixels; while a frame given by PlaceOuterFrame is still awaited
// or not yet fitted, that frame.
QRect OuterFrame(const QWidget* window);

}  // namespace varkel
