#include "exec/pending_work.h"

#include "db/odbc_comm.h"

namespace varkel {

PendingWork::Mark PendingWork::MarkOf(const DbSession& s) {
    return {DbConnectionId(s), s.Commits, s.Rollbacks};
}

PendingWork::PendingWork() : clock_([] { return QDateTime::currentDateTime(); }) {}

void PendingWork::Changed(const DbSession& s, const Mark& before) {
    if (before.connection == 0 || MarkOf(s) != before) return;
    if (count(s) == 0) {
        mark_ = before;
        count_ = 0;
        since_ = clock_();
    }
    ++count_;
}

int PendingWork::count(const DbSession& s) const {
    return count_ > 0 && MarkOf(s) == mark_ ? count_ : 0;
}

QString PendingWork::Text(const DbSession& s) const {
    const int n = count(s);
    if (n == 0) return {};
    // The date only when the work began on another day.
    const bool today = since_.date() == clock_().date();
    return QStringLiteral("未確定の変更：%1文（%2から）")
        .arg(n)
        .arg(since_.toString(today ? QStringLiteral("HH:mm:ss")
                                   : QStringLiteral("yy/MM/dd HH:mm:ss")));
}

}  // namespace varkel
