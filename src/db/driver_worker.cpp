#include "db/driver_worker.h"

#include <chrono>

#include "db/odbc_internal.h"
#include "toolkit/call_wait.h"

namespace varkel {

namespace {

// Most calls return within this without the window noticing: they cost no event loop.
constexpr auto kQuietWait = std::chrono::milliseconds(30);

}  // namespace

DriverWorker::DriverWorker()
    : thread_([this] {
          loop();
          // An abandoned worker is owned by its thread alone: the last owner lets it go here,
          // after the loop has touched it for the last time.
          std::shared_ptr<DriverWorker> last = std::move(self_);
      }) {}

DriverWorker::~DriverWorker() {
    if (!thread_.joinable()) return;  // abandoned: the thread ends by itself
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
    thread_.join();
    if (canceller_.joinable()) canceller_.join();
}

void DriverWorker::loop() {
    for (;;) {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return posted_.load() || quit_; });
        if (!posted_) {
            if (!abandoned_) return;
            // Abandoned with the call back and its cancel still out: that cancel goes first.
            std::function<void()> cleanup = std::move(cleanup_);
            lock.unlock();
            if (canceller_.joinable()) canceller_.join();
            if (cleanup) cleanup();
            return;
        }
        posted_ = false;
        std::function<int()> job = std::move(job_);
        lock.unlock();
        const int result = job();
        job = nullptr;  // what the call captured goes before the caller hears of its end
        lock.lock();
        if (abandoned_) {
            std::function<void()> cleanup = std::move(cleanup_);
            lock.unlock();
            // The handles go only once nothing uses them any more.
            if (canceller_.joinable()) canceller_.join();
            if (cleanup) cleanup();
            return;
        }
        result_ = result;
        returned_.store(true, std::memory_order_release);
        if (!cancelling_) {
            if (wait_) wait_->finish();
            done_.notify_one();
        }
    }
}

int DriverWorker::run(void* statement, std::function<int()> call, const CallWaitHooks* hooks,
                      bool aside) {
    // The session may let go of the worker while this waits (the connection given up): the
    // wait below still needs it.
    const std::shared_ptr<DriverWorker> keep = shared_from_this();
    settle(hooks);
    if (ahead_ && aheadResult_ == kAbandoned) return kAbandoned;
    if (!start(statement, std::move(call), aside)) return kRefused;
    return wait(hooks);
}

bool DriverWorker::post(void* statement, std::function<int()> call) {
    if (ahead_ || !start(statement, std::move(call), false)) return false;
    ahead_ = true;
    aheadBack_ = false;
    return true;
}

int DriverWorker::collect(const CallWaitHooks* hooks) {
    if (!ahead_) return kRefused;
    const std::shared_ptr<DriverWorker> keep = shared_from_this();
    settle(hooks);
    ahead_ = false;
    aheadBack_ = false;
    return aheadResult_;
}

void DriverWorker::settle(const CallWaitHooks* hooks) {
    if (!ahead_ || aheadBack_) return;
    aheadResult_ = wait(hooks);
    aheadBack_ = true;
}

bool DriverWorker::start(void* statement, std::function<int()> call, bool aside) {
    {
        std::lock_guard lock(mutex_);
        if (busy_) return false;
        busy_ = true;
        returned_ = false;
        if (!aside) stopped_ = false;
        statement_ = statement;
        job_ = std::move(call);
        posted_.store(true, std::memory_order_release);
    }
    wake_.notify_one();
    return true;
}

int DriverWorker::wait(const CallWaitHooks* hooks) {
    // Back: the call, and any cancel given for it (which must not outlive its statement).
    const auto back = [this] {
        return (returned_.load(std::memory_order_acquire) && !cancelling_) || abandoned_;
    };
    std::unique_lock lock(mutex_);
    waiting_ = true;
    if (!done_.wait_for(lock, kQuietWait, back)) {
        CallWait wait(hooks, [this] { cancel(); });
        wait_ = &wait;
        lock.unlock();
        wait.exec();
        lock.lock();
        wait_ = nullptr;
        // The loop may end early (a nested loop quit): the call is waited for all the same.
        done_.wait(lock, back);
    }
    waiting_ = false;
    if (abandoned_) return kAbandoned;
    busy_ = false;
    statement_ = nullptr;
    return result_;
}

bool DriverWorker::cancel() {
    std::unique_lock lock(mutex_);
    // A posted call that nobody waits for goes on: the stop reaches its caller, which then
    // ends before anything that call does is lost.
    if (!busy_ || abandoned_ || returned_.load() || (ahead_ && !waiting_)) return false;
    stopped_ = true;
    void* const statement = statement_;
    if (!statement || cancelling_) return true;    // the cancel given before is still on its way
    if (canceller_.joinable()) canceller_.join();  // an earlier one, back already
    cancelling_ = true;
    canceller_ = std::thread([this, statement] {
        SQLCancel(statement);
        std::lock_guard done(mutex_);
        cancelling_ = false;
        if (returned_.load() && !abandoned_) {
            if (wait_) wait_->finish();
            done_.notify_one();
        }
    });
    return true;
}

bool DriverWorker::abandon(std::function<void()> cleanup) {
    // A call writing its results finishes that first: afterwards it writes nothing more.
    std::lock_guard hold(deliver_);
    std::lock_guard lock(mutex_);
    // A call that is back while the cancel given for it is still out counts as out.
    if (!busy_ || abandoned_ || (returned_.load() && !cancelling_)) return false;
    abandoned_ = true;
    cleanup_ = std::move(cleanup);
    self_ = shared_from_this();
    thread_.detach();
    if (returned_.load()) {  // the thread waits for work: it ends after the cancel
        quit_ = true;
        wake_.notify_one();
    }
    if (wait_) wait_->finish();
    done_.notify_one();
    return true;
}

std::unique_lock<std::mutex> DriverWorker::deliver() {
    std::unique_lock hold(deliver_);
    std::lock_guard lock(mutex_);
    if (abandoned_) hold.unlock();
    return hold;
}

bool DriverWorker::busy() const {
    std::lock_guard lock(mutex_);
    return busy_ && (waiting_ || !ahead_);
}

bool DriverWorker::stopped() const {
    std::lock_guard lock(mutex_);
    return stopped_;
}

}  // namespace varkel
