// Start-up of the main window up to the connection dialog with a large SQL history or a large
// kept SQL input box text, the time to add one statement to the history and to keep the box's
// text after one key, beside a plain C loop that only reads and cuts the same history file.
//
//   startup_bench [--runs R]
//
// Each case runs in a process of its own, so that its peak memory is its own. Run it with the
// window shown (scripts/bench.sh starts Xvfb and uses the xcb platform).

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "db/odbc_comm.h"
#include "store/ini_file.h"
#include "toolkit/message_box.h"
#include "ui/connect/connect_ds.h"
#include "ui/history/show_hist.h"
#include "ui/main/main_window.h"
#include "ui/sqlbox/sql_box_keeper.h"

using namespace varkel;

namespace {

struct Case {
    const char* name;
    int records;
    int maxHist;
    qsizetype recordBytes;
    qsizetype boxBytes = 0;  // the SQL input box's text kept from the last run
};

const Case kCases[] = {
    {"20 of 5,000 records", 5000, 20, 120},
    {"300 of 5,000 records", 5000, 300, 120},
    {"999 of 5,000 records", 5000, 999, 120},
    {"one 50 MB record", 1, 20, 50 * 1024 * 1024},
    {"20 records, 50 MB box", 20, 20, 120, 50 * 1024 * 1024},
};

void WriteBoxText(const QString& path, qsizetype bytes) {
    QByteArray text;
    text.reserve(bytes);
    for (int i = 0; text.size() < bytes; ++i)
        text += "SELECT a, b FROM t" + QByteArray::number(i) + " WHERE x = 1;\n";
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
}

void WriteHistory(const QString& path, const Case& c) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    for (int i = 0; i < c.records; ++i) {
        QByteArray head = QStringLiteral("24/01/01 %1:%2:%3 DSN=bench;UID=u;PWD=****;")
                              .arg(i / 3600 % 24, 2, 10, QLatin1Char('0'))
                              .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
                              .arg(i % 60, 2, 10, QLatin1Char('0'))
                              .toUtf8();
        QByteArray statement = "SELECT a, b, c\r\n  FROM t" + QByteArray::number(i) + " WHERE ";
        while (statement.size() < c.recordBytes)
            statement += "x = 1 AND ";
        f.write(head + '\t' + statement + "\r\n/\r\n");
    }
}

long PeakKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

// The floor: read the whole file and count its records, nothing else.
double PlainReadMs(const QString& path, long* records) {
    QElapsedTimer t;
    t.start();
    FILE* f = std::fopen(QFile::encodeName(path).constData(), "rb");
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    std::vector<char> buffer(static_cast<size_t>(size));
    const size_t got = std::fread(buffer.data(), 1, buffer.size(), f);
    std::fclose(f);
    long n = 0;
    const char* p = buffer.data();
    const char* end = p + got;
    while (
        (p = static_cast<const char*>(memmem(p, static_cast<size_t>(end - p), "\r\n/\r\n", 5)))) {
        ++n;
        p += 5;
    }
    *records = n;
    return t.nsecsElapsed() / 1e6;
}

