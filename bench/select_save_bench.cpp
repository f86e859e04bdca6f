// SELECT-and-save of a large result through the export window, beside `isql -b -d, -c` writing
// the same rows to a file, the database layer's block fetch of the same rows and the single-row
// fetch loop, in one run, with the memory each takes; the capped fill of the same table by
// statements of every beginning and the memory it takes; then the result-list export of 10,000
// rows to a text file and to a workbook.
//
//   select_save_bench [--rows N] [--runs R] [--engines sqlite,postgresql,mariadb]
//                     [--no-single-row]
//
// Run under Xvfb with the xcb platform (scripts/bench.sh does), so that the window is painted
// as on a desktop. PostgreSQL needs VARKEL_PG_HOST/PORT/USER/PASSWORD, MariaDB
// VARKEL_MARIADB_HOST/PORT/USER/PASSWORD.

#include <malloc.h>
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench_mariadb.h"
#include "db/odbc_comm.h"
#include "exchange/save_csv.h"
#include "exec/command_lock.h"
#include "exec/sql_executor.h"
#include "toolkit/busy_pointer.h"
#include "toolkit/file_dialogs.h"
#include "toolkit/keyed_bars.h"
#include "toolkit/message_box.h"
#include "ui/results/result_list_view.h"

using namespace varkel;

