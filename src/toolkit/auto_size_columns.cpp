#include "toolkit/auto_size_columns.h"

#include <QFontMetrics>
#include <QHash>
#include <QHeaderView>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>
#include <array>
#include <vector>

#include "toolkit/result_row.h"

namespace varkel {

namespace {

constexpr int kTagRole = Qt::UserRole + 7;
constexpr int kMeasuredRows = 64;  // whole texts measured at most per column

// The sum of the advances of a text's characters, each character measured once. A text's
// shaped width differs from it by little (kerning, ligatures), and it costs a fraction of laying
// out the text: it picks out the few rows worth measuring exactly.
class AdvanceSum {
  public:
    explicit AdvanceSum(const QFontMetrics& metrics) : metrics_(metrics) { ascii_.fill(-1); }
    int operator()(QStringView text) {
        int sum = 0;
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            const QChar c = text[i];
            const char16_t u = c.unicode();
            if (u < ascii_.size()) {
                int& advance = ascii_[u];
                if (advance < 0) advance = metrics_.horizontalAdvance(c);
                sum += advance;
                continue;
            }
            // A character beyond the first plane (an emoji) is measured as its pair.
            const bool pair = c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate();
            const char32_t key = pair ? QChar::surrogateToUcs4(c, text[i + 1]) : u;
            auto known = others_.constFind(key);
            if (known == others_.cend())
                known = others_.insert(
                    key, pair ? metrics_.horizontalAdvance(text.sliced(i, 2).toString())
                              : metrics_.horizontalAdvance(c));
            sum += *known;
            if (pair) ++i;
        }
        return sum;
    }

  private:
    const QFontMetrics& metrics_;
    std::array<int, 128> ascii_;
    QHash<char32_t, int> others_;
};

// The widest text of each of `columns` over every row, measured with the font's metrics: no
// item is laid out, and only the rows whose characters add up to near the widest are measured as
// whole texts, so that 10,000 rows are fitted at once. Rows with a font or an icon of their own
// are measured with them; a result row on which nothing was set has neither, and its texts are
// read as they are kept. The rows are walked once for all the columns: an item's values lie
// together, and walking the rows again for each column costs a cache miss per value.
std::vector<int> ContentWidths(const QTreeWidget* list, const std::vector<int>& columns) {
    const QFontMetrics listMetrics(list->font());
    const int iconWidth = list->iconSize().isValid()
                              ? list->iconSize().width()
                              : list->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, list);
    AdvanceSum estimate(listMetrics);
    struct Row {
        int estimate;
        int extra;
        const QTreeWidgetItem* item;
    };
    // Per column only the rows that may be measured: the widest by their characters' sum, kept
    // in a heap whose top is the narrowest of them. A list of many columns costs no more.
    const auto narrower = [](const Row& a, const Row& b) { return a.estimate > b.estimate; };
    const size_t kept = kMeasuredRows + 1;
    std::vector<std::vector<Row>> rows(columns.size());
    std::vector<int> widths(columns.size(), 0);
    const int count = list->topLevelItemCount();
    const auto keep = [&](size_t c, const Row& row) {
        std::vector<Row>& heap = rows[c];
        if (heap.size() < kept) {
            heap.push_back(row);
            std::push_heap(heap.begin(), heap.end(), narrower);
        } else if (row.estimate > heap.front().estimate) {
            std::pop_heap(heap.begin(), heap.end(), narrower);
            heap.back() = row;
            std::push_heap(heap.begin(), heap.end(), narrower);
        }
    };
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        const auto* row =
            item->type() == ResultRow::kType ? static_cast<const ResultRow*>(item) : nullptr;
        const bool plain = row && row->plain();
        for (size_t c = 0; c < columns.size(); ++c) {
            const int index = columns[c];
            if (plain) {  // no icon, no font of its own
                keep(c, {estimate(row->plainText(index)), 0, item});
                continue;
            }
            const int extra = item->data(index, Qt::DecorationRole).isNull() ? 0 : iconWidth + 4;
            const QVariant font = item->data(index, Qt::FontRole);
            if (font.isValid()) {
                widths[c] = std::max(
                    widths[c],
                    QFontMetrics(font.value<QFont>()).horizontalAdvance(item->text(index)) + extra);
                continue;
            }
            keep(c, {estimate(item->text(index)) + extra, extra, item});
        }
    }
    for (size_t c = 0; c < columns.size(); ++c) {
        const int index = columns[c];
        int& width = widths[c];
        std::vector<Row>& column = rows[c];
        std::sort_heap(column.begin(), column.end(), narrower);  // the widest first
        // The widest by their characters are measured as whole texts, until no later row can be
        // wider (a text is never wider than a tenth and two pixels beyond its characters' sum).
        // Where many rows tie (a column of dates, of numbers), the rest count with their
        // characters' sum, which kerning seldom lengthens.
        int measured = 0;
        for (const Row& row : column) {
            if (row.estimate + row.estimate / 10 + 2 <= width) break;
            if (++measured > kMeasuredRows) {
                width = std::max(width, row.estimate);
                break;
            }
            width =
                std::max(width, listMetrics.horizontalAdvance(row.item->text(index)) + row.extra);
        }
        if (index == 0 && list->rootIsDecorated()) width += list->indentation();
        width += 2 * listMetrics.averageCharWidth();
    }
    return widths;
}

void SizeColumn(QTreeWidget* list, bool withHeader, int index, int contentWidth) {
    int width = contentWidth;
    if (withHeader) width = std::max(width, list->header()->sectionSizeHint(index));
    const int last = list->columnCount() - 1;
    if (withHeader && index == last) {
        int others = 0;
        for (int i = 0; i < last; ++i)
            others += list->columnWidth(i);
        width = std::max(width, list->viewport()->width() - others);
    }
    list->setColumnWidth(index, std::max(width, 1));
}

}  // namespace

void SetColumnTag(QTreeWidget* list, int column, const char* tag) {
    if (QTreeWidgetItem* header = list->headerItem())
        header->setData(column, kTagRole, QString::fromLatin1(tag));
}

void AutoSizeColumns(QTreeWidget* list, bool withHeader, int column) {
    if (!list || list->columnCount() == 0) return;
    std::vector<int> columns;
    if (column >= 1) {
        if (column <= list->columnCount()) columns.push_back(column - 1);
    } else {
        const QTreeWidgetItem* header = list->headerItem();
        for (int i = 0; i < list->columnCount(); ++i)
            if (!header || header->data(i, kTagRole).toString() != QLatin1String(kFixedColumnTag))
                columns.push_back(i);
    }
    const std::vector<int> widths = ContentWidths(list, columns);
    for (size_t c = 0; c < columns.size(); ++c)
        SizeColumn(list, withHeader, columns[c], widths[c]);
}

}  // namespace varkel
