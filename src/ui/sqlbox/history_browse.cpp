#include "ui/sqlbox/history_browse.h"

#include "store/sql_history.h"

namespace varkel {

HistoryStepView StepHistory(HistoryBrowse& state, const SqlHistory& history, int step,
                            const QString& boxText, int selStart, int selLength) {
    if (state.HistPos == 0) {
        state.SavedSql = boxText;
        state.SavedSelStart = selStart;
        state.SavedSelLength = selLength;
    }
    const QString statement =
        step > 0 ? history.GetHistNext(state.HistPos) : history.GetHistBack(state.HistPos);
    HistoryStepView view;
    if (state.HistPos != 0) {
        view.browsing = true;
        view.text = statement;
        view.label = QString::number(state.HistPos) + u'/' + QString::number(history.GetHistNum());
        return view;
    }
    view.beep = true;
    view.text = state.SavedSql;
    view.selStart = state.SavedSelStart;
    view.selLength = state.SavedSelLength;
    view.label = QString::number(history.GetHistNum());
    return view;
}

QString HistoryCountLabel(const SqlHistory* history) {
    return QString::number(history ? history->GetHistNum() : 0);
}

}  // namespace varkel
