#include "ui/toolkit/auto_size_columns.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTreeWidget>

namespace varkel {

namespace {

constexpr int kTagRole = Qt::UserRole + 7;

int ContentWidth(const QTreeWidget* list, int index) {
    const QFontMetrics metrics(list->font());
    int width = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        width = std::max(width, metrics.horizontalAdvance(list->topLevelItem(i)->text(index)));
    return width + 2 * metrics.averageCharWidth();
}

void SizeColumn(QTreeWidget* list, bool withHeader, int index) {
    int width = 0;
    if (withHeader) {
        // The view's own measure, header included; it reads a bounded number of rows, so that
        // a list of 10,000 rows is fitted at once.
        list->resizeColumnToContents(index);
        width = std::max(list->columnWidth(index), list->header()->sectionSizeHint(index));
    } else {
        width = ContentWidth(list, index);
    }
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
