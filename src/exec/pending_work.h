#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>

namespace varkel {

struct DbSession;

// The work the session's transaction holds: how many changing statements (statements without
// a result) ran since the last commit or rollback, and when the first of them ran. Whoever ends
// the transaction (the commands, a typed COMMIT, an import, the disconnect), the count ends
// with it.
class PendingWork {
  public:
    using Clock = std::function<QDateTime()>;
    // Where the session's transaction stands: a commit, a rollback or a new connection moves it.
    struct Mark {
        std::uint64_t connection = 0, commits = 0, rollbacks = 0;
        bool operator==(const Mark&) const = default;
    };
    static Mark MarkOf(const DbSession& s);

    PendingWork();
    void setClock(Clock clock) { clock_ = std::move(clock); }

    // A statement without a result ran; `before` is the session's mark before it ran, so that a
    // statement that itself committed or rolled back counts as no change.
    void Changed(const DbSession& s, const Mark& before);
    int count(const DbSession& s) const;
    // The status bar's text; empty while nothing is pending.
    QString Text(const DbSession& s) const;

  private:
    Clock clock_;
    Mark mark_;
    int count_ = 0;
    QDateTime since_;
};

}  // namespace varkel
