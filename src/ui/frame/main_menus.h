#pragma once

#include <QList>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace varkel {

// The main window's menu bar and its pop-up menus, each item under its own name.
struct MainMenus {
    QMenu* mn_file = nullptr;
    QAction *mn_new_window = nullptr, *mn_sp0 = nullptr, *mn_connect = nullptr,
            *mn_disconnect = nullptr, *mn_reconnect = nullptr, *mn_sp1 = nullptr,
            *mn_open_file = nullptr, *mn_sp2 = nullptr, *mn_exit = nullptr;

    QMenu* mn_sql = nullptr;
    QAction *mn_sql_go = nullptr, *mn_sql_stop = nullptr, *mn_sql_commit = nullptr,
            *mn_sql_rollback = nullptr, *mn_sql_sp1 = nullptr, *mn_sql_temp = nullptr,
            *mn_sql_history = nullptr, *mn_sql_sp = nullptr, *mn_sql_edit = nullptr,
            *mn_kwd_edit = nullptr;

    QMenu* mn_display = nullptr;
    QAction *mn_disp_toolbar = nullptr, *mn_disp_statusbar = nullptr, *mn_disp_sp = nullptr,
            *mn_disp_kwdlist = nullptr, *mn_disp_sp2 = nullptr, *mn_disp_con2title = nullptr;

    QMenu* mn_tool = nullptr;
    QAction *mn_out_csv = nullptr, *mn_out_select = nullptr, *mn_inp_csv = nullptr,
            *mn_tool_sp = nullptr, *mn_set_editor = nullptr, *mn_kick_dsnadmin = nullptr;

    QMenu* mn_help = nullptr;
    QAction *mn_help_varkel = nullptr, *mn_help_sp3 = nullptr, *mn_version = nullptr;

    // Pop-up menus, never in the menu bar.
    QMenu* mn_mouse = nullptr;  // table, view and synonym nodes of the tree
    QAction *mn_copy_sql = nullptr, *mn_copy_clip = nullptr, *mn_copy_sp4 = nullptr;
    QMenu* mn_copy_allcols = nullptr;
    QAction *mn_copy_allcols_sql = nullptr, *mn_copy_allcols_clip = nullptr, *mn_copy_sp1 = nullptr;
    QMenu* mn_disp_cols = nullptr;
    QAction *mn_disp_cols_all = nullptr, *mn_disp_cols_name = nullptr, *mn_copy_sp2 = nullptr;
    QMenu* mn_quick_sql = nullptr;
    QList<QAction*> mn_quick_sqlstmt;  // [0] from the design, [1]..[6] added at start-up

    QMenu* mn_mouse4 = nullptr;  // column nodes
    QAction *mn_colcopy_sql = nullptr, *mn_colcopy_clip = nullptr;
    QMenu* mn_mouse5 = nullptr;  // keyword list
    QAction *mn_kwdcopy_sql = nullptr, *mn_kwdcopy_clip = nullptr;
    QMenu* mn_mouse7 = nullptr;  // object search results
    QAction *mn_objcopy_sql = nullptr, *mn_objcopy_clip = nullptr;
    QMenu* mn_mouse2 = nullptr;  // other tree nodes
    QAction* mn_get_tables = nullptr;
    QMenu* mn_mouse3 = nullptr;  // a cell of the result list
    QList<QMenu*> mn_LV_subitem;
    QList<QAction*> mn_LV_subitem_copy_sql, mn_LV_subitem_copy_clip;
    QAction* mn_LV_sp = nullptr;
    QMenu* mn_mouse6 = nullptr;  // a row of the result list
    QList<QMenu*> mn_LV_subitem_all;
    QList<QAction*> mn_LV_subitem_all_copy_sql, mn_LV_subitem_all_copy_clip;

    // Builds every menu; the menu bar's menus go into `bar`, the pop-ups are owned by `owner`.
    void build(QMenuBar* bar, QWidget* owner);
    // Items 1 to 6 of the quick-SQL array, created at start-up beside the design item 0.
    void createQuickSqlItems();
};

}  // namespace varkel
