#include "ui/results/result_copy.h"

namespace varkel {

QString ColumnNameForm(const QString& header) {
    return header.contains(u' ') ? u'"' + header + u'"' : header;
}

QString QuotedLiteral(const QString& value) {
    QString doubled = value;
    doubled.replace(u'\'', QStringLiteral("''"));
    return u'\'' + doubled + u'\'';
}

std::array<QString, 5> CellCopyTexts(const QString& header, const QString& value) {
    const QString name = ColumnNameForm(header);
    const QString quoted = QuotedLiteral(value);
    return {name, value, quoted, name + QStringLiteral(" = ") + value,
            name + QStringLiteral(" = ") + quoted};
}

std::array<QString, 2> RowCopyTexts(const QStringList& headers, const QStringList& values,
                                    const QStringList& kinds) {
    QStringList names, literals;
    for (qsizetype i = 0; i < headers.size(); ++i) {
        names << ColumnNameForm(headers[i]);
        const QString value = values.value(i);
        literals << (kinds.value(i) == QStringLiteral("N") ? value : QuotedLiteral(value));
    }
    return {names.join(QStringLiteral(", ")), literals.join(QStringLiteral(", "))};
}

QString MenuCaption(const QString& text) {
    QString caption = text;
    caption.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    caption.replace(u'\n', u' ');
    caption.replace(u'\r', u' ');
    caption.replace(u'\t', u' ');
    caption.replace(u'&', QStringLiteral("&&"));
    return caption;
}

}  // namespace varkel
