#include <gtest/gtest.h>

#include "exec/result_text.h"
#include "exec/script_text.h"
#include "support/qt_printers.h"

namespace varkel {
namespace {

struct ScriptCase {
    const char* name;
    QString script;
    QStringList statements;
};

TEST(ScriptTextTest, ScriptsAreCutAtSlashLines) {
    const ScriptCase cases[] = {
        {"no delimiter", QStringLiteral("SELECT 1"), {QStringLiteral("SELECT 1")}},
        {"empty lines belong to the delimiter",
         QStringLiteral("A\r\n/\r\n\r\n\r\nBB"),
         {QStringLiteral("A\r\n"), QStringLiteral("BB")}},
        {"a closing delimiter", QStringLiteral("A\r\n/\r\n"), {QStringLiteral("A\r\n")}},
        {"a final slash without line end is sent",
         QStringLiteral("A\r\n/"),
         {QStringLiteral("A\r\n/")}},
        {"semicolons do not separate", QStringLiteral("A; B"), {QStringLiteral("A; B")}},
        {"empty and blank statements are skipped",
         QStringLiteral("A\r\n/\r\n/\r\n   /\r\nBB"),
         {QStringLiteral("A\r\n"), QStringLiteral("BB")}},
        {"anywhere, not only at a line start",
         QStringLiteral("A/\r\nBB"),
         {QStringLiteral("A"), QStringLiteral("BB")}},
        // The loop runs while the position is before the last character.
        {"a last statement of one character is not run",
         QStringLiteral("AA/\r\nB"),
         {QStringLiteral("AA")}},
        {"blanks trimmed, tabs kept", QStringLiteral("  \tA  "), {QStringLiteral("\tA")}},
        {"one character is not run", QStringLiteral("X"), {}},
        {"a delimiter inside a string still splits",
         QStringLiteral("SELECT 'a/\r\nb'"),
         {QStringLiteral("SELECT 'a"), QStringLiteral("b'")}},
    };
    for (const ScriptCase& c : cases)
        EXPECT_EQ(SplitScript(c.script), c.statements) << c.name;
}

TEST(ScriptTextTest, TheQuestionPreviewsFortyCharacters) {
    const QString head = QStringLiteral("次のＳＱＬを続けて実行してよろしいですか？\r\n(");
    EXPECT_EQ(ContinueQuestion(QString(40, u'x')), head + QString(40, u'x') + u')');
    EXPECT_EQ(ContinueQuestion(QString(41, u'x')),
              head + QString(40, u'x') + QStringLiteral("...)"));
}

TEST(ScriptTextTest, LineBreaksBecomeCrLfAndOnlyBlanksAreTrimmed) {
    EXPECT_EQ(WithCrLf(QStringLiteral("a\nb\r\nc")), QStringLiteral("a\r\nb\r\nc"));
    EXPECT_EQ(TrimBlanks(QStringLiteral("  a \r\n ")), QStringLiteral("a \r\n"));
}

TEST(ResultTextTest, RowNumbersAreSixCharactersWide) {
    EXPECT_EQ(RowNumberText(1), QStringLiteral("     1"));
    EXPECT_EQ(RowNumberText(42), QStringLiteral("    42"));
    EXPECT_EQ(RowNumberText(10000), QStringLiteral(" 10000"));
    EXPECT_EQ(RowNumberText(999999), QStringLiteral("999999"));
    EXPECT_EQ(RowNumberText(1234567), QStringLiteral("234567"));  // its last six
    EXPECT_LT(RowNumberText(9), RowNumberText(10));               // text order is fetch order
}

TEST(ResultTextTest, NumbersAreMeasuredAroundTheirPoint) {
    const std::pair<QString, QPair<int, int>> cases[] = {
        {QStringLiteral("12.5"), {2, 1}}, {QStringLiteral("-3"), {2, 0}},
        {QStringLiteral("1000"), {4, 0}}, {QString(), {0, 0}},
        {QStringLiteral(".25"), {0, 2}},  {QStringLiteral("-0.125"), {2, 3}},
    };
    for (const auto& [text, pair] : cases)
        EXPECT_EQ(MeasureNumber(text), pair) << text.toStdString();
}

TEST(ResultTextTest, DateTimesShowWhatMatters) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("2024-01-05 00:00:00"), QStringLiteral("2024-01-05")},
        {QStringLiteral("2024-01-05 09:30:00"), QStringLiteral("2024-01-05 09:30:00")},
        {QStringLiteral("1899-12-30 09:30:00"), QStringLiteral("09:30:00")},
        {QStringLiteral("2024-01-05 00:00:00.000"), QStringLiteral("2024-01-05")},
        {QStringLiteral("2024-01-05"), QStringLiteral("2024-01-05")},
        {QStringLiteral("09:30:00"), QStringLiteral("09:30:00")},
        {QStringLiteral("not a date"), QStringLiteral("not a date")},
        {QStringLiteral("2024-13-45 00:00:00"), QStringLiteral("2024-13-45 00:00:00")},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(DateTimeText(text), shown) << text.toStdString();
}

TEST(ResultTextTest, ElapsedTimesRoundToHundredths) {
    EXPECT_EQ(ElapsedTimeText(12345), QStringLiteral("実行時間：00'12''35"));
    EXPECT_EQ(ElapsedTimeText(65004), QStringLiteral("実行時間：01'05''00"));
    EXPECT_EQ(ElapsedTimeText(0), QStringLiteral("実行時間：00'00''00"));
    EXPECT_EQ(ElapsedTimeText(3600000), QStringLiteral("実行時間：01:00:00"));
    EXPECT_EQ(ElapsedTimeText(3725499), QStringLiteral("実行時間：01:02:05"));
    EXPECT_EQ(SecondsText(1234), QStringLiteral("1.234"));
    EXPECT_EQ(SecondsText(5), QStringLiteral("0.005"));
}

}  // namespace
}  // namespace varkel
