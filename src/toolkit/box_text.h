#pragma once

#include <QString>

class QPlainTextEdit;

namespace varkel {

// The text of a multi-line box as the user typed it. toPlainText() turns a no-break space into
// a blank (and other separators into line breaks); a statement must reach the database as typed.
QString BoxText(const QPlainTextEdit* box);

}  // namespace varkel
