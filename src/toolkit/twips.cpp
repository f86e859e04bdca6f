#include "toolkit/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace varkel {

namespace {

double Dpi(bool horizontal) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = !screen      ? 96.0
                       : horizontal ? screen->logicalDotsPerInchX()
                                    : screen->logicalDotsPerInchY();
    return dpi > 0 ? dpi : 96.0;
}

int Round(double value) {
    return static_cast<int>(std::lround(value));
}

}  // namespace

double TwipsPerPixelX() {
    return 1440.0 / Dpi(true);
}
double TwipsPerPixelY() {
    return 1440.0 / Dpi(false);
}
int TwipsToPixelsX(int twips) {
    return Round(twips / TwipsPerPixelX());
}
int TwipsToPixelsY(int twips) {
    return Round(twips / TwipsPerPixelY());
}
int PixelsToTwipsX(int pixels) {
    return Round(pixels * TwipsPerPixelX());
}
int PixelsToTwipsY(int pixels) {
    return Round(pixels * TwipsPerPixelY());
}

QRect TwipsToPixels(int left, int top, int width, int height) {
    return {TwipsToPixelsX(left), TwipsToPixelsY(top), std::max(0, TwipsToPixelsX(width)),
            std::max(0, TwipsToPixelsY(height))};
}

QSize ScreenSizeTwips() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize pixels = screen ? screen->geometry().size() : QSize(1024, 768);
    return {PixelsToTwipsX(pixels.width()), PixelsToTwipsY(pixels.height())};
}

QRect WindowRectTwips(const QWidget* window) {
    const QRect frame = window->frameGeometry();
    return {PixelsToTwipsX(frame.x()), PixelsToTwipsY(frame.y()), PixelsToTwipsX(frame.width()),
            PixelsToTwipsY(frame.height())};
}

void SetWindowRectTwips(QWidget* window, const QRect& twips) {
    // The stored size is the outer frame's; the client area is smaller by the frame's margins.
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    const int extraWidth = frame.width() - inner.width();
    const int extraHeight = frame.height() - inner.height();
    window->move(TwipsToPixelsX(twips.x()), TwipsToPixelsY(twips.y()));
    window->resize(std::max(1, TwipsToPixelsX(twips.width()) - extraWidth),
                   std::max(1, TwipsToPixelsY(twips.height()) - extraHeight));
}

}  // namespace varkel
