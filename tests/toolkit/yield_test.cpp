#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "toolkit/yield.h"

namespace varkel {
namespace {

class CountedPaints : public QWidget {
  public:
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

// A long stretch of work paints what was asked to be painted meanwhile, a widget whose updates
// the work holds off included, and holds every close of a window until the work is done.
TEST(PaintYieldTest, PaintsDuringTheWorkAndClosesAWindowOnlyAfterIt) {
    CountedPaints window, held;
    window.show();
    held.show();
    QCoreApplication::processEvents();
    const int windowPaints = window.paints, heldPaints = held.paints;
    {
        PaintYield paint(&held, 0);
        held.setUpdatesEnabled(false);
        window.update();
        QTimer::singleShot(0, &window, &QWidget::close);
        for (int item = 0; item < 4096; ++item)
            paint();
        EXPECT_GT(window.paints, windowPaints);
        EXPECT_GT(held.paints, heldPaints);
        EXPECT_FALSE(held.updatesEnabled()) << "held off again after each pause";
        EXPECT_TRUE(window.isVisible()) << "closed in the middle of the work";
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(held.isVisible());
}

}  // namespace
}  // namespace varkel
