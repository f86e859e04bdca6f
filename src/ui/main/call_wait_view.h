#pragma once

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

  signals:
    // A call is out and the window waits for it.
    void callOut(CallWait& wait);
    // The call is back.
    void callBack();

  private:
    void started(CallWait& wait);
    void running(std::int64_t ms);
    void ended();

    DbSession& session_;
    KeyedStatusBar* statusBar_;
    QAction* stop_;
    KeyedToolBar* toolbar_;
    CallWaitHooks hooks_;
    QString keptMessage_;
    bool noticeShown_ = false;
    bool stopWasEnabled_ = false;
    bool stopButtonWasEnabled_ = false;
};

}  // namespace varkel
