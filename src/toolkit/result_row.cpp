#include "toolkit/result_row.h"

#include <utility>

namespace varkel {

ResultRow::ResultRow(const QStringList& texts, QBitArray rightAligned)
    : QTreeWidgetItem(kType), right_(std::move(rightAligned)) {
    qsizetype length = 0;
    for (const QString& text : texts)
        length += text.size();
    chars_.reserve(length);  // exactly: the row keeps it as long as it lives
    ends_.reserve(texts.size());
    for (const QString& text : texts) {
        chars_ += text;
        ends_.append(static_cast<int>(chars_.size()));
    }
}

QStringView ResultRow::plainText(int column) const {
    if (column < 0 || column >= ends_.size()) return {};
    const int start = column == 0 ? 0 : ends_[column - 1];
    return QStringView(chars_).sliced(start, ends_[column] - start);
}

QVariant ResultRow::data(int column, int role) const {
    QVariant stored = QTreeWidgetItem::data(column, role);
    if (stored.isValid() || column < 0) return stored;
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return column < ends_.size() ? QVariant(plainText(column).toString()) : stored;
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
    auto* copy = new ResultRow({}, right_);
    copy->chars_ = chars_;
    copy->ends_ = ends_;
    *static_cast<QTreeWidgetItem*>(copy) = *this;  // and what was set later
    copy->own_ = own_;
    return copy;
}

}  // namespace varkel
