#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "exec/command_lock.h"
#include "ui/connect/connect_ds.h"
#include "ui/frame/layout_rules.h"
#include "ui/frame/main_menus.h"
#include "ui/main/command_state.h"
#include "ui/main/drag_handles.h"
#include "ui/main/sql_pane.h"
#include "ui/main/toolbar_pane.h"
#include "ui/sqlbox/word_move.h"
#include "ui/tree/image_lists.h"
#include "ui/tree/left_pane.h"

namespace varkel {

struct DbSession;
class SaveCSV;
class ScriptRunner;
class ShowHist;
class ShowTemp;
class SqlExecutor;
class KeyedStatusBar;
class ResultSorter;
class ResultCopyMenu;
class LoadCSV;
class FrmEditor;
class ObjectTree;
class ObjectSearch;
class SqlBoxKeeper;
class CallWaitView;

// The main window "Varkel Light": assembled from its panes, it owns the program's windows, the
// start-up and shutdown steps, the layout and the connection commands.
class Varkel : public QMainWindow {
    Q_OBJECT
  public:
    explicit Varkel(DbSession& session);
    ~Varkel() override;

    // The load steps, in order; the last one starts the connect command.
    void Load();

    void Connect();
    void Disconnect();
    void Reconnect();
    void UpdateTitle();
    void LayoutWindow();
    // Puts a statement into the SQL input box and runs it.
    void PostSQL(const QString& SQLstmt);
    void RunScript();
    // A statement from the template or history window into the SQL input box.
    void CopyTmpl(const QString& TmplSql);
    void InputHist(const QString& HistSql);
    // The one way a fragment enters the SQL input box: it replaces the selection, and in the
    // "？" mode the next "?" after it is selected.
    void InsertSqlText(const QString& text);
    // Moves the selection of the SQL input box to the next "?", token or keyword.
    void MoveToWord(bool right);
    // Replaces the SQL input box text with an SQL file; a drop reports a file it cannot open.
    void LoadSqlFile(const QString& path, bool reportFailure);
    // The import window with the tables and synonyms of the object lists.
    void ShowLoadCsv();
    LoadCSV* importWindow() const { return loadCsv_; }
    // The search-word mode button: "？", "ﾄｰｸﾝ", "ｷｰﾜｰﾄﾞ" in turn.
    void CycleWordMode();
    // Quick statement `index` of the object pop-up into the SQL input box; [0] also runs it.
    void QuickSql(int index);
    // The columns of the clicked object as one line; empty when they cannot be fetched.
    QString AllColumnsText();
    // "SQLの読込": an SQL file chosen in the open dialog replaces the SQL input box text.
    void OpenSqlFile();
    ObjectSearch* objectSearch() const { return search_; }

    const QString& BaseTitle() const { return baseTitle_; }
    const MainGeometry& geometryTwips() const { return geometry_; }
    WindowMetrics metrics() const;
    ConnectDS* connectDialog() const { return connectDialog_.data(); }
    SqlExecutor* executor() const { return executor_.get(); }
    // Held by whatever owns the session's cursor; the commands that need it are locked meanwhile.
    CommandLock& commandLock() { return commandLock_; }
    ShowHist* historyWindow() const { return showHist_; }
    ShowTemp* templateWindow() const { return showTemp_; }
    ResultSorter* resultSorter() const { return sorter_.get(); }
    ResultCopyMenu* resultCopyMenu() const { return copyMenu_; }
    FrmEditor* editorWindow() const { return frmEditor_; }

    // Reads the keyword list file into Keywords and Lst_kwd and fits the list's width to it.
    void LoadKeywords();
    QStringList Keywords;
    SaveCSV* exportWindow() const { return saveCsv_; }
    ObjectTree* objectTree() const { return tree_; }
    SqlBoxKeeper* sqlBoxKeeper() const { return boxKeeper_; }
    // What the window shows while a driver call is out.
    CallWaitView* callWaitView() const { return callView_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildStatusBar();
    void wireCommands();
    void applyGeometry();
    void applySwitches();
    void onToolbarButton(const QString& key);
    void onDrag(DragHandles::Handle handle, int dx, int dy);
    void startNewInstance();
    void exitProgram();
    void unload();
    ConnectDS& dialog();
    void buildExecution();
    void beforeRun();
    void wireSqlBox();
    void wireSearch();
    void wireDesktopCommands();
    void editSqlBox();
    void editKeywordList();
    void buildExport();

    DbSession& session_;
    MainMenus menus_;
    ToolbarPane toolbar_;
    LeftPane left_;
    SqlPane sql_;
    KeyedStatusBar* StatusBar1 = nullptr;
    QWidget* client_ = nullptr;
    DragHandles* drags_ = nullptr;
    std::unique_ptr<CommandState> commands_;
    CommandLock commandLock_;
    QPointer<ConnectDS> connectDialog_;
    std::unique_ptr<SqlExecutor> executor_;
    ScriptRunner* runner_ = nullptr;
    ShowHist* showHist_ = nullptr;
    ShowTemp* showTemp_ = nullptr;
    std::unique_ptr<ResultSorter> sorter_;
    ResultCopyMenu* copyMenu_ = nullptr;
    WordMode wordMode_ = WordMode::Question;
    KeywordSet keywords_;
    QStringList keywordEntries_;  // what the set was built from
    QString lastSqlFile_;
    ObjectSearch* search_ = nullptr;
    FrmEditor* frmEditor_ = nullptr;
    SaveCSV* saveCsv_ = nullptr;
    bool closePending_ = false;
    // The window was closed while a call was out: the call was cancelled, nothing is committed.
    bool discardWork_ = false;
    CallWaitView* callView_ = nullptr;
    LoadCSV* loadCsv_ = nullptr;  // the import window, loaded at its first use
    ObjectTree* tree_ = nullptr;
    SqlBoxKeeper* boxKeeper_ = nullptr;  // the SQL input box's text kept across a crash
    bool ShowAllColumnInfo = false;

    MainGeometry geometry_;
    ConnectionBarGeometry bar_;
    QString baseTitle_;
    QString helpUrl_, mainWindowPos_, histWindowPos_, tempWindowPos_;
    int mainLineHeight_ = 0;
    bool unloaded_ = false;

    // Connection values as the connection dialog handed them back.
    QString dsn_, U_id_, PS_wd_, drv_, DSTag_;
    // The last connection that succeeded, for reconnecting, and how the bar showed it.
    QString lastGoodTag_, lastGoodBarText_;
    void showConnected();
    // The bar, the commands and the title of no connection (the session is closed already).
    void showDisconnected();
};

}  // namespace varkel
