#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>

namespace varkel {

class CallWait;

// What a wait for the database tells the windows, and what ends it early. The main window sets
// them on its session; every member may be empty.
struct CallWaitHooks {
    // The wait has begun: the call is out. Tests start their stop here.
    std::function<void(CallWait&)> started;
    // The call has been out for `ms` milliseconds: first after half a second, then once a second.
    std::function<void(std::int64_t ms)> running;
    // The call is back (after `started`).
    std::function<void()> ended;
    // The stop command given by Esc; without it Esc cancels the call directly.
    std::function<void()> escape;
    // Milliseconds since some fixed point; a steady clock when empty (tests drive their own).
    std::function<std::int64_t()> clock;
};

// The name of the property that marks an action or a widget as the stop command: the one input
// a wait lets through.
inline constexpr char kStopCommandProperty[] = "varkelStopCommand";

// The user-interface thread's wait for a call that runs elsewhere: every window keeps painting,
// and no input reaches any window except the stop command (its menu item, its toolbar button,
// its shortcut, Esc) and a message box opened meanwhile.
class CallWait : public QObject {
  public:
    static constexpr std::int64_t kFirstNoticeMs = 500;

    CallWait(const CallWaitHooks* hooks, std::function<void()> stop);
    ~CallWait() override;
    CallWait(const CallWait&) = delete;
    CallWait& operator=(const CallWait&) = delete;

    // Runs the local loop until finish() (at once when finish() came first).
    void exec();
    // Ends the wait; safe from any thread.
    void finish();
    // Looks at the clock: the running notice after half a second, then once a second.
    void tick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::int64_t now() const;
    bool letThrough(QObject* watched, QEvent* event);

    const CallWaitHooks* hooks_;
    std::function<void()> stop_;
    QEventLoop loop_;
    QTimer ticker_;
    QElapsedTimer steady_;
    std::int64_t start_ = 0;
    std::int64_t lastNotice_ = -1;
    bool finished_ = false;
};

}  // namespace varkel
