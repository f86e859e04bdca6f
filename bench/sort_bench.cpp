// Sorts the shown result list by a numeric column of 10,000 rows with negatives and NULLs:
// the first click (widening and value keys included), the descending click and the click back
// to the fetch order, each timed with the list painted; beside a plain C loop that parses and
// sorts the same values with strtod and qsort, in the same run. Run under Xvfb with xcb.

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "exec/result_text.h"
#include "ui/results/result_sorter.h"

using namespace varkel;

namespace {

constexpr int kRows = 10000;
constexpr int kRuns = 5;

QString Value(int i) {
    if (i % 97 == 0) return {};  // NULL
    const int v = (i * 7919) % 20011 - 10000;
    return i % 3 ? QString::number(v) : QString::number(v) + u'.' + QString::number(i % 100);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int CompareDoubles(const void* a, const void* b) {
    const double x = *static_cast<const double*>(a), y = *static_cast<const double*>(b);
    return (x > y) - (x < y);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    std::vector<double> first, second, third, plain;
    for (int run = 0; run < kRuns; ++run) {
        QTreeWidget list;
        list.setColumnCount(3);
        list.setHeaderLabels(
            {QStringLiteral("行No."), QStringLiteral("amount"), QStringLiteral("<")});
        list.headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        QPair<int, int> widths(0, 0);
        QList<QTreeWidgetItem*> items;
        std::vector<QByteArray> raw;
        for (int i = 1; i <= kRows; ++i) {
            const QString v = Value(i);
            const auto [m, f] = MeasureNumber(v);
            widths.first = std::max(widths.first, m);
            widths.second = std::max(widths.second, f);
            items << new QTreeWidgetItem(QStringList{RowNumberText(i), v, QString()});
            raw.push_back(v.toLatin1());
        }
        list.addTopLevelItems(items);
        ResultSorter sorter(&list, [widths](int k) {
            return k == 1 ? std::optional<QPair<int, int>>(widths) : std::nullopt;
        });
        list.resize(800, 600);
        list.show();
        QApplication::processEvents();

        const auto timed = [&](std::vector<double>& into) {
            QElapsedTimer t;
            t.start();
            sorter.ListView1_ColumnClick(2);
            list.repaint();
            into.push_back(t.nsecsElapsed() / 1e6);
        };
        timed(first);
        timed(second);
        timed(third);
        if (list.topLevelItem(0)->text(0) != RowNumberText(1)) {
            std::fprintf(stderr, "the third click did not restore the fetch order\n");
            return 1;
        }

        QElapsedTimer t;
        t.start();
        std::vector<double> values;
        values.reserve(raw.size());
        for (const QByteArray& r : raw)
            values.push_back(r.isEmpty() ? -1e300 : std::strtod(r.constData(), nullptr));
        std::qsort(values.data(), values.size(), sizeof(double), CompareDoubles);
        plain.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("Sorting %d numeric rows, shown (%s), median of %d runs:\n", kRows,
                qPrintable(QGuiApplication::platformName()), kRuns);
    std::printf("  first click, ascending (widen + keys + sort + paint): %8.2f ms\n",
                Median(first));
    std::printf("  second click, descending:                             %8.2f ms\n",
                Median(second));
    std::printf("  third click, fetch order:                             %8.2f ms\n",
                Median(third));
    std::printf("  plain C loop, strtod + qsort of the same values:      %8.2f ms\n",
                Median(plain));
    return 0;
}