// One case, in this process: prints "dialog-ms add-ms open-ms stall-ms keep-ms peak-kb" (open:
// the history window shown with the newest statement; stall: the window's thread busy with the
// box's text after one key; keep: until that text is on the disk).
int RunCase(int argc, char** argv, const QString& folder) {
    qputenv("VARKEL_HOME", QFile::encodeName(folder));
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    ScopedMessageResponder quiet([](const MessageBoxRequest&) { return MsgResult::Ok; });
    DbSession session;
    Varkel window(session);
    double dialogMs = -1;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        ConnectDS* dialog = window.connectDialog();
        if (!dialog || !dialog->isVisible()) return;
        poll.stop();
        dialogMs = clock.nsecsElapsed() / 1e6;
        dialog->Cmd_cancel->click();
    });
    poll.start();
    window.Load();
    QElapsedTimer add;
    add.start();
    window.historyWindow()->store().AddHist(QStringLiteral("DSN=bench;"),
                                            QStringLiteral("SELECT 1"));
    QCoreApplication::processEvents();
    const double addMs = add.nsecsElapsed() / 1e6;
    QElapsedTimer open;
    open.start();
    window.historyWindow()->show();
    QCoreApplication::processEvents();
    const double openMs = open.nsecsElapsed() / 1e6;
    auto* box = window.findChild<QPlainTextEdit*>(QStringLiteral("TB_SQL"));
    QTextCursor end(box->document());
    end.movePosition(QTextCursor::End);
    end.insertText(QStringLiteral(" "));
    // The end of the wait after the key: the window's thread takes the text, another writes it.
    SqlBoxKeeper* keeper = window.sqlBoxKeeper();
    QEventLoop written;
    QObject::connect(keeper, &SqlBoxKeeper::writeEnded, &written, &QEventLoop::quit);
    QElapsedTimer keep;
    keep.start();
    QMetaObject::invokeMethod(&keeper->timer(), "timeout");
    const double stallMs = keep.nsecsElapsed() / 1e6;
    written.exec();
    const double keepMs = keep.nsecsElapsed() / 1e6;
    std::printf("%.1f %.1f %.1f %.1f %.1f %ld\n", dialogMs, addMs, openMs, stallMs, keepMs,
                PeakKb());
    window.close();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--case") == 0)
        return RunCase(argc, argv, QString::fromLocal8Bit(argv[3]));
    int runs = 3;
    if (argc >= 3 && std::strcmp(argv[1], "--runs") == 0) runs = std::max(1, std::atoi(argv[2]));
    std::printf("%-22s %8s %11s %10s %8s %9s %9s %8s %8s %10s\n", "history", "file MB",
                "plain C ms", "dialog ms", "add ms", "open ms", "stall ms", "keep ms", "peak MB",
                "goal MB");
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const Case& c = kCases[i];
        QTemporaryDir dir;
        const QString history = QDir(dir.path()).filePath(QStringLiteral("SQLHIST.TXT"));
        WriteHistory(history, c);
        WriteIniString(QDir(dir.path()).filePath(QStringLiteral("VARKEL.INI")),
                       QStringLiteral("SET"), QStringLiteral("MAXHIST"),
                       QString::number(c.maxHist));
        const QString box = QDir(dir.path()).filePath(QStringLiteral("SQLBOX.TXT"));
        const double fileMb = (QFileInfo(history).size() + c.boxBytes) / 1048576.0;
        std::vector<double> plain, dialog, added, opened, stalled, kept;
        double peakMb = 0;
        for (int r = 0; r < runs; ++r) {
            long records = 0;
            plain.push_back(PlainReadMs(history, &records));
            // Each run starts from the same file: the previous run's statement is taken back out.
            const QByteArray original = [&] {
                QFile f(history);
                f.open(QIODevice::ReadOnly);
                return f.readAll();
            }();
            if (c.boxBytes > 0) WriteBoxText(box, c.boxBytes);
            QProcess child;
            child.start(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")),
                        {QStringLiteral("--case"), QString::number(i), dir.path()});
            child.waitForFinished(-1);
            const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
            if (figures.size() == 6) {
                dialog.push_back(figures[0].toDouble());
                added.push_back(figures[1].toDouble());
                opened.push_back(figures[2].toDouble());
                stalled.push_back(figures[3].toDouble());
                kept.push_back(figures[4].toDouble());
                peakMb = std::max(peakMb, figures[5].toDouble() / 1024);
            }
            QFile f(history);
            f.open(QIODevice::WriteOnly);
            f.write(original);
        }
        auto median = [](std::vector<double> v) {
            if (v.empty()) return -1.0;
            std::sort(v.begin(), v.end());
            return v[v.size() / 2];
        };
        // The goal for peak memory: twice the files plus 50 MB.
        std::printf("%-22s %8.1f %11.1f %10.1f %8.1f %9.1f %9.1f %8.1f %8.1f %10.1f\n", c.name,
                    fileMb, median(plain), median(dialog), median(added), median(opened),
                    median(stalled), median(kept), peakMb, 2 * fileMb + 50);
    }
    return 0;
}
