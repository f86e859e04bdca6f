#include "ui/main/call_wait_view.h"

#include <QAction>
#include <QToolButton>

#include "db/db_session.h"
#include "toolkit/keyed_bars.h"

namespace varkel {

namespace {
const QString kStop = QStringLiteral("stop");
const QString kMsg = QStringLiteral("msg");
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
}

CallWaitView::~CallWaitView() {
    if (session_.WaitHooks == &hooks_) session_.WaitHooks = nullptr;
}

QString CallWaitView::RunningText(std::int64_t ms) {
    return QStringLiteral("SQL実行中：%1秒経過（SQL中断で取り消せます）").arg(ms / 1000);
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
    if (!noticeShown_) keptMessage_ = statusBar_->panelText(kMsg);
    noticeShown_ = true;
    statusBar_->setPanelText(kMsg, RunningText(ms));
}

void CallWaitView::ended() {
    if (noticeShown_ && statusBar_) statusBar_->setPanelText(kMsg, keptMessage_);
    noticeShown_ = false;
    if (stop_) stop_->setEnabled(stopWasEnabled_);
    if (toolbar_) toolbar_->setButtonEnabled(kStop, stopButtonWasEnabled_);
    emit callBack();
}

}  // namespace varkel
