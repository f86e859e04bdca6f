#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

namespace varkel {

// Runs every pending window event (clicks, timers, repaints) and returns; handlers may run
// inside it. Long loops call it once per row, so it costs next to nothing when nothing waits.
void DoEvents();

// Keeps the windows painting through a long stretch of work on the user-interface thread (tens
// of thousands of catalog rows or tree items): called once per item, it lets pending paints and
// timers run every few tens of milliseconds. Input waits until the work is done, as it does
// while the database is waited for, so nothing can start in the middle of it.
class PaintYield {
  public:
    // `held`: a widget whose updates the work holds off (its items are being added); it is let
    // paint at each yield too.
    explicit PaintYield(QWidget* held = nullptr) : held_(held) {}
    void operator()();

  private:
    QPointer<QWidget> held_;
    QElapsedTimer since_;
    unsigned calls_ = 0;
};

}  // namespace varkel
