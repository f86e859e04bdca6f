#pragma once

class QTreeWidget;

namespace varkel {

// The Tag that keeps a column's width as it is.
inline constexpr const char* kFixedColumnTag = "FIX";
// Tags a column of a list (stored with its header).
void SetColumnTag(QTreeWidget* list, int column, const char* tag);

// Fits list columns to their contents (and headers, when `withHeader`): column -1 means every
// column whose Tag is not "FIX", otherwise the one column with that 1-based number. The last
// column sized with its header fills the rest of the list's width.
void AutoSizeColumns(QTreeWidget* list, bool withHeader, int column);

}  // namespace varkel
