#include "exchange/import_text.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include <QVarLengthArray>

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
        lineEnd_ = {};
        return true;
    }
    const qsizetype end = static_cast<const char*>(found) - data;
    line = bytes_.sliced(pos_, end - pos_);
    pos_ = end + 1;
    if (!lfOnly_ && pos_ < size && data[pos_] == '\n') ++pos_;
    lineEnd_ = bytes_.sliced(end, pos_ - end);
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

namespace {

bool IsQuote(QChar c) {
    return c == u'"' || c == u'\'';
}

// Where the field that starts at `from` ends: at the next delimiter after its closing quote (a
// quoted field) or after `from`. `open` tells whether a quote was left open at the line's end.
qsizetype FieldEnd(QStringView line, qsizetype from, QStringView delimiter, bool& open) {
    open = false;
    const qsizetype size = line.size();
    qsizetype at = from;
    while (at < size && (line[at] == u' ' || line[at] == QChar(u'\0')))
        ++at;
    if (at < size && IsQuote(line[at])) {
        const QChar quote = line[at];
        for (++at;; at += 2) {
            at = line.indexOf(quote, at);
            if (at < 0) {
                open = true;
                return size;
            }
            if (at + 1 >= size || line[at + 1] != quote) break;
        }
        ++at;
    }
    const qsizetype next = line.indexOf(delimiter, at);
    return next < 0 ? size : next;
}

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

// The text of a field enclosed in one kind of quote, each doubled quote inside read as one;
// false when the field is not written that way.
bool QuotedText(const QString& field, QString& text) {
    if (field.size() < 2 || !IsQuote(field.front()) || field.back() != field.front()) return false;
    const QChar quote = field.front();
    text.clear();
    const qsizetype last = field.size() - 1;
    for (qsizetype i = 1; i < last; ++i) {
        if (field[i] == quote) {
            if (i + 1 >= last || field[i + 1] != quote) return false;
            ++i;
        }
        text += field[i];
    }
    return true;
}

// `text` appended as the inside of an apostrophe literal: each apostrophe doubled, and each
// backslash too where the server reads it as an escape. Runs without either go in whole.
void AppendLiteralText(QString& out, QStringView text, const ImportSqlRules& rules) {
    const bool escapes = rules.backslash == ImportSqlRules::Backslash::Escape;
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\'' && !(escapes && c == u'\\')) continue;
        out += text.sliced(from, i + 1 - from);
        out += c;
        from = i + 1;
    }
    out += text.sliced(from);
}

// One field's value appended to `out` (the import's innermost loop: no string of its own per
// field). The rule: NULs removed and blanks trimmed; empty is NULL; a field enclosed in one kind
// of quote, each quote inside doubled, is a literal of its text; one beginning or ending with a
// double quote is made a literal by its ends; anything else is SQL as written.
void AppendValue(QString& out, QStringView field, const ImportSqlRules& rules, bool& sendable) {
    QString withoutNul;
    if (field.contains(QChar(u'\0'))) {
        withoutNul = field.toString().remove(QChar(u'\0'));
        field = withoutNul;
    }
    qsizetype from = 0, to = field.size();
    while (from < to && field[from] == u' ')
        ++from;
    while (to > from && field[to - 1] == u' ')
        --to;
    const QStringView clean = field.sliced(from, to - from);
    if (clean.isEmpty()) {
        out += QStringLiteral("NULL");
        return;
    }
    const qsizetype last = clean.size() - 1;
    if (clean.size() >= 2 && IsQuote(clean.front()) && clean.back() == clean.front()) {
        const QChar quote = clean.front();
        bool enclosed = true;
        for (qsizetype i = 1; i < last && enclosed; ++i) {
            if (clean[i] != quote) continue;
            enclosed = i + 1 < last && clean[i + 1] == quote;
            ++i;
        }
        if (enclosed) {
            const QStringView inner = clean.sliced(1, last - 1);
            if (rules.backslash == ImportSqlRules::Backslash::Unknown && inner.contains(u'\\'))
                sendable = false;
            out += u'\'';
            // Each doubled quote of the field is one quote of the text.
            qsizetype at = 0;
            for (qsizetype i = inner.indexOf(quote); i >= 0; i = inner.indexOf(quote, at)) {
                AppendLiteralText(out, inner.sliced(at, i + 1 - at), rules);
                at = i + 2;
            }
            AppendLiteralText(out, inner.sliced(at), rules);
            out += u'\'';
            return;
        }
    }
    const qsizetype start = out.size();
    if (clean.front() != u'"' && clean.back() != u'"') {
        out += clean;
    } else {
        qsizetype at = 0;
        for (qsizetype i = clean.indexOf(u'\''); i >= 0; i = clean.indexOf(u'\'', at)) {
            out += clean.sliced(at, i + 1 - at);
            out += u'\'';
            at = i + 1;
        }
        out += clean.sliced(at);
        if (clean.front() == u'"') out[start] = u'\'';
        if (clean.back() == u'"') out.back() = u'\'';
    }
    if (!StaysOneStatement(QStringView(out).sliced(start))) sendable = false;
}

