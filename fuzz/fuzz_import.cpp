// The import's reading of a file: its lines put back together give the bytes again, its fields
// joined give the line again, each field becomes the value its rule says, and in the statement of
// a line of quoted fields each field is one literal holding the field's text, whatever it holds.
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
// apostrophe that is not doubled, a bare value to the next comma. False unless the list is whole
// and ends the statement with ")".
bool ReadValues(QStringView sql, QList<SqlValue>& values) {
    qsizetype at = 0;
    const qsizetype size = sql.size();
    while (true) {
        SqlValue value;
        if (at < size && sql[at] == u'\'') {
            value.literal = true;
            for (++at;; ++at) {
                if (at >= size) return false;
                if (sql[at] != u'\'') {
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
    if (opens && closes && clean.size() > 1) {
        QList<SqlValue> read;
        FUZZ_CHECK(ReadValues(QString(value + u')'), read) && read.size() == 1);
        FUZZ_CHECK(read[0].literal && read[0].text == clean.sliced(1, clean.size() - 2));
    }
}

// A line written with every text in double quotes (a number bare) gives one value per field,
// each quoted text one literal of its own text even when it holds the delimiter or apostrophes.
// The delimiter's pieces are trimmed as fields are, and join again with commas.
void CheckQuotedLine(const QStringList& texts, const QString& delimiter) {
    QStringList fields;
    for (const QString& text : texts) {
        if (text.startsWith(u'#')) {
            QString digits;
            for (QChar c : text)
                if (c >= u'0' && c <= u'9') digits += c;
            fields << digits;
        } else {
            fields << u'"' + text + u'"';
        }
    }
    const QString sql =
        InsertStatement(kHead, SplitImportFields(fields.join(delimiter), delimiter));
    const QString start = kHead + QStringLiteral(" VALUES(");
    FUZZ_CHECK(sql.startsWith(start));
    QList<SqlValue> read;
    FUZZ_CHECK(ReadValues(QStringView(sql).sliced(start.size()), read));
    FUZZ_CHECK(read.size() == texts.size());
    for (qsizetype k = 0; k < texts.size(); ++k) {
        if (!fields[k].startsWith(u'"')) {
            FUZZ_CHECK(!read[k].literal);
            FUZZ_CHECK(read[k].text == (fields[k].isEmpty() ? QStringLiteral("NULL") : fields[k]));
            continue;
        }
        const QStringList pieces = WithoutNul(texts[k]).split(delimiter);
        QStringList expected;
        for (qsizetype p = 0; p < pieces.size(); ++p)
            expected << TrimBlanks(pieces[p], p > 0, p < pieces.size() - 1);
        FUZZ_CHECK(read[k].literal);
        FUZZ_CHECK(read[k].text == expected.join(u','));
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
        const QString sql = InsertStatement(kHead, fields);
        FUZZ_CHECK(sql.startsWith(kHead + QStringLiteral(" VALUES(")) && sql.endsWith(u')'));
    }

    // The same text as the values of one line, each without double quotes, so that a field
    // ends only where the line says.
    QString values = FuzzText(file);
    values.remove(u'"');
    CheckQuotedLine(values.split(u'\n'), delimiter);
    return 0;
}
