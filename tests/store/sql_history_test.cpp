#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "store/sql_history.h"
#include "store/sql_templates.h"
#include "store/text_file.h"
#include "support/file_faults.h"
#include "support/qt_printers.h"
#include "support/stepping_clock.h"

namespace varkel {
namespace {

using test::ScopedFileSizeLimit;
using test::ScopedPermissionsObeyed;
using test::SetWritable;
using test::SteppingClock;

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
    // Steps the append timer until everything queued is written, a record a step.
    void drain(SqlHistory& h) {
        ASSERT_TRUE(h.appendTimer().isActive());
        for (int i = 0; i < 100 && h.pending() > 0; ++i)
            h.AppendNext();
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
    h.setClock(SteppingClock());
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
    // The clock stays in one second for its first four readings, as on a fast machine.
    const QDateTime second(QDate(2024, 3, 1), QTime(9, 0, 59));
    int readings = 0;
    h.setClock([&] { return ++readings <= 4 ? second : second.addSecs(1); });
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
    h.setClock(SteppingClock());
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
    h.setClock(SteppingClock());
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

QStringList Statements(const QList<ClassSQL>& records) {
    QStringList s;
    for (const ClassSQL& r : records)
        s << r.SQLstmt;
    return s;
}

struct EndingCase {
    const char* name;
    QByteArray bytes;
    QStringList statements;  // as read
};

// However the file ends, a run that adds a statement keeps every record it held, adds exactly
// one, and keeps the file's line ends.
TEST_F(SqlHistoryTest, ARunKeepsEveryRecordWhateverTheFileEnding) {
    const QString a = QStringLiteral("A"), b = QStringLiteral("B");
    const EndingCase cases[] = {
        {"closed", "h1\tA\r\n/\r\nh2\tB\r\n/\r\n", {a, b}},
        {"no final line end", "h1\tA\r\n/\r\nh2\tB\r\n/", {a, b}},
        {"half a final line end", "h1\tA\r\n/\r", {a}},
        {"no terminator", "h1\tA\r\nx", {QStringLiteral("A\r\nx")}},
        {"a line end only", "h1\tA\r\n/\r\nh2\tB\r\n", {a, QStringLiteral("B\r\n")}},
        {"LF closed", "h1\tA\nx\n/\nh2\tB\n/\n", {QStringLiteral("A\r\nx"), b}},
        {"LF no final line end", "h1\tA\n/\nh2\tB\n/", {a, b}},
        {"LF no terminator", "h1\tA", {a}},
        {"a byte order mark only", "\xEF\xBB\xBF", {}},
    };
    const QString added = QStringLiteral("SELECT new\r\n  FROM t");
    for (const EndingCase& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(file());
        {
            QFile f(file());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.bytes);
        }
        // A byte order mark alone is an empty file: CR LF, as in a new one.
        const bool lf = !c.bytes.contains('\r') && c.bytes != "\xEF\xBB\xBF";
        SqlHistory h(file(), 20);
        h.setClock(SteppingClock());
        h.ReadHist();
        EXPECT_EQ(Statements(h.records()), c.statements);
        h.AddHist(QStringLiteral("DSN=x;"), added);
        EXPECT_TRUE(h.SaveHist());
        SqlHistory again(file(), 20);
        again.ReadHist();
        EXPECT_EQ(Statements(again.records()), c.statements + QStringList{added});
        EXPECT_EQ(contents().contains('\r'), !lf);
        EXPECT_TRUE(contents().endsWith(lf ? "\n/\n" : "\r\n/\r\n"));
    }
}

TEST_F(SqlHistoryTest, TheTrimKeepsTheRecordsItReadsAndLeavesWhatItCannot) {
    // A one-record file without its final line end, trimmed in a run: the same one record.
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("h1\tA\n/");
    }
    SqlHistory one(file(), 20);
    one.ReadHist();
    EXPECT_TRUE(one.SaveHist());
    EXPECT_EQ(contents(), QByteArray("h1\tA\n/\n"));

    // Records after an empty one were never read: the trim leaves the file as it is.
    writeRecords(25);
    QByteArray before = contents() + "\r\n/\r\n24/01/01 00:01:00 DSN=x;\tSELECT late\r\n/\r\n";
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(before);
    }
    SqlHistory h(file(), 20);
    h.setClock(SteppingClock());
    h.ReadHist();
    EXPECT_EQ(h.GetHistNum(), 20);
    h.AddHist(QStringLiteral("DSN=x;"), QStringLiteral("SELECT new"));
    EXPECT_TRUE(h.SaveHist());
    EXPECT_TRUE(contents().startsWith(before));
    EXPECT_TRUE(contents().endsWith("\tSELECT new\r\n/\r\n"));
}

struct FaultCase {
    const char* name;
    int records;
    bool fileWritable, folderWritable;
    long sizeLimit;  // 0: none
    int saves;
    int told;  // reports of failed writes
    int recordsAfter;
};

