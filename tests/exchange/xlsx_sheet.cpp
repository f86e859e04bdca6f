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

}  // namespace

QMap<QPair<int, int>, StoredCell> ReadFirstSheet(const QString& path, QString* error) {
    QMap<QPair<int, int>, StoredCell> cells;
    const QByteArray sheet = Unzip(path, QStringLiteral("xl/worksheets/sheet1.xml"), error);
    if (sheet.isEmpty()) return cells;
    QStringList shared;
    bool sharedRead = false;
    QXmlStreamReader xml(sheet);
    QPair<int, int> at;
    StoredCell cell;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"c") {
                at = CellAddress(xml.attributes().value(QStringLiteral("r")).toString());
                cell =
                    StoredCell{xml.attributes().value(QStringLiteral("t")).toString(), QString()};
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
