#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace varkel {

class CodePage;

// The delimited text that every export writes (text file, clipboard, a query's rows saved
// straight to a file): one line per row, every line ending in CR LF, a quote inside a quoted
// value doubled so that the import reads every value back as it was.

// The delimiter list's items are read by DelimiterOf (exchange/import_text.h), shared with the
// import.
// The string quote an item of the quote list stands for: the item without its spaces, and
// nothing when that is longer than one character ("(なし)").
QString QuoteCharOf(const QString& item);

// The header line: every name in double quotes (one inside doubled), whatever the string quote
// is.
QString ExportHeaderLine(const QStringList& names, const QString& delimiter);

// Appends one data line to `out`: numeric fields bare, the others between `quote` with each
// `quote` inside doubled (without a quote, bare as they are). A NULL is the empty text.
void AppendExportLine(QString& out, const QStringList& fields, const std::vector<bool>& numeric,
                      const QString& delimiter, const QString& quote);

// Appends `text` in the code page to `out`; returns how many characters the code page could not
// hold (each written as '?').
int AppendEncoded(QByteArray& out, const CodePage& codePage, const QString& text);

// The completion text of a finished export: the path, CR LF, "に出力しました。", "（中断）" when
// the user stopped it, and how many characters were replaced when any were.
QString ExportDoneText(const QString& path, bool stopped, qint64 replaced);

}  // namespace varkel
