#pragma once

#include <QStringList>

class QWidget;

namespace varkel::test {

// The controls of `window` (the window and every widget in it) that a screen reader could not
// name: text boxes, lists, trees, tables, combo boxes, buttons, options, check boxes and scroll
// bars whose accessible name is empty (a combo box needs an accessible name of its own, else it
// is announced by its current text). Each is given as "objectName (class)"; empty when all are
// named. Call it for every window a test opens.
QStringList UnnamedControls(const QWidget& window);

// The buttons, options and check boxes of `window` whose caption holds a Latin letter but that
// have no mnemonic, or whose mnemonic another of them has, and the same for the items of each of
// its menus within their menu: "objectName: caption" for each (the menu's name for an item).
QStringList MnemonicFaults(const QWidget& window);

// How assistive technologies see a top-level window: its role ("window" — a main window or any
// other frame —, "dialog", "alert", else "other") and, after a colon, its name.
QString AccessibleWindow(const QWidget& window);

}  // namespace varkel::test
