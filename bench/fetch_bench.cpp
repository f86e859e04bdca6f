// Reads a large result through DbFetch (block path and single-row path) and through a plain C
// loop over SQLExtendedFetch, beside `isql -b` on the same query and data source, in one run.
//
//   fetch_bench [--rows N] [--runs R] [--engines sqlite,postgresql,mariadb] [--readers …]
//
// PostgreSQL needs VARKEL_PG_HOST/PORT/USER/PASSWORD (scripts/bench.sh starts a server).

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <functional>
#include <vector>

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "bench_mariadb.h"
#include "db/api_call.h"
#include "db/odbc_comm.h"
#include "exec/sql_executor.h"
#include "raw_fetch.h"
#include "toolkit/keyed_bars.h"
#include "toolkit/message_box.h"
#include "ui/results/result_list_view.h"

using namespace varkel;

namespace {

struct Engine {
    QString name;
    QString dsn;
    QString user;
    QString password;
    QString createSql;
    QString fillSql;  // %1: the number of rows
    QString rawConnectString;
};

const char* kTableColumns =
    "(id INTEGER PRIMARY KEY, qty INTEGER, name VARCHAR(40), amount NUMERIC(12,2), "
    "ratio DOUBLE PRECISION, born DATE, stamp TIMESTAMP, code CHAR(8), note VARCHAR(100), "
    "flag SMALLINT)";

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Seconds for one run of `body`, which returns the rows it read (checked against `rows`).
double Time(const char* what, long rows, const std::function<long()>& body) {
    QElapsedTimer timer;
    timer.start();
    const long read = body();
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    if (read != rows) {
        std::fprintf(stderr, "%s read %ld rows, expected %ld\n", what, read, rows);
        std::exit(1);
    }
    return seconds;
}

long FetchAll(DbSession& s, int singleRow) {
    if (DbExecute(s, QStringLiteral("SELECT * FROM big")) != 0) {
        std::fprintf(stderr, "execute failed: %s\n", qPrintable(s.LastMessage));
        return -1;
    }
    QStringList values;
    long rows = 0;
    DbStatus status = 0;
    while ((status = DbFetch(s, values, singleRow)) == 0)
        ++rows;
    CloseCursor(s);
    return status == 100 ? rows : -1;
}

// The main window's result list and execution frame, shown as in the program; every box a
// statement shows is answered at once.
class FillHarness {
  public:
    explicit FillHarness(DbSession& s)
        : answer_([](const MessageBoxRequest&) { return MsgResult::Ok; }) {
        auto* layout = new QVBoxLayout(&window_);
        w_.ListView1 = new ResultListView;  // the program's own list, as it is set up there
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
    }
    long fill(const QString& sql) {
        const DbStatus status = executor_->exec_sql(sql, false);
        return status == 0 || status == 100 ? w_.ListView1->topLevelItemCount() : -1;
    }

  private:
    QWidget window_;
    ExecWidgets w_;
    ScopedMessageResponder answer_;
    std::unique_ptr<SqlExecutor> executor_;
};

long RunIsqlQuery(const Engine& engine, long rows, const QByteArray& sql) {
    QProcess isql;
    QStringList args = {QStringLiteral("-b"), engine.dsn};
    if (!engine.user.isEmpty()) args << engine.user << engine.password;
    isql.setStandardOutputFile(QProcess::nullDevice());
    isql.start(QStringLiteral("isql"), args);
    isql.write(sql + "\n");
    isql.closeWriteChannel();
    isql.waitForFinished(-1);
    return isql.exitStatus() == QProcess::NormalExit && isql.exitCode() == 0 ? rows : -1;
}

long RunIsql(const Engine& engine, long rows) {
    return RunIsqlQuery(engine, rows, "SELECT * FROM big");
}

bool Prepare(DbSession& s, const Engine& engine, long rows) {
    DbInit(s);
    QString user = engine.user, password = engine.password, connectString;
    if (DbConnect(s, 0, engine.dsn, user, password, {}, connectString) != 0) return false;
    DbExecute(s, QStringLiteral("DROP TABLE big"));
    DbCommit(s);
    if (DbExecute(s, engine.createSql) != 0 || DbExecute(s, engine.fillSql.arg(rows)) != 0) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(engine.name), qPrintable(s.LastMessage));
        return false;
    }
    return DbCommit(s) == 0;
}

