#pragma once

#include <QDialog>
#include <QList>

#include "ui/connect/connection_history.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace varkel {

struct DbSession;

// The connection dialog "データベース接続": a data source with user id and password, a driver,
// or an entry of the connection history. Loaded once and then only hidden and shown, so its
// lists, mode and choices last for the run; closing it by its frame unloads it.
class ConnectDS : public QDialog {
    Q_OBJECT
  public:
    ConnectDS(DbSession& session, QWidget* owner);

    // Shows the dialog modally; the chosen data source name, and through the arguments the user
    // id, password, driver and history entry of the mode in which OK was pressed. All empty
    // after Cancel or a close by the frame.
    QString GetDSN(QString& U_id, QString& PS_wd, QString& drv, QString& DSTag);

    // Remembers a successful connection when the user asked for that.
    void SetDataSrcTag(const QString& DSTag);
    // Writes the history and its switch to the settings file (not when the load stopped early).
    void SaveHist();
    void SaveHist(IniFile& ini);  // into settings saved later, with others

    bool closedByFrame() const { return closedByFrame_; }
    int normalWidth() const { return normalWidth_; }

    QList<QRadioButton*> Option1;
    QList<QGroupBox*> Frame1;
    QComboBox* Combo1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* TB_uid = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* TB_psw = nullptr;
    QComboBox* Combo2 = nullptr;
    QListWidget* Lst_conn_hist = nullptr;
    QCheckBox* Chk_add_hist = nullptr;
    QLabel* Label1 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QPushButton* Cmd_ok = nullptr;
    QPushButton* Cmd_cancel = nullptr;
    QMenu* mn_hist = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void load();
    void switchMode();
    void accept() override;
    void cancel();
    void showDetails();
    // Lists the history and selects `selectedEntry` (unmasked) where it is; none when empty.
    void fillHistoryList(const QString& selectedEntry);
    void deleteSelectedEntry();

    DbSession& session_;
    ConnectionHistory history_;
    QString connHistSave_;
    bool historyLoaded_ = false;
    bool closedByFrame_ = false;
    int normalWidth_ = 0;
    int lineHeight_ = 0;
    QString chosenDsn_, chosenUid_, chosenPwd_, chosenDriver_, chosenHistEntry_;
};

}  // namespace varkel
