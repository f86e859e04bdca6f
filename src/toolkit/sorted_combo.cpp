#include "toolkit/sorted_combo.h"

#include <QComboBox>

namespace varkel {

int SortedPosition(const QStringList& items, const QString& item) {
    int at = 0;
    while (at < items.size() && QString::compare(items[at], item, Qt::CaseInsensitive) <= 0)
        ++at;
    return at;
}

int AddSortedItem(QComboBox* combo, const QString& item) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    const int at = SortedPosition(items, item);
    combo->insertItem(at, item);
    return at;
}

}  // namespace varkel
