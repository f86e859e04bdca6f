#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QWidget>

namespace varkel {

// Runs every pending window event (clicks, timers, repaints) and returns; handlers may run
// inside it. Long loops call it once per row, so it costs next to nothing when nothing waits.
void DoEvents();

// Keeps the windows painting through a long stretch of work on the user-interface thread (tens
// of thousands of catalog rows or tree items): called once per item, it lets pending paints and
// timers run every few tens of milliseconds. Input waits until the work is done, as it does
// while the database is waited for, and so does the close of any window (the window manager's
// included): a window closed in the middle of the work would take its session with it. Such a
// close is made once the PaintYield is gone.
class PaintYield {
  public:
    static constexpr qint64 kEveryMs = 25;

    // `held`: a widget whose updates the work holds off (its items are being added); it is let
    // paint at each yield too. `everyMs`: the least time between two yields.
    explicit PaintYield(QWidget* held = nullptr, qint64 everyMs = kEveryMs)
        : held_(held), everyMs_(everyMs) {}
    ~PaintYield();
    PaintYield(const PaintYield&) = delete;
    PaintYield& operator=(const PaintYield&) = delete;
    void operator()();

  private:
    QPointer<QWidget> held_;
    qint64 everyMs_;
    QElapsedTimer since_;
    unsigned calls_ = 0;
    QList<QPointer<QObject>> closes_;  // windows asked to close meanwhile
};

}  // namespace varkel
