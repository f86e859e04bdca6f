#pragma once

#include <QString>

namespace varkel {

class SqlHistory;

// Stepping the SQL input box through the history: where it is, and what the user had typed
// before the first step.
struct HistoryBrowse {
    int HistPos = 0;  // 0: not browsing, the user's own text is in the box
    QString SavedSql;
    int SavedSelStart = 0;
    int SavedSelLength = 0;
};

// What the box shows after one step.
struct HistoryStepView {
    QString text;
    int selStart = 0;
    int selLength = 0;
    bool browsing = false;  // label enabled, tooltip background
    bool beep = false;      // stepped past an end: the user's text is back
    QString label;          // L_sql_no
};

// One step: +1 toward older records (Ctrl+Down), -1 toward newer ones (Ctrl+Up). From the
// user's own text Ctrl+Down shows the newest record and Ctrl+Up the oldest; stepping past either
// end restores the user's text and selection.
HistoryStepView StepHistory(HistoryBrowse& state, const SqlHistory& history, int step,
                            const QString& boxText, int selStart, int selLength);

// The label beside the box when not browsing.
QString HistoryCountLabel(const SqlHistory* history);

}  // namespace varkel
