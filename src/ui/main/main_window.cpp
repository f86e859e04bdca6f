#include "ui/main/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include "db/odbc_comm.h"
#include "db/odbc_lib.h"
#include "exchange/load_csv.h"
#include "exchange/save_csv.h"
#include "exec/script_runner.h"
#include "exec/sql_executor.h"
#include "store/ini_file.h"
#include "store/program_folder.h"
#include "store/settings_keys.h"
#include "toolkit/auto_size_columns.h"
#include "toolkit/keyed_bars.h"
#include "toolkit/message_box.h"
#include "toolkit/mnemonics.h"
#include "toolkit/plain_roles.h"
#include "toolkit/processes.h"
#include "toolkit/twips.h"
#include "toolkit/window_position.h"
#include "toolkit/yield.h"
#include "tools/frm_editor.h"
#include "ui/connect/connect_ds.h"
#include "ui/history/show_hist.h"
#include "ui/history/show_temp.h"
#include "ui/results/result_sorter.h"
#include "ui/sqlbox/sql_box_keeper.h"
#include "ui/tree/column_view.h"
#include "ui/tree/object_search.h"
#include "ui/tree/tree_pane.h"

namespace varkel {

namespace {

QString SettingsFile() {
    return ProgramFolder() + settings::FileName();
}

QString ReadSetting(const QString& section, const QString& key) {
    return ReadIniString(SettingsFile(), section, key);
}

// The main window's design size, in twips.
constexpr int kDesignWidth = 12000;
constexpr int kDesignHeight = 9000;

}  // namespace

Varkel::Varkel(DbSession& session) : session_(session) {
    UsePlainRoles();
    setObjectName(QStringLiteral("Varkel"));
    setWindowTitle(QStringLiteral("Varkel Light"));
    menus_.build(menuBar(), this);
    AssignMenuMnemonics(this);
    toolbar_.build(this);
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    left_.build(client_);
    sql_.build(client_);
    buildStatusBar();
    commands_ = std::make_unique<CommandState>(menus_, *toolbar_.Toolbar1, *left_.TreeView1);
    commands_->created();
    tree_ = new ObjectTree(session_, left_.TreeView1, left_.TabObjects, menus_, U_id_, this);

    drags_ = new DragHandles(this);
    drags_->add(sql_.L_split, DragHandles::Splitter);
    QList<QWidget*> onInfo(sql_.L_fetch.begin(), sql_.L_fetch.end());
    onInfo << sql_.L_msg;
    drags_->add(sql_.Fra_SqlInfo, DragHandles::SqlBoundary, onInfo);
    drags_->add(left_.L_Found, DragHandles::FoundBoundary);
    drags_->add(toolbar_.Img_slide, DragHandles::ConnectionBar);
    connect(drags_, &DragHandles::dragged, this, &Varkel::onDrag);

    wireCommands();
    client_->installEventFilter(this);
    resize(TwipsToPixelsX(kDesignWidth), TwipsToPixelsY(kDesignHeight));
}

Varkel::~Varkel() {
    executor_.reset();  // before the widgets it writes to
}

void Varkel::buildStatusBar() {
    StatusBar1 = new KeyedStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->addPanel(QStringLiteral("status"));
    StatusBar1->addPanel(QStringLiteral("cnt"));
    StatusBar1->addPanel(QStringLiteral("time"));
    StatusBar1->addPanel(QStringLiteral("msg"), 1);
    // Uncommitted work: shown only while the transaction holds changes.
    StatusBar1->addPanel(QStringLiteral("pending"));
    if (auto* pending = StatusBar1->findChild<QLabel*>(QStringLiteral("pending"))) {
        pending->setToolTip(
            QStringLiteral("COMMITもROLLBACKもしていない変更文の数と、最初の変更文の時刻"));
        pending->hide();
    }
    setStatusBar(StatusBar1);
}

void Varkel::wireCommands() {
    connect(menus_.mn_connect, &QAction::triggered, this, &Varkel::Connect);
    connect(menus_.mn_disconnect, &QAction::triggered, this, &Varkel::Disconnect);
    connect(menus_.mn_reconnect, &QAction::triggered, this, &Varkel::Reconnect);
    connect(menus_.mn_new_window, &QAction::triggered, this, &Varkel::startNewInstance);
    connect(menus_.mn_exit, &QAction::triggered, this, &Varkel::exitProgram);
    for (QAction* a : {menus_.mn_disp_toolbar, menus_.mn_disp_statusbar, menus_.mn_disp_kwdlist})
        connect(a, &QAction::triggered, this, [this] { applySwitches(); });
    connect(menus_.mn_disp_con2title, &QAction::triggered, this, &Varkel::UpdateTitle);
    // mn_get_tables refills the object tree; it is wired with the tree's own code.
    for (QAction* a : {menus_.mn_disp_cols_all, menus_.mn_disp_cols_name}) {
        connect(a, &QAction::triggered, this, [this, a] {
            ShowAllColumnInfo = a == menus_.mn_disp_cols_all;
            ShowColumnView(*tree_, {sql_.ListView1, StatusBar1, executor_.get(), sorter_.get()},
                           ShowAllColumnInfo);
        });
    }
    connect(toolbar_.Toolbar1, &KeyedToolBar::buttonClicked, this, &Varkel::onToolbarButton);
    connect(menus_.mn_inp_csv, &QAction::triggered, this, &Varkel::ShowLoadCsv);
    wireDesktopCommands();
}

void Varkel::ShowLoadCsv() {
    // Once the import releases the command lock, a pending close goes ahead.
    if (!loadCsv_) loadCsv_ = new LoadCSV(session_, commandLock_, baseTitle_, this);
    const ObjectLists& objects = tree_->lists();
    loadCsv_->ShowOption(objects.TblName, objects.Tbl_num, objects.SynmName, objects.Synm_num,
                         objects.TblOwner, objects.SynmOwner);
}

void Varkel::onToolbarButton(const QString& key) {
    // Each key does what its menu item does; an unknown key does nothing.
    const std::pair<const char*, QAction*> map[] = {
        {"connect", menus_.mn_connect}, {"discon", menus_.mn_disconnect},
        {"go", menus_.mn_sql_go},       {"stop", menus_.mn_sql_stop},
        {"ok", menus_.mn_sql_commit},   {"ng", menus_.mn_sql_rollback},
        {"temp", menus_.mn_sql_temp},   {"hist", menus_.mn_sql_history},
        {"save", menus_.mn_out_csv},    {"inst", menus_.mn_inp_csv}};
    for (const auto& [name, action] : map) {
        if (key == QLatin1String(name)) {
            action->trigger();
            return;
        }
    }
}

void Varkel::Load() {
    baseTitle_ = windowTitle();
    helpUrl_ = ReadSetting(settings::Help(), settings::Url());
    mainWindowPos_ = ReadSetting(settings::Window(), settings::Main());
    histWindowPos_ = ReadSetting(settings::Window(), settings::Hist());
    tempWindowPos_ = ReadSetting(settings::Window(), settings::Temp());
    menus_.mn_disp_toolbar->setChecked(
        settings::SwitchOn(ReadSetting(settings::Window(), settings::ToolBar())));
    menus_.mn_disp_statusbar->setChecked(
        settings::SwitchOn(ReadSetting(settings::Window(), settings::StatusBar())));
    menus_.mn_disp_kwdlist->setChecked(
        settings::SwitchOn(ReadSetting(settings::Window(), settings::KwdList())));
    menus_.mn_disp_con2title->setChecked(
        settings::SwitchOn(ReadSetting(settings::Window(), settings::Con2Title())));
    toolbar_.Toolbar1->setVisible(menus_.mn_disp_toolbar->isChecked());
    StatusBar1->setVisible(menus_.mn_disp_statusbar->isChecked());

    mainLineHeight_ = PixelsToTwipsY(QFontMetrics(font()).height());
    geometry_ = InitialGeometry(metrics());
    LoadKeywords();
    bar_ = InitialConnectionBar();
    toolbar_.apply(bar_);

    buildExecution();
    executor_->ClearFetchPanel();
    sql_.Cmd_srch_wd->setText(QStringLiteral("？"));
    menus_.createQuickSqlItems();

    StatusBar1->setPanelText(QStringLiteral("status"), QStringLiteral("SQLCode:"));
    StatusBar1->setPanelText(QStringLiteral("cnt"), QStringLiteral("行数:"));
    StatusBar1->setPanelText(QStringLiteral("time"), QStringLiteral("実行時間："));
    StatusBar1->setPanelText(QStringLiteral("msg"), QString());

    show();
    RestoreWindowPos(this, mainWindowPos_);
    left_.CB_srch_obj->addItem(QString());
    tree_->setImages(TreeImageList());
    tree_->takeCursor = [this] {
        if (commandLock_.locked()) return false;
        executor_->EndFetch();  // an interrupted fill cannot be resumed after the query
        return true;
    };
    tree_->connectionLost = [this] {
        ShowMessageBox(QStringLiteral("ＤＢとの接続が切れました。\r\n") + LastDbMessage(session_),
                       MsgButtons::Ok, MsgIcon::Critical, baseTitle_);
        Disconnect();
    };
    tree_->clearSearchResults = [this] {
        left_.LV_Found->clear();
        left_.L_Found->setText(QStringLiteral("検出："));
        geometry_.foundList.height = 0;
        LayoutWindow();
    };

    DbInit(session_);
    showTemp_ = new ShowTemp(
        ProgramFolder() + QStringLiteral("SQLTMPL.TXT"), tempWindowPos_,
        [this](const QString& sql) { CopyTmpl(sql); }, this);
    showTemp_->ReadTmpl();
    ShowHist::Calls calls;
    calls.InputHist = [this](const QString& sql) { InputHist(sql); };
    calls.PostSQL = [this](const QString& sql) { PostSQL(sql); };
    showHist_ =
        new ShowHist(ProgramFolder() + QStringLiteral("SQLHIST.TXT"), histWindowPos_, calls, this);
    executor_->setHistory(&showHist_->store());
    showHist_->store().ReadHist();
    wireSqlBox();
    boxKeeper_ = new SqlBoxKeeper(sql_.TB_SQL, ProgramFolder() + QStringLiteral("SQLBOX.TXT"),
                                  baseTitle_, this);
    boxKeeper_->Restore();
    wireSearch();
    frmEditor_->GetEditorCommand();
    buildExport();

    show();
    DoEvents();
    LayoutWindow();
    Connect();
}

WindowMetrics Varkel::metrics() const {
    WindowMetrics m;
    m.toolbarShown = menus_.mn_disp_toolbar->isChecked();
    m.toolbarHeight = PixelsToTwipsY(toolbar_.Toolbar1->sizeHint().height());
    m.statusBarShown = menus_.mn_disp_statusbar->isChecked();
    m.statusBarHeight = PixelsToTwipsY(StatusBar1->sizeHint().height());
    m.kwdShown = menus_.mn_disp_kwdlist->isChecked();
    m.innerWidth = PixelsToTwipsX(client_->width());
    m.innerHeight = PixelsToTwipsY(client_->height()) + (m.toolbarShown ? m.toolbarHeight : 0) +
                    (m.statusBarShown ? m.statusBarHeight : 0);
    return m;
}

void Varkel::LayoutWindow() {
    if (isMinimized()) return;
    geometry_ = varkel::LayoutWindow(geometry_, metrics());
    applyGeometry();
    AutoSizeColumns(sql_.ListView1, true, sql_.ListView1->columnCount());
    AutoSizeColumns(left_.LV_Found, true, 1);
}

void Varkel::applyGeometry() {
    // The rules place controls in the whole client area, toolbar included; the central widget
    // starts below the toolbar.
    const int top = TopOffset(metrics());
    MainGeometry g = geometry_;
    for (Rect* r : {&g.srchButton, &g.srchCombo, &g.tabs, &g.tree, &g.split, &g.head, &g.kwd,
                    &g.sql, &g.info, &g.result, &g.foundFrame, &g.foundList})
        r->top -= top;
    left_.apply(g);
    sql_.apply(g, menus_.mn_disp_kwdlist->isChecked());
}

void Varkel::applySwitches() {
    toolbar_.Toolbar1->setVisible(menus_.mn_disp_toolbar->isChecked());
    StatusBar1->setVisible(menus_.mn_disp_statusbar->isChecked());
    sql_.Lst_kwd->setVisible(menus_.mn_disp_kwdlist->isChecked());
    DoEvents();  // let the window settle its bars before measuring
    LayoutWindow();
}

void Varkel::onDrag(DragHandles::Handle handle, int dx, int dy) {
    const WindowMetrics m = metrics();
    std::optional<MainGeometry> moved;
    switch (handle) {
        case DragHandles::Splitter:
            moved = DragSplitter(geometry_, m, geometry_.split.left + dx);
            break;
        case DragHandles::SqlBoundary:
            moved = DragSqlBoundary(geometry_, m, geometry_.info.top + dy);
            break;
        case DragHandles::FoundBoundary:
            moved = DragFoundBoundary(geometry_, m, geometry_.foundFrame.top + dy);
            break;
        case DragHandles::ConnectionBar:
            if (auto bar = DragConnectionBar(bar_.handleLeft + dx)) {
                bar_ = *bar;
                toolbar_.apply(bar_);
            }
            return;
    }
    if (!moved) return;
    geometry_ = *moved;
    applyGeometry();
}

bool Varkel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize && !baseTitle_.isEmpty())
        LayoutWindow();
    return QMainWindow::eventFilter(watched, event);
}

