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
    ResultRow(QStringList texts, QBitArray rightAligned);

    QVariant data(int column, int role) const override;
    QTreeWidgetItem* clone() const override;

  private:
    QStringList texts_;
    QBitArray right_;
};

}  // namespace varkel
