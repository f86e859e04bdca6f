#include "ui/frame/layout_rules.h"

#include <algorithm>

namespace varkel {

namespace {

constexpr int kSplitWidth = 50;

// The right pane from its left edge: head, keyword list, SQL box, execution frame, result list.
void PlaceRightPane(MainGeometry& g, const WindowMetrics& m, int left, int width) {
    g.head.left = g.info.left = g.result.left = left;
    g.head.width = g.info.width = g.result.width = width;
    if (m.kwdShown) {
        g.kwd.left = left;
        g.sql.left = left + g.kwd.width;
        g.sql.width = width - g.kwd.width;
    } else {
        g.sql.left = left;
        g.sql.width = width;
    }
    if (width - g.msg.left >= 300) g.msg.width = width - g.msg.left;
}

}  // namespace

int TopOffset(const WindowMetrics& m) {
    return m.toolbarShown ? m.toolbarHeight : 0;
}

int WorkHeight(const WindowMetrics& m) {
    return m.innerHeight - TopOffset(m) - (m.statusBarShown ? m.statusBarHeight : 0);
}

MainGeometry InitialGeometry(const WindowMetrics& m, const DesignSizes& d) {
    MainGeometry g;
    g.srchButton = {0, 0, d.searchButton, d.searchRow};
    g.srchCombo = {0, 0, 3000, d.searchRow};
    g.tabs = {0, 0, d.tabsWidth, 3000};
    g.tree = {0, 0, 3000, 3000};
    g.split = {0, 0, kSplitWidth, 3000};
    g.head = {0, 0, 6600, d.headHeight};
    g.kwd = {0, 0, d.kwdWidth, 2200};
    g.sql = {0, 0, m.kwdShown ? 6600 - d.kwdWidth : 6600, 2200};
    g.info = {0, 0, 6600, 345};
    g.msg = {d.msgLeft, 30, 6600 - d.msgLeft, 285};
    g.result = {0, 0, 6600, 3000};
    g.foundFrame = {0, 0, 3000, d.foundFrameHeight};
    g.foundLabel = {0, 0, 3000, d.foundFrameHeight};
    g.foundList = {0, 0, 3000, 0};
    return g;
}

MainGeometry LayoutWindow(MainGeometry g, const WindowMetrics& m, const DesignSizes& d) {
    const int top = TopOffset(m);
    const int tw = g.tabs.width;
    const int trw = g.tree.width;

    g.srchButton.left = 0;
    g.srchButton.top = top;
    g.srchCombo.left = g.srchButton.width;
    g.srchCombo.top = top;

    g.tabs.left = 0;
    g.tabs.top = top + d.searchRow;
    g.tree.left = tw;
    g.tree.top = top + d.searchRow;

    g.split.left = tw + trw;
    g.split.top = top;

    const int r = tw + trw + kSplitWidth;
    g.head.left = r;
    g.head.top = top;
    const int sqlTop = top + g.head.height;
    if (m.kwdShown) {
        g.kwd.left = r;
        g.kwd.top = sqlTop;
        g.sql.left = r + g.kwd.width;
    } else {
        g.sql.left = r;
    }
    g.sql.top = sqlTop;
    g.info.left = r;
    g.info.top = sqlTop + g.sql.height;
    g.result.left = r;
    g.result.top = g.info.bottom();

    g.srchCombo.width = trw;

    const int w = m.innerWidth - r;
    if (w > 500) {
        g.head.width = g.info.width = g.result.width = w;
        if (w - g.msg.left >= 300) g.msg.width = w - g.msg.left;
        if (!m.kwdShown)
            g.sql.width = w;
        else if (w - g.kwd.width > 500)
            g.sql.width = w - g.kwd.width;
    }

    const int work = WorkHeight(m);
    if (work > 1000) {
        g.split.height = work;
        g.tabs.height = work - d.searchRow;
        const int treeHeight = work - d.searchRow - g.foundFrame.height - g.foundList.height;
        if (treeHeight > 360) g.tree.height = treeHeight;
    }

    g.foundFrame.left = tw;
    g.foundFrame.top = g.tree.bottom();
    g.foundFrame.width = trw;
    g.foundLabel.width = trw;
    g.foundList.left = tw;
    g.foundList.top = g.tree.bottom() + g.foundFrame.height;
    g.foundList.width = trw;

    const int resultHeight = work - (g.head.height + g.sql.height + g.info.height);
    if (resultHeight > 500) g.result.height = resultHeight;
    return g;
}

std::optional<MainGeometry> DragSplitter(MainGeometry g, const WindowMetrics& m, int s) {
    if (s < 600) return std::nullopt;
    if (m.kwdShown)
        s = std::min(s, m.innerWidth - g.kwd.width - 600);
    else if (s > m.innerWidth - 600)
        return std::nullopt;
    const int tw = g.tabs.width;
    g.srchCombo.width = g.tree.width = g.foundList.width = s - tw;
    g.split.left = s;
    PlaceRightPane(g, m, s + kSplitWidth, m.innerWidth - s - kSplitWidth);
    return g;
}

std::optional<MainGeometry> DragSqlBoundary(MainGeometry g, const WindowMetrics& m, int t) {
    if (t < g.sql.top + 500 || t > m.innerHeight - 1000) return std::nullopt;
    g.sql.height = t - g.sql.top;
    g.kwd.height = g.sql.height;
    g.result.top = t + g.info.height;
    const int bottom = m.statusBarShown ? m.innerHeight - m.statusBarHeight : m.innerHeight;
    g.result.height = bottom - g.result.top;
    g.info.top = t;
    return g;
}

ConnectionBarGeometry InitialConnectionBar() {
    return *DragConnectionBar(4000 - 280);
}

std::optional<ConnectionBarGeometry> DragConnectionBar(int x) {
    if (x < 2000) return std::nullopt;
    return ConnectionBarGeometry{x + 280, x + 135, x - 405, x};
}

}  // namespace varkel
