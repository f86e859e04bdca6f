#include "db/dead_link.h"

#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace varkel {

namespace {

// Calls `each(fd, inode)` for every TCP socket among the process's open files.
void ForEachTcpSocket(const std::function<void(int, std::uint64_t)>& each) {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return;
    const int own = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == own) continue;
        char link[64] = {};
        const std::string path = std::string("/proc/self/fd/") + entry->d_name;
        const ssize_t n = readlink(path.c_str(), link, sizeof link - 1);
        if (n <= 0 || std::strncmp(link, "socket:[", 8) != 0) continue;
        int type = 0;
        int domain = 0;
        socklen_t length = sizeof type;
        if (getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_TYPE, &type, &length) != 0 ||
            type != SOCK_STREAM)
            continue;
        length = sizeof domain;
        if (getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_DOMAIN, &domain, &length) != 0 ||
            (domain != AF_INET && domain != AF_INET6))
            continue;
        each(static_cast<int>(fd), std::strtoull(link + 8, nullptr, 10));
    }
    closedir(dir);
}

}  // namespace

std::vector<std::uint64_t> TcpSocketInodes() {
    std::vector<std::uint64_t> inodes;
    ForEachTcpSocket([&](int, std::uint64_t inode) { inodes.push_back(inode); });
    return inodes;
}

int BoundNewSockets(const std::vector<std::uint64_t>& before, const DeadLinkBounds& bounds) {
    int count = 0;
    ForEachTcpSocket([&](int fd, std::uint64_t inode) {
        if (std::find(before.begin(), before.end(), inode) != before.end()) return;
        const int on = 1;
        const unsigned timeout = static_cast<unsigned>(bounds.userTimeoutMs);
        if (setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) == 0 &&
            setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &bounds.keepIdleS, sizeof(int)) == 0 &&
            setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &bounds.keepIntervalS, sizeof(int)) == 0 &&
            setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &bounds.keepCount, sizeof(int)) == 0 &&
            setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &timeout, sizeof timeout) == 0)
            ++count;
    });
    return count;
}

}  // namespace varkel