namespace {

struct Engine {
    QString name, dsn, user, password, fillSql;
    bool parenthesized = true;  // reads "(SELECT …)" as a query
};

const char* kCreate =
    "CREATE TABLE big (id INTEGER PRIMARY KEY, qty INTEGER, name VARCHAR(40), amount "
    "NUMERIC(12,2), ratio DOUBLE PRECISION, born DATE, stamp TIMESTAMP, code CHAR(8), note "
    "VARCHAR(100), flag SMALLINT)";

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Seconds(const std::function<void()>& body) {
    QElapsedTimer timer;
    timer.start();
    body();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

long ProcStatusKb(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(static_cast<qsizetype>(std::strlen(key)))
                .trimmed()
                .split(' ')
                .value(0)
                .toLong();
    return -1;
}

void ResetPeakMemory() {
    // Memory freed by an earlier loop goes back first, so that reusing it is not taken for no
    // growth.
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

long Lines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    long lines = 0;
    char buffer[1 << 16];
    qint64 n = 0;
    while ((n = file.read(buffer, sizeof buffer)) > 0)
        lines += std::count(buffer, buffer + n, '\n');
    return lines;
}

void Check(const char* what, long got, long expected) {
    if (got == expected) return;
    std::fprintf(stderr, "%s: %ld lines, expected %ld\n", what, got, expected);
    std::exit(1);
}

void RunIsql(const Engine& engine, const QString& out) {
    QProcess isql;
    QStringList args = {QStringLiteral("-b"), QStringLiteral("-d,"), QStringLiteral("-c"),
                        engine.dsn};
    if (!engine.user.isEmpty()) args << engine.user << engine.password;
    isql.setStandardOutputFile(out);
    isql.start(QStringLiteral("isql"), args);
    isql.write("SELECT * FROM big\n");
    isql.closeWriteChannel();
    isql.waitForFinished(-1);
}

long FetchSingle(DbSession& s) {
    // As in the save, one busy pointer for the whole loop: the measure is the fetch alone.
    BusyPointer busy;
    if (DbExecute(s, QStringLiteral("SELECT * FROM big")) != 0) return -1;
    QStringList values;
    long rows = 0;
    while (DbFetch(s, values, 1) == 0)
        ++rows;
    CloseCursor(s);
    return rows;
}

// The database layer's block fetch of the same rows: the reference of the save's speed.
long FetchBlock(DbSession& s) {
    BusyPointer busy;
    if (DbExecuteStreaming(s, QStringLiteral("SELECT * FROM big")) != 0) return -1;
    QStringList values;
    long rows = 0;
    while (DbFetch(s, values, 0) == 0)
        ++rows;
    CloseCursor(s);
    return rows;
}

// The main window's parts that the export needs: its result list, the lock and the session.
class Host {
  public:
    explicit Host(DbSession& s) : session_(s) {
        auto* layout = new QVBoxLayout(&window_);
        w_.ListView1 = new ResultListView;  // the program's own list
        w_.L_cols = new QLabel;
        w_.L_rows = new QLabel;
        w_.L_sec = new QLabel;
        w_.L_msg = new QLabel;
        w_.Cmd_start_stop = new QToolButton;
        w_.StatusBar1 = new KeyedStatusBar;
        w_.L_sql_no = new QLabel;
        w_.TB_DSN = new QLineEdit;
        for (QWidget* widget : std::initializer_list<QWidget*>{
                 w_.ListView1, w_.L_cols, w_.L_rows, w_.L_sec, w_.L_msg, w_.Cmd_start_stop,
                 w_.StatusBar1, w_.L_sql_no, w_.TB_DSN})
            layout->addWidget(widget);
        window_.resize(1024, 768);
        window_.show();
        QCoreApplication::processEvents();
        executor_ = std::make_unique<SqlExecutor>(s, w_, QStringLiteral("Varkel Light"));
        SaveCSV::Calls calls;
        calls.session = &s;
        calls.lock = &lock_;
        calls.baseTitle = QStringLiteral("Varkel Light");
        calls.endInterruptedFill = [this] { executor_->EndFetch(); };
        save_ = new SaveCSV(std::move(calls), &window_);
        // Shown once before anything is measured: the first showing loads fonts and the like.
        save_->Show4SelectOut(QStringLiteral("SELECT 1"));
        save_->Command2->click();
    }
    void selectAndSave(const QString& path) {
        ScopedFileDialogResponder files([&](const FileDialogRequest&) { return path; });
        save_->Show4SelectOut(QStringLiteral("SELECT * FROM big"));
        save_->Command1->click();
    }
    void fill(const QString& sql) { executor_->exec_sql(sql, false); }
    void exportList(int option, const QString& path) {
        ScopedFileDialogResponder files([&](const FileDialogRequest&) { return path; });
        save_->ShowOption(w_.ListView1);
        save_->Opt_out[option]->setChecked(true);
        save_->Command1->click();
    }
    int listed() const { return w_.ListView1->topLevelItemCount(); }

  private:
    DbSession& session_;
    QWidget window_;
    ExecWidgets w_;
    CommandLock lock_;
    std::unique_ptr<SqlExecutor> executor_;
    SaveCSV* save_ = nullptr;
};

void Bench(const Engine& engine, long rows, int runs, bool singleRow, const QString& folder) {
    DbSession s;
    DbInit(s);
    QString user = engine.user, password = engine.password, connectString;
    if (DbConnect(s, 0, engine.dsn, user, password, {}, connectString) != 0) std::exit(1);
    DbExecute(s, QStringLiteral("DROP TABLE big"));
    DbCommit(s);
    if (DbExecute(s, QString::fromLatin1(kCreate)) != 0 ||
        DbExecute(s, engine.fillSql.arg(rows)) != 0 || DbCommit(s) != 0) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(engine.name), qPrintable(s.LastMessage));
        std::exit(1);
    }
    std::printf("\n%s: %ld rows x 10 columns, median of %d runs\n", qPrintable(engine.name), rows,
                runs);
    std::fflush(stdout);
    Host host(s);
    const QString out = folder + QStringLiteral("/select.csv");
    const QString isqlOut = folder + QStringLiteral("/isql.csv");
    std::vector<double> save, isql, single, block;
    long growthKb = 0, fetchGrowthKb = 0, blockGrowthKb = 0;
    for (int run = 0; run < runs; ++run) {
        long fetched = 0;
        // The save first: memory a loop before it left behind could hide its growth.
        ResetPeakMemory();
        const long before = ProcStatusKb("VmRSS:");
        save.push_back(Seconds([&] { host.selectAndSave(out); }));
        growthKb = std::max(growthKb, ProcStatusKb("VmHWM:") - before);
        Check("SELECT-and-save", Lines(out), rows);
        ResetPeakMemory();
        const long beforeBlock = ProcStatusKb("VmRSS:");
        block.push_back(Seconds([&] { fetched = FetchBlock(s); }));
        blockGrowthKb = std::max(blockGrowthKb, ProcStatusKb("VmHWM:") - beforeBlock);
        Check("block fetch", fetched, rows);
        if (singleRow) {
            ResetPeakMemory();
            const long beforeFetch = ProcStatusKb("VmRSS:");
            single.push_back(Seconds([&] { fetched = FetchSingle(s); }));
            fetchGrowthKb = std::max(fetchGrowthKb, ProcStatusKb("VmHWM:") - beforeFetch);
            Check("single-row fetch", fetched, rows);
        }
        isql.push_back(Seconds([&] { RunIsql(engine, isqlOut); }));
        Check("isql", Lines(isqlOut), rows + 1);
    }
    const double tSave = Median(save), tIsql = Median(isql), tBlock = Median(block);
    const auto mb = [](long kb) { return static_cast<double>(kb) / 1024.0; };
    std::printf("  %-40s %8.3f s\n", "isql -b -d, -c > file", tIsql);
    std::printf("  %-40s %8.3f s %7.1f MB\n", "DbFetch block loop (no output)", tBlock,
                mb(blockGrowthKb));
    if (singleRow)
        std::printf("  %-40s %8.3f s %7.1f MB\n", "DbFetch single-row loop (no output)",
                    Median(single), mb(fetchGrowthKb));
    std::printf("  %-40s %8.3f s %7.1f MB %9.0f rows/s\n",
                "SELECT-and-save (window, yield per row)", tSave, mb(growthKb),
                static_cast<double>(rows) / tSave);
    std::printf("  goal 1  %s: save / block fetch = %.2f (goal <= 1.3); save / isql = %.2f\n",
                qPrintable(engine.name), tSave / tBlock, tSave / tIsql);
    std::printf("  goal 2  %s: peak memory growth of the save %.1f MB (goal < 30)\n",
                qPrintable(engine.name), mb(growthKb));

