#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "db/odbc_comm.h"
#include "exchange/load_csv.h"
#include "exchange/save_csv.h"
#include "soak/soak_run.h"
#include "support/file_faults.h"
#include "support/when_shown.h"
#include "ui/history/show_hist.h"
#include "ui/history/show_temp.h"
#include "ui/history/statement_box.h"
#include "ui/main/main_window.h"
#include "ui/results/result_sorter.h"
#include "ui/tree/search_pane.h"
#include "ui/tree/tree_pane.h"

namespace varkel::test {

namespace {

// Every node of a tree, depth first (with `shown`, only those whose parents are expanded).
QList<QTreeWidgetItem*> Nodes(QTreeWidget* tree, bool shown = false) {
    QList<QTreeWidgetItem*> nodes;
    QList<QTreeWidgetItem*> todo;
    for (int i = tree->topLevelItemCount() - 1; i >= 0; --i)
        todo << tree->topLevelItem(i);
    while (!todo.isEmpty()) {
        QTreeWidgetItem* n = todo.takeLast();
        nodes << n;
        if (shown && !n->isExpanded()) continue;
        for (int i = n->childCount() - 1; i >= 0; --i)
            todo << n->child(i);
    }
    return nodes;
}

}  // namespace

void SoakRun::buildActions() {
    const auto add = [this](const char* name, int weight, std::function<void()> run) {
        actions_.push_back({name, weight, std::move(run)});
        totalWeight_ += weight;
    };
    add("connect", 4, [this] { connect(false, false); });
    add("connect with a wrong password", 1, [this] { connect(true, false); });
    add("connect cancelled", 1, [this] { connect(false, true); });
    add("disconnect", 2, [this] { trigger("mn_disconnect"); });
    add("reconnect", 2, [this] { trigger("mn_reconnect"); });
    add("run a statement", 24, [this] { runStatement(); });
    add("run a script", 5, [this] { runScript(); });
    add("run a long query with a command in its middle", 6, [this] { runDuring(); });
    add("resume or interrupt the fill", 3, [this] { commandDuringFill(); });
    add("commit", 4, [this] { trigger("mn_sql_commit"); });
    add("rollback", 4, [this] { trigger("mn_sql_rollback"); });
    add("refill the tree", 2, [this] { treeRefill(); });
    add("expand a tree node", 3, [this] { treeExpand(); });
    add("tree pop-up command", 3, [this] { treeQuickSql(); });
    add("search objects", 3, [this] { search(); });
    add("sort the result", 4, [this] { sortColumn(); });
    add("copy from the result", 4, [this] { copyFromList(); });
    add("history window", 4, [this] { historyAction(); });
    add("template window", 3, [this] { templateAction(); });
    add("export the result", 4, [this] { exportList(); });
    add("SELECT and save", 3, [this] { selectAndSave(); });
    add("import a file", 3, [this] { importFile(); });
    add("edit the SQL in the editor", 2, [this] { editWithEditor(); });
    add("open an SQL file", 1, [this] { openSqlFile(); });
    add("clear the SQL box", 1,
        [this] { window_->findChild<QPushButton*>(QStringLiteral("Cmd_clear"))->click(); });
    if (options_.faults) add("fault", 2, [this] { injectFault(); });
}

void SoakRun::connect(bool badPassword, bool cancel) {
    if (!action("mn_connect")->isEnabled()) return;
    const int choice = Pick(rng_, static_cast<int>(targets_.size()));
    // One time in four an entry of the connection history, when it has any.
    const int fromHistory = Pick(rng_, 4) == 0 ? Pick(rng_, 20) : -1;
    const bool keep = Pick(rng_, 2) == 0;
    Target& t = targets_[static_cast<size_t>(choice)];
    const QString item = t.dsn + u'(' + t.db->driverName() + u')';
    const QString user = t.db->user();
    const QString password = badPassword ? QStringLiteral("wrong") : t.db->password();
    const QString dsn = t.dsn;
    Varkel* w = window_.get();
    WhenShown<ConnectDS>(
        w, [w] { return w->connectDialog(); },
        [this, cancel, fromHistory, keep, item, user, password, dsn, badPassword](ConnectDS& d) {
            if (cancel) {
                note(QStringLiteral("  cancelled"));
                d.Cmd_cancel->click();
                return;
            }
            if (fromHistory >= 0 && d.Lst_conn_hist->count() > 0) {
                d.Option1[2]->click();
                const int row = fromHistory % d.Lst_conn_hist->count();
                d.Lst_conn_hist->setCurrentRow(row);
                note(QStringLiteral("  history entry %1: %2")
                         .arg(row)
                         .arg(d.Lst_conn_hist->item(row)->text().left(60)));
            } else {
                note(QStringLiteral("  to %1%2")
                         .arg(dsn, badPassword ? QStringLiteral(", wrong password") : QString()));
                d.Option1[0]->click();
                d.Combo1->setCurrentIndex(d.Combo1->findText(item));
                d.TB_uid->setText(user);
                d.TB_psw->setText(password);
            }
            if (keep != d.Chk_add_hist->isChecked()) d.Chk_add_hist->click();
            d.Cmd_ok->click();
        });
    action("mn_connect")->trigger();
}

void SoakRun::runStatement() {
    Target* t = current();
    const PoolStatement s = StatementPool(t ? t->engine : Engine::SQLite).pick(rng_);
    note(QStringLiteral("  ") + s.sql);
    singleStatement_ = true;
    expected_ = s.sql.isEmpty() ? Expect::Either : s.expect;
    auto* box = window_->findChild<QPlainTextEdit*>(QStringLiteral("TB_SQL"));
    if (Pick(rng_, 4) == 0) {
        window_->PostSQL(s.sql);  // as the history's and the quick SQL's "run at once"
    } else {
        box->setPlainText(s.sql);
        if (Pick(rng_, 2) == 0)
            trigger("mn_sql_go");
        else if (QAction* go = window_->findChild<QAction*>(QStringLiteral("go"));
                 go && go->isEnabled())
            go->trigger();  // the toolbar button
        else
            trigger("mn_sql_go");
    }
}

void SoakRun::runScript() {
    Target* t = current();
    const QString script = StatementPool(t ? t->engine : Engine::SQLite).script(rng_);
    note(QStringLiteral("  ") +
         QString(script).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
    window_->findChild<QPlainTextEdit*>(QStringLiteral("TB_SQL"))->setPlainText(script);
    trigger("mn_sql_go");
}

void SoakRun::runDuring() {
    const int rows = (Pick(rng_, 2) == 0 ? 1000 : 5000) + Pick(rng_, 100);
    const QString sql = QStringLiteral("SELECT k, v, d FROM soak_big WHERE k <= %1").arg(rows);
    note(QStringLiteral("  ") + sql);
    armMiddleCommand();
    window_->findChild<QPlainTextEdit*>(QStringLiteral("TB_SQL"))->setPlainText(sql);
    trigger("mn_sql_go");
}

void SoakRun::armMiddleCommand() {
    const int ticks = 1 + Pick(rng_, 200);
    const int what = Pick(rng_, 16);
    if (middle_) return;
    note(QStringLiteral("  command %1 after %2 yields").arg(what).arg(ticks));
    auto* timer = new QTimer(window_.get());
    middle_ = timer;
    timer->setInterval(0);
    auto left = std::make_shared<int>(ticks);
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer, left, what] {
        // Only what a user can reach: nothing behind a modal window, and while a driver call is
        // out only the stop command (the wait takes no other input).
        if (--*left > 0 || QApplication::activeModalWidget() || (what != 0 && DbCallOut(*session_)))
            return;
        timer->stop();
        timer->deleteLater();
        note(QStringLiteral("  the command in the middle"));
        middleCommand(what);
    });
    timer->start();
}

