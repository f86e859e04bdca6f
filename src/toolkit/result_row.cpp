#include "toolkit/result_row.h"

#include <utility>

namespace varkel {

ResultRow::ResultRow(QStringList texts, QBitArray rightAligned)
    : QTreeWidgetItem(kType), texts_(std::move(texts)), right_(std::move(rightAligned)) {}

QVariant ResultRow::data(int column, int role) const {
    QVariant stored = QTreeWidgetItem::data(column, role);
    if (stored.isValid() || column < 0) return stored;
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return column < texts_.size() ? QVariant(texts_.at(column)) : stored;
        case Qt::TextAlignmentRole:
            return column < right_.size() && right_.testBit(column)
                       ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                       : stored;
        default:
            return stored;
    }
}

void ResultRow::setData(int column, int role, const QVariant& value) {
    own_ = true;
    QTreeWidgetItem::setData(column, role, value);
}

QTreeWidgetItem* ResultRow::clone() const {
    auto* copy = new ResultRow(texts_, right_);
    *static_cast<QTreeWidgetItem*>(copy) = *this;  // and what was set later
    copy->own_ = own_;
    return copy;
}

}  // namespace varkel
