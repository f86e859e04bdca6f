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

  private:
    QByteArrayView bytes_;
    qsizetype pos_ = 0;
    bool lfOnly_ = false;
};

QList<QByteArray> SplitImportLines(QByteArrayView bytes);
qsizetype CountImportLines(QByteArrayView bytes);

// The fields of a decoded line, split at every delimiter with no regard to quotes.
QStringList SplitImportFields(const QString& line, const QString& delimiter);

// One field as an SQL value: NULs removed, blanks trimmed; empty gives NULL; a field beginning
// or ending with a double quote becomes an apostrophe literal; anything else goes in as written.
QString ToSqlValue(QString field);

// The delimiter an item of the delimiter list stands for: the item without blanks, "TAB" a tab.
QString DelimiterOf(const QString& item);

// The target of the INSERT statements: the typed name trimmed, put in double quotes when it
// holds a blank and no double quote (a name the user quoted stays as typed).
QString ImportTableName(const QString& typed);

// "(" + the header line with every delimiter turned into a comma + ")", the header otherwise
// unchanged.
QString HeaderColumnList(const QString& header, const QString& delimiter);

// head + " VALUES(" + the SQL values of the fields joined by "," + ")". A quoted field that the
// delimiter split stays one literal: the pieces after its first are its text (trimmed, apostrophes
// doubled) up to the piece that ends in a double quote.
QString InsertStatement(const QString& head, const QStringList& fields);

}  // namespace varkel
