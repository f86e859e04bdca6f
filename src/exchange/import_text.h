#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

// How a delimited file is read for the import: its lines, its fields and the SQL value of each
// field. Plain functions on bytes and strings; the import window calls them.
namespace varkel {

// Walks the lines of a file's bytes. The first line end decides: where it is a CR (alone or
// before LF) a line ends at CR LF or at a lone CR and a lone LF stays inside the line; where it
// is an LF (a file written on Linux) a line ends at LF and a stray CR stays inside the line. A
// UTF-8 byte order mark at the start is not part of the first line. Only bytes are looked at: CR
// and LF are never part of a double-byte character of the code pages read.
class ImportLines {
  public:
    explicit ImportLines(QByteArrayView bytes);
    // The next line without its line end; false at the end of the bytes.
    bool next(QByteArrayView& line);
    bool lfOnly() const { return lfOnly_; }
    // The line end after the line `next` gave last: CR LF, CR, LF, or nothing at the end.
    QByteArrayView lineEnd() const { return lineEnd_; }

  private:
    QByteArrayView bytes_;
    qsizetype pos_ = 0;
    bool lfOnly_ = false;
    QByteArrayView lineEnd_;
};

QList<QByteArray> SplitImportLines(QByteArrayView bytes);
qsizetype CountImportLines(QByteArrayView bytes);

// How the connected server reads what the import writes: the identifier quote of the header's
// column names (empty: the names go in as written) and whether a backslash inside a literal is an
// escape character (unknown: a value holding one is not sent).
struct ImportSqlRules {
    enum class Backslash { Plain, Escape, Unknown };
    QString identifierQuote = QStringLiteral("\"");
    Backslash backslash = Backslash::Plain;
};

// The fields of a decoded line as written, joined by the delimiter they give the line again. A
// field that begins (after blanks) with a double quote or an apostrophe runs to its closing
// quote, a doubled quote being one quote of the text, so the delimiter inside it does not split
// it; any other field runs to the next delimiter.
QStringList SplitImportFields(const QString& line, const QString& delimiter);

// Whether a quoted field is still open at the end of the line: the record goes on after the line
// end (a value holding a line break).
bool ImportRecordOpen(const QString& line, const QString& delimiter);

// One field as an SQL value: NULs removed, blanks trimmed; empty gives NULL; a field enclosed in
// double quotes or apostrophes (a doubled quote inside read as one) becomes a literal of exactly
// its text; any other field beginning or ending with a double quote becomes an apostrophe literal
// (each end an apostrophe, apostrophes doubled); anything else goes in as written.
QString ToSqlValue(QString field, const ImportSqlRules& rules = {});

// Whether bare SQL text is one piece of a single statement: every quote it opens it closes, no
// backslash inside its quotes (whose meaning differs between servers), and outside them no
// statement separator, no comment (--, /*, #) and no dollar quote.
bool StaysOneStatement(QStringView sql);

// The delimiter an item of the delimiter list stands for: the item without blanks, "TAB" a tab.
QString DelimiterOf(const QString& item);

// The target of the INSERT statements: the typed name trimmed, put in double quotes when it
// holds a blank and no double quote (a name the user quoted stays as typed).
QString ImportTableName(const QString& typed);

// "(" + the names of the header line joined by commas + ")": a name in double quotes or
// apostrophes is put in the identifier quote, any other goes in as written. `sendable` (when
// given) is false when a name would end the statement or open a comment.
QString HeaderColumnList(const QString& header, const QString& delimiter,
                         const ImportSqlRules& rules = {}, bool* sendable = nullptr);

// head + " VALUES(" + the SQL values of the fields joined by "," + ")". `sendable` (when given)
// is false when the line must not be sent: a bare value is not StaysOneStatement, or a literal
// holds a backslash while the server's reading of it is unknown.
QString InsertStatement(const QString& head, const QStringList& fields,
                        const ImportSqlRules& rules = {}, bool* sendable = nullptr);
// "(" + the SQL values of the fields joined by "," + ")": one row of an INSERT, whose statement
// is head + " VALUES" + one or more of them joined by ",". `sendable` as for InsertStatement.
QString InsertValues(const QStringList& fields, const ImportSqlRules& rules = {},
                     bool* sendable = nullptr);
// InsertValues(SplitImportFields(line, delimiter), rules, sendable), without a string per field.
QString LineInsertValues(QStringView line, QStringView delimiter, const ImportSqlRules& rules = {},
                         bool* sendable = nullptr);

// The message of a line that is not sent, naming its line in the file (counted from 1).
QString RefusedLineText(qint64 line);
// The message of a header that cannot name the columns; nothing is sent.
QString RefusedHeaderText();

}  // namespace varkel
