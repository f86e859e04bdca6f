#pragma once

class QPlainTextEdit;

namespace varkel {

// Tab and Shift+Tab move the focus on and back out of a multi-line box, as in desktop dialogs,
// so the keyboard alone gets past it; Ctrl+Tab types a tab character while the box is editable.
void TabLeavesBox(QPlainTextEdit* box);

}  // namespace varkel