// The values of `fields` (each a QString or a QStringView) as "(v1,v2,…)".
template <typename Fields>
QString ValuesOf(const Fields& fields, qsizetype chars, const ImportSqlRules& rules,
                 bool* sendable) {
    bool ok = true;
    QString values;
    values.reserve(2 + chars + chars / 4 + fields.size() * 2);
    values += u'(';
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) values += u',';
        AppendValue(values, fields[i], rules, ok);
    }
    values += u')';
    if (sendable) *sendable = ok;
    return values;
}

}  // namespace

QStringList SplitImportFields(const QString& line, const QString& delimiter) {
    if (delimiter.isEmpty()) return {line};
    QStringList fields;
    qsizetype from = 0;
    bool open = false;
    while (true) {
        const qsizetype end = FieldEnd(line, from, delimiter, open);
        fields.append(line.sliced(from, end - from));
        if (end >= line.size()) return fields;
        from = end + delimiter.size();
    }
}

bool ImportRecordOpen(const QString& line, const QString& delimiter) {
    if (delimiter.isEmpty()) return false;
    qsizetype from = 0;
    bool open = false;
    while (true) {
        const qsizetype end = FieldEnd(line, from, delimiter, open);
        if (end >= line.size()) return open;
        from = end + delimiter.size();
    }
}

QString ToSqlValue(QString field, const ImportSqlRules& rules) {
    bool sendable = true;
    QString value;
    AppendValue(value, field, rules, sendable);
    return value;
}

bool StaysOneStatement(QStringView sql) {
    const qsizetype size = sql.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = sql[i];
        const QChar next = i + 1 < size ? sql[i + 1] : QChar();
        if (c == u'\'' || c == u'"' || c == u'`') {
            for (++i;; ++i) {
                if (i >= size || sql[i] == u'\\') return false;
                if (sql[i] != c) continue;
                if (i + 1 < size && sql[i + 1] == c)
                    ++i;
                else
                    break;
            }
            continue;
        }
        if (c == u';' || c == u'#' || (c == u'-' && next == u'-') || (c == u'/' && next == u'*'))
            return false;
        if (c == u'$') {  // a dollar quote: $$ or $tag$
            qsizetype j = i + 1;
            while (j < size && (sql[j].isLetterOrNumber() || sql[j] == u'_'))
                ++j;
            if (j < size && sql[j] == u'$') return false;
        }
    }
    return true;
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

QString HeaderColumnList(const QString& header, const QString& delimiter,
                         const ImportSqlRules& rules, bool* sendable) {
    bool ok = true;
    QStringList names;
    const QString& quote = rules.identifierQuote;
    for (const QString& field : SplitImportFields(header, delimiter)) {
        QString name;
        if (!quote.isEmpty() && QuotedText(CleanField(field), name)) {
            names << quote + name.replace(quote, quote + quote) + quote;
            continue;
        }
        if (!StaysOneStatement(field)) ok = false;
        names << field;
    }
    if (sendable) *sendable = ok;
    return u'(' + names.join(u',') + u')';
}

QString InsertValues(const QStringList& fields, const ImportSqlRules& rules, bool* sendable) {
    qsizetype chars = 0;
    for (const QString& field : fields)
        chars += field.size();
    return ValuesOf(fields, chars, rules, sendable);
}

QString LineInsertValues(QStringView line, QStringView delimiter, const ImportSqlRules& rules,
                         bool* sendable) {
    // The fields as views of the line: SplitImportFields without a string per field.
    QVarLengthArray<QStringView, 32> fields;
    if (delimiter.isEmpty()) {
        fields.append(line);
    } else {
        qsizetype from = 0;
        bool open = false;
        while (true) {
            const qsizetype end = FieldEnd(line, from, delimiter, open);
            fields.append(line.sliced(from, end - from));
            if (end >= line.size()) break;
            from = end + delimiter.size();
        }
    }
    return ValuesOf(fields, line.size(), rules, sendable);
}

QString InsertStatement(const QString& head, const QStringList& fields, const ImportSqlRules& rules,
                        bool* sendable) {
    return head + QStringLiteral(" VALUES") + InsertValues(fields, rules, sendable);
}

QString RefusedLineText(qint64 line) {
    return QStringLiteral(
               "%1行目は送信しませんでした。1行から送る文は1つだけです。引用符の外の"
               "「;」「--」「/*」「#」、閉じていない引用符、またはデータベースの扱いが"
               "分からない「\\」があります。")
        .arg(line);
}

QString RefusedHeaderText() {
    return QStringLiteral(
        "1行目（ヘッダー）は列名として使用できません。引用符の外に「;」「--」"
        "「/*」「#」、または閉じていない引用符があります。");
}

}  // namespace varkel
