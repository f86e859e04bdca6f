#pragma once

#include "ui/frame/layout_rules.h"

class QAction;
class QLabel;
class QLineEdit;
class QMainWindow;
class QWidget;

namespace varkel {

class KeyedToolBar;

// The toolbar `Toolbar1` with its ten keyed buttons, and the connection bar `Pict_db` ("DB:",
// the connection text `TB_DSN`, the width handle `Img_slide`) in the room of its third button.
struct ToolbarPane {
    KeyedToolBar* Toolbar1 = nullptr;
    QWidget* Pict_db = nullptr;
    QLabel* L_db = nullptr;
    QLineEdit* TB_DSN = nullptr;
    QLabel* Img_slide = nullptr;
    QWidget* holder = nullptr;
    QAction* placeholder = nullptr;

    void build(QMainWindow* window);
    void apply(const ConnectionBarGeometry& bar);
};

}  // namespace varkel