void SoakRun::middleCommand(int what) {
    auto* tree = window_->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    switch (what) {
        case 0:
            trigger("mn_sql_stop");
            break;
        case 1:
            commandDuringFill();
            break;
        case 2:
            trigger("mn_disconnect");
            break;
        case 3:
            if (tree->isEnabled()) action("mn_get_tables")->trigger();
            break;
        case 4:
            trigger("mn_sql_commit");
            break;
        case 5:
            trigger("mn_sql_rollback");
            break;
        case 6:
            window_->PostSQL(QStringLiteral("SELECT COUNT(*) FROM soak_t"));
            break;
        case 7:
            if (options_.faults) killSession();
            break;
        case 8:
            trigger("mn_out_csv");
            if (SaveCSV* e = window_->exportWindow(); e && e->isVisible()) e->Command2->click();
            break;
        case 9:
            window_->findChild<QPushButton*>(QStringLiteral("Cmd_clear"))->click();
            break;
        case 10:
            trigger("mn_reconnect");
            break;
        case 11:
            if (LoadCSV* i = window_->importWindow(); i && i->isVisible()) i->Command2->click();
            break;
        case 12:
            if (SaveCSV* e = window_->exportWindow(); e && e->isVisible()) e->Command2->click();
            break;
        case 13:
            if (tree->isEnabled()) treeExpand();
            break;
        case 14:
            sortColumn();
            break;
        default:
            copyFromList();
            break;
    }
}

