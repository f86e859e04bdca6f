// Running SQL from the main window: the script runner, the execution engine and the
// transaction commands, wired to the menus, the toolbar and the execution frame.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>

#include "db/odbc_comm.h"
#include "exec/script_runner.h"
#include "exec/sql_executor.h"
#include "toolkit/desktop.h"
#include "ui/history/show_hist.h"
#include "ui/history/show_temp.h"
#include "ui/main/call_wait_view.h"
#include "ui/main/main_window.h"
#include "ui/sqlbox/sql_box.h"

namespace varkel {

void Varkel::buildExecution() {
    ExecWidgets widgets;
    widgets.ListView1 = sql_.ListView1;
    widgets.L_cols = sql_.L_cols;
    widgets.L_rows = sql_.L_rows;
    widgets.L_sec = sql_.L_sec;
    widgets.L_msg = sql_.L_msg;
    widgets.Cmd_start_stop = sql_.Cmd_start_stop;
    widgets.StatusBar1 = StatusBar1;
    widgets.L_sql_no = sql_.L_sql_no;
    widgets.TB_DSN = toolbar_.TB_DSN;
    executor_ = std::make_unique<SqlExecutor>(session_, widgets, baseTitle_);
    executor_->setCommandLock(&commandLock_);

    ScriptRunner::Hooks hooks;
    hooks.beforeRun = [this] { beforeRun(); };
    connect(&commandLock_, &CommandLock::changed, this, [this](bool locked) {
        if (locked)
            commands_->running();
        else if (IsConnected(session_))
            commands_->runFinished();
        else {  // the connection went while the commands were locked
            commands_->runFinished();
            showDisconnected();
        }
        // An import commits its rows, and the work before them.
        if (!locked) executor_->ShowPending();
        // The window was closed while something held the lock: it closes now.
        if (!locked && closePending_) QTimer::singleShot(0, this, &QWidget::close);
    });
    runner_ =
        new ScriptRunner(session_, *executor_, commandLock_, sql_.TB_SQL, baseTitle_, hooks, this);
    connect(runner_, &ScriptRunner::finished, this, [this] {
        if (closePending_) QTimer::singleShot(0, this, &QWidget::close);
    });

    connect(menus_.mn_sql_go, &QAction::triggered, this, &Varkel::RunScript);
    const auto stop = [this] {
        executor_->RequestStop();
        commandLock_.requestStop();  // a save of a query's rows or an import stops too
        DbCancel(session_);          // a driver call that is out is cancelled
    };
    connect(menus_.mn_sql_stop, &QAction::triggered, this, stop);
    callView_ =
        new CallWaitView(session_, StatusBar1, menus_.mn_sql_stop, toolbar_.Toolbar1, stop, this);
    callView_->setGiveUpCommand(menus_.mn_disconnect);
    // A close that cancelled a call goes ahead once the call is back.
    connect(callView_, &CallWaitView::callBack, this, [this] {
        if (closePending_) QTimer::singleShot(0, this, &QWidget::close);
    });
    // A commit or rollback may find the connection gone: the window says so at once.
    connect(menus_.mn_sql_commit, &QAction::triggered, this, [this] {
        executor_->DoCommit();
        if (!IsConnected(session_)) showDisconnected();
    });
    connect(menus_.mn_sql_rollback, &QAction::triggered, this, [this] {
        executor_->DoRollback();
        if (!IsConnected(session_)) showDisconnected();
    });
    connect(sql_.Cmd_start_stop, &QToolButton::clicked, this,
            [this] { executor_->Cmd_start_stop_Click(); });
    const auto showModeless = [](QWidget* window) {
        window->show();
        window->raise();
        window->activateWindow();
    };
    connect(menus_.mn_sql_temp, &QAction::triggered, this,
            [this, showModeless] { showModeless(showTemp_); });
    connect(menus_.mn_sql_history, &QAction::triggered, this,
            [this, showModeless] { showModeless(showHist_); });
}

void Varkel::CopyTmpl(const QString& TmplSql) {
    sql_.TB_SQL->EndBrowsing(showHist_ ? showHist_->store().GetHistNum() : 0);
    sql_.TB_SQL->ReplaceText(TmplSql);
    sql_.TB_SQL->setFocus();
}

void Varkel::InputHist(const QString& HistSql) {
    CopyTmpl(HistSql);
}

void Varkel::beforeRun() {
    sql_.TB_SQL->EndBrowsing(showHist_ ? showHist_->store().GetHistNum() + 1 : 1);
}

void Varkel::RunScript() {
    runner_->RunScript();
}

void Varkel::PostSQL(const QString& SQLstmt) {
    runner_->PostSQL(SQLstmt);
}

}  // namespace varkel
