#include "ui/frame/main_menus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace varkel {

namespace {

QMenu* Menu(QWidget* parent, const char* name, const QString& caption) {
    auto* menu = new QMenu(caption, parent);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction* Item(QMenu* menu, const char* name, const QString& caption,
              const QKeySequence& shortcut = {}, bool enabled = true) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    action->setEnabled(enabled);
    return action;
}

QAction* Separator(QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QAction* Switch(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = Item(menu, name, caption);
    action->setCheckable(true);
    return action;
}

const QString kToSql = QStringLiteral("→ SQL入力エリア");
const QString kToClip = QStringLiteral("→ クリップボード");

}  // namespace

void MainMenus::build(QMenuBar* bar, QWidget* owner) {
    mn_file = Menu(bar, "mn_file", QStringLiteral("ﾌｧｲﾙ(&F)"));
    mn_new_window = Item(mn_file, "mn_new_window", QStringLiteral("新規の接続(&N)"),
                         QKeySequence(Qt::CTRL | Qt::Key_N));
    mn_sp0 = Separator(mn_file, "mn_sp0");
    mn_connect = Item(mn_file, "mn_connect", QStringLiteral("DB接続(&C)"));
    mn_disconnect = Item(mn_file, "mn_disconnect", QStringLiteral("DB切断(&D)"), {}, false);
    mn_reconnect = Item(mn_file, "mn_reconnect", QStringLiteral("DB再接続(&R)"), {}, false);
    mn_sp1 = Separator(mn_file, "mn_sp1");
    mn_open_file = Item(mn_file, "mn_open_file", QStringLiteral("SQLの読込(&O)"),
                        QKeySequence(Qt::CTRL | Qt::Key_O));
    mn_sp2 = Separator(mn_file, "mn_sp2");
    mn_exit = Item(mn_file, "mn_exit", QStringLiteral("終了(&X)"));

    mn_sql = Menu(bar, "mn_sql", QStringLiteral("SQL(&S)"));
    mn_sql_go = Item(mn_sql, "mn_sql_go", QStringLiteral("SQL実行(&I)"),
                     QKeySequence(Qt::CTRL | Qt::Key_I), false);
    mn_sql_stop = Item(mn_sql, "mn_sql_stop", QStringLiteral("SQL中断(&B)"),
                       QKeySequence(Qt::CTRL | Qt::Key_B), false);
    mn_sql_commit = Item(mn_sql, "mn_sql_commit", QStringLiteral("COMMIT(&C)"), {}, false);
    mn_sql_rollback = Item(mn_sql, "mn_sql_rollback", QStringLiteral("ROLLBACK(&R)"), {}, false);
    mn_sql_sp1 = Separator(mn_sql, "mn_sql_sp1");
    mn_sql_temp = Item(mn_sql, "mn_sql_temp", QStringLiteral("SQLﾃﾝﾌﾟﾚｰﾄ(&T)..."));
    mn_sql_history = Item(mn_sql, "mn_sql_history", QStringLiteral("SQL入力履歴(&H)..."));
    mn_sql_sp = Separator(mn_sql, "mn_sql_sp");
    mn_sql_edit = Item(mn_sql, "mn_sql_edit", QStringLiteral("SQL編集(&E)"),
                       QKeySequence(Qt::CTRL | Qt::Key_E));
    mn_kwd_edit = Item(mn_sql, "mn_kwd_edit", QStringLiteral("ｷｰﾜｰﾄﾞリスト編集(&K)"));

    mn_display = Menu(bar, "mn_display", QStringLiteral("表示(&V)"));
    mn_disp_toolbar = Switch(mn_display, "mn_disp_toolbar", QStringLiteral("ツールバー(&T)"));
    mn_disp_statusbar =
        Switch(mn_display, "mn_disp_statusbar", QStringLiteral("ステータスバー(&S)"));
    mn_disp_sp = Separator(mn_display, "mn_disp_sp");
    mn_disp_kwdlist = Switch(mn_display, "mn_disp_kwdlist", QStringLiteral("ｷｰﾜｰﾄﾞリスト(&K)"));
    mn_disp_sp2 = Separator(mn_display, "mn_disp_sp2");
    mn_disp_con2title =
        Switch(mn_display, "mn_disp_con2title", QStringLiteral("接続情報をタイトルに表示(&C)"));

    mn_tool = Menu(bar, "mn_tool", QStringLiteral("ﾂｰﾙ(&T)"));
    mn_out_csv = Item(mn_tool, "mn_out_csv", QStringLiteral("SELECT結果の保存(&S)..."));
    mn_out_select =
        Item(mn_tool, "mn_out_select", QStringLiteral("SELECT実行＆保存(&W)..."), {}, false);
    mn_inp_csv =
        Item(mn_tool, "mn_inp_csv", QStringLiteral("ﾌｧｲﾙからTABLEへ登録(&L)..."), {}, false);
    mn_tool_sp = Separator(mn_tool, "mn_tool_sp");
    mn_set_editor = Item(mn_tool, "mn_set_editor", QStringLiteral("外部エディタの設定(&E)..."));
    mn_kick_dsnadmin =
        Item(mn_tool, "mn_kick_dsnadmin", QStringLiteral("データソース アドミニストレータ(&D)..."));

    mn_help = Menu(bar, "mn_help", QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    mn_help_varkel = Item(mn_help, "mn_help_varkel", QStringLiteral("Varkel Lightのヘルプ"),
                          QKeySequence(Qt::Key_F1));
    mn_help_sp3 = Separator(mn_help, "mn_help_sp3");
    mn_version = Item(mn_help, "mn_version", QStringLiteral("バーション情報(&A)..."));

    for (QMenu* menu : {mn_file, mn_sql, mn_display, mn_tool, mn_help})
        bar->addMenu(menu);

    mn_mouse = Menu(owner, "mn_mouse", QStringLiteral("mouse action"));
    mn_copy_sql = Item(mn_mouse, "mn_copy_sql", kToSql);
    mn_copy_clip = Item(mn_mouse, "mn_copy_clip", kToClip);
    mn_copy_sp4 = Separator(mn_mouse, "mn_copy_sp4");
    mn_copy_allcols = Menu(mn_mouse, "mn_copy_allcols", QStringLiteral("全列名（カンマ区切り）"));
    mn_mouse->addMenu(mn_copy_allcols);
    mn_copy_allcols_sql = Item(mn_copy_allcols, "mn_copy_allcols_sql", kToSql);
    mn_copy_allcols_clip = Item(mn_copy_allcols, "mn_copy_allcols_clip", kToClip);
    mn_copy_sp1 = Separator(mn_mouse, "mn_copy_sp1");
    mn_disp_cols = Menu(mn_mouse, "mn_disp_cols", QStringLiteral("列属性 → SELECT結果ペイン"));
    mn_mouse->addMenu(mn_disp_cols);
    mn_disp_cols_all = Item(mn_disp_cols, "mn_disp_cols_all", QStringLiteral("全情報を表示"));
    mn_disp_cols_name = Item(mn_disp_cols, "mn_disp_cols_name", QStringLiteral("列名のみ表示"));
    mn_copy_sp2 = Separator(mn_mouse, "mn_copy_sp2");
    mn_quick_sql = Menu(mn_mouse, "mn_quick_sql", QStringLiteral("クイック SQL"));
    mn_mouse->addMenu(mn_quick_sql);
    mn_quick_sqlstmt = {Item(mn_quick_sql, "mn_quick_sqlstmt", QString())};

    mn_mouse4 = Menu(owner, "mn_mouse4", QStringLiteral("mouse action4"));
    mn_colcopy_sql = Item(mn_mouse4, "mn_colcopy_sql", kToSql);
    mn_colcopy_clip = Item(mn_mouse4, "mn_colcopy_clip", kToClip);

    mn_mouse5 = Menu(owner, "mn_mouse5", QStringLiteral("mouse action5"));
    mn_kwdcopy_sql = Item(mn_mouse5, "mn_kwdcopy_sql", kToSql);
    mn_kwdcopy_clip = Item(mn_mouse5, "mn_kwdcopy_clip", kToClip);

    mn_mouse7 = Menu(owner, "mn_mouse7", QStringLiteral("mouse action5"));
    mn_objcopy_sql = Item(mn_mouse7, "mn_objcopy_sql", kToSql);
    mn_objcopy_clip = Item(mn_mouse7, "mn_objcopy_clip", kToClip);

    mn_mouse2 = Menu(owner, "mn_mouse2", QStringLiteral("mouse action2"));
    mn_get_tables = Item(mn_mouse2, "mn_get_tables", QStringLiteral("TABLE/VIEW/SYNONYMの再取得"));

    mn_mouse3 = Menu(owner, "mn_mouse3", QStringLiteral("mouse action3"));
    const QString cellCaptions[] = {
        QString(), QStringLiteral("列データ"), QStringLiteral("' 列データ '"),
        QStringLiteral("列名 = 列データ"), QStringLiteral("列名 = ' 列データ '")};
    for (int i = 0; i < 5; ++i) {
        if (i == 1) mn_LV_sp = Separator(mn_mouse3, "mn_LV_sp");
        QMenu* sub = Menu(mn_mouse3, "mn_LV_subitem", cellCaptions[i]);
        mn_mouse3->addMenu(sub);
        mn_LV_subitem << sub;
        mn_LV_subitem_copy_sql << Item(sub, "mn_LV_subitem_copy_sql", kToSql);
        mn_LV_subitem_copy_clip << Item(sub, "mn_LV_subitem_copy_clip", kToClip);
    }

    mn_mouse6 = Menu(owner, "mn_mouse6", QStringLiteral("mouse action6"));
    for (const QString& caption :
         {QStringLiteral("全列名"), QStringLiteral("全列データ（１行分）")}) {
        QMenu* sub = Menu(mn_mouse6, "mn_LV_subitem_all", caption);
        mn_mouse6->addMenu(sub);
        mn_LV_subitem_all << sub;
        mn_LV_subitem_all_copy_sql << Item(sub, "mn_LV_subitem_all_copy_sql", kToSql);
        mn_LV_subitem_all_copy_clip << Item(sub, "mn_LV_subitem_all_copy_clip", kToClip);
    }
}

void MainMenus::createQuickSqlItems() {
    while (mn_quick_sqlstmt.size() < 7)
        mn_quick_sqlstmt << Item(mn_quick_sql, "mn_quick_sqlstmt", QString());
}

}  // namespace varkel
