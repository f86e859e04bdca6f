// The object tree over a large catalog, in the main window as a user runs it, beside plain C
// loops over the same catalog functions on a connection of their own, in one run:
// - "TABLE/VIEW/SYNONYMの再取得" (FillTree, with the tree painted) over an empty tree, as at the
//   first connect, and over the tree it made, as at every later one; beside SQLTables with the
//   same owner and types;
// - the first expand of a table of many columns with a primary key (columns and key positions,
//   painted) beside SQLColumns + SQLStatistics of that table.
//
//   tree_bench [--tables N] [--views V] [--columns C] [--runs R] [--engines sqlite,postgresql]
//
// PostgreSQL needs VARKEL_PG_HOST/PORT/USER/PASSWORD (scripts/bench.sh starts a server). Run it
// with the xcb platform under Xvfb so that the window is shown.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "db/odbc_comm.h"
#include "raw_catalog.h"
#include "toolkit/message_box.h"
#include "ui/connect/connect_ds.h"
#include "ui/main/main_window.h"
#include "ui/tree/object_lists.h"
#include "ui/tree/tree_pane.h"

using namespace varkel;

namespace {

struct Sizes {
    int tables = 20000;
    int views = 2000;
    int columns = 1000;
};

struct Engine {
    QString name;
    QString dsn;
    QString driver;  // as the connection dialog lists it beside the data source
    QString user;
    QString password;
    QString rawConnectString;
};

struct Figures {
    QString engine;
    int objects = 0;
    int columns = 0;
    double fill = 0, refill = 0, tables = 0, expand = 0, columnsAndKeys = 0, withPrimary = 0;
    double peakGrowthMb = 0;       // the fill over an empty tree, most of all runs
    double longestPaintGapMs = 0;  // between paints of the tree during either fill, most of all
};

// A process's memory figure from /proc/self/status, in MB.
double StatusMb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ')[0].toDouble() / 1024;
    return 0;
}

// The peak resident size starts again from the present one (Linux: "5" into clear_refs).
void ResetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly)) refs.write("5");
}

// The times the tree's viewport is painted, for the longest time the window went unpainted.
// The tree asks to be painted every 20 ms, as a window being moved or uncovered would: a paint
// that does not come is the window frozen.
class PaintClock : public QObject {
  public:
    explicit PaintClock(QWidget* viewport) {
        viewport->installEventFilter(this);
        ask_.setInterval(20);
        QObject::connect(&ask_, &QTimer::timeout, viewport, qOverload<>(&QWidget::update));
        ask_.start();
    }
    void start() {
        timer_.start();
        last_ = 0;
        longest_ = 0;
    }
    // Up to the end of the step, which counts as a paint (the step ends painted).
    double longest() const {
        return std::max(longest_, static_cast<double>(timer_.elapsed()) - last_);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && timer_.isValid()) {
            const double now = static_cast<double>(timer_.nsecsElapsed()) / 1e6;
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        }
        return false;
    }

  private:
    QTimer ask_;
    QElapsedTimer timer_;
    double last_ = 0, longest_ = 0;
};

