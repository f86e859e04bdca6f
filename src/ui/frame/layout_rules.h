#pragma once

#include <optional>

// The main window's layout as arithmetic on twips, apart from any widget: the rule applied on
// every resize, and the rules of the drag handles.
namespace varkel {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const Rect&) const = default;
};

// Where the main window's controls are, in twips of its client area. `msg` and `foundLabel` lie
// inside their frames and are relative to them.
struct MainGeometry {
    Rect srchButton;  // Cmd_srch_obj
    Rect srchCombo;   // CB_srch_obj
    Rect tabs;        // TabObjects
    Rect tree;        // TreeView1
    Rect split;       // L_split
    Rect head;        // Frm_SQL_head
    Rect kwd;         // Lst_kwd
    Rect sql;         // TB_SQL
    Rect info;        // Fra_SqlInfo
    Rect msg;         // L_msg
    Rect result;      // ListView1
    Rect foundFrame;  // Fra_Found
    Rect foundLabel;  // L_Found
    Rect foundList;   // LV_Found
    bool operator==(const MainGeometry&) const = default;
};

struct WindowMetrics {
    int innerWidth = 0;
    int innerHeight = 0;
    bool toolbarShown = false;
    int toolbarHeight = 0;
    bool statusBarShown = false;
    int statusBarHeight = 0;
    bool kwdShown = false;
};

// Heights and widths that come from the window's design, not from the rules.
struct DesignSizes {
    int searchRow = 360;  // height of the search row above the tabs and the tree
    int searchButton = 360;
    int tabsWidth = 420;
    int headHeight = 390;
    int kwdWidth = 1800;
    int foundFrameHeight = 300;
    int msgLeft = 4560;
};

int TopOffset(const WindowMetrics& m);
int WorkHeight(const WindowMetrics& m);

// The sizes set at start-up, before the first layout.
MainGeometry InitialGeometry(const WindowMetrics& m, const DesignSizes& d = {});

// The layout rule, applied on every resize and after each display switch. Sizes that the window
// is too small for keep their last values, so `current` goes in.
MainGeometry LayoutWindow(MainGeometry current, const WindowMetrics& m, const DesignSizes& d = {});

// The vertical splitter dragged to `newLeft`; nothing when the move is refused.
std::optional<MainGeometry> DragSplitter(MainGeometry g, const WindowMetrics& m, int newLeft);

// The SQL box / result list boundary (the execution frame) dragged to `newTop`.
std::optional<MainGeometry> DragSqlBoundary(MainGeometry g, const WindowMetrics& m, int newTop);

// The connection bar's handle dragged to `newHandleLeft`.
struct ConnectionBarGeometry {
    int placeholderWidth = 0;  // the toolbar's third button, which reserves the bar's room
    int barWidth = 0;          // Pict_db
    int textWidth = 0;         // TB_DSN
    int handleLeft = 0;        // Img_slide
};
ConnectionBarGeometry InitialConnectionBar();
std::optional<ConnectionBarGeometry> DragConnectionBar(int newHandleLeft);

}  // namespace varkel
