// The import's reading of a file: its lines put back together give the bytes again, its fields
// joined give the line again (and read in place give the same values), each field becomes the value
// its rule says, a statement said to be sendable is one statement as a server reads it, and a line
// written as the export writes it (each text in quotes, a quote inside doubled) gives one literal
// per text holding exactly that text, whatever it holds, for either quote and either reading of
// backslashes.
#include "exchange/import_text.h"
#include "fuzz_check.h"
#include "store/code_page.h"

using namespace varkel;

namespace {

const QString kDelimiters[] = {QStringLiteral(","), QStringLiteral("|"), QStringLiteral("\t"),
                               QStringLiteral(";"), QStringLiteral("::")};
const QString kHead = QStringLiteral("INSERT INTO T");

struct SqlValue {
    bool literal = false;  // in apostrophes; else bare
    QString text;          // a literal's text with '' read as '
};

// The values of a statement's VALUES list, read as the server reads them: a literal runs to the
// apostrophe that is not doubled (nor, where backslashes escape, after a backslash), a bare value
// to the next comma. False unless the list is whole and ends the statement with ")".
bool ReadValues(QStringView sql, QList<SqlValue>& values, bool backslashEscapes = false) {
    qsizetype at = 0;
    const qsizetype size = sql.size();
    while (true) {
        SqlValue value;
        if (at < size && sql[at] == u'\'') {
            value.literal = true;
            for (++at;; ++at) {
                if (at >= size) return false;
                if (backslashEscapes && sql[at] == u'\\') {
                    if (++at >= size) return false;
                    value.text += sql[at];
                } else if (sql[at] != u'\'') {
                    value.text += sql[at];
                } else if (at + 1 < size && sql[at + 1] == u'\'') {
                    value.text += u'\'';
                    ++at;
                } else {
                    ++at;
                    break;
                }
            }
        } else {
            while (at < size && sql[at] != u',' && !(at == size - 1 && sql[at] == u')'))
                value.text += sql[at++];
        }
        values.append(value);
        if (at == size - 1 && sql[at] == u')') return true;
        if (at >= size || sql[at] != u',') return false;
        ++at;
    }
}

// Whether a server could read a second statement or a comment in `sql`: outside its quotes
// (', " and `, a doubled quote inside one, a backslash escaping where backslashes escape) a
// statement separator, a comment, a dollar quote ($$ or $tag$), or a quote left open.
bool CouldRunMore(QStringView sql, bool backslashEscapes) {
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"' || c == u'`') {
            for (++i;; ++i) {
                if (i >= sql.size()) return true;
                if (backslashEscapes && c != u'`' && sql[i] == u'\\') {
                    ++i;
                    continue;
                }
                if (sql[i] != c) continue;
                if (i + 1 < sql.size() && sql[i + 1] == c)
                    ++i;
                else
                    break;
            }
            continue;
        }
        const QStringView rest = sql.sliced(i);
        if (c == u';' || c == u'#' || rest.startsWith(u"--") || rest.startsWith(u"/*")) return true;
        if (c == u'$') {  // $$ or $tag$ opens a dollar quote
            qsizetype j = i + 1;
            while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == u'_'))
                ++j;
            if (j < sql.size() && sql[j] == u'$') return true;
        }
    }
    return false;
}

QString WithoutNul(QString text) {
    return text.remove(QChar(u'\0'));
}

QString TrimBlanks(const QString& text, bool front, bool back) {
    qsizetype from = 0, to = text.size();
    while (front && from < to && text[from] == u' ')
        ++from;
    while (back && to > from && text[to - 1] == u' ')
        --to;
    return text.sliced(from, to - from);
}

// The lines walked again with the line ends the rule gives: nothing lost, nothing added.
void CheckLines(QByteArrayView bytes) {
    const QList<QByteArray> lines = SplitImportLines(bytes);
    FUZZ_CHECK(CountImportLines(bytes) == lines.size());
    const QByteArrayView body =
        bytes.startsWith(QByteArrayView("\xEF\xBB\xBF")) ? bytes.sliced(3) : bytes;
    // The first line end decides which line ends the file has.
    const qsizetype cr = body.indexOf('\r'), lf = body.indexOf('\n');
    const bool lfOnly = cr < 0 || (lf >= 0 && lf < cr);
    FUZZ_CHECK(ImportLines(bytes).lfOnly() == lfOnly);
    qsizetype at = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        // A line never holds its own line end: CR in a file with CR, LF in one without.
        FUZZ_CHECK(!line.contains(lfOnly ? '\n' : '\r'));
        FUZZ_CHECK(body.sliced(at).startsWith(line));
        at += line.size();
        if (at == body.size()) {
            FUZZ_CHECK(i == lines.size() - 1);
            break;
        }
        FUZZ_CHECK(body[at] == (lfOnly ? '\n' : '\r'));
        ++at;
        if (!lfOnly && at < body.size() && body[at] == '\n') ++at;
    }
    FUZZ_CHECK(at == body.size());
    // With one kind of line end throughout, the lines joined by it are the bytes, less a final
    // line end.
    if (lfOnly || !body.contains('\n')) {
        const QByteArray joined = lines.join(lfOnly ? '\n' : '\r');
        FUZZ_CHECK(joined == body || joined + (lfOnly ? '\n' : '\r') == body);
    } else if (body.count("\r\n") == body.count('\r') && body.count("\r\n") == body.count('\n')) {
        const QByteArray joined = lines.join(QByteArrayView("\r\n"));
        FUZZ_CHECK(joined == body || joined + "\r\n" == body);
    }
}

