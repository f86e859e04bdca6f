#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace varkel {

// The version window "バージョン情報": the program's title, its version and credit, its icon.
// It exists only while shown: OK unloads it.
class FrmVersion : public QDialog {
    Q_OBJECT
  public:
    FrmVersion(const QString& MyTitle, QWidget* owner);

    QLabel* L_title[2] = {};
    QLabel* Image1 = nullptr;
    QPushButton* Command1 = nullptr;

    void okClicked();
};

// "Ver." and the program's version, for example "Ver.1.0.5".
QString VersionText();

// Loads the version window, modeless and owned by `owner`, centred on the screen; while one is
// open it brings that one forward instead.
FrmVersion* ShowVer(const QString& MyTitle, QWidget* owner);

}  // namespace varkel
