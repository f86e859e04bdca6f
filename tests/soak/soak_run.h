#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "db/odbc_comm.h"
#include "soak/statement_pool.h"
#include "support/engines.h"
#include "support/file_faults.h"
#include "toolkit/file_dialogs.h"
#include "toolkit/message_box.h"
#include "toolkit/processes.h"

class QAction;
class QProcess;

namespace varkel {
class Varkel;
}

namespace varkel::test {

struct SoakOptions {
    quint64 seed = 0;
    int minutes = 0;  // 0: run `actions` actions
    long actions = 1000;
    std::vector<Engine> engines{Engine::SQLite};
    bool faults = true;
    bool trace = false;  // every action and answer on standard output as it happens
};

// The size of the program folder's own file system while its disk is not full.
constexpr unsigned long long kFolderBytes = 1ULL << 30;

// A full disk for as long as it lives: the program folder's own small file system (where the run
// could mount one, `mount` not empty) is cut down to what it holds plus `room` bytes; elsewhere
// no file of the process may grow beyond `room` bytes.
class FullDisk {
  public:
    FullDisk(const QString& mount, long room);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

  private:
    QString mount_;
    std::unique_ptr<ScopedFileSizeLimit> limit_;
};

// Counts for the end report.
struct SoakCounts {
    long actions = 0;
    long checks = 0;
    std::map<std::string, long> faults;
    std::map<std::string, long> kinds;
    long rssStartKb = 0, rssEndKb = 0, heapStartKb = 0, heapEndKb = 0;
};

// One randomized run of the real main window: picks a command by weight from the seeded
// generator, runs it through the entry point a user's click or key uses, answers every box,
// file dialog and editor start from the same generator, then checks the invariants. The first
// broken invariant ends the run with the seed and the last 100 actions.
class SoakRun {
  public:
    explicit SoakRun(const SoakOptions& options);
    ~SoakRun();
    // False with `why` when an engine asked for is not there.
    bool prepare(QString* why);
    // Runs until the time or the number of actions is spent; the exit code.
    int run();
    const SoakCounts& counts() const { return counts_; }
    // The last actions, oldest first (for the sanitizer's death report too).
    QStringList recentActions() const;

  private:
    struct Target {
        Engine engine;
        std::unique_ptr<TestDatabase> db;
        QString dsn;                              // the soak's own data source for it
        QString database;                         // the server's name of the database
        std::unique_ptr<AdminConnection> admin;   // the fault injector's own
        std::unique_ptr<AdminConnection> locker;  // holds a lock on soak_t while there
    };
    struct Action {
        const char* name;
        int weight;
        std::function<void()> run;
    };

    // Setup and the loop.
    void buildActions();
    void step();
    void note(const QString& text);
    [[noreturn]] void fail(const QString& what);

    // Actions (soak_actions.cpp).
    void connect(bool badPassword, bool cancel);
    void runStatement();
    void runScript();
    void runDuring();  // a long statement with another command in the middle of its fill
    void commandDuringFill();
    // Arms a command that runs in the middle of the next action, at one of its yields.
    void armMiddleCommand();
    void middleCommand(int what);
    void treeRefill();
    void treeExpand();
    void treeQuickSql();
    void search();
    void sortColumn();
    void copyFromList();
    void historyAction();
    void templateAction();
    void exportList();
    void selectAndSave();
    void importFile();
    void editWithEditor();
    void openSqlFile();
    void trigger(const char* action);

    // Invariants (soak_checks.cpp).
    void checkAll();
    void checkCommands();
    void checkHistory();
    void checkTemplates();
    void checkStatus();
    void checkStatements();
    void checkWrittenFile(const QString& path);
    void checkMemory();
    // Ends the program as a user does and checks that the files hold what it held last.
    void checkProgramEnd();

    // Faults (soak_faults.cpp).
    void injectFault();
    void killSession();
    void restartServer();
    void lockTable();
    void releaseLocks();
    void runPgbench();
    void stopPgbench();
    // Lock waits of the program's sessions end with the server's message after a second.
    void limitLockWaits(Target& t);

    MsgResult answerBox(const MessageBoxRequest& box);
    QString answerFileDialog(const FileDialogRequest& request);
    ProcessOutcome answerProcess(const ProcessRequest& request);

    Target* current();  // the target of the open connection, else null
    QAction* action(const char* name) const;
    QString folder(const QString& name) const;

    SoakOptions options_;
    std::mt19937_64 rng_;
    OdbcConfig config_;
    std::vector<Target> targets_;
    std::unique_ptr<DbSession> session_;
    std::unique_ptr<Varkel> window_;
    std::vector<Action> actions_;
    int totalWeight_ = 0;
    std::deque<QString> recent_;
    SoakCounts counts_;
    long memoryAfterFirst1000_ = 0;
    int fileCounter_ = 0;
    long lockRelease_ = 0;  // the action before which the other connection lets its lock go
    std::unique_ptr<QProcess> pgbench_;
    bool pgbenchTables_ = false;
    QString diskMount_;  // the program folder, when it is a file system of its own

    // What the current action showed and asked.
    QList<MessageBoxRequest> boxes_;
    QStringList savedFiles_;  // paths a save dialog was answered with
    int expectedLines_ = -1;  // the lines a finished text export holds (-1: not known)
    QString nextOpenFile_;    // the answer to the next open dialog
    QString nextEditorText_;  // what the scripted editor writes
    bool singleStatement_ = false;
    Expect expected_ = Expect::Either;
    QPointer<QTimer> middle_;  // the command armed for the middle of this action

    ScopedMessageResponder boxResponder_;
    ScopedFileDialogResponder fileResponder_;
    ScopedProcessResponder processResponder_;
};

}  // namespace varkel::test
