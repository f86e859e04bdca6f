// Saving SELECT results from the main window: the export window and the commands that open it.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "exchange/save_csv.h"
#include "exec/sql_executor.h"
#include "toolkit/box_text.h"
#include "tools/frm_editor.h"
#include "ui/history/show_hist.h"
#include "ui/main/main_window.h"
#include "ui/sqlbox/sql_box.h"

namespace varkel {

void Varkel::buildExport() {
    SaveCSV::Calls calls;
    calls.session = &session_;
    calls.lock = &commandLock_;
    calls.baseTitle = baseTitle_;
    calls.endInterruptedFill = [this] { executor_->EndFetch(); };
    calls.addHistory = [this](const QString& sql) {
        if (!showHist_) return;
        showHist_->store().AddHist(toolbar_.TB_DSN->text(), sql);
        sql_.L_sql_no->setText(QString::number(showHist_->store().GetHistNum()));
    };
    calls.editFile = [this](const QString& path) {
        if (frmEditor_) frmEditor_->EditFile(path);
    };
    saveCsv_ = new SaveCSV(std::move(calls), this);
    connect(saveCsv_, &SaveCSV::finished, this, [this] {
        if (closePending_) close();
    });
    connect(menus_.mn_out_csv, &QAction::triggered, this,
            [this] { saveCsv_->ShowOption(sql_.ListView1); });
    connect(menus_.mn_out_select, &QAction::triggered, this,
            [this] { saveCsv_->Show4SelectOut(BoxText(sql_.TB_SQL)); });
}

}  // namespace varkel
