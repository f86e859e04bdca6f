#include "support/file_faults.h"

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <csignal>

namespace varkel::test {

namespace {

constexpr unsigned kOverrides =
    (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);

}  // namespace

ScopedPermissionsObeyed::ScopedPermissionsObeyed() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0 || (data[0].effective & kOverrides) == 0) return;
    saved_[0] = data[0].effective;
    saved_[1] = data[1].effective;
    data[0].effective &= ~kOverrides;
    changed_ = syscall(SYS_capset, &header, data) == 0;
}

ScopedPermissionsObeyed::~ScopedPermissionsObeyed() {
    if (!changed_) return;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    syscall(SYS_capget, &header, data);
    data[0].effective = saved_[0];
    data[1].effective = saved_[1];
    syscall(SYS_capset, &header, data);
}

ScopedFileSizeLimit::ScopedFileSizeLimit(long bytes) {
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the test
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit small = old_;
    small.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &small);
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
}

void SetWritable(const QString& path, bool writable) {
    const bool folder = QFileInfo(path).isDir();
    mode_t mode = writable ? S_IRUSR | S_IWUSR : S_IRUSR;
    if (folder) mode |= S_IXUSR;
    chmod(QFile::encodeName(path).constData(), mode);
}

}  // namespace varkel::test
