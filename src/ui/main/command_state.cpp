#include "ui/main/command_state.h"

#include <QAction>
#include <QTreeWidget>

#include "toolkit/keyed_bars.h"
#include "ui/frame/main_menus.h"

namespace varkel {

void CommandState::setToolbar(bool connected) {
    toolbar_.setButtonPressed(QStringLiteral("connect"), connected);
    toolbar_.setButtonEnabled(QStringLiteral("connect"), !connected);
    toolbar_.setButtonPressed(QStringLiteral("discon"), !connected);
    toolbar_.setButtonEnabled(QStringLiteral("discon"), connected);
    for (const char* key : {"go", "ok", "ng", "inst"})
        toolbar_.setButtonEnabled(QString::fromLatin1(key), connected);
}

void CommandState::created() {
    menus_.mn_connect->setEnabled(true);
    for (QAction* a :
         {menus_.mn_disconnect, menus_.mn_reconnect, menus_.mn_sql_go, menus_.mn_sql_stop,
          menus_.mn_sql_commit, menus_.mn_sql_rollback, menus_.mn_out_select, menus_.mn_inp_csv})
        a->setEnabled(false);
    setToolbar(false);
    toolbar_.setButtonEnabled(QStringLiteral("stop"), false);
    tree_.setEnabled(true);
}

void CommandState::connected() {
    menus_.mn_connect->setEnabled(false);
    menus_.mn_disconnect->setEnabled(true);
    menus_.mn_reconnect->setEnabled(false);
    for (QAction* a : {menus_.mn_sql_go, menus_.mn_sql_commit, menus_.mn_sql_rollback,
                       menus_.mn_out_select, menus_.mn_inp_csv})
        a->setEnabled(true);
    setToolbar(true);
    tree_.setEnabled(true);
}

void CommandState::connectCancelled() {
    menus_.mn_reconnect->setEnabled(false);
}

void CommandState::disconnected() {
    menus_.mn_connect->setEnabled(true);
    menus_.mn_disconnect->setEnabled(false);
    menus_.mn_reconnect->setEnabled(true);
    for (QAction* a : {menus_.mn_sql_go, menus_.mn_sql_commit, menus_.mn_sql_rollback,
                       menus_.mn_out_select, menus_.mn_inp_csv})
        a->setEnabled(false);
    setToolbar(false);
    tree_.setEnabled(true);
}

void CommandState::running() {
    menus_.mn_sql_go->setEnabled(false);
    menus_.mn_sql_stop->setEnabled(true);
    menus_.mn_sql_commit->setEnabled(false);
    menus_.mn_sql_rollback->setEnabled(false);
    toolbar_.setButtonEnabled(QStringLiteral("go"), false);
    toolbar_.setButtonEnabled(QStringLiteral("stop"), true);
    toolbar_.setButtonEnabled(QStringLiteral("ok"), false);
    toolbar_.setButtonEnabled(QStringLiteral("ng"), false);
    tree_.setEnabled(false);
}

void CommandState::runFinished() {
    menus_.mn_sql_go->setEnabled(true);
    menus_.mn_sql_stop->setEnabled(false);
    menus_.mn_sql_commit->setEnabled(true);
    menus_.mn_sql_rollback->setEnabled(true);
    toolbar_.setButtonEnabled(QStringLiteral("go"), true);
    toolbar_.setButtonEnabled(QStringLiteral("stop"), false);
    toolbar_.setButtonEnabled(QStringLiteral("ok"), true);
    toolbar_.setButtonEnabled(QStringLiteral("ng"), true);
    tree_.setEnabled(true);
}

}  // namespace varkel
