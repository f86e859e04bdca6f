#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>

#include "toolkit/call_wait.h"

class QAction;

namespace varkel {

class KeyedStatusBar;
class KeyedToolBar;
struct DbSession;

// What the main window shows while a driver call of its session is out: after half a second
// the status bar says that the statement is running and for how long, and the stop command is
// available whatever started the call (a statement, the tree, a commit).
class CallWaitView : public QObject {
    Q_OBJECT
  public:
    CallWaitView(DbSession& session, KeyedStatusBar* statusBar, QAction* stop,
                 KeyedToolBar* toolbar, std::function<void()> stopCommand,
                 QObject* parent = nullptr);
    ~CallWaitView() override;

    // The clock of the running notice; tests drive their own.
    void setClock(std::function<std::int64_t()> clock) { hooks_.clock = std::move(clock); }
    // The "msg" panel's text for a call out for `ms` milliseconds.
    static QString RunningText(std::int64_t ms);
    // The text once a stop has not ended the call for a while (a server that does not answer):
    // the disconnect command then gives the connection up.
    static QString StuckText(std::int64_t ms, bool commitOut = false);
    // The text once the connection was given up.
    static QString GaveUpText(bool inCommit = false);

    // The disconnect command: offered (let through the wait) once a stop has not ended the call
    // within the session's Bounds.stuckAfterStopMs.
    void setGiveUpCommand(QAction* disconnect) { giveUp_ = disconnect; }
    bool givingUpOffered() const { return offered_; }
    // The connection was given up: the status bar says so once the wait is over.
    void gaveUp();

  signals:
    // A call is out and the window waits for it.
    void callOut(CallWait& wait);
    // The call is back.
    void callBack();

  private:
    void started(CallWait& wait);
    void running(std::int64_t ms);
    void ended();
    std::int64_t now() const;
    void offerGivingUp(bool on);

    DbSession& session_;
    KeyedStatusBar* statusBar_;
    QAction* stop_;
    KeyedToolBar* toolbar_;
    CallWaitHooks hooks_;
    QString keptMessage_;
    bool noticeShown_ = false;
    bool stopWasEnabled_ = false;
    bool stopButtonWasEnabled_ = false;
    QAction* giveUp_ = nullptr;
    bool offered_ = false;
    bool offeredInCommit_ = false;  // the call offered for giving up is a commit
    bool giveUpWasEnabled_ = false;
    bool giveUpButtonWasEnabled_ = false;
    // When the running notice first saw the stop given (-1: not yet).
    std::int64_t stopSeenAt_ = -1;
    QElapsedTimer steady_;
};

}  // namespace varkel
