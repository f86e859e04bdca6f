#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace varkel {

class CallWait;
struct CallWaitHooks;

// The one thread of a session on which its driver calls that can wait (on the server, the
// network or the disk) run, one call at a time, so that the user-interface thread can keep the
// windows painting meanwhile and deliver the stop command.
class DriverWorker {
  public:
    // What run() returns when a call is out already: nothing is done.
    static constexpr int kRefused = 2;  // the driver manager's "still executing"

    DriverWorker();
    // Waits for a call that is still out, then ends the thread.
    ~DriverWorker();
    DriverWorker(const DriverWorker&) = delete;
    DriverWorker& operator=(const DriverWorker&) = delete;

    // Runs `call` (a driver call returning its raw code) on the worker and returns its code.
    // The caller waits: a few milliseconds without events, then in a CallWait whose stop cancels
    // `statement` (the statement handle the call works on; null: nothing to cancel).
    int run(void* statement, const std::function<int()>& call, const CallWaitHooks* hooks);
    // Cancels the call that is out: SQLCancel on its statement. False when no call is out.
    bool cancel();
    bool busy() const;
    // Whether a stop was given while the last call was out.
    bool stopped() const;

  private:
    void loop();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    const std::function<int()>* job_ = nullptr;
    std::atomic<bool> posted_{false};
    bool quit_ = false;
    bool busy_ = false;
    std::atomic<bool> returned_{false};
    bool stopped_ = false;
    int result_ = 0;
    void* statement_ = nullptr;
    CallWait* wait_ = nullptr;
    std::thread thread_;
};

}  // namespace varkel
