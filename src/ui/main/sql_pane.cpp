#include "ui/main/sql_pane.h"

#include <QFontDatabase>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QTreeWidget>

#include "toolkit/plain_roles.h"
#include "toolkit/twips.h"
#include "ui/results/result_list_view.h"
#include "ui/sqlbox/sql_box.h"
#include "ui/tree/keyword_list.h"

namespace varkel {

namespace {

QRect Px(const Rect& r) {
    return TwipsToPixels(r.left, r.top, r.width, r.height);
}

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* Caption(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(text);
    return label;
}

}  // namespace

void SqlPane::build(QWidget* parent) {
    L_split = Named(new QFrame(parent), "L_split");
    L_split->setFrameShape(QFrame::VLine);
    L_split->setCursor(Qt::SizeHorCursor);

    Frm_SQL_head = Named(new QFrame(parent), "Frm_SQL_head");
    L_sql_no = Named(new QLabel(Frm_SQL_head), "L_sql_no");
    L_sql_no->setGeometry(TwipsToPixels(60, 60, 900, 270));
    VScr_hist = Named(new QScrollBar(Qt::Vertical, Frm_SQL_head), "VScr_hist");
    VScr_hist->setRange(-1, 1);
    VScr_hist->setValue(0);
    VScr_hist->setToolTip(QStringLiteral("SQL入力履歴"));
    VScr_hist->setAccessibleName(QStringLiteral("SQL入力履歴"));
    VScr_hist->setGeometry(TwipsToPixels(1000, 15, 255, 360));
    Cmd_clear = Named(new QPushButton(QStringLiteral("ｸﾘｱ"), Frm_SQL_head), "Cmd_clear");
    Cmd_clear->setToolTip(QStringLiteral("SQLをｸﾘｱします"));
    Cmd_clear->setGeometry(TwipsToPixels(1320, 15, 720, 360));
    auto* left = Named(new QToolButton(Frm_SQL_head), "Cmd_q");
    left->setText(QStringLiteral("←"));
    left->setToolTip(QStringLiteral("左をサーチ"));
    left->setAccessibleName(QStringLiteral("左をサーチ"));
    auto* right = Named(new QToolButton(Frm_SQL_head), "Cmd_q");
    right->setText(QStringLiteral("→"));
    right->setToolTip(QStringLiteral("右をサーチ"));
    right->setAccessibleName(QStringLiteral("右をサーチ"));
    Cmd_q = {right, left};
    left->setGeometry(TwipsToPixels(2160, 15, 360, 360));
    right->setGeometry(TwipsToPixels(2520, 15, 360, 360));
    Cmd_srch_wd = Named(new QPushButton(Frm_SQL_head), "Cmd_srch_wd");
    Cmd_srch_wd->setGeometry(TwipsToPixels(2940, 15, 900, 360));

    Lst_kwd = Named(new KeywordList(parent), "Lst_kwd");
    Lst_kwd->setAccessibleName(QStringLiteral("キーワードリスト"));

    TB_SQL = Named(new SqlBox(parent), "TB_SQL");
    TB_SQL->setAccessibleName(QStringLiteral("SQL入力エリア"));
    TB_SQL->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    TB_SQL->setLineWrapMode(QPlainTextEdit::NoWrap);
    TB_SQL->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TB_SQL->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    Fra_SqlInfo = Named(new QFrame(parent), "Fra_SqlInfo");
    Fra_SqlInfo->setFrameShape(QFrame::StyledPanel);
    Fra_SqlInfo->setCursor(Qt::SizeVerCursor);
    ReadAsOneText(Fra_SqlInfo);  // "FETCH 3 列 120 行 時間: 0.25 秒"
    const auto place = [](QWidget* w, int left, int width) {
        w->setGeometry(TwipsToPixels(left, 30, width, 285));
    };
    L_fetch = {
        Caption(Fra_SqlInfo, QStringLiteral("FETCH")), Caption(Fra_SqlInfo, QStringLiteral("列")),
        Caption(Fra_SqlInfo, QStringLiteral("行")), Caption(Fra_SqlInfo, QStringLiteral("時間:")),
        Caption(Fra_SqlInfo, QStringLiteral("秒"))};
    Cmd_start_stop = Named(new QToolButton(Fra_SqlInfo), "Cmd_start_stop");
    Cmd_start_stop->setEnabled(false);
    Cmd_start_stop->setAccessibleName(QStringLiteral("FETCHの中断と再開"));
    L_cols = Named(new QLabel(Fra_SqlInfo), "L_cols");
    L_rows = Named(new QLabel(Fra_SqlInfo), "L_rows");
    L_sec = Named(new QLabel(Fra_SqlInfo), "L_sec");
    L_msg = Named(new QLabel(Fra_SqlInfo), "L_msg");
    for (QLabel* l : {L_cols, L_rows, L_sec})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    place(L_fetch[0], 60, 660);
    Cmd_start_stop->setGeometry(TwipsToPixels(690, 15, 270, 315));
    place(L_cols, 960, 480);
    place(L_fetch[1], 1470, 240);
    place(L_rows, 1740, 780);
    place(L_fetch[2], 2550, 240);
    place(L_fetch[3], 2850, 450);
    place(L_sec, 3300, 780);
    place(L_fetch[4], 4110, 300);

    ListView1 = Named(new ResultListView(parent), "ListView1");
    ListView1->setAccessibleName(QStringLiteral("SELECT結果"));
}

void SqlPane::apply(const MainGeometry& g, bool kwdShown) {
    L_split->setGeometry(Px(g.split));
    Frm_SQL_head->setGeometry(Px(g.head));
    Lst_kwd->setGeometry(Px(g.kwd));
    Lst_kwd->setVisible(kwdShown);
    TB_SQL->setGeometry(Px(g.sql));
    Fra_SqlInfo->setGeometry(Px(g.info));
    L_msg->setGeometry(Px(g.msg));
    ListView1->setGeometry(Px(g.result));
}

}  // namespace varkel
