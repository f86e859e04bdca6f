#include <gtest/gtest.h>

#include "exchange/export_format.h"
#include "exchange/import_text.h"
#include "store/code_page.h"
#include "support/qt_printers.h"

namespace varkel::test {
using namespace Qt::Literals::StringLiterals;
namespace {

TEST(ExportFormatTest, ListItemsGiveTheirDelimiterAndQuote) {
    const struct {
        const char16_t* item;
        const char16_t* delimiter;
        const char16_t* quote;
    } cases[] = {
        {u" ,", u",", u","},    {u" |", u"|", u"|"}, {u"TAB", u"\t", u""},
        {u" \"", u"\"", u"\""}, {u" '", u"'", u"'"}, {u"(なし)", u"(なし)", u""},
    };
    for (const auto& c : cases) {
        const QString item = QString::fromUtf16(c.item);
        EXPECT_EQ(DelimiterOf(item), QString::fromUtf16(c.delimiter)) << item.toStdString();
        EXPECT_EQ(QuoteCharOf(item), QString::fromUtf16(c.quote)) << item.toStdString();
    }
}

TEST(ExportFormatTest, LinesFollowTheKindsAndQuotes) {
    const struct {
        const char* name;
        QStringList fields;
        std::vector<bool> numeric;
        QString delimiter, quote, expected;
    } cases[] = {
        {"numeric bare, text quoted",
         {u"1"_s, u"abc"_s},
         {true, false},
         u","_s,
         u"\""_s,
         u"1,\"abc\"\r\n"_s},
        {"NULL text is two quotes",
         {u"2"_s, QString()},
         {true, false},
         u","_s,
         u"\""_s,
         u"2,\"\"\r\n"_s},
        {"NULL number is nothing",
         {QString(), u"x"_s},
         {true, false},
         u","_s,
         u"\""_s,
         u",\"x\"\r\n"_s},
        {"no quote", {u"a"_s, u"7"_s}, {false, true}, u"|"_s, QString(), u"a|7\r\n"_s},
        {"apostrophe and tab",
         {u"a"_s, u"b"_s},
         {false, false},
         u"\t"_s,
         u"'"_s,
         u"'a'\t'b'\r\n"_s},
        {"a quote inside is doubled, a number stays bare",
         {u"a,\"b"_s, u"1,5"_s},
         {false, true},
         u","_s,
         u"\""_s,
         u"\"a,\"\"b\",1,5\r\n"_s},
        {"an apostrophe inside apostrophes is doubled",
         {u"it's"_s, u"\"'\""_s},
         {false, false},
         u"|"_s,
         u"'"_s,
         u"'it''s'|'\"''\"'\r\n"_s},
        {"without a quote nothing is doubled",
         {u"a\"b'c"_s},
         {false},
         u","_s,
         QString(),
         u"a\"b'c\r\n"_s},
        {"not trimmed",
         {u"  x "_s, u"  12"_s},
         {false, true},
         u","_s,
         u"\""_s,
         u"\"  x \",  12\r\n"_s},
        {"Japanese", {u"日本語ｶﾅ"_s}, {false}, u","_s, u"\""_s, u"\"日本語ｶﾅ\"\r\n"_s},
        {"date and time quoted",
         {u"2024-01-02"_s},
         {false},
         u","_s,
         u"\""_s,
         u"\"2024-01-02\"\r\n"_s},
        {"no columns", {}, {}, u","_s, u"\""_s, u"\r\n"_s},
    };
    for (const auto& c : cases) {
        QString line;
        AppendExportLine(line, c.fields, c.numeric, c.delimiter, c.quote);
        EXPECT_EQ(line, c.expected) << c.name;
    }
}

TEST(ExportFormatTest, HeaderNamesAreAlwaysInDoubleQuotes) {
    EXPECT_EQ(ExportHeaderLine({u"ID"_s, u"NAME"_s}, u","_s), u"\"ID\",\"NAME\"\r\n"_s);
    EXPECT_EQ(ExportHeaderLine({u"ｺｰﾄﾞ"_s, u"名"_s}, u"\t"_s), u"\"ｺｰﾄﾞ\"\t\"名\"\r\n"_s);
    EXPECT_EQ(ExportHeaderLine({u"a"_s}, u"|"_s), u"\"a\"\r\n"_s);
    EXPECT_EQ(ExportHeaderLine({u"x\"y"_s}, u","_s), u"\"x\"\"y\"\r\n"_s);
}

TEST(ExportFormatTest, TheExampleOfTwoRowsWithAHeader) {
    const QString delimiter = DelimiterOf(u" ,"_s), quote = QuoteCharOf(u" \""_s);
    QString text = ExportHeaderLine({u"ID"_s, u"NAME"_s}, delimiter);
    AppendExportLine(text, {u"1"_s, u"abc"_s}, {true, false}, delimiter, quote);
    AppendExportLine(text, {u"2"_s, QString()}, {true, false}, delimiter, quote);
    EXPECT_EQ(text, u"\"ID\",\"NAME\"\r\n1,\"abc\"\r\n2,\"\"\r\n"_s);
}

TEST(ExportFormatTest, EncodingCountsTheCharactersTheCodePageCannotHold) {
    const struct {
        const char* codePage;
        QString text;
        QByteArray bytes;
        int replaced;
    } cases[] = {
        {"CP932", u"ｱ?é①"_s, QByteArray("\xB1?\x3F\x87\x40"), 1},
        {"CP932", u"漢字"_s, QByteArray("\x8A\xBF\x8E\x9A"), 0},
        {"CP932", u"😀x😀"_s, QByteArray("?x?"), 2},
        {"UTF-8", u"😀é"_s, u"😀é"_s.toUtf8(), 0},
        // A lone surrogate has no UTF-8 form either: it is written as '?' and counted.
        {"UTF-8", QChar(0xD800) + u"a"_s, QByteArray("?a"), 1},
    };
    for (const auto& c : cases) {
        const CodePage page{QByteArray(c.codePage)};
        QByteArray out("<");
        EXPECT_EQ(AppendEncoded(out, page, c.text), c.replaced) << c.codePage;
        EXPECT_EQ(out, "<" + c.bytes) << c.codePage;
    }
}

TEST(ExportFormatTest, CompletionTextSaysStoppedAndReplaced) {
    EXPECT_EQ(ExportDoneText(u"/t/a.csv"_s, false, 0), u"/t/a.csv\r\nに出力しました。"_s);
    EXPECT_EQ(ExportDoneText(u"/t/a.csv"_s, true, 0), u"/t/a.csv\r\nに出力しました。（中断）"_s);
    EXPECT_EQ(ExportDoneText(u"/t/a.csv"_s, false, 3),
              u"/t/a.csv\r\nに出力しました。\r\n出力できない文字3文字を「?」に置き換えました。"_s);
}

}  // namespace
}  // namespace varkel::test
