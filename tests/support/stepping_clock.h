#pragma once

#include <QDateTime>
#include <memory>

#include "store/sql_history.h"

namespace varkel::test {

// A history clock that moves on one second at every reading, from a fixed time: stamps never
// wait for the wall clock's next second, so no test depends on where a second boundary falls.
inline SqlHistory::Clock SteppingClock(const QDateTime& start = QDateTime(QDate(2024, 3, 1),
                                                                          QTime(9, 0))) {
    auto now = std::make_shared<QDateTime>(start);
    return [now] {
        *now = now->addSecs(1);
        return *now;
    };
}

}  // namespace varkel::test
