#pragma once

#include <QList>
#include <QObject>
#include <functional>
#include <optional>

class QTreeWidgetItem;

namespace varkel {

struct LeftPane;
struct MainMenus;
class ObjectTree;

// The object search of the left pane: the search combo with its used texts, the search button
// with its results list, and F3 / Shift+F3 through the tree.
class ObjectSearch : public QObject {
    Q_OBJECT
  public:
    // `resultsChanged` gets the number of entries of the results list after a search, so that
    // the window can open or close it.
    ObjectSearch(LeftPane& left, ObjectTree& tree, MainMenus& menus,
                 std::function<void(int entries)> resultsChanged, QObject* parent = nullptr);

    // The search button; `append` (Shift held at the click) adds to the last results.
    void SearchAll(bool append);
    // F3 (forward) or Shift+F3 from the node selected in the tree.
    void SearchTree(bool forward);
    // The tree is being filled again: the results go with the nodes they point to.
    void Clear();

    // The nodes of the results list, in its order; none before the first search.
    const std::optional<QList<QTreeWidgetItem*>>& foundNodes() const { return found_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void addSearchText(const QString& text);
    void select(QTreeWidgetItem* node);
    bool onTreeKey(int key, Qt::KeyboardModifiers modifiers);
    bool onFoundKey(QEvent* event);

    LeftPane& left_;
    ObjectTree& tree_;
    MainMenus& menus_;
    std::function<void(int)> resultsChanged_;
    std::optional<QList<QTreeWidgetItem*>> found_;
    QObject* comboEdit_ = nullptr;
    QObject* foundViewport_ = nullptr;
    bool shiftAtClick_ = false;
};

}  // namespace varkel
