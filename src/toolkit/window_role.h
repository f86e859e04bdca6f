#pragma once

class QWidget;

namespace varkel {

// Shows a secondary top-level widget to assistive technologies as a window named by its
// caption, as dialogs and main windows are; a plain widget would be announced as a filler.
void ExposeAsWindow(QWidget* window);

}  // namespace varkel
