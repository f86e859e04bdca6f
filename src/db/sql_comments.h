#pragma once

#include <QString>

namespace varkel {

// The statement with the comments before its first word (/* … */, nested as the server reads
// them, and -- to the line end) made blanks of the same length, line breaks kept, so every
// position in it stays where it was. A comment beginning /*+ is a hint to the planner and stays,
// as does everything after it.
QString BlankLeadingComments(QString sql);

}  // namespace varkel
