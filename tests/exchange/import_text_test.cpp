#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "exchange/import_reader.h"
#include "exchange/import_text.h"
#include "store/code_page.h"
#include "support/qt_printers.h"

namespace varkel {
namespace {

struct ValueCase {
    QString field;
    QString value;
};

TEST(ImportTextTest, FieldsBecomeSqlValues) {
    const ValueCase cases[] = {
        {QStringLiteral("1"), QStringLiteral("1")},
        {QStringLiteral("\"O'Brien\""), QStringLiteral("'O''Brien'")},
        {QString(), QStringLiteral("NULL")},
        {QStringLiteral("   "), QStringLiteral("NULL")},
        // Bare text is SQL: a date without quotes goes in as an expression.
        {QStringLiteral("2001/01/01"), QStringLiteral("2001/01/01")},
        {QStringLiteral("\"\""), QStringLiteral("''")},
        {QStringLiteral("  -12.5 "), QStringLiteral("-12.5")},
        {QStringLiteral("'already'"), QStringLiteral("'already'")},
        {QStringLiteral("it's"), QStringLiteral("it's")},
        {QStringLiteral("\"a \"\"b\"\" c\""), QStringLiteral("'a \"\"b\"\" c'")},
        {QStringLiteral("\"open"), QStringLiteral("'open")},
        {QStringLiteral("close'\""), QStringLiteral("close'''")},
        {QStringLiteral(" \"日本語\" "), QStringLiteral("'日本語'")},
        {QString::fromUtf16(u"a\0b", 3), QStringLiteral("ab")},
        {QString::fromUtf16(u"\0 \0", 3), QStringLiteral("NULL")},
        {QStringLiteral("\t1"), QStringLiteral("\t1")},  // only blanks are trimmed
    };
    for (const ValueCase& c : cases)
        EXPECT_EQ(ToSqlValue(c.field), c.value) << c.field.toStdString();
}

struct StatementCase {
    QString line;
    QString delimiterItem;
    QString values;
};

TEST(ImportTextTest, LinesSplitAtEveryDelimiterIntoStatements) {
    const StatementCase cases[] = {
        {QStringLiteral("1,\"O'Brien\",,2001/01/01"), QStringLiteral(" ,"),
         QStringLiteral("1,'O''Brien',NULL,2001/01/01")},
        // A quoted field holding the delimiter is split; the values still join with commas.
        {QStringLiteral("1,\"a,b\",2"), QStringLiteral(" ,"), QStringLiteral("1,'a,b',2")},
        {QStringLiteral("1|\"a|b\"|2"), QStringLiteral(" |"), QStringLiteral("1,'a,b',2")},
        {QStringLiteral("1,2,"), QStringLiteral(" ,"), QStringLiteral("1,2,NULL")},
        {QString(), QStringLiteral(" ,"), QStringLiteral("NULL")},
        {QStringLiteral("no delimiter"), QStringLiteral(" ,"), QStringLiteral("no delimiter")},
        {QStringLiteral("1\t\"x, y\"\t"), QStringLiteral("TAB"), QStringLiteral("1,'x, y',NULL")},
        // Whatever a quoted field split in three or more holds, it cannot leave its literal.
        {QStringLiteral("1,\"Smith, O'Brien, Jones\",2"), QStringLiteral(" ,"),
         QStringLiteral("1,'Smith,O''Brien,Jones',2")},
        {QStringLiteral("\"x,');DELETE FROM T;--,y\""), QStringLiteral(" ,"),
         QStringLiteral("'x,'');DELETE FROM T;--,y'")},
        {QStringLiteral("\"a, ,b\",3"), QStringLiteral(" ,"), QStringLiteral("'a,,b',3")},
        {QStringLiteral("\"a,\"b\",c"), QStringLiteral(" ,"), QStringLiteral("'a,\"b',c")},
        {QStringLiteral("\",\",1"), QStringLiteral(" ,"), QStringLiteral("',',1")},
    };
    for (const StatementCase& c : cases) {
        const QStringList fields = SplitImportFields(c.line, DelimiterOf(c.delimiterItem));
        EXPECT_EQ(InsertStatement(QStringLiteral("INSERT INTO T"), fields),
                  QStringLiteral("INSERT INTO T VALUES(") + c.values + u')')
            << c.line.toStdString();
    }
    EXPECT_EQ(HeaderColumnList(QStringLiteral("A\t\"B\"\t C"), QStringLiteral("\t")),
              QStringLiteral("(A,\"B\", C)"));
}

TEST(ImportTextTest, TableNamesWithABlankAreQuotedOnce) {
    EXPECT_EQ(ImportTableName(QStringLiteral("  EMP ")), QStringLiteral("EMP"));
    EXPECT_EQ(ImportTableName(QStringLiteral("ORDER ITEMS")), QStringLiteral("\"ORDER ITEMS\""));
    EXPECT_EQ(ImportTableName(QStringLiteral("\"ORDER ITEMS\"")),
              QStringLiteral("\"ORDER ITEMS\""));
    EXPECT_EQ(ImportTableName(QStringLiteral("s.\"ORDER ITEMS\"")),
              QStringLiteral("s.\"ORDER ITEMS\""));
}

struct LinesCase {
    const char* name;
    QByteArray bytes;
    QList<QByteArray> lines;
};

TEST(ImportTextTest, LinesEndAsTheFileWasWritten) {
    const LinesCase cases[] = {
        {"CR LF", "a,b\r\nc\r\n", {"a,b", "c"}},
        {"lone CR", "a\rb\rc", {"a", "b", "c"}},
        {"lone LF inside a CR LF line", "a\r\nb\nc\r\n", {"a", "b\nc"}},
        {"stray CR inside an LF line", "a\nb\rc\r\nd\n", {"a", "b\rc\r", "d"}},
        {"LF only", "a\nb\n\nc", {"a", "b", "", "c"}},
        {"empty lines count", "\r\n\r\nx\r\n", {"", "", "x"}},
        {"CR LF split by CR", "a\r\r\nb", {"a", "", "b"}},
        {"byte order mark",
         "\xEF\xBB\xBF"
         "id\nk\n",
         {"id", "k"}},
        {"byte order mark alone", "\xEF\xBB\xBF", {}},
        {"empty file", "", {}},
        {"no line end", "x", {"x"}},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lines.csv"));
    for (const LinesCase& c : cases) {
        EXPECT_EQ(SplitImportLines(c.bytes), c.lines) << c.name;
        EXPECT_EQ(CountImportLines(c.bytes), c.lines.size()) << c.name;
        // The import reads the file a piece at a time: a line end at a piece's edge is the same.
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.bytes);
        f.close();
        for (const qsizetype piece : {1, 2, 1 << 20}) {
            ImportReader reader;
            ASSERT_TRUE(reader.open(path, piece));
            QList<QByteArray> lines;
            QByteArrayView line;
            while (reader.next(line) == ImportReader::Next::Line)
                lines.append(line.toByteArray());
            EXPECT_EQ(lines, c.lines) << c.name << " " << piece;
        }
    }
}

TEST(ImportTextTest, FieldsSplitAfterDecodingSoATrailByteIsNoDelimiter) {
    // In CP932 the second byte of ポ is 0x7C, the bar.
    CodePage cp932("CP932");
    const QByteArray bytes = cp932.encode(QStringLiteral("ポ|表\r\n1|\"ソ\"\r\n"));
    ASSERT_EQ(bytes.count('|'), 3);
    const QList<QByteArray> lines = SplitImportLines(bytes);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(SplitImportFields(cp932.decode(lines[0]), QStringLiteral("|")),
              QStringList({QStringLiteral("ポ"), QStringLiteral("表")}));
    EXPECT_EQ(InsertStatement(QStringLiteral("INSERT INTO T"),
                              SplitImportFields(cp932.decode(lines[1]), QStringLiteral("|"))),
              QStringLiteral("INSERT INTO T VALUES(1,'ソ')"));
}

}  // namespace
}  // namespace varkel
