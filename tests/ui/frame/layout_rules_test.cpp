#include <gtest/gtest.h>

#include "ui/frame/layout_rules.h"

namespace varkel {
namespace {

WindowMetrics Metrics(int width, int height, bool toolbar, bool status, bool kwd) {
    return {width, height, toolbar, 600, status, 345, kwd};
}

TEST(LayoutRulesTest, PlacesEveryControlFromTheSizes) {
    const WindowMetrics m = Metrics(15360, 11520, true, true, true);  // 1024 x 768 at 96 dpi
    const DesignSizes d;
    const MainGeometry g = LayoutWindow(InitialGeometry(m), m);
    const int top = 600, tw = d.tabsWidth, r = tw + 3000 + 50, w = 15360 - r;
    const int work = 11520 - 600 - 345;
    EXPECT_EQ(g.srchButton, (Rect{0, top, d.searchButton, d.searchRow}));
    EXPECT_EQ(g.srchCombo, (Rect{d.searchButton, top, 3000, d.searchRow}));
    EXPECT_EQ(g.tabs, (Rect{0, top + 360, tw, work - 360}));
    EXPECT_EQ(g.tree, (Rect{tw, top + 360, 3000, work - 360 - d.foundFrameHeight}));
    EXPECT_EQ(g.split, (Rect{tw + 3000, top, 50, work}));
    EXPECT_EQ(g.head, (Rect{r, top, w, d.headHeight}));
    EXPECT_EQ(g.kwd, (Rect{r, top + d.headHeight, d.kwdWidth, 2200}));
    EXPECT_EQ(g.sql, (Rect{r + d.kwdWidth, top + d.headHeight, w - d.kwdWidth, 2200}));
    EXPECT_EQ(g.info, (Rect{r, top + d.headHeight + 2200, w, 345}));
    EXPECT_EQ(g.result,
              (Rect{r, top + d.headHeight + 2200 + 345, w, work - (d.headHeight + 2200 + 345)}));
    EXPECT_EQ(g.msg.width, w - d.msgLeft);
    EXPECT_EQ(g.foundFrame, (Rect{tw, g.tree.bottom(), 3000, d.foundFrameHeight}));
    EXPECT_EQ(g.foundList, (Rect{tw, g.tree.bottom() + d.foundFrameHeight, 3000, 0}));
    // The result list ends where the status bar begins.
    EXPECT_EQ(g.result.bottom(), 11520 - 345);
}

TEST(LayoutRulesTest, WithoutToolbarAndStatusBarTheWorkAreaIsTheWholeWindow) {
    const WindowMetrics m = Metrics(28800, 16200, false, false, false);  // 1920 x 1080
    const MainGeometry g = LayoutWindow(InitialGeometry(m), m);
    EXPECT_EQ(g.head.top, 0);
    EXPECT_EQ(g.split.height, 16200);
    EXPECT_EQ(g.result.bottom(), 16200);
    EXPECT_EQ(g.sql.left, g.head.left);  // no keyword list: the box takes the whole width
    EXPECT_EQ(g.sql.width, g.head.width);
}

TEST(LayoutRulesTest, ATooNarrowOrTooLowWindowKeepsTheLastSizes) {
    const WindowMetrics big = Metrics(15360, 11520, true, true, true);
    const MainGeometry before = LayoutWindow(InitialGeometry(big), big);
    const int r = before.head.left;

    WindowMetrics narrow = big;
    narrow.innerWidth = r + 500;  // right pane exactly 500: not shrunk
    const MainGeometry thin = LayoutWindow(before, narrow);
    EXPECT_EQ(thin.head.width, before.head.width);
    EXPECT_EQ(thin.sql.width, before.sql.width);
    EXPECT_EQ(thin.result.width, before.result.width);
    narrow.innerWidth = r + 501;
    EXPECT_EQ(LayoutWindow(before, narrow).head.width, 501);

    WindowMetrics low = big;
    low.innerHeight = 600 + 345 + 1000;  // work height exactly 1000
    const MainGeometry flat = LayoutWindow(before, low);
    EXPECT_EQ(flat.split.height, before.split.height);
    EXPECT_EQ(flat.tree.height, before.tree.height);
    EXPECT_EQ(flat.result.height, before.result.height);
}

TEST(LayoutRulesTest, HidingTheKeywordListGivesTheSqlBoxTheWholeWidth) {
    WindowMetrics m = Metrics(15360, 11520, true, true, true);
    MainGeometry g = LayoutWindow(InitialGeometry(m), m);
    EXPECT_EQ(g.sql.left, g.head.left + g.kwd.width);
    m.kwdShown = false;
    g = LayoutWindow(g, m);
    EXPECT_EQ(g.sql.left, g.head.left);
    EXPECT_EQ(g.sql.width, g.head.width);
}

TEST(LayoutRulesTest, TheSplitterStaysBetweenItsLimits) {
    WindowMetrics m = Metrics(15360, 11520, true, true, true);
    const MainGeometry g = LayoutWindow(InitialGeometry(m), m);
    EXPECT_FALSE(DragSplitter(g, m, 599));
    const MainGeometry atLimit = *DragSplitter(g, m, 600);
    EXPECT_EQ(atLimit.split.left, 600);
    EXPECT_EQ(atLimit.tree.width, 600 - g.tabs.width);

    const MainGeometry far = *DragSplitter(g, m, 15000);  // with the keyword list: clamped
    EXPECT_EQ(far.split.left, 15360 - g.kwd.width - 600);
    EXPECT_EQ(far.head.left, far.split.left + 50);
    EXPECT_EQ(far.head.width, 15360 - far.split.left - 50);
    EXPECT_EQ(far.kwd.left, far.head.left);
    EXPECT_EQ(far.sql.left, far.head.left + g.kwd.width);
    EXPECT_EQ(far.sql.width, far.head.width - g.kwd.width);

    m.kwdShown = false;  // without it, beyond the limit nothing moves
    EXPECT_FALSE(DragSplitter(g, m, 15360 - 599));
    const MainGeometry right = *DragSplitter(g, m, 15360 - 600);
    EXPECT_EQ(right.sql.left, right.head.left);
    EXPECT_EQ(right.sql.width, 550);
}

TEST(LayoutRulesTest, TheSqlBoxKeepsAtLeast500Twips) {
    const WindowMetrics m = Metrics(15360, 11520, true, true, true);
    const MainGeometry g = LayoutWindow(InitialGeometry(m), m);
    EXPECT_FALSE(DragSqlBoundary(g, m, g.sql.top + 499));
    EXPECT_FALSE(DragSqlBoundary(g, m, 11520 - 999));
    const MainGeometry moved = *DragSqlBoundary(g, m, g.sql.top + 3000);
    EXPECT_EQ(moved.sql.height, 3000);
    EXPECT_EQ(moved.kwd.height, 3000);
    EXPECT_EQ(moved.info.top, g.sql.top + 3000);
    EXPECT_EQ(moved.result.top, moved.info.bottom());
    EXPECT_EQ(moved.result.bottom(), 11520 - 345);
}

TEST(LayoutRulesTest, TheConnectionBarIsAtLeast2000Twips) {
    EXPECT_FALSE(DragConnectionBar(1999));
    const ConnectionBarGeometry bar = *DragConnectionBar(2000);
    EXPECT_EQ(bar.placeholderWidth, 2280);
    EXPECT_EQ(bar.barWidth, 2135);
    EXPECT_EQ(bar.textWidth, 1595);
    EXPECT_EQ(bar.handleLeft, 2000);
    EXPECT_EQ(InitialConnectionBar().placeholderWidth, 4000);  // the design width
}

}  // namespace
}  // namespace varkel
