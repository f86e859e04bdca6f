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
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return hasJob_ || quit_; });
        if (!hasJob_) return;
        std::function<int()> job = std::move(job_);
        hasJob_ = false;
        lock.unlock();
        const int result = job();
        lock.lock();
        result_ = result;
        returned_ = true;
        if (wait_) wait_->finish();
        done_.notify_one();
    }
}

int DriverWorker::run(void* statement, const std::function<int()>& call,
                      const CallWaitHooks* hooks) {
    std::unique_lock lock(mutex_);
    if (busy_) return kRefused;
    busy_ = true;
    returned_ = false;
    stopped_ = false;
    statement_ = statement;
    job_ = call;
    hasJob_ = true;
    wake_.notify_one();
    if (!done_.wait_for(lock, kQuietWait, [this] { return returned_; })) {
        CallWait wait(hooks, [this] { cancel(); });
        wait_ = &wait;
        lock.unlock();
        wait.exec();
        lock.lock();
        wait_ = nullptr;
        // The loop may end early (a nested loop quit): the call is waited for all the same.
        done_.wait(lock, [this] { return returned_; });
    }
    busy_ = false;
    statement_ = nullptr;
    return result_;
}

bool DriverWorker::cancel() {
    void* statement = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (!busy_ || returned_) return false;
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
