#include "toolkit/window_position.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "store/ini_file.h"
#include "store/program_folder.h"
#include "store/settings_keys.h"
#include "toolkit/outer_frame.h"
#include "toolkit/twips.h"

namespace varkel {

QRect RestoredWindowRect(const QString& value, const QSize& currentSize,
                         const QList<QRect>& screens) {
    const QSize screen = screens.isEmpty() ? QSize(1, 1) : screens.first().size();
    const QStringList fields = value.trimmed().split(u',');
    int numbers[4] = {};
    bool valid = fields.size() >= 4;
    for (int i = 0; valid && i < 4; ++i) {
        bool ok = false;
        const double number = fields[i].trimmed().toDouble(&ok);
        valid = ok && std::isfinite(number) && std::fabs(number) < 1e9;
        if (valid) numbers[i] = static_cast<int>(std::lround(number));
    }
    if (!valid) {  // empty, blank or not a position: centred at the current size
        return {(screen.width() - currentSize.width()) / 2,
                (screen.height() - currentSize.height()) / 2, currentSize.width(),
                currentSize.height()};
    }
    // A place that lies on any screen stays. Otherwise a size that is not positive gives the
    // design size; one larger than the screen, the screen's; and a window beyond an edge is
    // brought back onto the screen.
    const QRect stored(numbers[0], numbers[1], numbers[2], numbers[3]);
    for (const QRect& other : screens)
        if (stored.isValid() && other.contains(stored)) return stored;
    const int width = numbers[2] <= 0 ? currentSize.width() : std::min(numbers[2], screen.width());
    const int height =
        numbers[3] <= 0 ? currentSize.height() : std::min(numbers[3], screen.height());
    int left = numbers[0] < 0 || numbers[0] > screen.width() ? 0 : numbers[0];
    int top = numbers[1] < 0 || numbers[1] > screen.height() ? 0 : numbers[1];
    left = std::max(0, std::min(left, screen.width() - width));
    top = std::max(0, std::min(top, screen.height() - height));
    return {left, top, width, height};
}

QRect RestoredWindowRect(const QString& value, const QSize& currentSize, const QSize& screen) {
    return RestoredWindowRect(value, currentSize, {QRect(QPoint(0, 0), screen)});
}

QString FormatWindowPos(const QRect& r) {
    return QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

void RestoreWindowPos(QWidget* window, const QString& value) {
    // What is stored and what is restored is the outer frame, title bar included.
    const QRect current = WindowRectTwips(window);
    QList<QRect> screens{QRect(QPoint(0, 0), ScreenSizeTwips())};
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen == QGuiApplication::primaryScreen()) continue;
        const QRect g = screen->geometry();
        screens << QRect(PixelsToTwipsX(g.x()), PixelsToTwipsY(g.y()), PixelsToTwipsX(g.width()),
                         PixelsToTwipsY(g.height()));
    }
    const QRect twips = RestoredWindowRect(value, current.size(), screens);
    PlaceOuterFrame(window, TwipsToPixels(twips.x(), twips.y(), twips.width(), twips.height()));
}

void SaveWindowPos(QWidget* window, const QString& key, IniFile& ini) {
    if (window->isMinimized()) return;
    const QRect frame = OuterFrame(window);
    ini.write(
        settings::Window(), key,
        FormatWindowPos(QRect(PixelsToTwipsX(frame.x()), PixelsToTwipsY(frame.y()),
                              PixelsToTwipsX(frame.width()), PixelsToTwipsY(frame.height()))));
}

void SaveWindowPos(QWidget* window, const QString& key) {
    IniFile ini(ProgramFolder() + settings::FileName());
    SaveWindowPos(window, key, ini);
    ini.save();
}

}  // namespace varkel
