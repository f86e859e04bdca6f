#pragma once

#include <QObject>
#include <QPair>
#include <QSet>
#include <functional>
#include <optional>

class QTreeWidget;
class QTreeWidgetItem;

namespace varkel {

// Sorting of the result list by a header click: ascending, descending, then the fetch order
// again. A numeric column is widened the first time it becomes the sort column (the list shows
// the widened texts) and ordered by value; any other column by its text without regard to case.
class ResultSorter : public QObject {
    Q_OBJECT
  public:
    // (largest integer-part length, largest fraction length) of numeric data column k (1-based),
    // none for other columns.
    using NumericWidthsFn = std::function<std::optional<QPair<int, int>>(int k)>;

    ResultSorter(QTreeWidget* list, NumericWidthsFn widths, QObject* parent = nullptr);

    // The header click on column c (1-based).
    void ListView1_ColumnClick(int c);
    // A new result: sorting off, no arrows.
    void Reset();
    // A fill ended: rows it added are widened like the others and the order applied again.
    void FillEnded();

    bool sorted() const { return sorted_; }
    int sortKey() const { return sortKey_; }      // 0-based column, 0 = row number
    int sortOrder() const { return sortOrder_; }  // 0 ascending, 1 descending

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void widen(const QList<QTreeWidgetItem*>& items, int column);
    void reorder(const QList<int>& widenColumns);
    void showArrows();

    QTreeWidget* list_;
    QObject* headerViewport_ = nullptr;  // compared only: it may be on its way out
    NumericWidthsFn widths_;
    bool sorted_ = false;
    int sortKey_ = 0;
    int sortOrder_ = 0;
    QSet<int> widened_;  // data columns whose cells are in the widened form
};

}  // namespace varkel
