// The export line: a line of fields splits back into the same fields at their quotes (a doubled
// quote one of the text), numbers stay bare, a line end shows inside a line only where a field
// held one, a line written with either quote reads back through the import as literals of the
// same texts, and the count of replaced characters is 0 exactly when the encoded text reads back
// as itself.
#include <cstring>

#include "exchange/export_format.h"
#include "exchange/import_text.h"
#include "fuzz_check.h"
#include "store/code_page.h"

using namespace varkel;

namespace {

const QString kDelimiters[] = {QStringLiteral(" ,"), QStringLiteral(" |"), QStringLiteral("TAB"),
                               QStringLiteral(";")};
const QString kQuotes[] = {QStringLiteral(" \""), QStringLiteral(" '"), QStringLiteral("(なし)")};

// The fields of a line body read back: a field that begins with the quote runs to the quote that
// is not doubled, any other to the next delimiter. Empty when the body does not read that way.
std::optional<QStringList> SplitBack(const QString& body, const QString& delimiter,
                                     const QString& quote) {
    QStringList fields;
    qsizetype at = 0;
    while (true) {
        qsizetype end;
        if (!quote.isEmpty() && QStringView(body).sliced(at).startsWith(quote)) {
            QString text;
            qsizetype from = at + quote.size();
            while (true) {
                const qsizetype close = body.indexOf(quote, from);
                if (close < 0) return std::nullopt;
                text += body.sliced(from, close - from);
                from = close + quote.size();
                if (!QStringView(body).sliced(from).startsWith(quote)) break;
                text += quote;
                from += quote.size();
            }
            fields << text;
            end = from;
        } else {
            const qsizetype next = body.indexOf(delimiter, at);
            end = next < 0 ? body.size() : next;
            fields << body.sliced(at, end - at);
        }
        if (end == body.size()) return fields;
        if (!QStringView(body).sliced(end).startsWith(delimiter)) return std::nullopt;
        at = end + delimiter.size();
    }
}

void CheckLine(const QStringList& fields, const std::vector<bool>& numeric,
               const QString& delimiter, const QString& quote) {
    const QString before = QStringLiteral("earlier line\r\n");
    QString out = before;
    AppendExportLine(out, fields, numeric, delimiter, quote);
    FUZZ_CHECK(out.startsWith(before) && out.endsWith(QStringLiteral("\r\n")));
    const QString line = out.sliced(before.size());
    const QString body = line.chopped(2);
    const auto isNumeric = [&](qsizetype k) {
        return static_cast<size_t>(k) < numeric.size() && numeric[static_cast<size_t>(k)];
    };

    // One line end, the line's own, besides those the fields held.
    qsizetype held = 0;
    for (const QString& field : fields)
        held += field.count(QStringLiteral("\r\n"));
    FUZZ_CHECK(line.count(QStringLiteral("\r\n")) == held + 1);

    if (fields.isEmpty()) {
        FUZZ_CHECK(body.isEmpty());
        return;
    }
    // A line splits back wherever no number holds the delimiter or begins with the quote (and,
    // without a quote, no text holds the delimiter).
    bool readable = true;
    for (qsizetype k = 0; k < fields.size(); ++k) {
        const QString& field = fields[k];
        if (isNumeric(k) || quote.isEmpty())
            readable = readable && !field.contains(delimiter) &&
                       (quote.isEmpty() || !field.startsWith(quote));
    }
    if (!readable) return;
    const std::optional<QStringList> back = SplitBack(body, delimiter, quote);
    FUZZ_CHECK(back && back->size() == fields.size());
    FUZZ_CHECK(*back == fields);

    // Written with a quote, each text reads back through the import as a literal of itself (less
    // its NULs), and each number that holds no quote as itself.
    if (quote.isEmpty()) return;
    for (qsizetype k = 0; k < fields.size(); ++k)
        if (isNumeric(k) && (fields[k].contains(u'"') || fields[k].contains(u'\'') ||
                             fields[k].contains(QChar(u'\0'))))
            return;
    const QStringList imported = SplitImportFields(body, delimiter);
    FUZZ_CHECK(imported.size() == fields.size());
    for (qsizetype k = 0; k < fields.size(); ++k) {
        if (isNumeric(k)) {
            FUZZ_CHECK(imported[k] == fields[k]);
            continue;
        }
        QString text = fields[k];
        text.remove(QChar(u'\0'));
        FUZZ_CHECK(ToSqlValue(imported[k]) ==
                   u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\'');
    }
}

// The names of the header in double quotes (one inside doubled), whatever the quote chosen.
void CheckHeader(const QStringList& names, const QString& delimiter) {
    const QString line = ExportHeaderLine(names, delimiter);
    FUZZ_CHECK(line.endsWith(QStringLiteral("\r\n")));
    if (names.isEmpty()) return;
    const std::optional<QStringList> back =
        SplitBack(line.chopped(2), delimiter, QStringLiteral("\""));
    FUZZ_CHECK(back && *back == names);
}

// The count is the number of characters the code page cannot hold, each written as '?'.
void CheckEncoded(const CodePage& page, const QString& text) {
    QByteArray out("<");
    const int replaced = AppendEncoded(out, page, text);
    FUZZ_CHECK(out.startsWith('<'));
    const QString back = page.decode(out.sliced(1));
    FUZZ_CHECK((replaced == 0) == (back == text));
    int unheld = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2
                                                                                             : 1;
        bool exact = false;
        page.encode(text.mid(i, n), &exact);
        if (!exact) ++unheld;
        i += n;
    }
    FUZZ_CHECK(replaced == unheld);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static const CodePage cp932("CP932");
    static const CodePage utf8("UTF-8");
    const QString delimiter = DelimiterOf(kDelimiters[data[0] % std::size(kDelimiters)]);
    const QString quote = QuoteCharOf(kQuotes[(data[0] >> 2) % std::size(kQuotes)]);
    const QString text = FuzzText(data + 2, size - 2);
    // Fields apart at the unit separator; a column count of zero now and then.
    const QStringList fields =
        (data[1] & 0x40) && text.isEmpty() ? QStringList() : text.split(u'\x1f');
    std::vector<bool> numeric;
    const size_t kinds =
        static_cast<size_t>(fields.size()) - ((data[1] & 0x80) && !fields.isEmpty());
    for (size_t k = 0; k < kinds; ++k)
        numeric.push_back((data[1] >> (k % 6)) & 1);
    CheckLine(fields, numeric, delimiter, quote);
    CheckHeader(fields, delimiter);

    CheckEncoded(cp932, text);
    CheckEncoded(utf8, text);
    // The bytes read as UTF-16 text of any kind, lone surrogates included.
    QString wide((size - 2) / 2, Qt::Uninitialized);
    std::memcpy(wide.data(), data + 2, static_cast<size_t>(wide.size()) * 2);
    CheckEncoded(cp932, wide);
    CheckEncoded(utf8, wide);
    return 0;
}