[[noreturn]] void Fail(const QString& text) {
    std::fprintf(stderr, "tree_bench: %s\n", qPrintable(text));
    std::exit(1);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Ms(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

QString WideTableSql(const QString& name, int columns) {
    QString sql = QStringLiteral("CREATE TABLE %1 (c1 INTEGER NOT NULL PRIMARY KEY").arg(name);
    for (int i = 2; i <= columns; ++i)
        sql += QStringLiteral(", c%1 VARCHAR(20)").arg(i);
    return sql + u')';
}

// SQLite: one script in one transaction through the sqlite3 shell, the quickest way to create
// tens of thousands of tables.
void PopulateSqlite(const QString& file, const Sizes& n) {
    QString script = QStringLiteral("BEGIN;\n");
    for (int i = 1; i <= n.tables; ++i)
        script += QStringLiteral("CREATE TABLE t%1 (id INTEGER, name VARCHAR(20));\n").arg(i);
    for (int i = 1; i <= n.views; ++i)
        script += QStringLiteral("CREATE VIEW v%1 AS SELECT * FROM t%1;\n").arg(i);
    script += WideTableSql(QStringLiteral("wide"), n.columns) + QStringLiteral(";\nCOMMIT;\n");
    QFile::remove(file);
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {QStringLiteral("-bail"), file});
    shell.write(script.toUtf8());
    shell.closeWriteChannel();
    shell.waitForFinished(-1);
    if (shell.exitStatus() != QProcess::NormalExit || shell.exitCode() != 0)
        Fail(QStringLiteral("sqlite3: ") + QString::fromLocal8Bit(shell.readAllStandardError()));
}

// PostgreSQL: the schema named as the user (the one an owner of the connecting user finds),
// created in batches of 1,000 objects per transaction so that the lock table holds them.
void PopulatePostgres(const Engine& engine, const Sizes& n) {
    DbSession s;
    DbInit(s);
    QString user = engine.user, password = engine.password, connectString;
    if (DbConnect(s, 0, engine.dsn, user, password, {}, connectString) != 0)
        Fail(QStringLiteral("PostgreSQL: cannot connect"));
    auto run = [&](const QString& sql) {
        if (DbExecute(s, sql) != 0 || DbCommit(s) != 0)
            Fail(QStringLiteral("PostgreSQL: ") + LastDbMessage(s));
    };
    const QString schema = engine.user;
    run(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
    run(QStringLiteral("CREATE SCHEMA %1").arg(schema));
    const QString batch = QStringLiteral(
        "DO $$ BEGIN FOR i IN %1..%2 LOOP EXECUTE format(%3, i%4); END LOOP; END $$");
    for (int from = 1; from <= n.tables; from += 1000)
        run(batch.arg(from)
                .arg(std::min(from + 999, n.tables))
                .arg(QStringLiteral("'CREATE TABLE %1.t%s (id INTEGER, name VARCHAR(20))'")
                         .arg(schema),
                     QString()));
    for (int from = 1; from <= n.views; from += 1000)
        run(batch.arg(from)
                .arg(std::min(from + 999, n.views))
                .arg(QStringLiteral("'CREATE VIEW %1.v%s AS SELECT * FROM %1.t%s'").arg(schema),
                     QStringLiteral(", i")));
    run(WideTableSql(schema + QStringLiteral(".wide"), n.columns));
    DbDisconnect(s);
}

QTreeWidgetItem* Child(QTreeWidgetItem* parent, const QString& text) {
    for (int i = 0; parent && i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text) return parent->child(i);
    return nullptr;
}

Figures Bench(const Engine& engine, const Sizes& n, int runs) {
    QStringList boxes;
    ScopedMessageResponder answer([&](const MessageBoxRequest& box) {
        boxes << box.text;
        return MsgResult::Yes;
    });
    DbSession session;
    auto window = std::make_unique<Varkel>(session);
    // The connection dialog of the start-up, answered as a user would.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        ConnectDS* dialog = window->connectDialog();
        if (!dialog || !dialog->isVisible()) return;
        poll.stop();
        dialog->Combo1->setCurrentIndex(
            dialog->Combo1->findText(engine.dsn + u'(' + engine.driver + u')'));
        dialog->TB_uid->setText(engine.user);
        dialog->TB_psw->setText(engine.password);
        dialog->Cmd_ok->click();
    });
    poll.start();
    window->Load();
    QCoreApplication::processEvents();
    if (!IsConnected(session)) Fail(engine.name + QStringLiteral(": not connected"));
    ObjectTree* tree = window->objectTree();
    auto* command = window->findChild<QAction*>(QStringLiteral("mn_get_tables"));
    auto* view = window->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    if (!command || !view) Fail(QStringLiteral("the main window has no tree or no refill command"));

    RawCatalog raw(engine.rawConnectString);
    if (!raw.ok()) Fail(engine.name + QStringLiteral(": the C loop cannot connect"));
    const QString wideName = QStringLiteral("wide");
    const int shownColumns = std::min(n.columns, ColumnList::kMaxColumns);
    std::vector<double> fill, refill, tables, expand, columnsAndKeys, withPrimary;
    Figures figures{engine.name, 0, shownColumns};
    PaintClock paints(view->viewport());
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const long rawObjects = raw.tables(engine.user);
        tables.push_back(Ms(timer));

        // The filling after the first connect, over an empty tree; then the command again over
        // the tree it made (as after every later connect).
        view->clear();
        QCoreApplication::processEvents();
        const double before = StatusMb("VmRSS:");
        ResetPeak();
        timer.start();
        paints.start();
        command->trigger();
        QCoreApplication::processEvents();  // the tree painted
        fill.push_back(Ms(timer));
        figures.longestPaintGapMs = std::max(figures.longestPaintGapMs, paints.longest());
        figures.peakGrowthMb = std::max(figures.peakGrowthMb, StatusMb("VmHWM:") - before);
        timer.start();
        paints.start();
        command->trigger();
        QCoreApplication::processEvents();
        refill.push_back(Ms(timer));
        figures.longestPaintGapMs = std::max(figures.longestPaintGapMs, paints.longest());
        const ObjectLists& lists = tree->lists();
        figures.objects = lists.Tbl_num + lists.View_num + lists.Synm_num;
        if (lists.Tbl_num < n.tables + 1 || lists.View_num < n.views ||
            rawObjects < figures.objects)
            Fail(QStringLiteral("%1: the tree shows %2 tables and %3 views, the C loop read %4")
                     .arg(engine.name)
                     .arg(lists.Tbl_num)
                     .arg(lists.View_num)
                     .arg(rawObjects));

        QTreeWidgetItem* wide = Child(tree->category(QStringLiteral("TABLE")), wideName);
        if (!wide) Fail(engine.name + QStringLiteral(": no table \"wide\" in the tree"));
        const ObjectOwner owner = NodeOwner(wide);
        view->scrollToItem(wide, QAbstractItemView::PositionAtTop);
        QCoreApplication::processEvents();

        timer.start();
        const long rawColumns = raw.columnsAndKeys(owner.catalog, owner.schema, wideName);
        columnsAndKeys.push_back(Ms(timer));
        // The program also asks for the primary key, so that key positions come from one index.
        timer.start();
        if (raw.columnsAndKeys(owner.catalog, owner.schema, wideName, true) != rawColumns)
            Fail(engine.name + QStringLiteral(": the C loops read different columns"));
        withPrimary.push_back(Ms(timer));

        timer.start();
        wide->setExpanded(true);
        QCoreApplication::processEvents();
        expand.push_back(Ms(timer));
        wide = Child(tree->category(QStringLiteral("TABLE")), wideName);
        QTreeWidgetItem* key = wide ? wide->child(0) : nullptr;
        if (!wide || wide->childCount() != shownColumns || rawColumns != n.columns || !key ||
            key->childCount() != 2 || key->child(1)->text(0) != QStringLiteral("Primary Key #1"))
            Fail(QStringLiteral("%1: the expanded table shows %2 columns, the C loop read %3")
                     .arg(engine.name)
                     .arg(wide ? wide->childCount() : -1)
                     .arg(rawColumns));
    }
    if (!boxes.isEmpty()) Fail(engine.name + QStringLiteral(": a box came: ") + boxes.join(u'|'));
    window->close();
    DbDisconnect(session);
    figures.fill = Median(fill);
    figures.refill = Median(refill);
    figures.tables = Median(tables);
    figures.expand = Median(expand);
    figures.columnsAndKeys = Median(columnsAndKeys);
    figures.withPrimary = Median(withPrimary);
    return figures;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const auto option = [&](const char* name, const char* value) {
        parser.addOption({QString::fromLatin1(name), QString::fromLatin1(name), QStringLiteral("n"),
                          QString::fromLatin1(value)});
    };
    option("tables", "20000");
    option("views", "2000");
    option("columns", "1000");
    option("runs", "9");
    option("engines", "sqlite,postgresql");
    parser.process(app);
    Sizes n;
    n.tables = parser.value(QStringLiteral("tables")).toInt();
    n.views = std::min(n.tables, parser.value(QStringLiteral("views")).toInt());
    n.columns = std::max(2, parser.value(QStringLiteral("columns")).toInt());
    const int runs = std::max(1, parser.value(QStringLiteral("runs")).toInt());
    const QStringList engines = parser.value(QStringLiteral("engines")).split(u',');

    // The program's folder and the data sources of this run only.
    QTemporaryDir dir;
    const QDir folder(dir.path());
    folder.mkdir(QStringLiteral("home"));
    qputenv("VARKEL_HOME", QFile::encodeName(folder.filePath(QStringLiteral("home"))));
    QFile::copy(QStringLiteral("/etc/odbcinst.ini"),
                folder.filePath(QStringLiteral("odbcinst.ini")));
    const QString sqliteFile = folder.filePath(QStringLiteral("tree.db"));
    const QString pgHost = qEnvironmentVariable("VARKEL_PG_HOST"),
                  pgPort = qEnvironmentVariable("VARKEL_PG_PORT"),
                  pgUser = qEnvironmentVariable("VARKEL_PG_USER"),
                  pgPassword = qEnvironmentVariable("VARKEL_PG_PASSWORD");
    QFile ini(folder.filePath(QStringLiteral("odbc.ini")));
    if (!ini.open(QIODevice::WriteOnly)) Fail(QStringLiteral("cannot write odbc.ini"));
    ini.write(QStringLiteral("[TreeSQLite]\nDriver=SQLite3\nDatabase=%1\n\n"
                             "[TreePostgreSQL]\nDriver=PostgreSQL Unicode\nServername=%2\n"
                             "Port=%3\nDatabase=postgres\n")
                  .arg(sqliteFile, pgHost, pgPort)
                  .toUtf8());
    ini.close();
    qputenv("ODBCSYSINI", QFile::encodeName(dir.path()));
    qputenv("ODBCINI", QFile::encodeName(folder.filePath(QStringLiteral("user-odbc.ini"))));

    std::vector<Figures> all;
    if (engines.contains(QStringLiteral("sqlite"))) {
        PopulateSqlite(sqliteFile, n);
        all.push_back(Bench(
            {QStringLiteral("SQLite"), QStringLiteral("TreeSQLite"), QStringLiteral("SQLite3"),
             QString(), QString(), QStringLiteral("DSN=TreeSQLite;")},
            n, runs));
    }
    if (engines.contains(QStringLiteral("postgresql"))) {
        if (pgHost.isEmpty())
            Fail(QStringLiteral("PostgreSQL: VARKEL_PG_* not set (run through scripts/bench.sh)"));
        const Engine pg{
            QStringLiteral("PostgreSQL"),
            QStringLiteral("TreePostgreSQL"),
            QStringLiteral("PostgreSQL Unicode"),
            pgUser,
            pgPassword,
            QStringLiteral("DSN=TreePostgreSQL;UID=%1;PWD=%2;").arg(pgUser, pgPassword)};
        PopulatePostgres(pg, n);
        all.push_back(Bench(pg, n, runs));
    }

    std::printf(
        "\nObject tree, median of %d runs (%d tables + 1 wide, %d views; the wide table "
        "has %d columns, the tree shows at most %d)\n",
        runs, n.tables, n.views, n.columns, ColumnList::kMaxColumns);
    std::printf("%-11s %-34s %10s %10s %7s %6s\n", "engine", "step", "program", "C loop", "ratio",
                "goal");
    for (const Figures& f : all) {
        const double fillRatio = f.fill / f.tables, refillRatio = f.refill / f.tables,
                     expandRatio = f.expand / f.columnsAndKeys;
        std::printf("%-11s %-34s %7.1f ms %7.1f ms %7.2f %6s\n", qPrintable(f.engine),
                    qPrintable(QStringLiteral("fill, %1 objects / SQLTables").arg(f.objects)),
                    f.fill, f.tables, fillRatio, fillRatio <= 1.5 ? "<=1.5" : "MISSED");
        std::printf("%-11s %-34s %7.1f ms %7.1f ms %7.2f %6s\n", qPrintable(f.engine),
                    "refill over the filled tree", f.refill, f.tables, refillRatio,
                    refillRatio <= 1.5 ? "<=1.5" : "MISSED");
        std::printf("%-11s %-34s %7.1f ms %7.1f ms %7.2f %6s\n", qPrintable(f.engine),
                    qPrintable(QStringLiteral("expand, %1 col. / SQLColumns+Stat.").arg(f.columns)),
                    f.expand, f.columnsAndKeys, expandRatio,
                    expandRatio <= 1.5 ? "<=1.5" : "MISSED");
        std::printf("%-11s %-34s %7.1f ms %7.1f ms %7.2f\n", qPrintable(f.engine),
                    "  the same / +SQLPrimaryKeys", f.expand, f.withPrimary,
                    f.expand / f.withPrimary);
        std::printf("%-11s %-34s %7.1f MB %21s %6s\n", qPrintable(f.engine),
                    "fill: peak memory growth", f.peakGrowthMb, "",
                    f.peakGrowthMb < 150 ? "<150" : "MISSED");
        std::printf("%-11s %-34s %7.1f ms %21s %6s\n", qPrintable(f.engine),
                    "fills: longest time unpainted", f.longestPaintGapMs, "",
                    f.longestPaintGapMs <= 100 ? "<=100" : "MISSED");
    }
    for (const Figures& f : all)
        std::printf(
            "  goal 6  %s: fill of %ld objects / SQLTables = %.2f, refill %.2f (goal <= "
            "1.5); peak growth %.1f MB (goal < 150); longest unpainted %.0f ms (goal <= "
            "100)\n",
            qPrintable(f.engine), static_cast<long>(f.objects), f.fill / f.tables,
            f.refill / f.tables, f.peakGrowthMb, f.longestPaintGapMs);
    return 0;
}
