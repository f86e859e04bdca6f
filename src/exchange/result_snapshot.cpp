#include "exchange/result_snapshot.h"

#include <QTreeWidget>

namespace varkel {

ResultSnapshot SnapshotList(const QTreeWidget* list) {
    ResultSnapshot snapshot;
    if (!list) return snapshot;
    const int last = list->columnCount() - 1;  // the end marker
    const QTreeWidgetItem* header = list->headerItem();
    for (int k = 1; k < last; ++k) {
        snapshot.headers << header->text(k);
        snapshot.numeric.push_back((header->textAlignment(k) & Qt::AlignRight) != 0);
    }
    const int count = list->topLevelItemCount();
    snapshot.rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        QStringList cells;
        cells.reserve(last > 1 ? last - 1 : 0);
        for (int k = 1; k < last; ++k)
            cells << item->text(k);
        snapshot.rows << cells;
    }
    return snapshot;
}

}  // namespace varkel
