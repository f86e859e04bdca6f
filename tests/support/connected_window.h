#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include "db/odbc_comm.h"
#include "support/engines.h"
#include "support/stepping_clock.h"
#include "support/when_shown.h"
#include "ui/history/show_hist.h"
#include "ui/main/main_window.h"

namespace varkel::test {

// Loads the main window and connects it to the test's database through its connection dialog,
// as a user would.
inline std::unique_ptr<Varkel> LoadConnectedWindow(DbSession& session, TestDatabase& db) {
    auto window = std::make_unique<Varkel>(session);
    const QString item = db.dsn() + u'(' + db.driverName() + u')';
    const QString user = db.user(), password = db.password();
    Varkel* w = window.get();
    WhenShown<ConnectDS>(
        w, [w] { return w->connectDialog(); },
        [=](ConnectDS& d) {
            d.Combo1->setCurrentIndex(d.Combo1->findText(item));
            d.TB_uid->setText(user);
            d.TB_psw->setText(password);
            d.Cmd_ok->click();
        });
    window->Load();
    window->historyWindow()->store().setClock(SteppingClock());
    return window;
}

}  // namespace varkel::test
