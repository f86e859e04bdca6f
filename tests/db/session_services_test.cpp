#include <QFile>
#include <QGuiApplication>
#include <memory>

#include "db/driver_fixture.h"
#include "db/result_columns.h"

namespace varkel::test {
namespace {

struct ErrorTextCase {
    DbStatus status;
    bool connected;
    QString text;
    bool messageKept;
};

TEST(ShowDbErrorTest, ComposesItsFourTexts) {
    const QString diag = QStringLiteral("ORA-00942: table or view does not exist");
    const ErrorTextCase cases[] = {
        {-9, true, QStringLiteral("-9:データが重複しています。コードを変更して下さい。"), true},
        {100, false, QStringLiteral("100:該当データがありません。コードを変更して下さい。"), true},
        {-942, true, QStringLiteral("-942:以下のメッセージを参照。\r\n") + diag, false},
        {-942, false, QStringLiteral("-942:ＤＢ接続に失敗しています。\r\n") + diag, false},
    };
    for (const ErrorTextCase& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        MessageRecorder boxes;
        DbSession s;
        s.Connected = c.connected ? 1 : 0;
        s.LastMessage = diag;
        ShowDbError(s, c.status, QStringLiteral("ROLLBACK エラー"));
        ASSERT_EQ(boxes.boxes().size(), 1);
        EXPECT_EQ(boxes.boxes()[0].text, c.text);
        EXPECT_EQ(boxes.boxes()[0].title, QStringLiteral("ROLLBACK エラー"));
        EXPECT_EQ(boxes.boxes()[0].icon, MsgIcon::Exclamation);
        EXPECT_EQ(boxes.boxes()[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(s.LastMessage, c.messageKept ? diag : QString());
    }
}

class SessionServicesTest : public DriverTest {};

TEST_F(SessionServicesTest, CommitFailingWithNativeOneIsReportedAsADuplicate) {
    connect();
    ASSERT_EQ(DbExecute(s_, QStringLiteral("FAILCOMMIT 1 unique constraint violated")), 0);
    EXPECT_EQ(DbCommit(s_), -9);
    ASSERT_EQ(boxes_.boxes().size(), 1);
    EXPECT_EQ(boxes_.boxes()[0].text,
              QStringLiteral("-9:データが重複しています。コードを変更して下さい。"));
    EXPECT_EQ(boxes_.boxes()[0].title, QStringLiteral("COMMIT エラー"));
    EXPECT_EQ(LastDbMessage(s_), QStringLiteral("unique constraint violated"));
}

TEST_F(SessionServicesTest, ListDataSourcesKeepsAtMostTheMaximumAndReadsOn) {
    for (int i = 0; i < 120; ++i)
        config_.addDataSource(QStringLiteral("Source%1").arg(i, 3, 10, QLatin1Char('0')),
                              OdbcConfig::testDriverName(), {});
    DbInit(s_);
    int count = -1;
    QStringList names, descriptions;
    EXPECT_EQ(ListDataSources(s_, 99, count, names, descriptions), 0);
    EXPECT_EQ(count, 99);
    ASSERT_EQ(names.size(), 99);
    EXPECT_EQ(names.first(), QStringLiteral("Source000"));
    EXPECT_EQ(names.last(), QStringLiteral("Source098"));
    EXPECT_EQ(descriptions.first(), OdbcConfig::testDriverName());  // the driver's name
    EXPECT_FALSE(s_.DataSourceScan);
    // A second listing starts from the first source again.
    EXPECT_EQ(ListDataSources(s_, 200, count, names, descriptions), 0);
    EXPECT_EQ(count, 120);
}

TEST_F(SessionServicesTest, ListDriversNamesTheInstalledDrivers) {
    DbInit(s_);
    int count = 0;
    QStringList drivers;
    EXPECT_EQ(ListDrivers(s_, 99, count, drivers), 0);
    EXPECT_EQ(count, drivers.size());
    EXPECT_TRUE(drivers.contains(OdbcConfig::testDriverName())) << drivers.join(u',').toStdString();
    EXPECT_TRUE(drivers.contains(QStringLiteral("SQLite3")));
    EXPECT_EQ(ListDrivers(s_, 2, count, drivers), 0);
    EXPECT_EQ(count, 2);
}

// The driver cannot show its dialog (IM008): the connect is asked again without one, so that a
// working connection connects and a refused one shows the real reason.
TEST_F(SessionServicesTest, ConnectRetriesWithoutADialogWhenTheDriverHasNone) {
    connect(OdbcConfig::testDriverName(), QStringLiteral("DIALOG=1"));
    EXPECT_TRUE(IsConnected(s_));
    DbDisconnect(s_);

    QString user, password;
    QString connectString = QStringLiteral("DRIVER=VarkelTest;DIALOG=1;DENY=1;");
    EXPECT_EQ(DbConnect(s_, 0, {}, user, password, {}, connectString), -99);
    ASSERT_EQ(boxes_.boxes().size(), 1);
    EXPECT_EQ(
        boxes_.boxes()[0].text,
        QStringLiteral("-1045:ＤＢ接続に失敗しました。\r\n[VarkelTest]Access denied for user"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(SessionServicesTest, CompletedStringKeysAreTakenOnlyInTheirExactSpelling) {
    struct KeyCase {
        QString keys;
        QString user, password;
    };
    const KeyCase cases[] = {
        {QStringLiteral(";UID=scott;PWD=tiger;X=1"), QStringLiteral("scott"),
         QStringLiteral("tiger")},
        {QStringLiteral(";uid=scott;pwd=tiger;"), QStringLiteral("mine"), QStringLiteral("secret")},
        {QStringLiteral(";UID=scott;PWD=tiger"), QStringLiteral("scott"), QStringLiteral("tiger")},
        {QStringLiteral(";PWD=;UID=;"), QString(), QString()},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.keys.toStdString());
        DbSession s;
        DbInit(s);
        QString user = QStringLiteral("mine"), password = QStringLiteral("secret");
        QString connectString = QStringLiteral("DRIVER=VarkelTest") + c.keys;
        ASSERT_EQ(DbConnect(s, 0, {}, user, password, {}, connectString), 0);
        EXPECT_EQ(connectString, QStringLiteral("DRIVER=VarkelTest") + c.keys);
        EXPECT_EQ(user, c.user);
        EXPECT_EQ(password, c.password);
        DbDisconnect(s);
    }
}

// Without SQLExtendedFetch every block request is a single-row fetch.
TEST_F(SessionServicesTest, BlockFetchFallsBackToSingleRowsWhenTheDriverLacksIt) {
    connect(OdbcConfig::noBlockDriverName());
    EXPECT_FALSE(s_.BlockFetch);
    ASSERT_EQ(DbExecute(s_, QStringLiteral("ROWS 300")), 0);
    QStringList values;
    for (int row = 1; row <= 300; ++row) {
        ASSERT_EQ(DbFetch(s_, values, 0), 0) << row;
        EXPECT_EQ(s_.RowsFetched, row);
        EXPECT_EQ(values.value(0), QString::number(row));
    }
    EXPECT_EQ(values.value(1), QStringLiteral("row 300"));
    EXPECT_EQ(DbFetch(s_, values, 0), 100);
}

TEST_F(SessionServicesTest, AFetchFailingInTheMiddleReportsTheDriversError) {
    connect();
    EXPECT_TRUE(s_.BlockFetch);
    ASSERT_EQ(DbExecute(s_, QStringLiteral("ROWS 600 FAILAT 300")), 0);
    QStringList values;
    for (int row = 1; row <= 256; ++row)
        ASSERT_EQ(DbFetch(s_, values, 0), 0) << row;
    EXPECT_EQ(DbFetch(s_, values, 0), -9999);
    EXPECT_EQ(LastDbMessage(s_), QStringLiteral("[VarkelTest]fetch failed at row 300"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Read whole (rows are read ahead in lots): every row before the failing one, then its error.
    ASSERT_EQ(DbExecute(s_, QStringLiteral("ROWS 600 FAILAT 300")), 0);
    for (int row = 1; row < 300; ++row) {
        ASSERT_EQ(DbFetchWhole(s_, values), 0) << row;
        ASSERT_EQ(values.value(0), QString::number(row));
    }
    EXPECT_EQ(s_.RowsFetched, 299);
    EXPECT_EQ(DbFetchWhole(s_, values), -9999);
    EXPECT_EQ(LastDbMessage(s_), QStringLiteral("[VarkelTest]fetch failed at row 300"));
}

// Rows read whole are read ahead while the caller works: no call is out for the window, and a
// call given meanwhile waits for that reading instead of being refused, the rows keeping their
// order.
TEST_F(SessionServicesTest, ACallGivenWhileRowsAreReadAheadWaitsForThem) {
    connect();
    ASSERT_EQ(DbExecute(s_, QStringLiteral("ROWS 600")), 0);
    QStringList values;
    for (int row = 1; row <= 600; ++row) {
        ASSERT_EQ(DbFetchWhole(s_, values), 0) << row;
        ASSERT_EQ(values.value(0), QString::number(row));
        if (row % 200 != 1) continue;
        EXPECT_FALSE(DbCallOut(s_)) << row;
        EXPECT_EQ(DbCommit(s_), 0) << row;
    }
    EXPECT_EQ(DbFetchWhole(s_, values), 100);
}

TEST_F(SessionServicesTest, AResultWiderThanTheRecordIsDescribedByItsFirstColumns) {
    connect();
    ASSERT_EQ(DbExecute(s_, QStringLiteral("COLS 1200")), 0);
    EXPECT_EQ(LastColumnCount(s_), 1200);
    auto record = std::make_unique<ResultColumns>();
    record->Count = LastColumnCount(s_);
    EXPECT_EQ(DescribeResult(s_, *record), 0);
    EXPECT_EQ(record->Count, ResultColumns::Capacity);
    EXPECT_EQ(record->Names[0], QStringLiteral("ID"));
    EXPECT_EQ(record->Kinds[0], QStringLiteral("N"));
    EXPECT_EQ(record->Names[999], QStringLiteral("C1000"));
    EXPECT_EQ(record->Kinds[999], QStringLiteral("S"));
    QStringList values;
    EXPECT_EQ(DbFetch(s_, values, 0), 0);
    EXPECT_EQ(values.value(1199), QStringLiteral("c1200_1"));
}

// A column name longer than the driver's buffer arrives cut with a warning; the result is still
// described, and its count never passes the record's capacity.
TEST_F(SessionServicesTest, AWideResultWithALongNameIsDescribedWithinTheRecord) {
    connect();
    struct Case {
        const char* sql;
        QString fifth;
    };
    for (const Case& c : {Case{"COLS 1200 LONGNAME 5", QString(254, u'L')},
                          Case{"COLS 1200 LONGNAME 1100", QStringLiteral("C5")}}) {
        SCOPED_TRACE(c.sql);
        ASSERT_EQ(DbExecute(s_, QString::fromLatin1(c.sql)), 0);
        auto record = std::make_unique<ResultColumns>();
        record->Count = LastColumnCount(s_);
        EXPECT_EQ(DescribeResult(s_, *record), 0) << s_.LastMessage.toStdString();
        EXPECT_EQ(record->Count, ResultColumns::Capacity);
        EXPECT_EQ(record->Names[3], QStringLiteral("C4"));
        EXPECT_EQ(record->Names[4], c.fifth);
        EXPECT_EQ(record->Names[999], QStringLiteral("C1000"));
    }
}

TEST_F(SessionServicesTest, DescribeFailureLeavesTheRecordAsItWas) {
    connect();
    ASSERT_EQ(DbExecute(s_, QStringLiteral("ROWS 1")), 0);
    CloseCursor(s_);
    EXPECT_EQ(s_.CursorOpen, 0);
    ResultColumns record;
    record.Count = 2;
    record.Names[0] = QStringLiteral("before");
    s_.CursorColumns = 2;  // the cursor is gone, its description fails
    EXPECT_NE(DescribeResult(s_, record), 0);
    EXPECT_EQ(record.Names[0], QStringLiteral("before"));
}

}  // namespace
}  // namespace varkel::test
