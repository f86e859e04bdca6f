#pragma once

#include <cstdint>
#include <vector>

namespace varkel {

// How long the program waits for a server that stopped answering (the network cut, not the
// connection closed): the one place these figures are set. A live server is never hurried: a
// statement that runs for an hour still runs to its end, because every bound below counts only
// while the other end does not answer at all.
struct DeadLinkBounds {
    // The connect's wait for the server (SQL_LOGIN_TIMEOUT), in seconds.
    int loginTimeoutS = 20;
    // On the connection's socket: keepalive probes after this long without traffic, then this
    // often, and the connection given up after this many unanswered ones...
    int keepIdleS = 10;
    int keepIntervalS = 5;
    int keepCount = 6;
    // ...or when data sent (a statement, a commit) stays unacknowledged this long, in ms.
    int userTimeoutMs = 40000;
    // How long after a stop a call that is still out counts as stuck: the window then offers
    // to give the connection up, in ms.
    std::int64_t stuckAfterStopMs = 5000;
};

// The TCP sockets the process holds, by their inode (a closed socket's number may be reused by
// the next one, its inode not).
std::vector<std::uint64_t> TcpSocketInodes();
// Sets the keepalive and the user timeout of `bounds` on every TCP socket the process holds that
// is not in `before` (the sockets a connect just opened); returns how many it set.
int BoundNewSockets(const std::vector<std::uint64_t>& before, const DeadLinkBounds& bounds);

}  // namespace varkel
