#include "ui/toolkit/auto_size_columns.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTreeWidget>

namespace varkel {

namespace {

constexpr int kTagRole = Qt::UserRole + 7;

// The widest text of the column over every row, measured with the font's metrics: no item is
// laid out, so that 10,000 rows are fitted at once. Rows with a font or an icon of their own
// are measured with them.
int ContentWidth(const QTreeWidget* list, int index) {
    const QFontMetrics listMetrics(list->font());
    const int iconWidth = list->iconSize().isValid()
                              ? list->iconSize().width()
                              : list->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, list);
    int width = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        const QVariant font = item->data(index, Qt::FontRole);
        int rowWidth = font.isValid()
                           ? QFontMetrics(font.value<QFont>()).horizontalAdvance(item->text(index))
                           : listMetrics.horizontalAdvance(item->text(index));
        if (!item->data(index, Qt::DecorationRole).isNull()) rowWidth += iconWidth + 4;
        width = std::max(width, rowWidth);
    }
    if (index == 0 && list->rootIsDecorated()) width += list->indentation();
    return width + 2 * listMetrics.averageCharWidth();
}

void SizeColumn(QTreeWidget* list, bool withHeader, int index) {
    int width = ContentWidth(list, index);
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
    if (column >= 1) {
        if (column <= list->columnCount()) SizeColumn(list, withHeader, column - 1);
        return;
    }
    const QTreeWidgetItem* header = list->headerItem();
    for (int i = 0; i < list->columnCount(); ++i) {
        if (header && header->data(i, kTagRole).toString() == QLatin1String(kFixedColumnTag))
            continue;
        SizeColumn(list, withHeader, i);
    }
}

}  // namespace varkel
