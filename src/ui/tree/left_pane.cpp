#include "ui/tree/left_pane.h"

#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>

#include "toolkit/tool_icons.h"
#include "toolkit/twips.h"
#include "ui/tree/object_tree_widget.h"

namespace varkel {

namespace {

QRect Px(const Rect& r) {
    return TwipsToPixels(r.left, r.top, r.width, r.height);
}

}  // namespace

void LeftPane::build(QWidget* parent) {
    Cmd_srch_obj = new QToolButton(parent);
    Cmd_srch_obj->setObjectName(QStringLiteral("Cmd_srch_obj"));
    Cmd_srch_obj->setIcon(ToolIcon(QStringLiteral("search")));
    Cmd_srch_obj->setToolTip(QStringLiteral("全て検索（[Shift]+ｸﾘｯｸで追加）"));
    Cmd_srch_obj->setAccessibleName(QStringLiteral("全て検索"));

    CB_srch_obj = new QComboBox(parent);
    CB_srch_obj->setObjectName(QStringLiteral("CB_srch_obj"));
    CB_srch_obj->setEditable(true);
    CB_srch_obj->setAccessibleName(QStringLiteral("オブジェクト検索文字列"));

    TabObjects = new QTabBar(parent);
    TabObjects->setObjectName(QStringLiteral("TabObjects"));
    TabObjects->setShape(QTabBar::RoundedWest);
    TabObjects->setAccessibleName(QStringLiteral("オブジェクト種別"));
    const std::pair<const char*, QString> tabs[] = {
        {"ALL", QStringLiteral("全て表示します")},
        {"TABLE", QStringLiteral("テーブルを表示します")},
        {"VIEW", QStringLiteral("ビューを表示します")},
        {"SYNONYM", QStringLiteral("シノニムを表示します")}};
    for (const auto& [key, tip] : tabs) {
        const int index = TabObjects->addTab(QString::fromLatin1(key));
        TabObjects->setTabData(index, QString::fromLatin1(key));
        TabObjects->setTabToolTip(index, tip);
    }

    TreeView1 = new ObjectTreeWidget(parent);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setAccessibleName(QStringLiteral("DBオブジェクト"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setHeaderLabel(TreeView1->accessibleName());  // what its header is read as

    Fra_Found = new QFrame(parent);
    Fra_Found->setObjectName(QStringLiteral("Fra_Found"));
    Fra_Found->setCursor(Qt::SizeVerCursor);
    L_Found = new QLabel(QStringLiteral("検出："), Fra_Found);
    L_Found->setObjectName(QStringLiteral("L_Found"));

    LV_Found = new QTreeWidget(parent);
    LV_Found->setObjectName(QStringLiteral("LV_Found"));
    LV_Found->setAccessibleName(QStringLiteral("検索結果"));
    LV_Found->setHeaderHidden(true);
    LV_Found->setHeaderLabel(LV_Found->accessibleName());
    LV_Found->setRootIsDecorated(false);
    LV_Found->setColumnCount(1);
}

void LeftPane::apply(const MainGeometry& g) {
    Cmd_srch_obj->setGeometry(Px(g.srchButton));
    CB_srch_obj->setGeometry(Px(g.srchCombo));
    TabObjects->setGeometry(Px(g.tabs));
    TreeView1->setGeometry(Px(g.tree));
    Fra_Found->setGeometry(Px(g.foundFrame));
    L_Found->setGeometry(Px(g.foundLabel));
    LV_Found->setGeometry(Px(g.foundList));
    LV_Found->setVisible(g.foundList.height > 0);
}

}  // namespace varkel
