#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QList>
#include <QPair>

namespace varkel {

class ResultListView;

// The result list as a screen reader meets it: a tree named by its accessible name whose
// children are the column headers and then the cells row by row, and whose Table interface
// gives the rows and columns, all without the end marker column. Qt's own table and tree
// interfaces are not public; this one is made of the public interfaces alone.
class ResultListAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    explicit ResultListAccessible(ResultListView* list);
    ~ResultListAccessible() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

  private:
    ResultListView* list() const;
    QAccessibleInterface* headerCell(int column) const;
    // Forgets the cells no longer at the place they were made for.
    void dropMovedCells() const;

    // The interfaces handed out, registered with QAccessible (which owns them) so that each
    // place keeps one identity: cells by (row, column), headers by column.
    mutable QHash<QPair<int, int>, QAccessible::Id> cells_;
    mutable QList<QAccessible::Id> headers_;
};

// The accessible interface of a ResultListView, none for any other object.
QAccessibleInterface* CreateResultListAccessible(const QString& key, QObject* object);

}  // namespace varkel