    // The capped fill, by statements of every beginning that return the same rows.
    QStringList fills = {QStringLiteral("SELECT * FROM big"),
                         QStringLiteral("WITH w AS (SELECT * FROM big) SELECT * FROM w"),
                         QStringLiteral("/* note */ SELECT * FROM big"),
                         QStringLiteral("-- note\nSELECT * FROM big")};
    if (engine.parenthesized) fills << QStringLiteral("(SELECT * FROM big)");
    for (const QString& sql : fills) {
        CloseCursor(s);
        ResetPeakMemory();
        const long before = ProcStatusKb("VmRSS:");
        const double t = Seconds([&] { host.fill(sql); });
        const long grown = ProcStatusKb("VmHWM:") - before;
        std::printf("  goal 3  %s: fill of %-48s %6.3f s %7.1f MB (goal < 80), %d rows listed\n",
                    qPrintable(engine.name),
                    qPrintable(u'"' + QString(sql).replace(u'\n', u' ') + u'"'), t, mb(grown),
                    host.listed());
    }

    const long listed = std::min(rows, 10000L);
    host.fill(QStringLiteral("SELECT * FROM big WHERE id <= %1").arg(listed));
    if (host.listed() != listed) std::exit(1);
    std::vector<double> toFile, toBook;
    for (int run = 0; run < runs; ++run) {
        toFile.push_back(
            Seconds([&] { host.exportList(0, folder + QStringLiteral("/list.csv")); }));
        Check("list to file", Lines(folder + QStringLiteral("/list.csv")), listed);
        toBook.push_back(
            Seconds([&] { host.exportList(2, folder + QStringLiteral("/list.xlsx")); }));
        if (!QFile::exists(folder + QStringLiteral("/list.xlsx"))) std::exit(1);
    }
    std::printf("  result list (%ld rows) to a text file  %8.3f s\n", listed, Median(toFile));
    std::printf("  result list (%ld rows) to a workbook   %8.3f s\n", listed, Median(toBook));
    std::fflush(stdout);
    DbDisconnect(s);
}

}  // namespace

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("rows"), QStringLiteral("Rows in the table."),
                      QStringLiteral("n"), QStringLiteral("1000000")});
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Runs of each way."),
                      QStringLiteral("n"), QStringLiteral("3")});
    parser.addOption({QStringLiteral("engines"), QStringLiteral("sqlite,postgresql,mariadb"),
                      QStringLiteral("list"), QStringLiteral("sqlite,postgresql,mariadb")});
    parser.addOption({QStringLiteral("no-single-row"),
                      QStringLiteral("Leave out the single-row fetch loop (a reference only: at "
                                     "10M rows it takes a quarter of an hour).")});
    parser.process(app);
    const bool singleRow = !parser.isSet(QStringLiteral("no-single-row"));
    const long rows = parser.value(QStringLiteral("rows")).toLong();
    const int runs = std::max(1, parser.value(QStringLiteral("runs")).toInt());
    const QStringList engines = parser.value(QStringLiteral("engines")).split(u',');
    std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));

    // Every box the export shows is answered at once.
    ScopedMessageResponder answer([](const MessageBoxRequest&) { return MsgResult::Ok; });
    QTemporaryDir dir;
    QFile::copy(QStringLiteral("/etc/odbcinst.ini"), dir.filePath(QStringLiteral("odbcinst.ini")));
    QFile ini(dir.filePath(QStringLiteral("odbc.ini")));
    ini.open(QIODevice::WriteOnly);
    // Data source options that keep the drivers' memory flat on large results.
    ini.write(QStringLiteral("[BenchSQLite]\nDriver=SQLite3\nDatabase=%1\nStepAPI=1\n\n")
                  .arg(dir.filePath(QStringLiteral("bench.db")))
                  .toUtf8());
    const QString pgHost = qEnvironmentVariable("VARKEL_PG_HOST"),
                  pgPort = qEnvironmentVariable("VARKEL_PG_PORT");
    ini.write(
        QStringLiteral("[BenchPostgreSQL]\nDriver=PostgreSQL Unicode\nServername=%1\nPort=%2\n"
                       "Database=postgres\nUseDeclareFetch=1\nFetch=1000\n")
            .arg(pgHost, pgPort)
            .toUtf8());
    ini.write(bench::MariaDbSources().toUtf8());
    ini.close();
    qputenv("ODBCSYSINI", QFile::encodeName(dir.path()));
    qputenv("ODBCINI", QFile::encodeName(dir.filePath(QStringLiteral("user-odbc.ini"))));

    if (engines.contains(QStringLiteral("sqlite")))
        Bench({QStringLiteral("SQLite"),
               QStringLiteral("BenchSQLite"),
               {},
               {},
               QStringLiteral(
                   "INSERT INTO big WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 "
                   "FROM c WHERE x < %1) SELECT x, x % 1000, 'name ' || x, "
                   "(x % 100000) / 100.0, x / 7.0, date('2020-01-01', '+' || (x % 3650) || "
                   "' days'), datetime('2020-01-01 00:00:00', '+' || x || ' seconds'), "
                   "printf('C%07d', x), 'メモ ' || x, x % 2 FROM c"),
               false},
              rows, runs, singleRow, dir.path());
    if (engines.contains(QStringLiteral("postgresql"))) {
        if (pgHost.isEmpty()) {
            std::fprintf(stderr,
                         "PostgreSQL: VARKEL_PG_* not set (run through scripts/bench.sh)\n");
            return 1;
        }
        Bench({QStringLiteral("PostgreSQL"), QStringLiteral("BenchPostgreSQL"),
               qEnvironmentVariable("VARKEL_PG_USER"), qEnvironmentVariable("VARKEL_PG_PASSWORD"),
               QStringLiteral(
                   "INSERT INTO big SELECT x, x % 1000, 'name ' || x, (x % 100000) / 100.0, "
                   "x / 7.0, DATE '2020-01-01' + (x % 3650), TIMESTAMP '2020-01-01' + x * "
                   "INTERVAL '1 second', 'C' || lpad(x::text, 7, '0'), 'メモ ' || x, x % 2 "
                   "FROM generate_series(1, %1) x")},
              rows, runs, singleRow, dir.path());
    }
    if (engines.contains(QStringLiteral("mariadb"))) {
        if (!bench::MakeMariaDbBenchDatabase()) return 1;
        Engine maria{
            QStringLiteral("MariaDB"), QStringLiteral("BenchMariaDB"), bench::MariaDbUser(),
            bench::MariaDbPassword(),
            QStringLiteral("INSERT INTO big SELECT seq, seq % 1000, CONCAT('name ', seq), "
                           "(seq % 100000) / 100.0, seq / 7.0, DATE '2020-01-01' + INTERVAL "
                           "(seq % 3650) DAY, TIMESTAMP '2020-01-01 00:00:00' + INTERVAL seq "
                           "SECOND, CONCAT('C', LPAD(seq, 7, '0')), CONCAT('メモ ', seq), seq % 2 "
                           "FROM seq_1_to_%1")};
        Bench(maria, rows, runs, singleRow, dir.path());
    }
    return 0;
}
