#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace varkel {

class CallWait;
struct CallWaitHooks;

// The one thread of a session on which its driver calls that can wait (on the server, the
// network or the disk) run, one call at a time, so that the user-interface thread can keep the
// windows painting meanwhile and deliver the stop command.
class DriverWorker : public std::enable_shared_from_this<DriverWorker> {
  public:
    // What run() returns when a call is out already: nothing is done.
    static constexpr int kRefused = 2;  // the driver manager's "still executing"
    // What run() returns for a call given up by abandon(): no driver code has this value.
    static constexpr int kAbandoned = 3;

    DriverWorker();
    // Waits for a call that is still out, then ends the thread (an abandoned worker ends by
    // itself once its call is back).
    ~DriverWorker();
    DriverWorker(const DriverWorker&) = delete;
    DriverWorker& operator=(const DriverWorker&) = delete;

    // Runs `call` (a driver call returning its raw code) on the worker and returns its code.
    // The caller waits: a few milliseconds without events, then in a CallWait whose stop cancels
    // `statement` (the statement handle the call works on; null: nothing to cancel). The worker
    // keeps `call` until it returns, so what it captures by value outlives an abandon.
    // A call `aside` (the session's own set-up around a statement) leaves stopped() as it was.
    // A call posted and not yet collected is waited for first (its code kept for collect()), so
    // calls reach the driver in the order they were given.
    int run(void* statement, std::function<int()> call, const CallWaitHooks* hooks,
            bool aside = false);
    // Starts `call` as run() does but returns at once, so that the caller works meanwhile; its
    // code is had from collect(). False (nothing started) when a call is out already.
    bool post(void* statement, std::function<int()> call);
    // Waits for the posted call as run() waits for its call and returns its code (kRefused when
    // nothing was posted).
    int collect(const CallWaitHooks* hooks);
    // Whether a posted call has not been collected yet.
    bool posted() const { return ahead_; }
    // Cancels the call that is out: SQLCancel on its statement, given on a thread of its own
    // (a driver may open a connection to deliver it, which a dead network holds up), and the
    // call counts as out until that cancel is back too. False when no call is out (a posted
    // call counts once collect() or another call waits for it).
    bool cancel();
    // Whether a call is out that its caller waits for (a posted call counts once collect() or
    // another call waits for it).
    bool busy() const;
    // Whether a stop was given while the last call was out.
    bool stopped() const;

    // Gives up the call that is out (a server that answers neither it nor its cancel): run()
    // returns kAbandoned at once, while the thread keeps the call and, once it is back, runs
    // `cleanup` (which frees what the call worked on) and ends, without ever holding up the
    // program's exit. The session must not use this worker again. False when no call is out.
    bool abandon(std::function<void()> cleanup);
    // Held by a call while it writes into its caller's memory after a driver call came back:
    // empty (owning no lock) when the call was abandoned, and the call must then return
    // kAbandoned without touching anything of its caller.
    std::unique_lock<std::mutex> deliver();

  private:
    void loop();
    bool start(void* statement, std::function<int()> call, bool aside);
    int wait(const CallWaitHooks* hooks);
    // Waits for a posted call that is still out and keeps its code for collect().
    void settle(const CallWaitHooks* hooks);

    mutable std::mutex mutex_;
    std::mutex deliver_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::function<int()> job_;
    std::atomic<bool> posted_{false};
    bool quit_ = false;
    bool busy_ = false;
    std::atomic<bool> returned_{false};
    bool stopped_ = false;
    bool abandoned_ = false;
    int result_ = 0;
    bool waiting_ = false;
    // Used by the caller's thread only: a posted call not yet collected, whether it is back
    // (waited for by another call) and its code then.
    bool ahead_ = false;
    bool aheadBack_ = false;
    int aheadResult_ = 0;
    void* statement_ = nullptr;
    CallWait* wait_ = nullptr;
    std::function<void()> cleanup_;
    // Set when abandoned: the thread keeps its worker alive until the call is back.
    std::shared_ptr<DriverWorker> self_;
    bool cancelling_ = false;
    std::thread canceller_;
    std::thread thread_;
};

}  // namespace varkel