void SoakRun::commandDuringFill() {
    if (auto* b = window_->findChild<QToolButton*>(QStringLiteral("Cmd_start_stop"));
        b && b->isEnabled())
        b->click();
}

void SoakRun::treeRefill() {
    action("mn_get_tables")->trigger();
}

void SoakRun::treeExpand() {
    auto* tree = window_->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    const QList<QTreeWidgetItem*> nodes = Nodes(tree);
    if (nodes.isEmpty() || !tree->isEnabled()) return;
    QTreeWidgetItem* node = nodes[Pick(rng_, static_cast<int>(nodes.size()))];
    note(QStringLiteral("  node %1").arg(node->text(0)));
    node->setExpanded(!node->isExpanded() || Pick(rng_, 3) == 0);
}

void SoakRun::treeQuickSql() {
    auto* tree = window_->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    // A shown node: scrolling to a hidden one would expand its parent, which replaces it.
    const QList<QTreeWidgetItem*> nodes = Nodes(tree, true);
    if (nodes.isEmpty() || !tree->isEnabled()) return;
    QTreeWidgetItem* node = nodes[Pick(rng_, static_cast<int>(nodes.size()))];
    tree->scrollToItem(node);
    tree->setCurrentItem(node);
    const QPoint at = tree->visualItemRect(node).center();
    note(QStringLiteral("  pop-up of node %1").arg(node->text(0)));
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(tree->viewport(), &event);
    // The pop-up shows without waiting; one of its enabled commands is chosen.
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    QList<QAction*> items;
    for (QAction* a : menu->actions()) {
        if (a->menu()) {
            for (QAction* s : a->menu()->actions())
                if (!s->isSeparator() && s->isEnabled() && s->isVisible()) items << s;
        } else if (!a->isSeparator() && a->isEnabled() && a->isVisible()) {
            items << a;
        }
    }
    menu->close();
    if (items.isEmpty()) return;
    QAction* chosen = items[Pick(rng_, static_cast<int>(items.size()))];
    note(QStringLiteral("  %1").arg(chosen->objectName()));
    chosen->trigger();
}

void SoakRun::search() {
    static const char* words[] = {"soak", "big", "k", "V", "zz", "soak_%"};
    auto* combo = window_->findChild<QComboBox*>(QStringLiteral("CB_srch_obj"));
    if (!combo) return;
    const QString word = QString::fromLatin1(words[Pick(rng_, 6)]);
    const int how = Pick(rng_, 4);
    note(QStringLiteral("  \"%1\" way %2").arg(word).arg(how));
    combo->setEditText(word);
    ObjectSearch* s = window_->objectSearch();
    switch (how) {
        case 0:
            s->SearchAll(false);
            break;
        case 1:
            s->SearchAll(true);
            break;
        case 2:
            QTest::keyClick(combo, Qt::Key_F3);
            break;
        default:
            QTest::keyClick(combo, Qt::Key_F3, Qt::ShiftModifier);
            break;
    }
}

void SoakRun::sortColumn() {
    auto* list = window_->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    if (list->columnCount() < 2) return;
    const int c = Pick(rng_, list->columnCount() - 1);
    note(QStringLiteral("  column %1").arg(c));
    window_->resultSorter()->ListView1_ColumnClick(c);
}

