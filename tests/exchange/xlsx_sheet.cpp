#include "exchange/xlsx_sheet.h"

#include <QProcess>
#include <QStringList>
#include <QXmlStreamReader>

namespace varkel::test {

namespace {

QByteArray Unzip(const QString& path, const QString& member, QString* error) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, member});
    if (!unzip.waitForFinished(30000) || unzip.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("unzip failed: ") +
                     QString::fromLocal8Bit(unzip.readAllStandardError());
        return {};
    }
    return unzip.readAllStandardOutput();
}

// "B12" -> (12, 2)
QPair<int, int> CellAddress(const QString& ref) {
    int column = 0;
    qsizetype i = 0;
    while (i < ref.size() && ref[i].isLetter()) {
        column = column * 26 + (ref[i].unicode() - u'A' + 1);
        ++i;
    }
    return {ref.mid(i).toInt(), column};
}

QStringList SharedStrings(const QString& path) {
    QStringList strings;
    QString error;
    QXmlStreamReader xml(Unzip(path, QStringLiteral("xl/sharedStrings.xml"), &error));
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"t")
            strings << xml.readElementText();
    }
    return strings;
}

// The number format of each cell style, in style order.
QStringList StyleFormats(const QString& path) {
    QString error;
    QXmlStreamReader xml(Unzip(path, QStringLiteral("xl/styles.xml"), &error));
    // Built-in formats are not listed in the file.
    QMap<QString, QString> codes{{QStringLiteral("0"), QStringLiteral("General")},
                                 {QStringLiteral("1"), QStringLiteral("0")},
                                 {QStringLiteral("2"), QStringLiteral("0.00")}};
    QStringList formats;
    bool inCellStyles = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && xml.name() == u"numFmt") {
            codes.insert(xml.attributes().value(QStringLiteral("numFmtId")).toString(),
                         xml.attributes().value(QStringLiteral("formatCode")).toString());
        } else if (token == QXmlStreamReader::StartElement && xml.name() == u"cellXfs") {
            inCellStyles = true;
        } else if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs") {
            inCellStyles = false;
        } else if (token == QXmlStreamReader::StartElement && inCellStyles && xml.name() == u"xf") {
            formats << codes.value(xml.attributes().value(QStringLiteral("numFmtId")).toString());
        }
    }
    return formats;
}

}  // namespace

QMap<QPair<int, int>, StoredCell> ReadFirstSheet(const QString& path, QString* error) {
    QMap<QPair<int, int>, StoredCell> cells;
    const QByteArray sheet = Unzip(path, QStringLiteral("xl/worksheets/sheet1.xml"), error);
    if (sheet.isEmpty()) return cells;
    QStringList shared;
    bool sharedRead = false;
    const QStringList formats = StyleFormats(path);
    QXmlStreamReader xml(sheet);
    QPair<int, int> at;
    StoredCell cell;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"c") {
                at = CellAddress(xml.attributes().value(QStringLiteral("r")).toString());
                cell =
                    StoredCell{xml.attributes().value(QStringLiteral("t")).toString(), QString(),
                               formats.value(xml.attributes().value(QStringLiteral("s")).toInt())};
                if (cell.type.isEmpty()) cell.type = QStringLiteral("n");
            } else if (xml.name() == u"v" || xml.name() == u"t") {
                cell.value = xml.readElementText();
            }
        } else if (token == QXmlStreamReader::EndElement && xml.name() == u"c") {
            if (cell.type == u"s") {
                if (!sharedRead) shared = SharedStrings(path);
                sharedRead = true;
                cell.value = shared.value(cell.value.toInt());
            }
            cells.insert(at, cell);
        }
    }
    if (xml.hasError() && error) *error = xml.errorString();
    return cells;
}

}  // namespace varkel::test
