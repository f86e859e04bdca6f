#pragma once

#include <QBitArray>
#include <QStringList>
#include <QTreeWidgetItem>

namespace varkel {

// A row of the result list. Its texts are one list, answered as the row's display data, and its
// numeric columns stand right by a set shared by every row of the fill: a fill makes up to
// 10,000 rows of many columns, and a value stored per column and role would cost allocations to
// make and to free again. Whatever is set later through setData (a sort's widened number) wins.
// columnCount() counts only what was set so: the list's columns are its header's.
class ResultRow : public QTreeWidgetItem {
  public:
    static constexpr int kType = QTreeWidgetItem::UserType + 1;

    ResultRow(QStringList texts, QBitArray rightAligned);

    QVariant data(int column, int role) const override;
    void setData(int column, int role, const QVariant& value) override;
    QTreeWidgetItem* clone() const override;
    // The texts while nothing was set on the row: then no cell has an icon or a font of its
    // own, and fitting the columns reads the texts without asking each cell for its roles.
    const QStringList* plainTexts() const { return own_ ? nullptr : &texts_; }

  private:
    QStringList texts_;
    QBitArray right_;
    bool own_ = false;  // something was set through setData
};

}  // namespace varkel
