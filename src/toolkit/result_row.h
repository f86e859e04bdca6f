#pragma once

#include <QBitArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QTreeWidgetItem>
#include <QVarLengthArray>

namespace varkel {

// A row of the result list. Its texts lie one after another in one string, answered as the
// row's display data, and its numeric columns stand right by a set shared by every row of the
// fill: a fill makes up to 10,000 rows of many columns, and a string per value (or a value
// stored per column and role) would cost allocations to make, to free, and for the allocator to
// gather up again at the next fill. Whatever is set later through setData (a sort's widened
// number) wins. columnCount() counts only what was set so: the list's columns are its header's.
class ResultRow : public QTreeWidgetItem {
  public:
    static constexpr int kType = QTreeWidgetItem::UserType + 1;

    ResultRow(const QStringList& texts, QBitArray rightAligned);

    QVariant data(int column, int role) const override;
    void setData(int column, int role, const QVariant& value) override;
    QTreeWidgetItem* clone() const override;
    // True while nothing was set on the row: then no cell has an icon or a font of its own and
    // every text is the one it was made with, so fitting the columns reads them with plainText.
    bool plain() const { return !own_; }
    // The text the row was made with (empty past its last column).
    QStringView plainText(int column) const;

  private:
    QString chars_;                  // every text, one after another
    QVarLengthArray<int, 16> ends_;  // where each column's text ends in chars_
    QBitArray right_;
    bool own_ = false;  // something was set through setData
};

}  // namespace varkel
