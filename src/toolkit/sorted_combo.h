#pragma once

#include <QString>
#include <QStringList>

class QComboBox;

namespace varkel {

// Lists that keep their items in case-insensitive text order, an equal item going after the
// ones already there.
int SortedPosition(const QStringList& items, const QString& item);
// Inserts the item at its sorted place; returns that place.
int AddSortedItem(QComboBox* combo, const QString& item);

}  // namespace varkel
