#include "exchange/export_format.h"

#include "store/code_page.h"

namespace varkel {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString WithoutSpaces(const QString& item) {
    QString text = item;
    text.remove(u' ');
    return text;
}

}  // namespace

QString QuoteCharOf(const QString& item) {
    const QString text = WithoutSpaces(item);
    return text.size() > 1 ? QString() : text;
}

QString ExportHeaderLine(const QStringList& names, const QString& delimiter) {
    QString line;
    for (qsizetype k = 0; k < names.size(); ++k) {
        if (k > 0) line += delimiter;
        line += u'"';
        line += QString(names[k]).replace(u'"', QStringLiteral("\"\""));
        line += u'"';
    }
    return line + kCrLf;
}

void AppendExportLine(QString& out, const QStringList& fields, const std::vector<bool>& numeric,
                      const QString& delimiter, const QString& quote) {
    for (qsizetype k = 0; k < fields.size(); ++k) {
        if (k > 0) out += delimiter;
        const bool bare =
            static_cast<size_t>(k) < numeric.size() && numeric[static_cast<size_t>(k)];
        if (bare) {
            out += fields[k];
        } else if (quote.isEmpty() || !fields[k].contains(quote)) {
            out += quote;
            out += fields[k];
            out += quote;
        } else {  // a quote inside is doubled, as every reader of such files expects
            out += quote;
            out += QString(fields[k]).replace(quote, quote + quote);
            out += quote;
        }
    }
    out += kCrLf;
}

int AppendEncoded(QByteArray& out, const CodePage& codePage, const QString& text) {
    bool exact = true;
    const QByteArray bytes = codePage.encode(text, &exact);
    out += bytes;
    if (exact) return 0;
    // The code page writes one '?' for each character it cannot hold (in UTF-8 a lone surrogate):
    // the surplus of '?' over the text's own is the count of replaced characters.
    return static_cast<int>(bytes.count('?') - text.count(u'?'));
}

QString ExportDoneText(const QString& path, bool stopped, qint64 replaced) {
    QString text = path + kCrLf + QStringLiteral("に出力しました。");
    if (stopped) text += QStringLiteral("（中断）");
    if (replaced > 0)
        text +=
            kCrLf + QStringLiteral("出力できない文字%1文字を「?」に置き換えました。").arg(replaced);
    return text;
}

}  // namespace varkel
