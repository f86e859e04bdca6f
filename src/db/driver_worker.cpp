#include "db/driver_worker.h"

#include <chrono>

#include "db/odbc_internal.h"
#include "toolkit/call_wait.h"

namespace varkel {

namespace {

// Most calls return within this without the window noticing: they cost no event loop.
constexpr auto kQuietWait = std::chrono::milliseconds(30);

}  // namespace

DriverWorker::DriverWorker() : thread_([this] { loop(); }) {}

DriverWorker::~DriverWorker() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void DriverWorker::loop() {
    for (;;) {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return posted_.load() || quit_; });
        if (!posted_) return;
        posted_ = false;
        const std::function<int()>* job = job_;
        lock.unlock();
        const int result = (*job)();
        lock.lock();
        result_ = result;
        returned_.store(true, std::memory_order_release);
        if (wait_) wait_->finish();
        done_.notify_one();
    }
}

int DriverWorker::run(void* statement, const std::function<int()>& call,
                      const CallWaitHooks* hooks) {
    {
        std::lock_guard lock(mutex_);
        if (busy_) return kRefused;
        busy_ = true;
        returned_ = false;
        stopped_ = false;
        statement_ = statement;
        job_ = &call;
        posted_.store(true, std::memory_order_release);
    }
    wake_.notify_one();
    const auto back = [this] { return returned_.load(std::memory_order_acquire); };
    std::unique_lock lock(mutex_);
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
    busy_ = false;
    statement_ = nullptr;
    job_ = nullptr;
    return result_;
}

bool DriverWorker::cancel() {
    void* statement = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (!busy_ || returned_.load()) return false;
        stopped_ = true;
        statement = statement_;
    }
    // Outside the lock: the driver may take its time to deliver the cancel.
    if (statement) SQLCancel(statement);
    return true;
}

bool DriverWorker::busy() const {
    std::lock_guard lock(mutex_);
    return busy_;
}

bool DriverWorker::stopped() const {
    std::lock_guard lock(mutex_);
    return stopped_;
}

}  // namespace varkel
