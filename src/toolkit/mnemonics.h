#pragma once

#include <QChar>
#include <QString>

class QWidget;

namespace varkel {

// The Latin letter (upper case, half-width) that Alt presses with for the caption's mnemonic; a
// full-width letter counts as its half-width one. Null when the caption has none.
QChar MnemonicLetter(const QString& caption);

// Gives every button, option and check box of `window` whose caption holds a Latin letter and
// has no mnemonic yet the first letter of its caption that no other control of the window uses.
// The caption shown stays as it is; captions without a Latin letter keep none.
void AssignMnemonics(QWidget* window);

// The same for the items of every menu of `window`, menu bar and pop-ups alike: an item whose
// caption holds a half-width Latin letter gets the first one no other item of its menu uses.
// Items without text (filled in when their menu opens) are left alone.
void AssignMenuMnemonics(QWidget* window);

}  // namespace varkel
