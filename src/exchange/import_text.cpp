#include "exchange/import_text.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace varkel {

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

}  // namespace

ImportLines::ImportLines(QByteArrayView bytes) : bytes_(bytes) {
    if (bytes_.startsWith(QByteArrayView(kBom, 3))) pos_ = 3;
    // The first line end decides, so a stray CR inside a value of an LF file stays in its line.
    const auto end = std::find_if(bytes_.begin() + pos_, bytes_.end(),
                                  [](char c) { return c == '\r' || c == '\n'; });
    lfOnly_ = end == bytes_.end() || *end == '\n';
}

bool ImportLines::next(QByteArrayView& line) {
    const qsizetype size = bytes_.size();
    if (pos_ >= size) return false;
    const char* data = bytes_.data();
    const char wanted = lfOnly_ ? '\n' : '\r';
    const void* found = std::memchr(data + pos_, wanted, static_cast<size_t>(size - pos_));
    if (!found) {
        line = bytes_.sliced(pos_);
        pos_ = size;
        return true;
    }
    const qsizetype end = static_cast<const char*>(found) - data;
    line = bytes_.sliced(pos_, end - pos_);
    pos_ = end + 1;
    if (!lfOnly_ && pos_ < size && data[pos_] == '\n') ++pos_;
    return true;
}

QList<QByteArray> SplitImportLines(QByteArrayView bytes) {
    QList<QByteArray> lines;
    ImportLines reader(bytes);
    QByteArrayView line;
    while (reader.next(line))
        lines.append(line.toByteArray());
    return lines;
}

qsizetype CountImportLines(QByteArrayView bytes) {
    qsizetype count = 0;
    ImportLines reader(bytes);
    QByteArrayView line;
    while (reader.next(line))
        ++count;
    return count;
}

QStringList SplitImportFields(const QString& line, const QString& delimiter) {
    return line.split(delimiter, Qt::KeepEmptyParts);
}

namespace {

// NULs removed, then blanks trimmed: how every field is read before it becomes a value.
QString CleanField(QString field) {
    field.remove(QChar(u'\0'));
    qsizetype from = 0, to = field.size();
    while (from < to && field[from] == u' ')
        ++from;
    while (to > from && field[to - 1] == u' ')
        --to;
    return field.sliced(from, to - from);
}

QString ValueOfClean(QString field) {
    if (field.isEmpty()) return QStringLiteral("NULL");
    if (!field.startsWith(u'"') && !field.endsWith(u'"')) return field;
    field.replace(u'\'', QStringLiteral("''"));
    if (field.front() == u'"') field.front() = u'\'';
    if (field.back() == u'"') field.back() = u'\'';
    return field;
}

// A quoted field that held the delimiter arrives in pieces; the first one opened the literal.
// Every later piece is text of that literal up to the one ending in a double quote, which closes
// it: their apostrophes are doubled too, so nothing in the field can end the literal early.
QString ContinuedValue(QString piece, bool& open) {
    open = !piece.endsWith(u'"');
    if (!open) piece.chop(1);
    piece.replace(u'\'', QStringLiteral("''"));
    if (!open) piece += u'\'';
    return piece;
}

}  // namespace

QString ToSqlValue(QString field) {
    return ValueOfClean(CleanField(std::move(field)));
}

QString DelimiterOf(const QString& item) {
    const QString text = item.trimmed();
    return text == QStringLiteral("TAB") ? QStringLiteral("\t") : text;
}

QString ImportTableName(const QString& typed) {
    // A name holding a double quote was quoted by the user, wholly or in parts (owner."A B").
    const QString name = typed.trimmed();
    if (!name.contains(u' ') || name.contains(u'"')) return name;
    return u'"' + name + u'"';
}

QString HeaderColumnList(const QString& header, const QString& delimiter) {
    QString columns = header;
    columns.replace(delimiter, QStringLiteral(","));
    return u'(' + columns + u')';
}

QString InsertStatement(const QString& head, const QStringList& fields) {
    QString sql;
    sql.reserve(head.size() + 16 + fields.size() * 12);
    sql += head;
    sql += QStringLiteral(" VALUES(");
    bool open = false;  // inside a quoted field that held the delimiter
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) sql += u',';
        QString field = CleanField(fields[i]);
        if (open) {
            sql += ContinuedValue(std::move(field), open);
            continue;
        }
        open = field.startsWith(u'"') && (field.size() == 1 || !field.endsWith(u'"'));
        sql += ValueOfClean(std::move(field));
    }
    sql += u')';
    return sql;
}

}  // namespace varkel
