#pragma once

#include <sys/resource.h>

#include <QString>

namespace varkel::test {

// While one lives, this thread obeys file permissions even as root (the test machines run as
// root, which would otherwise write into any folder): a folder made read-only refuses new files.
class ScopedPermissionsObeyed {
  public:
    ScopedPermissionsObeyed();
    ~ScopedPermissionsObeyed();
    ScopedPermissionsObeyed(const ScopedPermissionsObeyed&) = delete;
    ScopedPermissionsObeyed& operator=(const ScopedPermissionsObeyed&) = delete;

  private:
    unsigned saved_[2] = {0, 0};
    bool changed_ = false;
};

// While one lives, no file of this process may grow beyond `bytes`: a full disk, as writes see it.
class ScopedFileSizeLimit {
  public:
    explicit ScopedFileSizeLimit(long bytes);
    ~ScopedFileSizeLimit();
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

  private:
    rlimit old_{};
};

// Makes the file or folder read-only (or back to owner read-write with `writable`).
void SetWritable(const QString& path, bool writable);

}  // namespace varkel::test
