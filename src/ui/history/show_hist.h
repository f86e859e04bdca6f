#pragma once

#include <QWidget>

#include "store/sql_history.h"

namespace varkel {

// The SQL history window "SQL入力履歴". It owns the history store, so it is loaded (hidden) at
// start-up and stays loaded for the run.
class ShowHist : public QWidget {
    Q_OBJECT
public:
    // Reads MAXHIST from the settings file; `historyFile` is "SQLHIST.TXT" beside the program.
    ShowHist(const QString& historyFile, QWidget* owner);
    SqlHistory& store() { return store_; }

private:
    SqlHistory store_;
};

}  // namespace varkel
