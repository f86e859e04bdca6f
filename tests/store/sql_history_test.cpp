#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "store/sql_history.h"
#include "support/qt_printers.h"

namespace varkel {
namespace {

class SqlHistoryTest : public ::testing::Test {
  protected:
    QString file() const { return dir_.filePath(QStringLiteral("SQLHIST.TXT")); }
    QByteArray contents() const {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeRecords(int count) {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 1; i <= count; ++i)
            f.write(QStringLiteral("24/01/01 00:00:%1 DSN=x;\tSELECT %2\r\n/\r\n")
                        .arg(i, 2, 10, QLatin1Char('0'))
                        .arg(i)
                        .toUtf8());
    }
    // Waits until the append timer has written everything queued.
    void drain(SqlHistory& h) {
        for (int i = 0; i < 100 && h.pending() > 0; ++i)
            QTest::qWait(100);
        ASSERT_EQ(h.pending(), 0);
    }
    QTemporaryDir dir_;
};

TEST(MaxHistTest, OutOfRangeValuesFallBackTo20) {
    const std::pair<QString, int> cases[] = {
        {QString(), 20},
        {QStringLiteral("5"), 20},
        {QStringLiteral("1000"), 20},
        {QStringLiteral("999"), 999},
        {QStringLiteral("50"), 50},
        {QStringLiteral("20"), 20},
        {QStringLiteral("49.6"), 50},
        {QStringLiteral("30abc"), 30},
        {QStringLiteral("abc"), 20},
    };
    for (const auto& [value, max] : cases)
        EXPECT_EQ(MaxHistFrom(value), max) << value.toStdString();
}

TEST_F(SqlHistoryTest, NoFileMeansAnEmptyHistory) {
    SqlHistory h(file(), 20);
    h.ReadHist();
    EXPECT_EQ(h.GetHistNum(), 0);
    EXPECT_EQ(h.GetHistCurr(1), QString());
    EXPECT_FALSE(h.Changed());
}

TEST_F(SqlHistoryTest, RecordsRoundTripThroughTheFile) {
    SqlHistory h(file(), 20);
    h.ReadHist();
    const QString label(70, u'L');
    h.AddHist(label, QStringLiteral("SELECT *\r\n  FROM t\r\n WHERE a = '\t'"));
    drain(h);
    const QByteArray bytes = contents();
    EXPECT_TRUE(bytes.endsWith("\r\n/\r\n"));
    const QString head = h.records().first().SQLhead;
    EXPECT_EQ(head.size(), 17 + 1 + 64 + 3);  // stamp, blank, label cut to 64 and "..."
    EXPECT_TRUE(head.endsWith(QString(64, u'L') + QStringLiteral("...")));
    EXPECT_EQ(QDateTime::fromString(head.left(17), QStringLiteral("yy/MM/dd HH:mm:ss")).isValid(),
              true);

    SqlHistory again(file(), 20);
    again.ReadHist();
    ASSERT_EQ(again.GetHistNum(), 1);
    EXPECT_EQ(again.records().first(), h.records().first());
}

TEST_F(SqlHistoryTest, TwoStatementsInOneSecondGetStampsOneSecondApart) {
    SqlHistory h(file(), 20);
    h.ReadHist();
    h.AddHist(QStringLiteral("DSN=x;"), QStringLiteral("SELECT 1"));
    h.AddHist(QStringLiteral("DSN=x;"), QStringLiteral("SELECT 2"));
    ASSERT_EQ(h.GetHistNum(), 2);
    const auto stamp = [&](int i) {
        return QDateTime::fromString(h.records()[i].SQLhead.left(17),
                                     QStringLiteral("yy/MM/dd HH:mm:ss"));
    };
    EXPECT_EQ(stamp(0).secsTo(stamp(1)), 1);
    drain(h);
    EXPECT_EQ(SplitHistoryRecords(QString::fromUtf8(contents())).size(), 2);
}

TEST_F(SqlHistoryTest, TheFileIsTrimmedOnlyAtTheEndOfARunThatAdded) {
    writeRecords(30);
    {
        SqlHistory h(file(), 20);
        h.ReadHist();
        EXPECT_EQ(h.GetHistNum(), 20);
        EXPECT_EQ(h.GetHistCurr(1), QStringLiteral("SELECT 11"));  // the newest twenty
        EXPECT_FALSE(h.Changed());
    }
    EXPECT_EQ(SplitHistoryRecords(QString::fromUtf8(contents())).size(), 30);  // untouched

    SqlHistory h(file(), 20);
    h.ReadHist();
    QSignalSpy dropped(&h, &SqlHistory::recordsDropped);
    h.AddHist(QStringLiteral("DSN=x;"), QStringLiteral("SELECT new"));
    EXPECT_EQ(h.GetHistNum(), 20);
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_TRUE(h.Changed());
    h.SaveHist();
    const QStringList records = SplitHistoryRecords(QString::fromUtf8(contents()));
    ASSERT_EQ(records.size(), 20);
    EXPECT_TRUE(records.last().endsWith(QStringLiteral("\tSELECT new")));
    EXPECT_TRUE(records.first().endsWith(QStringLiteral("\tSELECT 12")));
    EXPECT_TRUE(contents().endsWith("\r\n/\r\n"));
}

TEST_F(SqlHistoryTest, StepsThroughThePositions) {
    writeRecords(3);
    SqlHistory h(file(), 20);
    h.ReadHist();
    int pos = 0;
    QStringList next;
    for (int i = 0; i < 5; ++i) {
        h.GetHistNext(pos);
        next << QString::number(pos);
    }
    EXPECT_EQ(next.join(u','), QStringLiteral("3,2,1,0,3"));
    pos = 0;
    QStringList back;
    for (int i = 0; i < 5; ++i) {
        const QString statement = h.GetHistBack(pos);
        back << QString::number(pos);
        EXPECT_EQ(statement, pos == 0 ? QString() : QStringLiteral("SELECT %1").arg(pos));
    }
    EXPECT_EQ(back.join(u','), QStringLiteral("1,2,3,0,1"));
}

// A statement that would read back as two records is stored with a blank after its "/".
TEST_F(SqlHistoryTest, AStatementHoldingTheTerminatorReadsBackWhole) {
    SqlHistory h(file(), 20);
    h.ReadHist();
    h.AddHist(QString(), QStringLiteral("SELECT 1\r\n/\r\nSELECT 2"));
    h.AddHist(QString(), QStringLiteral("SELECT 3\r\n/"));
    h.SaveHist();
    SqlHistory again(file(), 20);
    again.ReadHist();
    ASSERT_EQ(again.GetHistNum(), 2);
    EXPECT_EQ(again.GetHistCurr(1), QStringLiteral("SELECT 1\r\n/ \r\nSELECT 2"));
    EXPECT_EQ(again.GetHistCurr(2), QStringLiteral("SELECT 3\r\n/ "));
    EXPECT_EQ(again.records(), h.records());
}

TEST(HistoryFormatTest, AnEmptyRecordEndsTheReading) {
    const QStringList records =
        SplitHistoryRecords(QStringLiteral("h1\ts1\r\n/\r\n\r\n/\r\nh3\ts3\r\n/\r\n"));
    EXPECT_EQ(records, QStringList{QStringLiteral("h1\ts1")});
    EXPECT_EQ(ParseHistoryRecord(QStringLiteral("no tab")),
              (ClassSQL{QString(), QStringLiteral("no tab")}));
    EXPECT_EQ(ParseHistoryRecord(QStringLiteral("h\ta\tb")),
              (ClassSQL{QStringLiteral("h"), QStringLiteral("a\tb")}));
}

}  // namespace
}  // namespace varkel