void SoakRun::copyFromList() {
    auto* list = window_->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    const int rows = list->topLevelItemCount();
    if (rows == 0 || list->columnCount() < 2) return;
    QTreeWidgetItem* item = list->topLevelItem(Pick(rng_, rows));
    const int column = Pick(rng_, list->columnCount() - 1);
    list->scrollToItem(item);
    QRect rect = list->visualItemRect(item);
    const int x = list->header()->sectionViewportPosition(column) + 2;
    const QPoint at(x, rect.center().y());
    note(QStringLiteral("  row %1 column %2").arg(list->indexOfTopLevelItem(item)).arg(column));
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    QList<QAction*> items;
    for (QAction* a : menu->actions())
        if (a->menu())
            for (QAction* s : a->menu()->actions())
                if (!s->isSeparator() && s->isEnabled()) items << s;
    menu->close();
    if (items.isEmpty()) return;
    QAction* chosen = items[Pick(rng_, static_cast<int>(items.size()))];
    note(QStringLiteral("  %1").arg(chosen->objectName()));
    chosen->trigger();
}

void SoakRun::historyAction() {
    trigger("mn_sql_history");
    ShowHist* h = window_->historyWindow();
    if (!h->isVisible() || h->ListView1->topLevelItemCount() == 0) return;
    QTreeWidgetItem* row =
        h->ListView1->topLevelItem(Pick(rng_, h->ListView1->topLevelItemCount()));
    h->ListView1->setCurrentItem(row);
    const int what = Pick(rng_, 5);
    note(QStringLiteral("  row \"%1\" command %2").arg(row->text(0)).arg(what));
    switch (what) {
        case 0:
            h->Command1->click();  // into the SQL box
            break;
        case 1:
            if (action("mn_sql_go")->isEnabled()) h->Command2->click();  // run at once
            break;
        case 2:
            h->sortByHeader(Pick(rng_, h->ListView1->columnCount()));
            break;
        default:
            h->Command3->click();
            break;
    }
}

void SoakRun::templateAction() {
    trigger("mn_sql_temp");
    ShowTemp* t = window_->templateWindow();
    if (!t->isVisible()) return;
    const int what = Pick(rng_, 6);
    if (t->CB_hdr->count() > 0 && !t->editing())
        t->CB_hdr->setCurrentIndex(Pick(rng_, t->CB_hdr->count()));
    note(QStringLiteral("  command %1").arg(what));
    switch (what) {
        case 0:
        case 1: {
            (what == 0 ? t->Cmd_add : t->Cmd_mod)->click();
            if (!t->editing()) return;
            t->CB_hdr->setEditText(QStringLiteral("soak %1").arg(Pick(rng_, 30)));
            t->Text1->setPlainText(StatementPool(Engine::SQLite).pick(rng_).sql);
            (Pick(rng_, 5) == 0 ? t->Cmd_Cancel : t->Cmd_OK)->click();
            break;
        }
        case 2:
            t->Cmd_del->click();
            break;
        case 3:
            t->Command1->click();  // into the SQL box
            break;
        default:
            t->Command2->click();
            break;
    }
}

void SoakRun::exportList() {
    trigger("mn_out_csv");
    SaveCSV* e = window_->exportWindow();
    if (!e || !e->isVisible()) return;
    const int out = Pick(rng_, 3);
    e->Opt_out[out]->click();
    e->CB_txt_dlm->setCurrentIndex(Pick(rng_, e->CB_txt_dlm->count()));
    e->CB_kakomi->setCurrentIndex(Pick(rng_, e->CB_kakomi->count()));
    e->Chk_head->setChecked(Pick(rng_, 2) == 0);
    e->Chk_edit_csv->setChecked(Pick(rng_, 6) == 0);
    e->Chk_open_exel->setChecked(Pick(rng_, 6) == 0);
    if (out == 0)
        expectedLines_ =
            window_->findChild<QTreeWidget*>(QStringLiteral("ListView1"))->topLevelItemCount() +
            (e->Chk_head->isChecked() ? 1 : 0);
    const bool full = options_.faults && out != 1 && Pick(rng_, 12) == 0;
    note(QStringLiteral("  output %1%2")
             .arg(out)
             .arg(full ? QStringLiteral(", disk full") : QString()));
    if (full) {
        ++counts_.faults["full disk during an export"];
        FullDisk limit(diskMount_, 1500);
        e->Command1->click();
    } else {
        e->Command1->click();
    }
    if (e->isVisible()) e->Command2->click();
}

