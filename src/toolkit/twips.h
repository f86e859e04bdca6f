#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// The program keeps window sizes and positions in twips (1/1440 inch); the screen counts
// pixels at its logical resolution.
namespace varkel {

double TwipsPerPixelX();
double TwipsPerPixelY();
int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);
int PixelsToTwipsX(int pixels);
int PixelsToTwipsY(int pixels);
QRect TwipsToPixels(int left, int top, int width, int height);

// The primary screen's size in twips.
QSize ScreenSizeTwips();
// A top-level window's outer frame (Left, Top, Width, Height) in twips, and setting it.
QRect WindowRectTwips(const QWidget* window);
void SetWindowRectTwips(QWidget* window, const QRect& twips);

}  // namespace varkel
