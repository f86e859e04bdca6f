#include <gtest/gtest.h>

#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>

#include "store/sql_history.h"
#include "support/qt_printers.h"
#include "ui/results/result_copy.h"
#include "ui/results/result_sort.h"
#include "ui/sqlbox/history_browse.h"
#include "ui/sqlbox/sql_box.h"
#include "ui/sqlbox/sql_file.h"

namespace varkel {
namespace {

TEST(WidenNumberTest, GivesEveryValueTheSameIntegerAndFractionWidth) {
    struct Case {
        const char16_t* text;
        int m, f;
        const char16_t* widened;
    };
    const Case cases[] = {
        {u"7", 3, 2, u"   7.00"},
        {u"-5", 3, 2, u"-005.00"},
        {u"123.4", 3, 2, u" 123.40"},
        {u"", 3, 2, u"    .00"},  // NULL
        {u"", 2, 0, u"   "},      // NULL without fractions anywhere
        {u"42", 2, 0, u" 42"},    // no "." when no value has decimals
        {u"-12.5", 3, 1, u"-012.5"},
        {u"   7.00", 3, 2, u"   7.00"},  // widening twice changes nothing
        {u"-005.00", 3, 2, u"-005.00"},
        {u"   7.00", 4, 3, u"    7.000"},  // later, wider values (a resumed fill)
        {u"-005.00", 4, 2, u"-0005.00"},
        {u"1.5e-05", 3, 5, u"1.5e-05"},  // not a plain decimal: left as it is
        {u"NaN", 3, 2, u"NaN"},
        {u"1,000", 3, 2, u"1,000"},
        {u".5", 1, 2, u"  .50"},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(WidenNumber(text, c.m, c.f), QString::fromUtf16(c.widened))
            << '"' << text.toStdString() << "\" M=" << c.m << " F=" << c.f;
    }
}

TEST(NumericSortKeyTest, OrdersNullFirstThenNumbersByValueThenOtherTexts) {
    // In the expected order; the keys are built from the texts in another order.
    const QStringList ordered = {
        QString(),
        QStringLiteral("-100"),
        QStringLiteral("-10"),
        QStringLiteral("-005.50"),
        QStringLiteral("-5.5"),  // equal to the one before: kept in the earlier order
        QStringLiteral("-5"),
        QStringLiteral("-0.25"),
        QStringLiteral("0"),
        QStringLiteral("-0"),
        QStringLiteral(".5"),
        QStringLiteral("   7.00"),
        QStringLiteral("10"),
        QStringLiteral("99999999999999999999.1"),
        QStringLiteral("99999999999999999999.12"),
        QStringLiteral("100000000000000000000"),
        QStringLiteral("1.5e-05"),
        QStringLiteral("abc"),
        QStringLiteral("ABD"),
    };
    QList<int> order(ordered.size());
    std::iota(order.begin(), order.end(), 0);
    std::reverse(order.begin(), order.end());
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return NumericSortKey(ordered[a]) < NumericSortKey(ordered[b]);
    });
    QStringList sorted;
    for (int i : order)
        sorted << ordered[i];
    // Equal values keep their earlier (here: reversed) order.
    QStringList expected = ordered;
    expected.swapItemsAt(3, 4);
    expected.swapItemsAt(7, 8);
    EXPECT_EQ(sorted, expected);
    EXPECT_TRUE(IsNullSortKey(NumericSortKey(QStringLiteral("   "))));
    EXPECT_FALSE(IsNullSortKey(NumericSortKey(QStringLiteral("0"))));
}

TEST(CopyTextTest, CellFragmentsInTheirFiveForms) {
    struct Case {
        const char16_t *header, *value;
        std::array<const char16_t*, 5> texts;
    };
    const Case cases[] = {
        {u"ORDER DATE",
         u"O'Brien",
         {u"\"ORDER DATE\"", u"O'Brien", u"'O''Brien'", u"\"ORDER DATE\" = O'Brien",
          u"\"ORDER DATE\" = 'O''Brien'"}},
        {u"NAME", u"", {u"NAME", u"", u"''", u"NAME = ", u"NAME = ''"}},
        {u"a-b.c", u"x", {u"a-b.c", u"x", u"'x'", u"a-b.c = x", u"a-b.c = 'x'"}},
        {u"AMOUNT",
         u"   7.00",
         {u"AMOUNT", u"   7.00", u"'   7.00'", u"AMOUNT =    7.00", u"AMOUNT = '   7.00'"}},
    };
    for (const Case& c : cases) {
        const auto texts = CellCopyTexts(QString::fromUtf16(c.header), QString::fromUtf16(c.value));
        for (size_t i = 0; i < 5; ++i)
            EXPECT_EQ(texts[i], QString::fromUtf16(c.texts[i]))
                << QString::fromUtf16(c.header).toStdString() << " slot " << i;
    }
}

