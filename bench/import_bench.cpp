// Imports a delimited file through the import window, shown as in the program, beside a plain C
// loop of the same INSERT statements with SQLExecDirect and the same commit interval, in one run.
//
//   import_bench [--rows N] [--runs R] [--engines sqlite,postgresql] [--reference batched]
//
// The reference is a C loop of one INSERT per line, or with `--reference batched` of the same
// multi-row INSERTs of 1,000 lines that the import sends (what the server itself takes: the
// reference for a server far away, where one statement per line would take minutes).
//
// Meant for the xcb platform under Xvfb (scripts/bench-import.sh); PostgreSQL needs
// VARKEL_PG_HOST/PORT/USER/PASSWORD.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

#include "bench_mariadb.h"
#include "db/odbc_comm.h"
#include "exchange/import_text.h"
#include "exchange/load_csv.h"
#include "exec/command_lock.h"
#include "raw_insert.h"
#include "toolkit/message_box.h"

using namespace varkel;

namespace {

constexpr int kInterval = 10000;

const char* kColumns =
    "(id INTEGER, name VARCHAR(40), qty INTEGER, amount NUMERIC(12,2), who VARCHAR(20), "
    "ratio DOUBLE PRECISION, note VARCHAR(60), day VARCHAR(10), empty VARCHAR(10), "
    "flag SMALLINT)";

struct Engine {
    double goalRowsPerSecond = 0;
    QString name;
    QString dsn;
    QString user;
    QString password;
    QString rawConnectString;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QByteArray MakeFile(long rows) {
    QByteArray bytes;
    bytes.reserve(rows * 90);
    for (long k = 1; k <= rows; ++k) {
        const QByteArray n = QByteArray::number(k);
        bytes += n + ",\"name " + n + "\"," + QByteArray::number(k % 1000) + ",-" +
                 QByteArray::number(k % 100000) + ".25,\"O'Brien\",2.5e3,\"日本語のメモ " + n +
                 "\",'2020-01-01',," + QByteArray::number(k % 2) + "\r\n";
    }
    return bytes;
}

// The statements the import sends for the file, encoded as the session sends them.
QList<QByteArray> Statements(const QByteArray& file) {
    QList<QByteArray> statements;
    ImportLines lines(file);
    QByteArrayView line;
    const QString head = QStringLiteral("INSERT INTO imp");
    while (lines.next(line))
        statements << InsertStatement(
                          head, SplitImportFields(QString::fromUtf8(line), QStringLiteral(",")))
                          .toUtf8();
    return statements;
}

// The same rows as multi-row INSERTs of `lines` lines each.
QList<QByteArray> Batched(const QList<QByteArray>& statements, qsizetype lines) {
    const QByteArray head = "INSERT INTO imp VALUES";
    QList<QByteArray> batched;
    for (qsizetype k = 0; k < statements.size(); ++k) {
        const QByteArray values = statements[k].mid(head.size());
        if (k % lines == 0)
            batched << head + values;
        else
            batched.back() += ',' + values;
    }
    return batched;
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    long paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

bool Run(DbSession& s, const QString& sql) {
    if (DbExecute(s, sql) == 0) return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(sql), qPrintable(LastDbMessage(s)));
    return false;
}

long CountRows(DbSession& s) {
    QStringList values;
    if (DbExecute(s, QStringLiteral("SELECT COUNT(*) FROM imp")) != 0 || DbFetch(s, values, 1) != 0)
        return -1;
    CloseCursor(s);
    return values.value(0).toLong();
}

void Bench(const Engine& engine, const QString& path, const QList<QByteArray>& statements, int runs,
           bool batched) {
    const long rows = statements.size();
    const int batchLines = 1000;
    const QList<QByteArray> reference = batched ? Batched(statements, batchLines) : statements;
    const int referenceInterval = batched ? kInterval / batchLines : kInterval;
    std::printf("\n%s: %ld lines x 10 fields, commit every %d, median of %d runs\n",
                qPrintable(engine.name), rows, kInterval, runs);
    std::fflush(stdout);
    DbSession s;
    DbInit(s);
    QString user = engine.user, password = engine.password, connectString;
    if (DbConnect(s, 0, engine.dsn, user, password, {}, connectString) != 0) std::exit(1);
    DbExecute(s, QStringLiteral("DROP TABLE imp"));
    DbCommit(s);
    if (!Run(s, QStringLiteral("CREATE TABLE imp ") + QString::fromLatin1(kColumns))) std::exit(1);
    DbCommit(s);

    // The program's windows: an owner shown as the main window, and the import window.
    QWidget owner;
    owner.resize(1024, 768);
    owner.show();
    CommandLock lock;
    LoadCSV window(s, lock, QStringLiteral("Varkel Light"), &owner);
    ScopedMessageResponder answer([](const MessageBoxRequest&) { return MsgResult::Ok; });
    PaintCounter sqlPaints(window.L_sql), countPaints(window.L_cnt);

    std::vector<double> raw, program;
    long paintsSql = 0, paintsCount = 0;
    for (int run = 0; run < runs; ++run) {
        Run(s, QStringLiteral("DELETE FROM imp"));
        DbCommit(s);
        QElapsedTimer timer;
        timer.start();
        const long rawRows = RawInsert(engine.rawConnectString, reference, referenceInterval);
        raw.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        if (rawRows != reference.size() || CountRows(s) != rows) {
            std::fprintf(stderr, "C loop inserted %ld of %ld rows\n", CountRows(s), rows);
            std::exit(1);
        }

        Run(s, QStringLiteral("DELETE FROM imp"));
        DbCommit(s);
        window.ShowOption({QStringLiteral("imp")}, 1, {}, 0);
        window.ImCB_table->setEditText(QStringLiteral("imp"));
        window.TB_file->setText(path);
        window.CB_txt_dlm->setCurrentIndex(0);
        window.VScroll1->setValue(4);  // 10000
        QCoreApplication::processEvents();
        sqlPaints.paints = countPaints.paints = 0;
        timer.start();
        window.Command1->click();
        program.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        paintsSql = sqlPaints.paints;
        paintsCount = countPaints.paints;
        if (CountRows(s) != rows) {
            std::fprintf(stderr, "the import window inserted %ld of %ld rows\n", CountRows(s),
                         rows);
            std::exit(1);
        }
    }
    DbExecute(s, QStringLiteral("DROP TABLE imp"));
    DbDisconnect(s);
    const double tRaw = Median(raw), tProgram = Median(program);
    std::printf("  %-40s %8.3f s %10.0f rows/s\n",
                batched ? "C loop, SQLExecDirect, 1,000 rows each" : "C loop, SQLExecDirect", tRaw,
                rows / tRaw);
    std::printf("  %-40s %8.3f s %10.0f rows/s\n", "import window (preview, loop, message)",
                tProgram, rows / tProgram);
    std::printf("  goal 5  %s: import %.0f rows/s (goal >= %.0f); window / %s C loop = %.2f\n",
                qPrintable(engine.name), rows / tProgram, engine.goalRowsPerSecond,
                batched ? "multi-row" : "one-statement-per-line", tProgram / tRaw);
    std::printf("  paints in the last run: L_sql %ld, L_cnt %ld; frames in it: %.0f\n", paintsSql,
                paintsCount, program.back() * 60.0);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("rows"), QStringLiteral("Lines in the file."),
                      QStringLiteral("n"), QStringLiteral("100000")});
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Runs of each loop."),
                      QStringLiteral("n"), QStringLiteral("3")});
    parser.addOption({QStringLiteral("engines"), QStringLiteral("sqlite,postgresql,mariadb"),
                      QStringLiteral("list"), QStringLiteral("sqlite,postgresql,mariadb")});
    parser.addOption({QStringLiteral("reference"), QStringLiteral("loop or batched"),
                      QStringLiteral("kind"), QStringLiteral("loop")});
    parser.process(app);
    const bool batched = parser.value(QStringLiteral("reference")) == QStringLiteral("batched");
    const long rows = parser.value(QStringLiteral("rows")).toLong();
    const int runs = std::max(1, parser.value(QStringLiteral("runs")).toInt());
    const QStringList engines = parser.value(QStringLiteral("engines")).split(u',');
    std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));

    QTemporaryDir dir;
    QFile::copy(QStringLiteral("/etc/odbcinst.ini"), dir.filePath(QStringLiteral("odbcinst.ini")));
    QFile ini(dir.filePath(QStringLiteral("odbc.ini")));
    ini.open(QIODevice::WriteOnly);
    const QString sqliteFile = dir.filePath(QStringLiteral("bench.db"));
    ini.write(
        QStringLiteral("[BenchSQLite]\nDriver=SQLite3\nDatabase=%1\n\n").arg(sqliteFile).toUtf8());
    const QString pgHost = qEnvironmentVariable("VARKEL_PG_HOST"),
                  pgPort = qEnvironmentVariable("VARKEL_PG_PORT");
    const QString pgUser = qEnvironmentVariable("VARKEL_PG_USER"),
                  pgPassword = qEnvironmentVariable("VARKEL_PG_PASSWORD");
    ini.write(QStringLiteral("[BenchPostgreSQL]\nDriver=PostgreSQL Unicode\nServername=%1\n"
                             "Port=%2\nDatabase=postgres\n")
                  .arg(pgHost, pgPort)
                  .toUtf8());
    const QString myUser = bench::MariaDbUser(), myPassword = bench::MariaDbPassword();
    ini.write(bench::MariaDbSources().toUtf8());
    ini.close();
    qputenv("ODBCSYSINI", QFile::encodeName(dir.path()));
    qputenv("ODBCINI", QFile::encodeName(dir.filePath(QStringLiteral("user-odbc.ini"))));
    qputenv("VARKEL_CODEPAGE", "UTF-8");

    const QByteArray bytes = MakeFile(rows);
    const QString path = dir.filePath(QStringLiteral("import.csv"));
    QFile csv(path);
    csv.open(QIODevice::WriteOnly);
    csv.write(bytes);
    csv.close();
    const QList<QByteArray> statements = Statements(bytes);

    if (engines.contains(QStringLiteral("sqlite")))
        Bench({150000,
               QStringLiteral("SQLite"),
               QStringLiteral("BenchSQLite"),
               {},
               {},
               QStringLiteral("DSN=BenchSQLite;")},
              path, statements, runs, batched);
    if (engines.contains(QStringLiteral("postgresql"))) {
        if (pgHost.isEmpty()) {
            std::fprintf(stderr, "PostgreSQL: VARKEL_PG_* not set (run scripts/bench-import.sh)\n");
            return 1;
        }
        Bench({60000, QStringLiteral("PostgreSQL"), QStringLiteral("BenchPostgreSQL"), pgUser,
               pgPassword,
               QStringLiteral("DSN=BenchPostgreSQL;UID=%1;PWD=%2;").arg(pgUser, pgPassword)},
              path, statements, runs, batched);
    }
    if (engines.contains(QStringLiteral("mariadb"))) {
        if (!bench::MakeMariaDbBenchDatabase()) return 1;
        Bench({60000, QStringLiteral("MariaDB"), QStringLiteral("BenchMariaDB"), myUser, myPassword,
               QStringLiteral("DSN=BenchMariaDB;UID=%1;PWD=%2;").arg(myUser, myPassword)},
              path, statements, runs, batched);
    }
    return 0;
}
