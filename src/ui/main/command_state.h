#pragma once

class QTreeWidget;

namespace varkel {

class KeyedToolBar;
struct MainMenus;

// Which commands are available: one call per state of the connection and of a running script.
class CommandState {
  public:
    CommandState(MainMenus& menus, KeyedToolBar& toolbar, QTreeWidget& tree)
        : menus_(menus), toolbar_(toolbar), tree_(tree) {}

    void created();  // the window's design state; the toolbar as after a disconnect
    void connected();
    void connectCancelled();
    void disconnected();
    void running();
    void runFinished();

  private:
    void setToolbar(bool connected);
    MainMenus& menus_;
    KeyedToolBar& toolbar_;
    QTreeWidget& tree_;
};

}  // namespace varkel