void SoakRun::selectAndSave() {
    Target* t = current();
    if (!t) return;
    const int rows = Pick(rng_, 3) == 0 ? 30000 : Pick(rng_, 2000);
    window_->findChild<QPlainTextEdit*>(QStringLiteral("TB_SQL"))
        ->setPlainText(QStringLiteral("SELECT k, v, d FROM soak_big WHERE k <= %1").arg(rows));
    trigger("mn_out_select");
    SaveCSV* e = window_->exportWindow();
    if (!e || !e->isVisible()) return;
    e->CB_txt_dlm->setCurrentIndex(Pick(rng_, e->CB_txt_dlm->count()));
    e->Chk_head->setChecked(Pick(rng_, 2) == 0);
    expectedLines_ = std::min(rows, StatementPool::kBigRows) + (e->Chk_head->isChecked() ? 1 : 0);
    const bool full = options_.faults && Pick(rng_, 10) == 0;
    note(QStringLiteral("  %1 rows%2")
             .arg(rows)
             .arg(full ? QStringLiteral(", disk full") : QString()));
    if (full) {
        ++counts_.faults["full disk during SELECT-and-save"];
        FullDisk limit(diskMount_, 4000);
        e->Command1->click();
    } else {
        e->Command1->click();
    }
    if (e->isVisible()) e->Command2->click();
}

void SoakRun::importFile() {
    if (!action("mn_inp_csv")->isEnabled()) return;
    const int lines = Pick(rng_, 400);
    const QString path =
        folder(QStringLiteral("in")) + QStringLiteral("i%1.csv").arg(++fileCounter_ % 20);
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            fail(QStringLiteral("cannot write ") + path);
        for (int k = 0; k < lines; ++k) {
            // Now and then a line the table refuses.
            const QByteArray value =
                Pick(rng_, 50) == 0 ? QByteArray(60, 'x') : "i" + QByteArray::number(k);
            f.write(QByteArray::number(5000 + k) + ",\"" + value + "\"\r\n");
        }
    }
    const bool truncate = options_.faults && lines > 50 && Pick(rng_, 6) == 0;
    note(QStringLiteral("  %1 lines%2")
             .arg(lines)
             .arg(truncate ? QStringLiteral(", truncated while read") : QString()));
    trigger("mn_inp_csv");
    LoadCSV* import = window_->importWindow();
    if (!import || !import->isVisible()) return;
    import->ImCB_table->setEditText(QStringLiteral("soak_t"));
    if (Pick(rng_, 2) == 0) {
        nextOpenFile_ = path;
        import->Cmd_ref->click();
    } else {
        import->TB_file->setText(path);
    }
    QPointer<QTimer> timer;
    if (truncate) {
        ++counts_.faults["import file truncated"];
        timer = new QTimer(import);
        timer->setInterval(0);
        auto ticks = std::make_shared<int>(Pick(rng_, 40));
        QObject::connect(timer, &QTimer::timeout, timer, [import, timer, path, ticks] {
            if (!import->running() || --*ticks > 0) return;
            QFile::resize(path, QFileInfo(path).size() / 2 + 3);  // mid-line
            timer->stop();
            timer->deleteLater();
        });
        timer->start();
    }
    import->Command1->click();
    if (timer) timer->deleteLater();
    if (import->isVisible()) import->Command2->click();
}

void SoakRun::editWithEditor() {
    nextEditorText_ = Pick(rng_, 5) == 0 ? QString() : StatementPool(Engine::SQLite).pick(rng_).sql;
    note(QStringLiteral("  editor writes \"%1\"").arg(nextEditorText_));
    trigger("mn_sql_edit");
}

void SoakRun::openSqlFile() {
    const QString path = folder(QStringLiteral("sql")) + QStringLiteral("s.sql");
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(StatementPool(Engine::SQLite).pick(rng_).sql.toUtf8());
    f.close();
    nextOpenFile_ = path;
    trigger("mn_open_file");
}

}  // namespace varkel::test
