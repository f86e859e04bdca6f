#pragma once

class QWidget;

namespace varkel {

// How assistive technologies meet the plain parts of the windows: a bare frame that only holds
// controls is a pane, not a window, and a toolbar button that shows a pressed state is still a
// button whose Press does what a click does. Installed once; later calls do nothing.
void UsePlainRoles();

// The labels of `frame` read as one text, in their order from the left (values with their
// units), as the frame's own name; the frame's other controls stay its children.
void ReadAsOneText(QWidget* frame);

}  // namespace varkel
