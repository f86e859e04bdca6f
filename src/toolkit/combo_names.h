#pragma once

namespace varkel {

// Makes every combo box with an accessible name announce that name (its label) whatever item it
// shows; the item is its value and, unless it has a description of its own, its description.
// Left alone, the toolkit names a combo box by its current text on this platform. Installed
// once, after the application object exists; combo boxes without a name keep the toolkit's way.
void NameCombosByLabel();

}  // namespace varkel