// A failed append or trim is told once, when it happens, and loses nothing stored; a file that
// can be written in a folder that cannot is trimmed in place.
TEST_F(SqlHistoryTest, FailedWritesAreToldOnceAndLoseNothing) {
    const FaultCase cases[] = {
        {"file and folder read-only", 5, false, false, 0, 2, 1, 5},
        {"folder read-only", 25, true, false, 0, 1, 0, 20},
        {"disk full", 25, true, true, 100, 1, 1, 25},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetWritable(file(), true);
        SetWritable(dir_.path(), true);
        QFile::remove(file());
        writeRecords(c.records);
        const QByteArray before = contents();
        SqlHistory h(file(), 20);
        h.setClock(SteppingClock());
        QSignalSpy told(&h, &SqlHistory::writeFailed);
        h.ReadHist();
        h.AddHist(QStringLiteral("DSN=x;"), QStringLiteral("SELECT 1"));
        h.AddHist(QStringLiteral("DSN=x;"), QStringLiteral("SELECT 2"));
        {
            ScopedPermissionsObeyed obeyed;
            SetWritable(file(), c.fileWritable);
            SetWritable(dir_.path(), c.folderWritable);
            std::optional<ScopedFileSizeLimit> full;
            if (c.sizeLimit) full.emplace(c.sizeLimit);
            for (int i = 0; i < c.saves; ++i)
                h.SaveHist();  // an append that fails again is not told again
            SetWritable(dir_.path(), true);
        }
        EXPECT_EQ(told.count(), c.told);
        for (const QList<QVariant>& args : told)
            EXPECT_TRUE(args.first().toString().contains(QDir::toNativeSeparators(file())));
        EXPECT_EQ(h.GetHistNum(), std::min(20, c.records + 2));  // memory keeps its records
        const QStringList records = SplitHistoryRecords(QString::fromUtf8(contents()));
        EXPECT_EQ(records.size(), c.recordsAfter);
        if (c.told > 0) {
            EXPECT_EQ(contents(), before);
        } else {
            EXPECT_TRUE(records.last().endsWith(QStringLiteral("\tSELECT 2")));
        }
        EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files),
                  QStringList{QStringLiteral("SQLHIST.TXT")});
    }
    SetWritable(file(), true);
}

// An append that the disk stops half-way leaves the file exactly as it was.
TEST_F(SqlHistoryTest, AnAppendIsWholeOrNothing) {
    writeRecords(3);
    const QByteArray before = contents();
    QString error;
    {
        ScopedFileSizeLimit full(4096);
        EXPECT_FALSE(AppendFileBytes(file(), QByteArray(100000, 'b'), &error));
    }
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(contents(), before);
}

TEST(HistoryHeadTest, PasswordsAreMaskedWhateverTheirSpelling) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("DSN=a;UID=u;PWD=x;"), QStringLiteral("DSN=a;UID=u;PWD=****;")},
        {QStringLiteral("dsn=a;pwd=secret"), QStringLiteral("dsn=a;pwd=****")},
        {QStringLiteral("Password={a;b}};c};DSN=d"), QStringLiteral("Password=****;DSN=d")},
        {QStringLiteral("DRIVER=x; PassWord =y;Pwd=z"),
         QStringLiteral("DRIVER=x; PassWord =****;Pwd=****")},
        {QStringLiteral("DSN=pwd;PWDX=1;UID=password"),
         QStringLiteral("DSN=pwd;PWDX=1;UID=password")},
        {QStringLiteral("no attributes"), QStringLiteral("no attributes")},
        {QStringLiteral("={open;PWD=s;"), QStringLiteral("={open;PWD=****;")},
    };
    for (const auto& [text, masked] : cases)
        EXPECT_EQ(MaskPasswords(text), masked) << text.toStdString();
}

// The history and templates hold statements and connection labels: only their owner may read
// them, and a head never carries a password.
TEST_F(SqlHistoryTest, TheFilesAreOwnerOnlyAndHeadsCarryNoPassword) {
    // Files an earlier version left readable by others become owner-only at the first write.
    const QString templates = dir_.filePath(QStringLiteral("SQLTMPL.TXT"));
    writeRecords(1);
    QFile::copy(file(), templates);
    for (const QString& path : {file(), templates})
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ReadOther);
    SqlHistory h(file(), 20);
    h.setClock(SteppingClock());
    h.ReadHist();
    h.AddHist(QStringLiteral("DSN=a;password=secret;"), QStringLiteral("SELECT 1"));
    h.SaveHist();
    EXPECT_FALSE(contents().contains("secret"));
    EXPECT_TRUE(contents().contains("password=****;"));
    ASSERT_TRUE(WriteTemplateFile(templates, {{QStringLiteral("t"), QStringLiteral("SELECT 1")}}));
    for (const QString& path : {file(), templates}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
                  QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

TEST(TemplateFileTest, SavingKeepsTheRecordsAndTheLineEnds) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SQLTMPL.TXT"));
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"a\tSELECT 1\r\n/\r\nb\tSELECT\r\n 2\r\n/",
         "a\tSELECT 1\r\n/\r\nb\tSELECT\r\n 2\r\n/\r\n"},
        {"a\tSELECT\n 1\n/\nb\tx\n/", "a\tSELECT\n 1\n/\nb\tx\n/\n"},
        {"a\tSELECT 1\n/\n", "a\tSELECT 1\n/\n"},
        // a title beginning with a zero-width no-break space, after the file's byte order mark
        {"\xEF\xBB\xBF\xEF\xBB\xBF"
         "a\tSELECT 1\r\n/\r\n",
         "\xEF\xBB\xBF\xEF\xBB\xBF"
         "a\tSELECT 1\r\n/\r\n"},
    };
    for (const auto& [bytes, saved] : cases) {
        SCOPED_TRACE(bytes.toStdString());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        const QList<ClassSQL> templates = ReadTemplateFile(path);
        EXPECT_EQ(templates.size(), 2 - (saved.count('/') == 1));
        ASSERT_TRUE(WriteTemplateFile(path, templates));
        QFile g(path);
        ASSERT_TRUE(g.open(QIODevice::ReadOnly));
        EXPECT_EQ(g.readAll(), saved);
    }
}

}  // namespace
}  // namespace varkel