void Varkel::startNewInstance() {
    // A failure to start is ignored, as the user sees nothing come up either way.
    StartProcess(QCoreApplication::applicationFilePath(), {});
}

void Varkel::exitProgram() {
    hide();
    DoEvents();
    close();
}

void Varkel::closeEvent(QCloseEvent* event) {
    if (DbCallOut(session_)) {
        // A driver call is out: it is cancelled, whatever runs ends quietly, and the window
        // closes once the call is back, committing nothing.
        if (loadCsv_ && loadCsv_->running()) loadCsv_->Abort();
        if (saveCsv_ && saveCsv_->exporting()) saveCsv_->Abort();
        executor_->Abort();
        discardWork_ = true;
        closePending_ = true;
        DbCancel(session_);
        event->ignore();
        return;
    }
    if (loadCsv_ && loadCsv_->running()) {  // an import ends at its next line, quietly
        loadCsv_->Abort();
        closePending_ = true;
        event->ignore();
        return;
    }
    // An export that is running ends at its next row, quietly, leaving no file.
    const bool exporting = saveCsv_ && saveCsv_->exporting();
    if (exporting) saveCsv_->Abort();
    if ((runner_ && runner_->running()) || commandLock_.locked() || exporting) {
        // A script or a resumed fill is running: it ends at its next row, quietly, and the
        // window closes then.
        executor_->Abort();
        closePending_ = true;
        event->ignore();
        return;
    }
    unload();
    event->accept();
}

