// One measurement per run, so that the peak memory is the run's own:
//   capped_fill_bench --connect STRING --sql SQL            fill of the result list (window shown)
//   capped_fill_bench --connect STRING --sql SQL --save F   every row of the result to file F
// Prints the seconds to the success box (or to the end of the save), the rows, and the process's
// peak resident memory. bench/capped_fill.sh runs it beside isql on pgbench tables and SQLite.

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdio>

#include "db/odbc_comm.h"
#include "exec/sql_executor.h"
#include "toolkit/keyed_bars.h"
#include "toolkit/message_box.h"
#include "ui/results/result_list_view.h"

using namespace varkel;

namespace {

long PeakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
    return -1;
}

// The fill as the program does it: the result list and the execution frame in a shown window.
double Fill(DbSession& s, const QString& sql, long& rows) {
    QElapsedTimer clock;
    double seconds = -1;
    ScopedMessageResponder responder([&](const MessageBoxRequest& box) {
        if (seconds < 0 && box.text.startsWith(QStringLiteral("正常に終了しました。")))
            seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        else if (seconds < 0)
            std::fprintf(stderr, "%s\n", qPrintable(box.text));
        return MsgResult::Ok;
    });
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    ExecWidgets w;
    w.ListView1 = new ResultListView;  // the program's own list
    w.L_cols = new QLabel;
    w.L_rows = new QLabel;
    w.L_sec = new QLabel;
    w.L_msg = new QLabel;
    w.Cmd_start_stop = new QToolButton;
    w.StatusBar1 = new KeyedStatusBar;
    w.L_sql_no = new QLabel;
    w.TB_DSN = new QLineEdit;
    for (QWidget* widget :
         std::initializer_list<QWidget*>{w.ListView1, w.L_cols, w.L_rows, w.L_sec, w.L_msg,
                                         w.Cmd_start_stop, w.StatusBar1, w.L_sql_no, w.TB_DSN})
        layout->addWidget(widget);
    window.resize(1024, 768);
    window.show();
    QCoreApplication::processEvents();
    SqlExecutor executor(s, w, QStringLiteral("Varkel Light"));
    clock.start();
    executor.exec_sql(sql, false);
    rows = w.ListView1->topLevelItemCount();
    return seconds;
}

// Every row to a file, comma-separated, as a save of a query's result reads it.
double Save(DbSession& s, const QString& sql, const QString& path, long& rows) {
    QElapsedTimer clock;
    clock.start();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || DbExecuteStreaming(s, sql) != 0) {
        std::fprintf(stderr, "%s\n", qPrintable(s.LastMessage));
        return -1;
    }
    QStringList values;
    rows = 0;
    DbStatus status = 0;
    while ((status = DbFetch(s, values, 0)) == 0) {
        file.write(values.join(u',').toUtf8());
        file.write("\n", 1);
        ++rows;
    }
    CloseCursor(s);
    return status == 100 ? static_cast<double>(clock.nsecsElapsed()) / 1e9 : -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        if (!message.contains(QStringLiteral("propagateSizeHints")))
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("connect"), QStringLiteral("Connection string."),
                      QStringLiteral("string")});
    parser.addOption({QStringLiteral("sql"), QStringLiteral("The query."), QStringLiteral("sql")});
    parser.addOption({QStringLiteral("save"), QStringLiteral("Save every row to this file."),
                      QStringLiteral("file")});
    parser.addOption({QStringLiteral("label"), QStringLiteral("Name of the line printed."),
                      QStringLiteral("text"), QStringLiteral("varkel")});
    parser.process(app);

    DbSession s;
    DbInit(s);
    QString user, password, connectString = parser.value(QStringLiteral("connect"));
    if (DbConnect(s, 0, {}, user, password, {}, connectString) != 0) return 1;
    long rows = 0;
    const QString sql = parser.value(QStringLiteral("sql"));
    const double seconds = parser.isSet(QStringLiteral("save"))
                               ? Save(s, sql, parser.value(QStringLiteral("save")), rows)
                               : Fill(s, sql, rows);
    DbDisconnect(s);
    if (seconds < 0) return 1;
    std::printf("  %-28s %8.2f s %6ld MB  (%ld rows)\n",
                qPrintable(parser.value(QStringLiteral("label"))), seconds, PeakMegabytes(), rows);
    return 0;
}
