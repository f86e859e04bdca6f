// The connect, disconnect and reconnect commands, and the title that shows the connection.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeWidget>

#include "db/odbc_comm.h"
#include "exec/sql_executor.h"
#include "store/connection_mask.h"
#include "toolkit/desktop.h"
#include "ui/connect/connect_ds.h"
#include "ui/frame/connection_text.h"
#include "ui/main/call_wait_view.h"
#include "ui/main/main_window.h"
#include "ui/tree/tree_pane.h"

namespace varkel {

namespace {

void SetBackground(QLineEdit* box, const QColor& color) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, color);
    box->setPalette(palette);
}

const QColor kConnectedColor(255, 255, 128);

}  // namespace

ConnectDS& Varkel::dialog() {
    if (!connectDialog_) connectDialog_ = new ConnectDS(session_, this);
    return *connectDialog_;
}

void Varkel::Connect() {
    dsn_ = dialog().GetDSN(U_id_, PS_wd_, drv_, DSTag_);
    if (drv_.isEmpty() && dsn_.isEmpty() && DSTag_.isEmpty()) {
        commands_->connectCancelled();
        return;
    }
    if (DbConnect(session_, winId(), dsn_, U_id_, PS_wd_, drv_, DSTag_) != 0) {
        // A connection that is still open stays what the bar and the title show.
        if (IsConnected(session_)) return;
        toolbar_.TB_DSN->clear();
        toolbar_.TB_DSN->setToolTip(QString());
        setWindowTitle(baseTitle_);
        return;
    }
    if (connectDialog_) connectDialog_->SetDataSrcTag(DSTag_);
    toolbar_.TB_DSN->setText(MaskConnectionBarText(DSTag_, PS_wd_));
    lastGoodTag_ = DSTag_;
    lastGoodBarText_ = toolbar_.TB_DSN->text();
    showConnected();
    tree_->FillTree();
    // Some drivers (SQLite's) open a transaction for a catalog query when automatic commit is
    // off, which would keep other programs from writing. Nothing of the user's can be pending
    // right after connecting, so it is ended at once.
    if (IsConnected(session_)) DbCommit(session_);
}

void Varkel::Reconnect() {
    // The last connection that succeeded, not whatever the dialog handed back since.
    if (lastGoodTag_.isEmpty()) return;
    QString none, user, password, tag = lastGoodTag_;
    if (DbConnect(session_, winId(), none, user, password, none, tag) != 0) return;
    toolbar_.TB_DSN->setText(lastGoodBarText_);
    showConnected();
}

void Varkel::showConnected() {
    toolbar_.TB_DSN->setCursorPosition(0);
    toolbar_.TB_DSN->setToolTip(ConnectionTooltip(toolbar_.TB_DSN->text()));
    SetBackground(toolbar_.TB_DSN, kConnectedColor);
    commands_->connected();
    // Connected while something still holds the command lock (a script that a disconnect
    // ended): its commands stay locked until the lock is released.
    if (commandLock_.locked()) commands_->running();
    UpdateTitle();
    if (executor_) executor_->ShowPending();
}

void Varkel::Disconnect() {
    // While a driver call is out the disconnect reaches the window only once a stop has not
    // ended the call for a while (a server that does not answer): the connection is then given
    // up, committing nothing. Otherwise the session would stay connected behind a window that
    // says it is not.
    if (DbCallOut(session_)) {
        if (!callView_ || !callView_->givingUpOffered() || !DbAbandon(session_)) return;
        callView_->gaveUp();
        showDisconnected();
        return;
    }
    left_.TreeView1->setEnabled(false);
    // A result still being read, or left interrupted, is ended with its cursor.
    executor_->EndFetch();
    DbDisconnect(session_);
    showDisconnected();
    left_.TreeView1->setEnabled(true);
}

void Varkel::showDisconnected() {
    toolbar_.TB_DSN->setToolTip(QString());
    SetBackground(toolbar_.TB_DSN, SystemColorOf(SystemColor::ButtonFace));
    commands_->disconnected();
    setWindowTitle(baseTitle_);
    if (executor_) executor_->ShowPending();
}

void Varkel::UpdateTitle() {
    if (menus_.mn_disp_con2title->isChecked() && menus_.mn_disconnect->isEnabled())
        setWindowTitle(ConnInfoTitle(toolbar_.TB_DSN->text()) + QStringLiteral(" - ") + baseTitle_);
    else
        setWindowTitle(baseTitle_);
}

}  // namespace varkel
