#pragma once

class QWidget;

namespace varkel {

// The Menu key and Shift+F10 on `widget` send it a keyboard context-menu event, which opens the
// pop-up a right click opens, at the current item. Where the windowing system turns the Menu key
// into such an event itself, the menu still opens once.
void MenuKeysOpenContextMenu(QWidget* widget);

}  // namespace varkel