void Varkel::unload() {
    if (unloaded_) return;
    unloaded_ = true;
    if (boxKeeper_) boxKeeper_->Flush();  // the last text stays for the next start
    // Every setting of the end reaches the file in one write.
    IniFile ini(SettingsFile());
    SaveWindowPos(this, settings::Main(), ini);
    ini.write(settings::Window(), settings::ToolBar(),
              settings::SwitchText(menus_.mn_disp_toolbar->isChecked()));
    ini.write(settings::Window(), settings::StatusBar(),
              settings::SwitchText(menus_.mn_disp_statusbar->isChecked()));
    ini.write(settings::Window(), settings::KwdList(),
              settings::SwitchText(menus_.mn_disp_kwdlist->isChecked()));
    ini.write(settings::Window(), settings::Con2Title(),
              settings::SwitchText(menus_.mn_disp_con2title->isChecked()));
    hide();
    DoEvents();
    if (discardWork_ && IsConnected(session_)) RollbackWork(session_);
    DbDisconnect(session_);
    if (connectDialog_) connectDialog_->SaveHist(ini);
    if (QString error; !ini.save(&error))
        ShowMessageBox(error, MsgButtons::Ok, MsgIcon::Exclamation,
                       baseTitle_ + QStringLiteral(" - 設定の保存"));
    if (showTemp_ && showTemp_->Changed()) showTemp_->SaveTmpl();
    if (showHist_ && showHist_->store().Changed()) showHist_->store().SaveHist();
    QCoreApplication::quit();
}

}  // namespace varkel
