#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class QTreeWidget;
class QTreeWidgetItem;

namespace varkel {

struct MainMenus;

// Where a point of the result list falls: a row (or none) and the cell position, 0 for the row
// number, 1 to n for the data columns, n + 1 for the end marker.
struct ListHit {
    QTreeWidgetItem* row = nullptr;
    int position = -1;
};
ListHit LvHitTest(QTreeWidget* list, const QPoint& viewportPos);

// The right-click copy of result cells and rows, and the drag of a cell as text.
class ResultCopyMenu : public QObject {
    Q_OBJECT
  public:
    struct Calls {
        std::function<QStringList()> kinds;  // kind letters of the last query result
        std::function<void(const QString&)> InsertSqlText;
    };
    ResultCopyMenu(QTreeWidget* list, MainMenus& menus, Calls calls, QObject* parent = nullptr);

    // The fragments of the last right click, by their index.
    const std::array<QString, 5>& LvCopyText() const { return LvCopyText_; }
    const QString& LvDragText() const { return LvDragText_; }

    void ListView1_MouseDown(const QPoint& viewportPos);
    // A right-button release: builds the fragments and shows the menu for the hit cell.
    void ListView1_MouseUp(const QPoint& viewportPos, const QPoint& globalPos);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int dataColumns() const;
    void copyToClipboard(int index);

    QTreeWidget* list_;
    QObject* viewport_ = nullptr;  // compared only: it may be on its way out
    MainMenus& menus_;
    Calls calls_;
    std::array<QString, 5> LvCopyText_;
    QString LvDragText_;
    QPoint pressPos_;
    bool pressed_ = false;
};

}  // namespace varkel