// One field as its value: NULL when blank, a literal of the same text when it begins or ends
// with a double quote (each such end an apostrophe, each apostrophe inside doubled), else the
// field itself.
void CheckValue(const QString& field) {
    const QString clean = TrimBlanks(WithoutNul(field), true, true);
    const QString value = ToSqlValue(field);
    if (clean.isEmpty()) {
        FUZZ_CHECK(value == QStringLiteral("NULL"));
        return;
    }
    // Enclosed in one kind of quote with every quote inside doubled: a literal of the text.
    for (const QChar quote : {u'"', u'\''}) {
        if (clean.size() < 2 || clean.front() != quote || clean.back() != quote) continue;
        QString inner = clean.sliced(1, clean.size() - 2);
        const QString twice(2, quote);
        if (QString(inner).remove(twice).contains(quote)) continue;
        QList<SqlValue> read;
        FUZZ_CHECK(ReadValues(QString(value + u')'), read) && read.size() == 1);
        FUZZ_CHECK(read[0].literal && read[0].text == inner.replace(twice, quote));
        return;
    }
    const bool opens = clean.front() == u'"', closes = clean.back() == u'"';
    if (!opens && !closes) {
        FUZZ_CHECK(value == clean);
        return;
    }
    FUZZ_CHECK(value.size() == clean.size() + clean.count(u'\''));
    FUZZ_CHECK(!opens || value.front() == u'\'');
    FUZZ_CHECK(!closes || value.back() == u'\'');
    QString back = value;
    if (opens) back.front() = u'"';
    if (closes) back.back() = u'"';
    FUZZ_CHECK(back.replace(QStringLiteral("''"), QStringLiteral("'")) == clean);
}

// A line written as the export writes it, every text in `quote` with each one inside doubled
// (a number bare), gives one value per field: each text one literal of exactly itself (less its
// NULs), also when it holds the delimiter, quotes, apostrophes or backslashes.
void CheckQuotedLine(const QStringList& texts, const QString& delimiter, QChar quote,
                     ImportSqlRules::Backslash backslash) {
    QStringList fields;
    for (const QString& text : texts) {
        if (text.startsWith(u'#')) {
            QString digits;
            for (QChar c : text)
                if (c >= u'0' && c <= u'9') digits += c;
            fields << digits;
        } else {
            fields << quote + QString(text).replace(quote, QString(2, quote)) + quote;
        }
    }
    ImportSqlRules rules;
    rules.backslash = backslash;
    bool sendable = false;
    const QString sql = InsertStatement(kHead, SplitImportFields(fields.join(delimiter), delimiter),
                                        rules, &sendable);
    const bool escapes = backslash == ImportSqlRules::Backslash::Escape;
    FUZZ_CHECK(sendable || backslash == ImportSqlRules::Backslash::Unknown);
    FUZZ_CHECK(!sendable || !CouldRunMore(sql, escapes));
    const QString start = kHead + QStringLiteral(" VALUES(");
    FUZZ_CHECK(sql.startsWith(start));
    QList<SqlValue> read;
    FUZZ_CHECK(ReadValues(QStringView(sql).sliced(start.size()), read, escapes));
    FUZZ_CHECK(read.size() == texts.size());
    for (qsizetype k = 0; k < texts.size(); ++k) {
        if (!fields[k].startsWith(quote)) {
            FUZZ_CHECK(!read[k].literal);
            FUZZ_CHECK(read[k].text == (fields[k].isEmpty() ? QStringLiteral("NULL") : fields[k]));
            continue;
        }
        FUZZ_CHECK(read[k].literal);
        FUZZ_CHECK(read[k].text == WithoutNul(texts[k]));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the delimiter and the code page; the rest is the file.
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArrayView file = bytes.sliced(1);
    CheckLines(file);

    static const CodePage cp932("CP932");
    const QString& delimiter = kDelimiters[data[0] % std::size(kDelimiters)];
    const bool shiftJis = data[0] & 0x80;
    for (const QByteArray& line : SplitImportLines(file)) {
        const QString text = shiftJis ? cp932.decode(line) : FuzzText(line);
        const QStringList fields = SplitImportFields(text, delimiter);
        FUZZ_CHECK(fields.join(delimiter) == text);
        for (const QString& field : fields)
            CheckValue(field);
        FUZZ_CHECK(ImportRecordOpen(text, delimiter) ==
                   (ImportRecordOpen(text + delimiter + u'1', delimiter)));
        for (const auto backslash :
             {ImportSqlRules::Backslash::Plain, ImportSqlRules::Backslash::Escape}) {
            ImportSqlRules rules;
            rules.backslash = backslash;
            bool sendable = false;
            const QString sql = InsertStatement(kHead, fields, rules, &sendable);
            // The import's own reading of the line gives the same values.
            bool lineSendable = !sendable;
            FUZZ_CHECK(kHead + QStringLiteral(" VALUES") +
                           LineInsertValues(text, delimiter, rules, &lineSendable) ==
                       sql);
            FUZZ_CHECK(lineSendable == sendable);
            FUZZ_CHECK(sql.startsWith(kHead + QStringLiteral(" VALUES(")) && sql.endsWith(u')'));
            // Whatever the line holds, what is sent is one statement.
            FUZZ_CHECK(!sendable ||
                       !CouldRunMore(sql, backslash == ImportSqlRules::Backslash::Escape));
        }
    }

    // The same text as the values of one line, written with either quote.
    const QStringList texts = FuzzText(file).split(u'\n');
    const auto backslash = static_cast<ImportSqlRules::Backslash>((data[0] >> 3) % 3);
    CheckQuotedLine(texts, delimiter, u'"', backslash);
    CheckQuotedLine(texts, delimiter, u'\'', backslash);
    return 0;
}
