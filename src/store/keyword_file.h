#pragma once

#include <QString>
#include <QStringList>

namespace varkel {

// The keyword list file: one keyword per line ended by CR LF (by LF in a file without any CR),
// taken as it stands (no trimming, no sorting, an empty line is an empty entry); a last line
// without a line end counts; a byte order mark at the start is dropped. Missing file: empty.
QStringList ReadKeywordFile(const QString& path);

}  // namespace varkel
