#pragma once

#include <QWidget>
#include <functional>

#include "store/sql_history.h"

class QFrame;
class QMenuBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace varkel {

class StatementBox;

// The SQL history window "SQL入力履歴": the records of the history, newest first, and the full
// statement of the chosen one, to take back into the SQL input box or to run at once. It owns
// the history store, so it is loaded (hidden) at start-up and only hidden until the end.
class ShowHist : public QWidget {
    Q_OBJECT
  public:
    struct Calls {
        std::function<void(const QString&)> InputHist;  // into the SQL input box
        std::function<void(const QString&)> PostSQL;    // into the box and run
    };
    // Reads MAXHIST from the settings file; `historyFile` is "SQLHIST.TXT" beside the program.
    ShowHist(const QString& historyFile, const QString& windowPos, Calls calls, QWidget* owner);
    SqlHistory& store() { return store_; }

    QTreeWidget* ListView1 = nullptr;
    QFrame* L_split = nullptr;
    StatementBox* Text1 = nullptr;
    QWidget* Picture1 = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr;

    // The header click's sort rule: the sort state is the column, its order and whether the list
    // is sorted at all.
    void sortByHeader(int column);
    int sortColumn() const { return sortColumn_; }
    bool sorted() const { return sorted_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }
    // Moves the splitter to `top` (twips); false when the move is refused.
    bool dragSplitter(int top);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;  // Esc closes
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void layOutList();
    void fillList();
    static QTreeWidgetItem* makeRow(const ClassSQL& record, quint64 id);
    static quint64 rowRecord(const QTreeWidgetItem* item);  // 0 for none
    void removeRows(const QList<quint64>& ids);
    void chooseRow(QTreeWidgetItem* item);
    void showStatement(const QString& statement);
    QString handedOn() const;
    void putBack();
    void runAtOnce();
    void closeWindow();
    void updateMarkers();

    SqlHistory store_;
    Calls calls_;
    // The whole statement while the box shows only its beginning (shared, not copied).
    QString cutStatement_;
    QMenuBar* menu_ = nullptr;
    int sortColumn_ = 0;
    Qt::SortOrder sortOrder_ = Qt::DescendingOrder;
    bool sorted_ = false;
    bool splitDragging_ = false;
    int dragOffset_ = 0;
};

}  // namespace varkel
