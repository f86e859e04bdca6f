#pragma once

#include <utility>

namespace varkel {

// One move-only owner per ODBC handle kind. The handle is kept as the driver manager's opaque
// pointer so that code outside src/db never needs <sql.h>. A destructor never throws and frees
// what is still allocated; the session's normal paths free handles explicitly in the order the
// driver manager needs.
template <typename Traits>
class OdbcHandle {
  public:
    OdbcHandle() = default;
    ~OdbcHandle() {
        if (handle_) counted(Traits::abandon(handle_));
    }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    OdbcHandle(OdbcHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, nullptr)), live_(other.live_) {}
    OdbcHandle& operator=(OdbcHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
            live_ = other.live_;
        }
        return *this;
    }

    void* get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // Frees the handle; returns the raw return code of the freeing call (0 when there was none).
    int reset() noexcept {
        return handle_ ? counted(Traits::free(std::exchange(handle_, nullptr))) : 0;
    }
    // Forgets the handle without freeing it (the driver manager already did).
    void forget() noexcept {
        if (std::exchange(handle_, nullptr)) counted(0);
    }

    // Stops counting the handle where it was counted (it leaves its session's thread, see
    // GiveUpConnection) and returns that counter; `recount` counts it there again.
    int* uncount() noexcept {
        if (handle_ && live_) --*live_;
        return std::exchange(live_, nullptr);
    }
    void recount(int* live) noexcept {
        live_ = live;
        if (handle_ && live_) ++*live_;
    }

    // Where an allocation call writes the new handle (converts to the call's `void**`); whatever
    // was held is freed first. With `live`, a handle the call allocated adds one to it until it
    // is freed: how a session tells how many statements it holds.
    class Receiver {
      public:
        explicit Receiver(OdbcHandle& owner) noexcept : owner_(owner) {}
        ~Receiver() {
            if (owner_.handle_ && owner_.live_) ++*owner_.live_;
        }
        Receiver(const Receiver&) = delete;
        Receiver& operator=(const Receiver&) = delete;
        operator void**() const noexcept { return &owner_.handle_; }

      private:
        OdbcHandle& owner_;
    };
    Receiver receive(int* live = nullptr) noexcept {
        reset();
        live_ = live;
        return Receiver(*this);
    }

  private:
    // A handle whose freeing call failed (SQL_ERROR) stays with the driver manager: still live.
    int counted(int freed) noexcept {
        if (live_ && freed != -1) --*live_;
        return freed;
    }

    void* handle_ = nullptr;
    int* live_ = nullptr;
};

// free: the plain freeing call. abandon: what the destructor does with a handle nobody freed.
// Both return the raw code of the freeing call.
struct EnvTraits {
    static int free(void* handle) noexcept;
    static int abandon(void* handle) noexcept { return free(handle); }
};
struct DbcTraits {
    static int free(void* handle) noexcept;
    static int abandon(void* handle) noexcept;
};
struct StmtTraits {
    static int free(void* handle) noexcept;
    static int abandon(void* handle) noexcept { return free(handle); }
};

using OdbcEnv = OdbcHandle<EnvTraits>;
using OdbcDbc = OdbcHandle<DbcTraits>;
using OdbcStmt = OdbcHandle<StmtTraits>;

}  // namespace varkel
