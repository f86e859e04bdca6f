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
        // A doubled quote inside a quoted field is one quote of its text.
        {QStringLiteral("\"a \"\"b\"\" c\""), QStringLiteral("'a \"b\" c'")},
        {QStringLiteral("'it''s'"), QStringLiteral("'it''s'")},
        {QStringLiteral("\"a\"b\""),
         QStringLiteral("'a\"b'")},  // not doubled: ends made apostrophes
        {QStringLiteral("\"C:\\temp\\\""), QStringLiteral("'C:\\temp\\'")},
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
        // A quoted field holding the delimiter is one field with the delimiter in its text.
        {QStringLiteral("1,\"a,b\",2"), QStringLiteral(" ,"), QStringLiteral("1,'a,b',2")},
        {QStringLiteral("1|\"a|b\"|2"), QStringLiteral(" |"), QStringLiteral("1,'a|b',2")},
        {QStringLiteral("\",it's,x\",1"), QStringLiteral(" ,"), QStringLiteral("',it''s,x',1")},
        {QStringLiteral("\",,x\",1"), QStringLiteral(" ,"), QStringLiteral("',,x',1")},
        {QStringLiteral("'a,''b',\"c\"\"|\",2"), QStringLiteral(" ,"),
         QStringLiteral("'a,''b','c\"|',2")},
        {QStringLiteral("\"x\"\",'y\"\";--\"|\";\""), QStringLiteral(" |"),
         QStringLiteral("'x\",''y\";--',';'")},
        {QStringLiteral("1,2,"), QStringLiteral(" ,"), QStringLiteral("1,2,NULL")},
        {QString(), QStringLiteral(" ,"), QStringLiteral("NULL")},
        {QStringLiteral("no delimiter"), QStringLiteral(" ,"), QStringLiteral("no delimiter")},
        {QStringLiteral("1\t\"x, y\"\t"), QStringLiteral("TAB"), QStringLiteral("1,'x, y',NULL")},
        // Whatever a quoted field split in three or more holds, it cannot leave its literal.
        {QStringLiteral("1,\"Smith, O'Brien, Jones\",2"), QStringLiteral(" ,"),
         QStringLiteral("1,'Smith, O''Brien, Jones',2")},
        {QStringLiteral("\"x,');DELETE FROM T;--,y\""), QStringLiteral(" ,"),
         QStringLiteral("'x,'');DELETE FROM T;--,y'")},
        {QStringLiteral("\"a, ,b\",3"), QStringLiteral(" ,"), QStringLiteral("'a, ,b',3")},
        {QStringLiteral("\"a,\"b\",c"), QStringLiteral(" ,"), QStringLiteral("'a,\"b',c")},
        {QStringLiteral("\",\",1"), QStringLiteral(" ,"), QStringLiteral("',',1")},
    };
    for (const StatementCase& c : cases) {
        const QStringList fields = SplitImportFields(c.line, DelimiterOf(c.delimiterItem));
        EXPECT_EQ(fields.join(DelimiterOf(c.delimiterItem)), c.line);
        bool sendable = false;
        EXPECT_EQ(InsertStatement(QStringLiteral("INSERT INTO T"), fields, {}, &sendable),
                  QStringLiteral("INSERT INTO T VALUES(") + c.values + u')')
            << c.line.toStdString();
        EXPECT_TRUE(sendable) << c.line.toStdString();
    }
    EXPECT_EQ(HeaderColumnList(QStringLiteral("A\t\"B\"\t C"), QStringLiteral("\t")),
              QStringLiteral("(A,\"B\", C)"));
    ImportSqlRules backquote;
    backquote.identifierQuote = QStringLiteral("`");
    EXPECT_EQ(
        HeaderColumnList(QStringLiteral("\"id\",\"a,\"\"`b\""), QStringLiteral(","), backquote),
        QStringLiteral("(`id`,`a,\"``b`)"));
}

struct SendCase {
    QString line;
    ImportSqlRules::Backslash backslash;
    bool sendable;
    QString values;  // when sendable
};

TEST(ImportTextTest, ALineSendsAtMostOneStatement) {
    using B = ImportSqlRules::Backslash;
    const SendCase cases[] = {
        {QStringLiteral("1,2);DELETE FROM victim"), B::Plain, false, {}},
        {QStringLiteral("1,x -- y"), B::Plain, false, {}},
        {QStringLiteral("1,x /* y"), B::Plain, false, {}},
        {QStringLiteral("1,x # y"), B::Plain, false, {}},
        {QStringLiteral("1,$$a$$"), B::Plain, false, {}},
        {QStringLiteral("1,x\",0); DELETE FROM victim; --"), B::Plain, false, {}},
        {QStringLiteral("1,E'\\',2"), B::Plain, false, {}},  // a backslash in a bare literal
        {QStringLiteral("1,'a;b'::text"), B::Plain, true, QStringLiteral("1,'a;b'::text")},
        {QStringLiteral("1,\"a;--b/*\""), B::Plain, true, QStringLiteral("1,'a;--b/*'")},
        {QStringLiteral("\"C:\\temp\\new\",\"x\\\""), B::Plain, true,
         QStringLiteral("'C:\\temp\\new','x\\'")},
        {QStringLiteral("\"C:\\temp\\new\",\"x\\\""), B::Escape, true,
         QStringLiteral("'C:\\\\temp\\\\new','x\\\\'")},
        {QStringLiteral("\"x\\\""), B::Unknown, false, {}},
        {QStringLiteral("\"x\",2"), B::Unknown, true, QStringLiteral("'x',2")},
    };
    for (const SendCase& c : cases) {
        ImportSqlRules rules;
        rules.backslash = c.backslash;
        bool sendable = !c.sendable;
        const QString sql =
            InsertStatement(QStringLiteral("INSERT INTO T"),
                            SplitImportFields(c.line, QStringLiteral(",")), rules, &sendable);
        EXPECT_EQ(sendable, c.sendable) << c.line.toStdString();
        if (c.sendable) {
            EXPECT_EQ(sql, QStringLiteral("INSERT INTO T VALUES(") + c.values + u')');
        }
    }
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
            QByteArray rebuilt;  // the lines joined by the line ends found between them
            QByteArrayView line;
            while (reader.next(line) == ImportReader::Next::Line) {
                if (!lines.isEmpty()) rebuilt += reader.endBefore();
                rebuilt += line;
                lines.append(line.toByteArray());
            }
            EXPECT_EQ(lines, c.lines) << c.name << " " << piece;
            const QByteArray body = c.bytes.startsWith("\xEF\xBB\xBF") ? c.bytes.mid(3) : c.bytes;
            const QByteArray rest = body.mid(rebuilt.size());
            EXPECT_TRUE(body.startsWith(rebuilt) && rest.size() <= 2 &&
                        rest.count('\r') + rest.count('\n') == rest.size())
                << c.name << " " << piece;
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
