#include "tools/frm_version.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "toolkit/twips.h"
#include "toolkit/yield.h"
#include "tools/program_icon.h"

namespace varkel {

QString VersionText() {
    return QStringLiteral("Ver.%1.%2.%3")
        .arg(VARKEL_VERSION_MAJOR)
        .arg(VARKEL_VERSION_MINOR)
        .arg(VARKEL_VERSION_PATCH);
}

FrmVersion::FrmVersion(const QString& MyTitle, QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("FrmVersion"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setAccessibleName(windowTitle());
    // Read alike with the menu item that opens it, whose caption says "バーション情報".
    setAccessibleDescription(QStringLiteral("バージョン情報"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(TwipsToPixelsX(5200), TwipsToPixelsY(2400));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(ProgramIcon().pixmap(48, 48));
    Image1->setGeometry(TwipsToPixels(240, 240, 720, 720));
    L_title[0] = new QLabel(MyTitle, this);
    L_title[0]->setObjectName(QStringLiteral("L_title"));
    QFont titleFont(QStringLiteral("Times New Roman"), 12);
    L_title[0]->setFont(titleFont);
    L_title[0]->setGeometry(TwipsToPixels(1200, 240, 3800, 400));
    L_title[1] =
        new QLabel(VersionText() + QStringLiteral("\nCopyright (C) 2026 Varkel の開発者"), this);
    L_title[1]->setObjectName(QStringLiteral("L_title"));
    L_title[1]->setGeometry(TwipsToPixels(1200, 720, 3800, 700));
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command1->setGeometry(TwipsToPixels(3600, 1680, 1300, 420));
    connect(Command1, &QPushButton::clicked, this, &FrmVersion::okClicked);

    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void FrmVersion::okClicked() {
    hide();
    DoEvents();
    deleteLater();  // unloaded: the next ShowVer loads it anew
}

FrmVersion* ShowVer(const QString& MyTitle, QWidget* owner) {
    // One at a time: the open one comes forward (one closed by OK is hidden until it goes).
    const auto open =
        owner ? owner->findChildren<FrmVersion*>(Qt::FindDirectChildrenOnly) : QList<FrmVersion*>();
    for (FrmVersion* window : open) {
        if (!window->isVisible()) continue;
        window->raise();
        window->activateWindow();
        return window;
    }
    auto* window = new FrmVersion(MyTitle, owner);
    window->show();
    return window;
}

}  // namespace varkel
