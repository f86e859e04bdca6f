#pragma once

#include <QString>

class QTreeWidget;

namespace varkel {

// The sort marks of a list's column headers: the image "SortASC" or "SortDESC" drawn at the
// right of the caption, the caption keeping its own alignment.
void ShowHeaderMarksOnTheRight(QTreeWidget* list);

// Shows the image keyed `key` ("SortASC", "SortDESC") on header `column`, or none for an empty
// key. SetHeaderSortMark's key can be read back with HeaderSortMark.
void SetHeaderSortMark(QTreeWidget* list, int column, const QString& key);
QString HeaderSortMark(const QTreeWidget* list, int column);

}  // namespace varkel
