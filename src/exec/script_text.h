#pragma once

#include <QString>
#include <QStringList>

// How the text of the SQL input box becomes statements.
namespace varkel {

// The text without leading and trailing blanks (U+0020 only; tabs and line breaks stay).
QString TrimBlanks(const QString& text);

// The statements of a script: cut at "/" CR LF (anywhere, together with the CR LF pairs that
// directly follow), each trimmed of blanks, empty ones left out. A one-character script has none.
QStringList SplitScript(const QString& script);

// The text of the question asked before the second and later statements.
QString ContinueQuestion(const QString& statement);

// The box's text with its line breaks as CR LF, whatever the control stores.
QString WithCrLf(const QString& text);

// Why a statement is not run when the files' code page cannot hold one of its characters
// exactly: the history would keep something other than what ran. Empty when it can.
QString CodePageRefusal(const QString& sql);

}  // namespace varkel
