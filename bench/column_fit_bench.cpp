// Fits the columns of a shown list of N rows with AutoSizeColumns, beside a plain loop that
// only measures the same texts with the font's metrics (the least any exact fit costs) and
// beside the view's own fitting, which reads only the first 1,000 rows; in one run.
//
//   column_fit_bench [--rows N] [--runs R]
//
// Run it with the xcb platform under Xvfb (scripts/bench.sh does) so that the list is shown.

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "toolkit/auto_size_columns.h"

using namespace varkel;

namespace {

// The best of `runs` timings of `work`, in milliseconds.
double Best(int runs, const std::function<void()>& work) {
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser options;
    options.addOption({QStringLiteral("rows"), QStringLiteral("rows"), QStringLiteral("N"),
                       QStringLiteral("10000")});
    options.addOption(
        {QStringLiteral("runs"), QStringLiteral("runs"), QStringLiteral("R"), QStringLiteral("5")});
    options.process(app);
    const int rows = options.value(QStringLiteral("rows")).toInt();
    const int runs = options.value(QStringLiteral("runs")).toInt();

    QTreeWidget list;
    list.setRootIsDecorated(false);
    list.setHeaderLabels({QStringLiteral("番号"), QStringLiteral("名前"), QStringLiteral("値")});
    QList<QTreeWidgetItem*> items;
    for (int i = 0; i < rows; ++i)
        items << new QTreeWidgetItem({QString::number(i), QStringLiteral("名前 %1").arg(i * 7919),
                                      QStringLiteral("value-%1").arg(i % 97, i % 13 + 1)});
    list.addTopLevelItems(items);
    list.resize(800, 600);
    list.show();
    QApplication::processEvents();

    const QFontMetrics metrics(list.font());
    int widest = 0;
    const double plain = Best(runs, [&] {
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < rows; ++i)
                widest = std::max(widest, metrics.horizontalAdvance(items[i]->text(c)));
    });
    const double fit = Best(runs, [&] { AutoSizeColumns(&list, true, -1); });
    const double view = Best(runs, [&] {
        for (int c = 0; c < 3; ++c)
            list.resizeColumnToContents(c);
    });
    std::printf("%d rows, 3 columns, best of %d runs (platform %s)\n", rows, runs,
                qPrintable(QGuiApplication::platformName()));
    std::printf("  AutoSizeColumns, every row:            %8.1f ms\n", fit);
    std::printf("  plain loop of font metrics, every row: %8.1f ms\n", plain);
    std::printf("  the view's own fit, first 1,000 rows:  %8.1f ms\n", view);
    return widest > 0 ? 0 : 1;
}
