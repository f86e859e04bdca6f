#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

#include "ui/tree/image_lists.h"
#include "ui/tree/object_lists.h"

class QTabBar;
class QTreeWidgetItem;

namespace varkel {

struct DbSession;
struct MainMenus;
class ObjectTreeWidget;

// The database object tree: its filling from the catalog with the owner questions, the lazy
// column fetch, the category tabs and the pop-up menus of its nodes.
class ObjectTree : public QObject {
    Q_OBJECT
  public:
    // `U_id` is the user id of the last connect; the tree clears it when the user agrees to
    // list the objects of every owner.
    ObjectTree(DbSession& session, ObjectTreeWidget* TreeView1, QTabBar* TabObjects,
               MainMenus& menus, QString& U_id, QObject* parent = nullptr);

    // Start-up: the images of the nodes.
    void setImages(const ImageList& images) { images_ = images; }
    const ImageList& images() const { return images_; }

    void FillTree();
    // Fetches the columns of the object `node` shows into `columns`. After its yields it finds
    // the node again: false when no connection is open, the query failed or the node is gone.
    bool GetColumns(QTreeWidgetItem* node, ColumnList& columns);
    void AddColumnNodes(QTreeWidgetItem* node, const ColumnList& columns);
    // The tab rule for the tab keyed "ALL", "TABLE", "VIEW" or "SYNONYM".
    void ShowCategory(const QString& key);

    const ObjectLists& lists() const { return lists_; }
    QTreeWidgetItem* clickedNode() const;
    void setClickedNode(QTreeWidgetItem* node);
    QTreeWidgetItem* category(const QString& key) const;

    // Asked before every catalog query of the tree: ends a result fill that keeps the cursor,
    // or answers false while something that must not lose the cursor holds it (no query then).
    std::function<bool()> takeCursor;
    // Run at the start of FillTree: the object search results are cleared and hidden.
    std::function<void()> clearSearchResults;
    // Run when a catalog query failed because the connection is gone (the server stopped or
    // ended the session): the window tells the driver's message and shows itself disconnected.
    std::function<void()> connectionLost;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  signals:
    // Just before the pop-up of a table, view or synonym node and of a column node is shown,
    // so that their items can be filled and enabled for the clicked node.
    void objectMenuAboutToShow(QTreeWidgetItem* node);
    void columnMenuAboutToShow(QTreeWidgetItem* node);

  private:
    // A node as it can be found again after a yield: the filling it belongs to and its place.
    struct NodePlace {
        int filling = 0;
        QList<int> path;  // child indexes from the top level down
    };
    NodePlace placeOf(QTreeWidgetItem* node) const;
    QTreeWidgetItem* find(const NodePlace& place) const;
    void onExpanded(QTreeWidgetItem* node);
    void onNodeMenu(QTreeWidgetItem* node, const QPoint& at);
    bool lost() const;  // the connection is gone; connectionLost was told
    bool askAllOwners(const QString& firstLine) const;
    void addObjects(const QString& key, const QStringList& names, const QList<ObjectOwner>& owners,
                    const QString& tag);
    bool queryCatalog();

    DbSession& session_;
    ObjectTreeWidget* tree_;
    QTabBar* tabs_;
    MainMenus& menus_;
    QString& U_id_;
    ImageList images_;
    ObjectLists lists_;
    NodePlace clicked_;
    int filling_ = 0;  // counts the fillings, so that nodes of an earlier one are never used
};

}  // namespace varkel