void Bench(const Engine& engine, long rows, int runs, const QStringList& readers) {
    DbSession s;
    std::printf("\n%s: %ld rows x 10 columns, median of %d runs\n", qPrintable(engine.name), rows,
                runs);
    std::fflush(stdout);
    if (!Prepare(s, engine, rows)) {
        std::fprintf(stderr, "%s: cannot prepare the data\n", qPrintable(engine.name));
        std::exit(1);
    }
    std::vector<double> isql, block, single, raw;
    auto want = [&](const char* reader) { return readers.contains(QString::fromLatin1(reader)); };
    for (int run = 0; run < runs; ++run) {
        if (want("isql"))
            isql.push_back(Time("isql -b", rows, [&] { return RunIsql(engine, rows); }));
        if (want("block"))
            block.push_back(Time("DbFetch block", rows, [&] { return FetchAll(s, 0); }));
        if (want("single"))
            single.push_back(Time("DbFetch single-row", rows, [&] { return FetchAll(s, 1); }));
        if (want("raw"))
            raw.push_back(Time("C loop", rows, [&] {
                return RawBlockFetch(engine.rawConnectString, QStringLiteral("SELECT * FROM big"));
            }));
    }
    // The result list: 10,000 rows through exec_sql, as a user reads them.
    const long listed = std::min(rows, 10000L);
    const QString firstRows = QStringLiteral("SELECT * FROM big WHERE id <= %1").arg(listed);
    std::vector<double> fill, isqlFill;
    if (want("fill")) {
        FillHarness harness(s);
        for (int run = 0; run < runs; ++run) {
            isqlFill.push_back(Time("isql -b (list)", listed, [&] {
                return RunIsqlQuery(engine, listed, firstRows.toUtf8());
            }));
            fill.push_back(
                Time("exec_sql list fill", listed, [&] { return harness.fill(firstRows); }));
        }
        std::printf("  %-34s %8.3f s   (%ld rows)\n", "isql -b, first rows", Median(isqlFill),
                    listed);
        std::printf("  %-34s %8.3f s\n", "exec_sql into ListView1", Median(fill));
        std::printf("  goal 4  %s: fill of %ld rows / isql -b = %.2f (goal <= 1.5)\n",
                    qPrintable(engine.name), listed, Median(fill) / Median(isqlFill));
    }
    DbDisconnect(s);
    if (isql.empty() || block.empty() || single.empty() || raw.empty()) return;  // no ratios
    const double tIsql = Median(isql), tBlock = Median(block), tSingle = Median(single),
                 tRaw = Median(raw);
    auto line = [&](const char* what, double t) {
        std::printf("  %-34s %8.3f s %12.0f rows/s\n", what, t, static_cast<double>(rows) / t);
    };
    line("isql -b", tIsql);
    line("DbFetch, block path", tBlock);
    line("DbFetch, single-row path", tSingle);
    line("C loop over SQLExtendedFetch", tRaw);
    std::printf("  block / isql      = %.2f   (goal <= 1.0)\n", tBlock / tIsql);
    std::printf("  block / C loop    = %.2f   (goal <= 1.3)\n", tBlock / tRaw);
    std::printf("  single-row / isql = %.2f\n", tSingle / tIsql);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    // The offscreen platform says so for every shown window; it tells nothing here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        if (!message.contains(QStringLiteral("propagateSizeHints")))
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // A GUI application, as in the program, so that the busy pointer is set for every call.
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("rows"), QStringLiteral("Rows in the table."),
                      QStringLiteral("n"), QStringLiteral("1000000")});
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Runs of each reader."),
                      QStringLiteral("n"), QStringLiteral("3")});
    parser.addOption({QStringLiteral("engines"), QStringLiteral("sqlite,postgresql,mariadb"),
                      QStringLiteral("list"), QStringLiteral("sqlite,postgresql,mariadb")});
    parser.addOption({QStringLiteral("readers"), QStringLiteral("isql,block,single,raw,fill"),
                      QStringLiteral("list"), QStringLiteral("isql,block,single,raw,fill")});
    parser.process(app);
    const QStringList readers = parser.value(QStringLiteral("readers")).split(u',');
    const long rows = parser.value(QStringLiteral("rows")).toLong();
    const int runs = std::max(1, parser.value(QStringLiteral("runs")).toInt());
    const QStringList engines = parser.value(QStringLiteral("engines")).split(u',');

    QTemporaryDir dir;
    QFile drivers(QStringLiteral("/etc/odbcinst.ini"));
    drivers.copy(dir.filePath(QStringLiteral("odbcinst.ini")));
    QFile ini(dir.filePath(QStringLiteral("odbc.ini")));
    ini.open(QIODevice::WriteOnly);
    const QString sqliteFile = dir.filePath(QStringLiteral("bench.db"));
    // Data source options that keep the drivers' memory flat on large results.
    ini.write(QStringLiteral("[BenchSQLite]\nDriver=SQLite3\nDatabase=%1\nStepAPI=1\n\n")
                  .arg(sqliteFile)
                  .toUtf8());
    const QString pgHost = qEnvironmentVariable("VARKEL_PG_HOST"),
                  pgPort = qEnvironmentVariable("VARKEL_PG_PORT");
    const QString pgUser = qEnvironmentVariable("VARKEL_PG_USER"),
                  pgPassword = qEnvironmentVariable("VARKEL_PG_PASSWORD");
    ini.write(
        QStringLiteral("[BenchPostgreSQL]\nDriver=PostgreSQL Unicode\nServername=%1\nPort=%2\n"
                       "Database=postgres\nUseDeclareFetch=1\nFetch=1000\n")
            .arg(pgHost, pgPort)
            .toUtf8());
    const QString myUser = bench::MariaDbUser(), myPassword = bench::MariaDbPassword();
    ini.write(bench::MariaDbSources().toUtf8());
    ini.close();
    qputenv("ODBCSYSINI", QFile::encodeName(dir.path()));
    qputenv("ODBCINI", QFile::encodeName(dir.filePath(QStringLiteral("user-odbc.ini"))));

    const QString create = QStringLiteral("CREATE TABLE big ") + QString::fromLatin1(kTableColumns);
    if (engines.contains(QStringLiteral("sqlite"))) {
        Bench({QStringLiteral("SQLite"),
               QStringLiteral("BenchSQLite"),
               {},
               {},
               create,
               QStringLiteral(
                   "INSERT INTO big WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 "
                   "FROM c WHERE x < %1) SELECT x, x % 1000, 'name ' || x, "
                   "(x % 100000) / 100.0, x / 7.0, date('2020-01-01', '+' || (x % 3650) || "
                   "' days'), datetime('2020-01-01 00:00:00', '+' || x || ' seconds'), "
                   "printf('C%07d', x), 'メモ ' || x, x % 2 FROM c"),
               QStringLiteral("DSN=BenchSQLite;")},
              rows, runs, readers);
    }
    if (engines.contains(QStringLiteral("postgresql"))) {
        if (pgHost.isEmpty()) {
            std::fprintf(stderr,
                         "PostgreSQL: VARKEL_PG_* not set (run through scripts/bench.sh)\n");
            return 1;
        }
        Bench({QStringLiteral("PostgreSQL"), QStringLiteral("BenchPostgreSQL"), pgUser, pgPassword,
               create,
               QStringLiteral(
                   "INSERT INTO big SELECT x, x % 1000, 'name ' || x, (x % 100000) / 100.0, "
                   "x / 7.0, DATE '2020-01-01' + (x % 3650), TIMESTAMP '2020-01-01' + x * "
                   "INTERVAL '1 second', 'C' || lpad(x::text, 7, '0'), 'メモ ' || x, x % 2 "
                   "FROM generate_series(1, %1) x"),
               QStringLiteral("DSN=BenchPostgreSQL;UID=%1;PWD=%2;").arg(pgUser, pgPassword)},
              rows, runs, readers);
    }
    if (engines.contains(QStringLiteral("mariadb"))) {
        if (!bench::MakeMariaDbBenchDatabase()) return 1;
        Bench(
            {QStringLiteral("MariaDB"), QStringLiteral("BenchMariaDB"), myUser, myPassword, create,
             QStringLiteral(
                 "INSERT INTO big SELECT seq, seq % 1000, CONCAT('name ', seq), "
                 "(seq % 100000) / 100.0, seq / 7.0, DATE '2020-01-01' + INTERVAL "
                 "(seq % 3650) DAY, TIMESTAMP '2020-01-01 00:00:00' + INTERVAL seq SECOND, "
                 "CONCAT('C', LPAD(seq, 7, '0')), CONCAT('メモ ', seq), seq % 2 "
                 "FROM seq_1_to_%1"),
             QStringLiteral("DSN=BenchMariaDB;UID=%1;PWD=%2;").arg(myUser, myPassword)},
            rows, runs, readers);
    }
    return 0;
}