TEST(CopyTextTest, RowFragmentsQuoteByKindLetter) {
    struct Case {
        QStringList headers, values, kinds;
        QString names, literals;
    };
    const Case cases[] = {
        {{QStringLiteral("ID"), QStringLiteral("ORDER DATE"), QStringLiteral("NOTE")},
         {QStringLiteral("  12"), QStringLiteral("2024-01-02"), QStringLiteral("it's")},
         {QStringLiteral("N"), QStringLiteral("T"), QStringLiteral("S")},
         QStringLiteral("ID, \"ORDER DATE\", NOTE"),
         QStringLiteral("  12, '2024-01-02', 'it''s'")},
        // A NULL numeric leaves nothing between its separators; a NULL text is ''.
        {{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")},
         {QStringLiteral("1"), QString(), QString()},
         {QStringLiteral("N"), QStringLiteral("N"), QStringLiteral("S")},
         QStringLiteral("A, B, C"),
         QStringLiteral("1, , ''")},
        {{QStringLiteral("ONLY")},
         {QStringLiteral("v")},
         {QStringLiteral("S")},
         QStringLiteral("ONLY"),
         QStringLiteral("'v'")},
    };
    for (const Case& c : cases) {
        const auto texts = RowCopyTexts(c.headers, c.values, c.kinds);
        EXPECT_EQ(texts[0], c.names);
        EXPECT_EQ(texts[1], c.literals);
    }
    EXPECT_EQ(MenuCaption(QStringLiteral("⇒ 'A&B'\nx")), QStringLiteral("⇒ 'A&&B' x"));
}

class HistoryStepTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QFile f(dir_.filePath(QStringLiteral("SQLHIST.TXT")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 1; i <= 3; ++i)
            f.write(
                QStringLiteral("24/01/01 00:00:0%1 DSN=x;\tSELECT %1\r\n/\r\n").arg(i).toUtf8());
    }
    QTemporaryDir dir_;
};

TEST_F(HistoryStepTest, StepsThroughTheRecordsAndBackToTheUsersText) {
    SqlHistory history(dir_.filePath(QStringLiteral("SQLHIST.TXT")), 20);
    history.ReadHist();
    ASSERT_EQ(history.GetHistNum(), 3);
    struct Step {
        int step;
        const char16_t* text;
        const char16_t* label;
        bool browsing, beep;
    };
    const Step steps[] = {
        {1, u"SELECT 3", u"3/3", true, false},  {1, u"SELECT 2", u"2/3", true, false},
        {1, u"SELECT 1", u"1/3", true, false},  {1, u"mine", u"3", false, true},
        {-1, u"SELECT 1", u"1/3", true, false}, {-1, u"SELECT 2", u"2/3", true, false},
        {1, u"SELECT 1", u"1/3", true, false},  {-1, u"SELECT 2", u"2/3", true, false},
        {-1, u"SELECT 3", u"3/3", true, false}, {-1, u"mine", u"3", false, true},
    };
    HistoryBrowse state;
    QString box = QStringLiteral("mine");
    int n = 0;
    for (const Step& s : steps) {
        const HistoryStepView view = StepHistory(state, history, s.step, box, 1, 2);
        EXPECT_EQ(view.text, QString::fromUtf16(s.text)) << "step " << n;
        EXPECT_EQ(view.label, QString::fromUtf16(s.label)) << "step " << n;
        EXPECT_EQ(view.browsing, s.browsing) << "step " << n;
        EXPECT_EQ(view.beep, s.beep) << "step " << n;
        if (!view.browsing) {
            EXPECT_EQ(view.selStart, 1);
            EXPECT_EQ(view.selLength, 2);
        }
        box = view.text;
        ++n;
    }
}

TEST(HistoryStepEmptyTest, BeepsAndKeepsTheTextWithAnEmptyHistory) {
    QTemporaryDir dir;
    SqlHistory history(dir.filePath(QStringLiteral("SQLHIST.TXT")), 20);
    history.ReadHist();
    HistoryBrowse state;
    for (int step : {1, -1}) {
        const HistoryStepView view = StepHistory(state, history, step, QStringLiteral("x"), 0, 1);
        EXPECT_TRUE(view.beep);
        EXPECT_EQ(view.text, QStringLiteral("x"));
        EXPECT_EQ(view.label, QStringLiteral("0"));
    }
}

TEST(SqlFileTextTest, LineEndsAndByteOrderMark) {
    const std::pair<QByteArray, QString> cases[] = {
        {QByteArray("SELECT 1\nFROM t\n"), QStringLiteral("SELECT 1\nFROM t\n")},
        {QByteArray("SELECT 1\r\nFROM t"), QStringLiteral("SELECT 1\nFROM t")},
        {QByteArray("\xEF\xBB\xBFSELECT '\xE6\x97\xA5'\n"), QStringLiteral("SELECT '日'\n")},
        {QByteArray(), QString()},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(SqlFileText(bytes), text) << bytes.toStdString();
}

TEST(FileDropTest, TheFileListAloneDecides) {
    QMimeData one;
    one.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.sql"))});
    one.setText(QStringLiteral("/tmp/a.sql"));  // file managers add the path as text too
    QString path;
    EXPECT_EQ(ClassifyFileDrop(one, &path), FileDrop::One);
    EXPECT_EQ(path, QStringLiteral("/tmp/a.sql"));
    QMimeData two;
    two.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.sql")),
                 QUrl::fromLocalFile(QStringLiteral("/tmp/b.sql"))});
    two.setText(QStringLiteral("/tmp/a.sql\n/tmp/b.sql"));
    EXPECT_EQ(ClassifyFileDrop(two), FileDrop::Refused);
    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.org/a.sql"))});
    EXPECT_EQ(ClassifyFileDrop(remote), FileDrop::Refused);
    remote.setText(QStringLiteral("SELECT 1"));  // a link from a browser: its text is dropped
    EXPECT_EQ(ClassifyFileDrop(remote), FileDrop::None);
    QMimeData text;
    text.setText(QStringLiteral("SELECT"));
    EXPECT_EQ(ClassifyFileDrop(text), FileDrop::None);
}

}  // namespace
}  // namespace varkel
