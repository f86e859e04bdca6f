#include "exec/command_lock.h"

#include <utility>

namespace varkel {

CommandLock::Hold::Hold(CommandLock* lock) : lock_(lock) {
    if (lock_) lock_->acquire();
}

CommandLock::Hold::Hold(Hold&& other) noexcept : lock_(std::exchange(other.lock_, nullptr)) {}

CommandLock::Hold& CommandLock::Hold::operator=(Hold&& other) noexcept {
    if (this != &other) {
        release();
        lock_ = std::exchange(other.lock_, nullptr);
    }
    return *this;
}

CommandLock::Hold::~Hold() {
    release();
}

void CommandLock::Hold::release() {
    // The lock may be gone already when the window that owned it was destroyed first.
    if (CommandLock* lock = std::exchange(lock_, nullptr)) lock->releaseOne();
}

void CommandLock::acquire() {
    if (holds_++ == 0) emit changed(true);
}

void CommandLock::releaseOne() {
    if (holds_ > 0 && --holds_ == 0) emit changed(false);
}

}  // namespace varkel
