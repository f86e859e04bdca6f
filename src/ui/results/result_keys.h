#pragma once

#include <QObject>

class QModelIndex;
class QTreeWidget;

namespace varkel {

class ResultCopyMenu;
class ResultSorter;

// The result list by keyboard: the current cell moves with the arrow keys in both directions
// and is outlined within its highlighted row; a screen reader hears its value and, as its
// description, its column's name.
// The Menu key and Shift+F10 open the copy menu of the current cell (or of the row on the row
// number) as a right click there does, Ctrl+C copies the current cell's text, and Ctrl+Shift+S
// sorts by the current column as a click on its header does.
class ResultKeys : public QObject {
    Q_OBJECT
  public:
    ResultKeys(QTreeWidget* list, ResultSorter* sorter, ResultCopyMenu* copyMenu,
               QObject* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The last column a current cell may stand in: the end marker is none.
    int lastColumn() const;
    void moveColumn(int step);
    void openMenu();
    void copyCell();
    void announce(const QModelIndex& current, const QModelIndex& previous);

    QTreeWidget* list_;
    ResultSorter* sorter_;
    ResultCopyMenu* copyMenu_;
};

}  // namespace varkel
