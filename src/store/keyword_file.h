#pragma once

#include <QString>
#include <QStringList>

namespace varkel {

// The keyword list file: one keyword per line, taken as it stands (no trimming, no sorting, an
// empty line is an empty entry); a last line without a line end counts. Missing file: empty.
QStringList ReadKeywordFile(const QString& path);

}  // namespace varkel
