#pragma once

#include <QList>

#include "ui/frame/layout_rules.h"
#include "ui/tree/keyword_list.h"

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollBar;
class QToolButton;
class QTreeWidget;
class QWidget;

namespace varkel {

class SqlBox;

// The right pane: the SQL head with the history number and the search buttons, the keyword
// list, the SQL input box, the execution information frame and the result list.
struct SqlPane {
    QFrame* Frm_SQL_head = nullptr;
    QLabel* L_sql_no = nullptr;
    QScrollBar* VScr_hist = nullptr;
    QPushButton* Cmd_clear = nullptr;
    QList<QToolButton*> Cmd_q;  // (0) searches to the right, (1) to the left
    QPushButton* Cmd_srch_wd = nullptr;
    KeywordList* Lst_kwd = nullptr;
    SqlBox* TB_SQL = nullptr;
    QFrame* Fra_SqlInfo = nullptr;
    QList<QLabel*> L_fetch;  // the fixed captions of the execution frame
    QLabel *L_cols = nullptr, *L_rows = nullptr, *L_sec = nullptr, *L_msg = nullptr;
    QToolButton* Cmd_start_stop = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QFrame* L_split = nullptr;

    void build(QWidget* parent);
    void apply(const MainGeometry& g, bool kwdShown);
};

}  // namespace varkel
