#pragma once

#include <QAccessible>
#include <QPersistentModelIndex>
#include <QPointer>

namespace varkel {

class ResultListView;

// What a cell and a header of the result list share: no object and no children of their own,
// texts that are not edited, the list as their parent.
class ResultListPart : public QAccessibleInterface {
  public:
    explicit ResultListPart(ResultListView* list) : list_(list) {}

    QObject* object() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}

  protected:
    QPointer<ResultListView> list_;
};

// A cell of the result list as a screen reader meets it: its value as its name and, on the
// current cell, its column's name as its description (the model's accessible roles); its place
// in the table and its column's header; Toggle selects or deselects its row.
class ResultListCell : public ResultListPart,
                       public QAccessibleTableCellInterface,
                       public QAccessibleActionInterface {
  public:
    ResultListCell(ResultListView* list, const QModelIndex& index);

    QModelIndex index() const { return index_; }

    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::TreeItem; }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return index_.column(); }
    int rowIndex() const override { return index_.row(); }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    QStringList actionNames() const override;
    void doAction(const QString& name) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    QPersistentModelIndex index_;
};

// A column header of the result list: the column's name, the sort mark it shows as its
// description ("昇順", "降順"), and Press sorting by the column as a click on it does.
class ResultListHeaderCell : public ResultListPart, public QAccessibleActionInterface {
  public:
    ResultListHeaderCell(ResultListView* list, int column);

    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    QString localizedActionName(const QString& name) const override;
    QString localizedActionDescription(const QString& name) const override;
    void doAction(const QString& name) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    int column_;
};

}  // namespace varkel
