#include "ui/main/toolbar_pane.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>

#include "toolkit/keyed_bars.h"
#include "toolkit/tool_icons.h"
#include "toolkit/twips.h"

namespace varkel {

void ToolbarPane::build(QMainWindow* window) {
    Toolbar1 = new KeyedToolBar(window);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(24, 24));
    window->addToolBar(Qt::TopToolBarArea, Toolbar1);

    auto add = [this](const char* key, const QString& tip, bool pressable = false) {
        Toolbar1->addKeyedButton(QString::fromLatin1(key), ToolIcon(QString::fromLatin1(key)), tip,
                                 pressable);
    };
    add("connect", QStringLiteral("DB接続"), true);
    add("discon", QStringLiteral("DB切断"), true);

    holder = new QWidget(Toolbar1);  // the third button: it only reserves the bar's room
    holder->setObjectName(QStringLiteral("placeholder"));
    Pict_db = new QWidget(holder);
    Pict_db->setObjectName(QStringLiteral("Pict_db"));
    L_db = new QLabel(QStringLiteral("DB:"), Pict_db);
    L_db->setObjectName(QStringLiteral("DB:"));
    TB_DSN = new QLineEdit(Pict_db);
    TB_DSN->setObjectName(QStringLiteral("TB_DSN"));
    TB_DSN->setAccessibleName(QStringLiteral("接続文字列"));
    TB_DSN->setReadOnly(true);
    Img_slide = new QLabel(QStringLiteral("⋮"), Pict_db);
    Img_slide->setObjectName(QStringLiteral("Img_slide"));
    Img_slide->setAlignment(Qt::AlignCenter);
    Img_slide->setCursor(Qt::SizeHorCursor);
    Img_slide->setToolTip(QStringLiteral("ドラッグで幅を変えます"));
    placeholder = Toolbar1->addWidget(holder);

    Toolbar1->addSeparator();
    add("go", QStringLiteral("SQL実行"));
    add("stop", QStringLiteral("SQL中断"));
    Toolbar1->addSeparator();
    add("ok", QStringLiteral("COMMIT"));
    add("ng", QStringLiteral("ROLLBACK"));
    Toolbar1->addSeparator();
    add("temp", QStringLiteral("SQLﾃﾝﾌﾟﾚｰﾄ"));
    add("hist", QStringLiteral("SQL入力履歴"));
    Toolbar1->addSeparator();
    add("save", QStringLiteral("SELECT結果の保存"));
    add("inst", QStringLiteral("ファイルからTABLEへ登録"));
}

void ToolbarPane::apply(const ConnectionBarGeometry& bar) {
    const int height = 26;
    holder->setFixedSize(TwipsToPixelsX(bar.placeholderWidth), height);
    Pict_db->setGeometry(0, 0, TwipsToPixelsX(bar.barWidth), height);
    const int left = 4;
    L_db->setGeometry(left, 0, TwipsToPixelsX(405) - left, height);
    TB_DSN->setGeometry(TwipsToPixelsX(405), 1, TwipsToPixelsX(bar.textWidth), height - 2);
    Img_slide->setGeometry(TwipsToPixelsX(bar.handleLeft), 0, 8, height);
}

}  // namespace varkel
