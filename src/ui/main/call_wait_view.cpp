#include "ui/main/call_wait_view.h"

#include <QAction>
#include <QToolButton>

#include "db/db_session.h"
#include "db/odbc_comm.h"
#include "toolkit/keyed_bars.h"

namespace varkel {

namespace {
const QString kStop = QStringLiteral("stop");
const QString kMsg = QStringLiteral("msg");
const QString kDisconnect = QStringLiteral("discon");

void MarkLetThrough(QAction* action, KeyedToolBar* toolbar, bool on) {
    if (action) action->setProperty(kStopCommandProperty, on);
    if (!toolbar) return;
    if (QAction* button = toolbar->button(kDisconnect)) {
        button->setProperty(kStopCommandProperty, on);
        if (QWidget* w = toolbar->widgetForAction(button)) w->setProperty(kStopCommandProperty, on);
    }
}
}  // namespace

CallWaitView::CallWaitView(DbSession& session, KeyedStatusBar* statusBar, QAction* stop,
                           KeyedToolBar* toolbar, std::function<void()> stopCommand,
                           QObject* parent)
    : QObject(parent), session_(session), statusBar_(statusBar), stop_(stop), toolbar_(toolbar) {
    hooks_.started = [this](CallWait& wait) { started(wait); };
    hooks_.running = [this](std::int64_t ms) { running(ms); };
    hooks_.ended = [this] { ended(); };
    hooks_.escape = std::move(stopCommand);
    // The stop command is the one input a wait lets through: its menu item, its shortcut and
    // its toolbar button.
    if (stop_) stop_->setProperty(kStopCommandProperty, true);
    if (toolbar_) {
        if (QAction* button = toolbar_->button(kStop)) {
            button->setProperty(kStopCommandProperty, true);
            if (QWidget* w = toolbar_->widgetForAction(button))
                w->setProperty(kStopCommandProperty, true);
        }
    }
    session_.WaitHooks = &hooks_;
    steady_.start();
}

CallWaitView::~CallWaitView() {
    if (session_.WaitHooks == &hooks_) session_.WaitHooks = nullptr;
}

QString CallWaitView::RunningText(std::int64_t ms) {
    return QStringLiteral("SQL実行中：%1秒経過（SQL中断で取り消せます）").arg(ms / 1000);
}

QString CallWaitView::StuckText(std::int64_t ms, bool commitOut) {
    return (commitOut ? QStringLiteral("サーバーが応答しません：%1秒経過（切断で接続を破棄でき"
                                       "ます。COMMITが届いたかどうかはわかりません）")
                      : QStringLiteral("サーバーが応答しません：%1秒経過（切断で接続を破棄でき"
                                       "ます。コミットはしません）"))
        .arg(ms / 1000);
}

QString CallWaitView::GaveUpText(bool inCommit) {
    return inCommit ? QStringLiteral(
                          "サーバーが応答しないため、接続を破棄しました（COMMITが"
                          "届いたかどうかはわかりません）")
                    : QStringLiteral(
                          "サーバーが応答しないため、接続を破棄しました（コミットはしていません）");
}

std::int64_t CallWaitView::now() const {
    return hooks_.clock ? hooks_.clock() : steady_.elapsed();
}

void CallWaitView::offerGivingUp(bool on) {
    if (on == offered_) return;
    offered_ = on;
    if (on) {
        giveUpWasEnabled_ = giveUp_ && giveUp_->isEnabled();
        giveUpButtonWasEnabled_ = toolbar_ && toolbar_->buttonEnabled(kDisconnect);
        if (giveUp_) giveUp_->setEnabled(true);
        if (toolbar_) toolbar_->setButtonEnabled(kDisconnect, true);
    } else if (IsConnected(session_)) {  // once given up, the window has set them already
        if (giveUp_) giveUp_->setEnabled(giveUpWasEnabled_);
        if (toolbar_) toolbar_->setButtonEnabled(kDisconnect, giveUpButtonWasEnabled_);
    }
    MarkLetThrough(giveUp_, toolbar_, on);
}

void CallWaitView::gaveUp() {
    if (!noticeShown_ && statusBar_) keptMessage_ = statusBar_->panelText(kMsg);
    noticeShown_ = true;
    keptMessage_ = GaveUpText(offeredInCommit_);
    if (statusBar_) statusBar_->setPanelText(kMsg, keptMessage_);
}

void CallWaitView::started(CallWait& wait) {
    // A call the tree or a commit started has no lock to enable the stop command: it is
    // enabled while the call is out.
    stopWasEnabled_ = stop_ && stop_->isEnabled();
    stopButtonWasEnabled_ = toolbar_ && toolbar_->buttonEnabled(kStop);
    if (stop_) stop_->setEnabled(true);
    if (toolbar_) toolbar_->setButtonEnabled(kStop, true);
    noticeShown_ = false;
    emit callOut(wait);
}

void CallWaitView::running(std::int64_t ms) {
    if (!statusBar_) return;
    if (DbCallStopped(session_)) {
        const std::int64_t at = now();
        if (stopSeenAt_ < 0) stopSeenAt_ = at;
        // Only a connection that can be given up is offered (not a connect, nor a result read
        // through a connection of its own).
        if (at - stopSeenAt_ >= session_.Bounds.stuckAfterStopMs && DbCanAbandon(session_)) {
            offeredInCommit_ = DbCommitOut(session_);
            offerGivingUp(true);
        }
    }
    if (!noticeShown_) keptMessage_ = statusBar_->panelText(kMsg);
    noticeShown_ = true;
    statusBar_->setPanelText(kMsg, offered_ ? StuckText(ms, offeredInCommit_) : RunningText(ms));
}

void CallWaitView::ended() {
    offerGivingUp(false);
    stopSeenAt_ = -1;
    if (noticeShown_ && statusBar_) statusBar_->setPanelText(kMsg, keptMessage_);
    noticeShown_ = false;
    if (stop_) stop_->setEnabled(stopWasEnabled_);
    if (toolbar_) toolbar_->setButtonEnabled(kStop, stopButtonWasEnabled_);
    emit callBack();
}

}  // namespace varkel
