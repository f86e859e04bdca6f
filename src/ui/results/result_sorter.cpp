#include "ui/results/result_sorter.h"

#include <QEvent>
#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>
#include <vector>

#include "ui/results/header_marks.h"
#include "ui/results/result_sort.h"

namespace varkel {

namespace {

// The value-order key of a numeric cell, kept on the item: computed once, from the text the
// driver gave, before the cell is widened.
constexpr int kSortKeyRole = Qt::UserRole + 1;

}  // namespace

ResultSorter::ResultSorter(QTreeWidget* list, NumericWidthsFn widths, QObject* parent)
    : QObject(parent), list_(list), widths_(std::move(widths)) {
    QHeaderView* header = list_->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    ShowHeaderMarksOnTheRight(list_);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int logical) { ListView1_ColumnClick(logical + 1); });
    // Clearing the list starts a new result (a query or the column view).
    connect(list_->model(), &QAbstractItemModel::modelReset, this, &ResultSorter::Reset);
    headerViewport_ = header->viewport();
    headerViewport_->installEventFilter(this);
}

bool ResultSorter::eventFilter(QObject* watched, QEvent* event) {
    // Whoever switched the view's own sorting off also made the headers unclickable; the
    // headers here are always clickable.
    if (event->type() == QEvent::MouseButtonPress && watched == headerViewport_)
        list_->header()->setSectionsClickable(true);
    return QObject::eventFilter(watched, event);
}

void ResultSorter::Reset() {
    sorted_ = false;
    sortKey_ = 0;
    sortOrder_ = 0;
    widened_.clear();
    showArrows();
}

void ResultSorter::ListView1_ColumnClick(int c) {
    const int n = list_->columnCount();
    if (c < 1 || c >= n) {  // the end marker, or nothing
        showArrows();
        return;
    }
    QList<int> widenNow;
    if (sorted_ && sortKey_ + 1 == c) {
        if (sortOrder_ == 0) {
            sortOrder_ = 1;
        } else {
            sortOrder_ = 0;
            sortKey_ = 0;
        }
    } else {
        sortOrder_ = 0;
        sortKey_ = c - 1;
        if (widths_ && sortKey_ >= 1 && widths_(sortKey_) && !widened_.contains(sortKey_)) {
            widened_.insert(sortKey_);
            widenNow << sortKey_;
        }
    }
    sorted_ = true;
    reorder(widenNow);
    showArrows();
}

void ResultSorter::widen(const QList<QTreeWidgetItem*>& items, int column) {
    const auto widths = widths_(column);
    if (!widths) return;
    const auto [m, f] = *widths;
    for (QTreeWidgetItem* item : items) {
        QVariant key = item->data(column, kSortKeyRole);
        if (!key.isValid()) {
            key = NumericSortKey(item->text(column));
            item->setData(column, kSortKeyRole, key);
        }
        const QString text = item->text(column);
        const QString wide =
            IsNullSortKey(key.toString()) ? WidenedNull(m, f) : WidenNumber(text, m, f);
        if (wide != text) item->setText(column, wide);
    }
}

void ResultSorter::reorder(const QList<int>& widenColumns) {
    // The rows leave the list while they change and are ordered, so that the view hears of it
    // once.
    QTreeWidgetItem* current = list_->currentItem();
    const int currentColumn = std::max(0, list_->currentColumn());
    QList<QTreeWidgetItem*> items = list_->invisibleRootItem()->takeChildren();
    for (int column : widenColumns)
        widen(items, column);
    const bool byValue = widened_.contains(sortKey_);
    struct Row {
        QString key;
        QTreeWidgetItem* item;
    };
    std::vector<Row> rows;
    rows.reserve(static_cast<size_t>(items.size()));
    for (QTreeWidgetItem* item : items)
        rows.push_back(
            {byValue ? item->data(sortKey_, kSortKeyRole).toString() : item->text(sortKey_), item});
    const bool descending = sortOrder_ == 1;
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        const int cmp = byValue ? a.key.compare(b.key) : CompareText(a.key, b.key);
        return descending ? cmp > 0 : cmp < 0;
    });
    for (size_t i = 0; i < rows.size(); ++i)
        items[static_cast<qsizetype>(i)] = rows[i].item;
    list_->addTopLevelItems(items);
    if (current) list_->setCurrentItem(current, currentColumn, QItemSelectionModel::NoUpdate);
}

void ResultSorter::showArrows() {
    // One mark at most: on the sort column, but not for the fetch order (row numbers ascending).
    const bool mark = sorted_ && !(sortKey_ == 0 && sortOrder_ == 0);
    const QString key = sortOrder_ == 1 ? QStringLiteral("SortDESC") : QStringLiteral("SortASC");
    for (int column = 0; column < list_->columnCount() - 1; ++column)
        SetHeaderSortMark(list_, column, mark && column == sortKey_ ? key : QString());
}

void ResultSorter::FillEnded() {
    if (!sorted_) return;
    reorder(widened_.values());
    showArrows();
}

}  // namespace varkel
