// The SQL input box of the main window: history stepping, the clear button, fragments put into
// it, SQL files read into it, and the result list's sorting and copy commands that feed it.

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QTreeWidget>

#include "exec/sql_executor.h"
#include "toolkit/message_box.h"
#include "ui/history/show_hist.h"
#include "ui/main/main_window.h"
#include "ui/results/result_copy_menu.h"
#include "ui/results/result_keys.h"
#include "ui/results/result_sorter.h"
#include "ui/sqlbox/sql_box.h"
#include "ui/sqlbox/sql_file.h"

namespace varkel {

void Varkel::wireSqlBox() {
    SqlBox* box = sql_.TB_SQL;
    box->setHistory(&showHist_->store(), sql_.L_sql_no);
    box->EndBrowsing(showHist_->store().GetHistNum());
    box->setFileLoader([this](const QString& path) { LoadSqlFile(path, true); });
    connect(sql_.Cmd_clear, &QPushButton::clicked, box, &SqlBox::ClearText);
    connect(sql_.VScr_hist, &QScrollBar::valueChanged, this, [this](int value) {
        if (value == 0) return;
        // Its up arrow steps as Ctrl+Up, its down arrow as Ctrl+Down; then back to the middle.
        sql_.TB_SQL->StepHistory(value);
        sql_.TB_SQL->setFocus();
        sql_.VScr_hist->setValue(0);
    });

    QTreeWidget* list = sql_.ListView1;
    sorter_ = std::make_unique<ResultSorter>(list, [this, list](int k) {
        // A numeric column is one whose header is right-aligned (the column view has none).
        const auto& widths = executor_->result().NumericWidths;
        if (k < 1 || k >= widths.size()) return std::optional<QPair<int, int>>();
        if (!(list->headerItem()->textAlignment(k) & Qt::AlignRight))
            return std::optional<QPair<int, int>>();
        return widths[k];
    });
    connect(executor_.get(), &SqlExecutor::fillEnded, sorter_.get(), &ResultSorter::FillEnded);
    ResultCopyMenu::Calls calls;
    calls.kinds = [this] {
        const ResultColumns& columns = *executor_->result().Columns;
        QStringList kinds;
        for (int k = 0; k < columns.Count; ++k)
            kinds << columns.Kinds[static_cast<size_t>(k)];
        return kinds;
    };
    calls.InsertSqlText = [this](const QString& text) { InsertSqlText(text); };
    copyMenu_ = new ResultCopyMenu(list, menus_, calls, this);
    new ResultKeys(list, sorter_.get(), copyMenu_, this);
}

void Varkel::InsertSqlText(const QString& text) {
    sql_.TB_SQL->InsertFragment(text);
    if (wordMode_ == WordMode::Question) MoveToWord(true);
    sql_.TB_SQL->setFocus();
}

void Varkel::MoveToWord(bool right) {
    SqlBox* box = sql_.TB_SQL;
    if (wordMode_ == WordMode::Keyword) {
        // The set follows the list, whoever refilled it.
        QStringList entries;
        for (int i = 0; i < sql_.Lst_kwd->count(); ++i)
            entries << sql_.Lst_kwd->item(i)->text();
        if (entries != keywordEntries_) {
            keywords_ = KeywordSet(entries);
            keywordEntries_ = entries;
        }
    }
    QTextCursor cursor = box->textCursor();
    const int start = cursor.selectionStart();
    const auto moved = varkel::MoveToWord(box->toPlainText(), start, cursor.selectionEnd() - start,
                                          right, wordMode_, keywords_);
    if (moved) {
        cursor.setPosition(moved->start);
        cursor.setPosition(moved->start + moved->length, QTextCursor::KeepAnchor);
        box->setTextCursor(cursor);
    }
    box->setFocus();
}

void Varkel::LoadSqlFile(const QString& path, bool reportFailure) {
    const SqlFileRead read = ReadSqlFile(path);
    if (!read.opened) {
        // The box stays as it was.
        if (reportFailure)
            ShowMessageBox(
                QString::number(read.errorNumber) + QStringLiteral("：") + read.errorText,
                MsgButtons::Ok, MsgIcon::Critical, QApplication::applicationName());
        return;
    }
    sql_.TB_SQL->ReplaceText(read.text);
    sql_.TB_SQL->setFocus();
}

}  // namespace varkel
