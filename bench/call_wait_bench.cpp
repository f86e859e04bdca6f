// The window while a statement sleeps on the server: frames painted per second while the call is
// out (a widget asks for a frame every 16 ms, as an animation would), and the time from the stop
// command to the call being back and the window taking input again.
//
//   call_wait_bench [--out S] [--engines sqlite,postgresql,mariadb]
//
// Run through scripts/with-servers.sh, under Xvfb for the real window system:
//   bash scripts/with-servers.sh xvfb-run -a env QT_QPA_PLATFORM=xcb
//   build-bench/bench/call_wait_bench

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <clocale>
#include <cstdio>

#include "db/odbc_comm.h"
#include "toolkit/call_wait.h"

using namespace varkel;

namespace {

// A widget that wants a new frame every 16 ms and counts the frames it paints.
class Animation : public QWidget {
  public:
    Animation() {
        resize(400, 300);
        connect(&frames_, &QTimer::timeout, this, [this] { update(); });
        frames_.start(16);
    }
    int painted = 0;

  protected:
    void paintEvent(QPaintEvent*) override {
        ++painted;
        QPainter(this).fillRect(rect(), painted % 2 ? Qt::white : Qt::lightGray);
    }

  private:
    QTimer frames_;
};

struct Engine {
    const char* name;
    QString dsn, user, password, sleep;
};

void Run(const Engine& engine, int outSeconds, Animation& window) {
    DbSession s;
    DbInit(s);
    QString user = engine.user, password = engine.password, connectString;
    if (DbConnect(s, 0, engine.dsn, user, password, {}, connectString) != 0) {
        std::fprintf(stderr, "%s: cannot connect: %s\n", engine.name, qPrintable(s.LastMessage));
        return;
    }
    QElapsedTimer clock;
    qint64 outAt = 0, stopAt = 0;
    int paintsAtOut = 0, paintsAtStop = 0;
    CallWaitHooks hooks;
    hooks.started = [&](CallWait& wait) {
        outAt = clock.nsecsElapsed();
        paintsAtOut = window.painted;
        QTimer::singleShot(outSeconds * 1000, &wait, [&] {
            stopAt = clock.nsecsElapsed();
            paintsAtStop = window.painted;
            DbCancel(s);
        });
    };
    s.WaitHooks = &hooks;
    clock.start();
    const DbStatus status = DbExecute(s, engine.sleep);
    const qint64 backAt = clock.nsecsElapsed();
    s.WaitHooks = nullptr;
    const double out = static_cast<double>(stopAt - outAt) / 1e9;
    std::printf("%-11s frames/s while out %6.1f   stop to input %7.3f s   (status %d: %s)\n",
                engine.name, (paintsAtStop - paintsAtOut) / out,
                static_cast<double>(backAt - stopAt) / 1e9, status,
                qPrintable(LastDbMessage(s).left(60)));
    std::fflush(stdout);
    DbDisconnect(s);
}

}  // namespace

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("out"), QStringLiteral("Seconds before the stop."),
                      QStringLiteral("s"), QStringLiteral("5")});
    parser.addOption({QStringLiteral("engines"), QStringLiteral("sqlite,postgresql,mariadb"),
                      QStringLiteral("list"), QStringLiteral("sqlite,postgresql,mariadb")});
    parser.process(app);
    const int outSeconds = std::max(1, parser.value(QStringLiteral("out")).toInt());
    const QStringList engines = parser.value(QStringLiteral("engines")).split(u',');

    QTemporaryDir dir;
    QFile::copy(QStringLiteral("/etc/odbcinst.ini"), dir.filePath(QStringLiteral("odbcinst.ini")));
    QFile ini(dir.filePath(QStringLiteral("odbc.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write(QStringLiteral("[BenchSQLite]\nDriver=SQLite3\nDatabase=%1\n\n"
                             "[BenchPostgreSQL]\nDriver=PostgreSQL Unicode\nServername=%2\n"
                             "Port=%3\nDatabase=postgres\n\n"
                             "[BenchMariaDB]\nDriver=MariaDB Unicode\nServer=%4\nPort=%5\n\n")
                  .arg(dir.filePath(QStringLiteral("bench.db")),
                       qEnvironmentVariable("VARKEL_PG_HOST"),
                       qEnvironmentVariable("VARKEL_PG_PORT"),
                       qEnvironmentVariable("VARKEL_MARIADB_HOST"),
                       qEnvironmentVariable("VARKEL_MARIADB_PORT"))
                  .toUtf8());
    ini.close();
    qputenv("ODBCSYSINI", QFile::encodeName(dir.path()));
    qputenv("ODBCINI", QFile::encodeName(dir.filePath(QStringLiteral("user-odbc.ini"))));

    Animation window;
    window.show();
    const Engine all[] = {
        {"SQLite",
         QStringLiteral("BenchSQLite"),
         {},
         {},
         QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE "
                        "x < 4000000000) SELECT MAX(x) FROM c")},
        {"PostgreSQL", QStringLiteral("BenchPostgreSQL"), qEnvironmentVariable("VARKEL_PG_USER"),
         qEnvironmentVariable("VARKEL_PG_PASSWORD"), QStringLiteral("SELECT pg_sleep(60)")},
        {"MariaDB", QStringLiteral("BenchMariaDB"), qEnvironmentVariable("VARKEL_MARIADB_USER"),
         qEnvironmentVariable("VARKEL_MARIADB_PASSWORD"), QStringLiteral("SELECT SLEEP(60)")},
    };
    for (const Engine& engine : all)
        if (engines.contains(QString::fromLatin1(engine.name).toLower()))
            Run(engine, outSeconds, window);
    return 0;
}
