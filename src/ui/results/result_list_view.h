#pragma once

#include <QTreeWidget>

namespace varkel {

// The main window's result list. Its last column only marks the end of the data: a screen
// reader is told of the row number and the data columns alone (result_list_accessible.h), and
// the list's own accessible events count its cells the same way.
class ResultListView : public QTreeWidget {
    Q_OBJECT
  public:
    explicit ResultListView(QWidget* parent = nullptr);

    // The columns a screen reader is told of: all but the end marker.
    int accessibleColumnCount() const;
    // The place of `index` among the list's accessible children (the column headers first, then
    // the cells row by row), or -1 for none.
    int accessibleChild(const QModelIndex& index) const;

  protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
};

}  // namespace varkel
