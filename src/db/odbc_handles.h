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
        if (handle_) Traits::abandon(handle_);
    }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    OdbcHandle(OdbcHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    OdbcHandle& operator=(OdbcHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }

    void* get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // Frees the handle; returns the raw return code of the freeing call (0 when there was none).
    int reset() noexcept { return handle_ ? Traits::free(std::exchange(handle_, nullptr)) : 0; }
    // Forgets the handle without freeing it (the driver manager already did).
    void forget() noexcept { handle_ = nullptr; }
    // Where an allocation call writes the new handle; whatever was held is freed first.
    void** receive() noexcept {
        reset();
        return &handle_;
    }

  private:
    void* handle_ = nullptr;
};

// free: the plain freeing call. abandon: what the destructor does with a handle nobody freed.
struct EnvTraits {
    static int free(void* handle) noexcept;
    static void abandon(void* handle) noexcept { free(handle); }
};
struct DbcTraits {
    static int free(void* handle) noexcept;
    static void abandon(void* handle) noexcept;
};
struct StmtTraits {
    static int free(void* handle) noexcept;
    static void abandon(void* handle) noexcept { free(handle); }
};

using OdbcEnv = OdbcHandle<EnvTraits>;
using OdbcDbc = OdbcHandle<DbcTraits>;
using OdbcStmt = OdbcHandle<StmtTraits>;

}  // namespace varkel
