#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "store/ini_file.h"
#include "store/keyword_file.h"
#include "store/settings_keys.h"
#include "support/file_faults.h"
#include "support/qt_printers.h"

namespace varkel {
namespace {

class IniFileTest : public ::testing::Test {
  protected:
    QString path() const { return dir_.filePath(QStringLiteral("VARKEL.INI")); }
    void write(const QByteArray& bytes) {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray contents() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir_;
};

struct ReadCase {
    const char* file;
    const char* section;
    const char* key;
    QString expected;
};

TEST_F(IniFileTest, ReadsLikeThePrivateProfileRoutines) {
    const ReadCase cases[] = {
        {"[WINDOW]\r\nMAIN=1,2,3,4\r\n", "WINDOW", "MAIN", QStringLiteral("1,2,3,4")},
        {"[window]\r\nmain=5\r\n", "WINDOW", "Main", QStringLiteral("5")},  // any letter case
        {"[W]\r\nK=first\r\nK=second\r\n", "W", "K", QStringLiteral("first")},
        {"[W]\r\nK=a\r\n[W]\r\nK=b\r\nL=c\r\n", "W", "L", QString()},  // first section only
        {"[W]\r\n  K  =   padded value   \r\n", "W", "K", QStringLiteral("padded value")},
        {"[W]\r\nK=\"quoted \"\r\n", "W", "K", QStringLiteral("quoted ")},
        {"[W]\r\nK='single'\r\n", "W", "K", QStringLiteral("single")},
        {"[W]\r\nK=\"\"twice\"\"\r\n", "W", "K", QStringLiteral("\"twice\"")},  // one pair only
        {"[W]\r\nK=\"unbalanced\r\n", "W", "K", QStringLiteral("\"unbalanced")},
        {"[W]\r\nK=a=b\r\n", "W", "K", QStringLiteral("a=b")},
        {"[W]\r\nK=\r\n", "W", "K", QString()},
        {"[W]\r\nK=x\r\n", "W", "Missing", QString()},
        {"[W]\r\nK=x\r\n", "Missing", "K", QString()},
        {"K=outside\r\n[W]\r\n", "W", "K", QString()},
        {"[W]\nK=unix line ends\n", "W", "K", QStringLiteral("unix line ends")},
        {"[W]\r\nK=日本語の値\r\n", "W", "K", QStringLiteral("日本語の値")},
        {"[W]\rK=lone CRs\rL=2\r", "W", "K", QStringLiteral("lone CRs")},
        {"\xEF\xBB\xBF[W]\r\nK=after a BOM\r\n", "W", "K", QStringLiteral("after a BOM")},
        {"[W]\r\nK=\xEF\xBB\xBF"
         "data",
         "W", "K", QStringLiteral("\uFEFFdata")},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.file);
        write(c.file);
        EXPECT_EQ(ReadIniString(path(), QString::fromLatin1(c.section), QString::fromLatin1(c.key)),
                  c.expected);
    }
}

TEST_F(IniFileTest, AMissingFileReadsEmpty) {
    EXPECT_EQ(ReadIniString(dir_.filePath(QStringLiteral("none.ini")), QStringLiteral("W"),
                            QStringLiteral("K")),
              QString());
}

TEST_F(IniFileTest, LongValuesAreCutTo1023Characters) {
    write("[W]\r\nK=" + QByteArray(2000, 'v') + "\r\n");
    EXPECT_EQ(ReadIniString(path(), QStringLiteral("W"), QStringLiteral("K")), QString(1023, u'v'));
}

struct WriteCase {
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

TEST_F(IniFileTest, WritesInPlaceIntoItsSectionOrANewOne) {
    const WriteCase cases[] = {
        {"", "WINDOW", "ToolBar", "OFF", "[WINDOW]\r\nToolBar=OFF\r\n"},
        {"[WINDOW]\r\nmain=1\r\nToolBar=ON\r\n", "window", "MAIN", "2",
         "[WINDOW]\r\nMAIN=2\r\nToolBar=ON\r\n"},
        {"[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "A", "z", "3",
         "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
        {"[A]\r\nx=1\r\n", "B", "y", "2", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
        {"[A]\r\nx=1\r\n", "A", "x", "", "[A]\r\nx=\r\n"},  // empty is written, not deleted
        {"; comment\r\n[A]\r\nx=1\n", "A", "x", "new", "; comment\r\n[A]\r\nx=new\r\n"},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.before);
        QFile::remove(path());
        if (*c.before) write(c.before);
        EXPECT_NE(WriteIniString(path(), QString::fromLatin1(c.section), QString::fromLatin1(c.key),
                                 QString::fromUtf8(c.value)),
                  0);
        EXPECT_EQ(contents(), QByteArray(c.after));
    }
}

TEST_F(IniFileTest, ACutNeverSplitsASurrogatePair) {
    write("[W]\r\nK=" + QByteArray(1022, 'v') + "\xF0\x9F\x98\x80tail\r\n");
    EXPECT_EQ(ReadIniString(path(), QStringLiteral("W"), QStringLiteral("K")), QString(1022, u'v'));
    write("[W]\r\nK=" + QByteArray(1021, 'v') + "\xF0\x9F\x98\x80tail\r\n");
    EXPECT_EQ(ReadIniString(path(), QStringLiteral("W"), QStringLiteral("K")),
              QString(1021, u'v') + QStringLiteral("😀"));
}

// A write touches only the line it writes: bytes the code page cannot read (a Shift_JIS file
// under UTF-8), a byte order mark, other lines' ends stay as they are.
TEST_F(IniFileTest, WritingOneKeyChangesNoOtherByte) {
    const WriteCase cases[] = {
        {"[A]\r\nname=\x93\xfa\x96\x7b\r\nx=1\r\n", "A", "x", "2",
         "[A]\r\nname=\x93\xfa\x96\x7b\r\nx=2\r\n"},
        {"\xEF\xBB\xBF[A]\r\nx=1\r\n", "a", "X", "2", "\xEF\xBB\xBF[A]\r\nX=2\r\n"},
        {"[A]\nx=1\n[B]\ny=\x82\n", "A", "z", "3", "[A]\nx=1\nz=3\n[B]\ny=\x82\n"},
        {"[A]\rx=1\r\n", "A", "y", "2", "[A]\rx=1\r\ny=2\r\n"},
        {"[A]\r\nx=1", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n"},
        {"[A]\r\nx=1", "A", "x", "2", "[A]\r\nx=2"},
        {"[A]\r\nx=1\r\n", "A", "x", "two\r\nlines\nor\rthree", "[A]\r\nx=two lines or three\r\n"},
        {"[A]\nx=1\n", "A", "x", "1", "[A]\nx=1\n"},
        {"[A]\r\nx=1\r\n[B]\r\ny=2", "A", "z", "3", "[A]\r\nx=1\r\nz=3\r\n[B]\r\ny=2"},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.before);
        write(c.before);
        EXPECT_NE(WriteIniString(path(), QString::fromLatin1(c.section), QString::fromLatin1(c.key),
                                 QString::fromUtf8(c.value)),
                  0);
        EXPECT_EQ(contents(), QByteArray(c.after));
    }
}

// Several writes reach the file together, in one save; a save that fails names the file and
// leaves it whole.
TEST_F(IniFileTest, ManyWritesAreSavedAtOnceOrNotAtAll) {
    write("[A]\r\nx=1\r\n");
    IniFile ini(path());
    ini.write(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("2"));
    ini.write(QStringLiteral("B"), QStringLiteral("y"), QStringLiteral("3"));
    EXPECT_EQ(ini.read(QStringLiteral("B"), QStringLiteral("y")), QStringLiteral("3"));
    EXPECT_EQ(contents(), QByteArray("[A]\r\nx=1\r\n"));  // nothing before the save
    {
        test::ScopedPermissionsObeyed obeyed;
        test::SetWritable(dir_.path(), false);
        QString error;
        EXPECT_FALSE(ini.save(&error));
        test::SetWritable(dir_.path(), true);
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(path()))) << error.toStdString();
    }
    EXPECT_EQ(contents(), QByteArray("[A]\r\nx=1\r\n"));
    EXPECT_TRUE(ini.save());
    EXPECT_EQ(contents(), QByteArray("[A]\r\nx=2\r\n[B]\r\ny=3\r\n"));
}

TEST_F(IniFileTest, TheFileIsReadableByItsOwnerOnly) {
    write("[CONNHIST]\r\n");  // left readable by others by an earlier version
    QFile::setPermissions(path(), QFile::permissions(path()) | QFileDevice::ReadOther);
    WriteIniString(path(), QStringLiteral("CONNHIST"), QStringLiteral("1"),
                   QStringLiteral("DSN=x;UID=u;PWD=secret"));
    const QFileDevice::Permissions p = QFile::permissions(path());
    EXPECT_TRUE(p.testFlag(QFileDevice::ReadOwner) && p.testFlag(QFileDevice::WriteOwner));
    for (auto other : {QFileDevice::ReadGroup, QFileDevice::WriteGroup, QFileDevice::ReadOther,
                       QFileDevice::WriteOther})
        EXPECT_FALSE(p.testFlag(other));
}

TEST(SwitchTest, OnlyExactlyOnIsOnAndWritesAreOnOrOff) {
    const std::pair<QString, bool> cases[] = {
        {QStringLiteral("ON"), true},
        {QStringLiteral("on"), false},
        {QStringLiteral("ONE"), false},
        {QStringLiteral(" ON"), false},
        {QString(), false},
        {QStringLiteral("OFF"), false},
    };
    for (const auto& [value, on] : cases) {
        EXPECT_EQ(settings::SwitchOn(value), on) << value.toStdString();
        EXPECT_EQ(settings::SwitchText(settings::SwitchOn(value)),
                  on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    }
}

TEST(KeywordFileTest, EveryLineIsAnEntryAsItStands) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SQLKYWD.TXT"));
    const std::pair<QByteArray, QStringList> cases[] = {
        {"SELECT\r\nFROM\r\n", {QStringLiteral("SELECT"), QStringLiteral("FROM")}},
        {"SELECT\r\n FROM \r\nWHERE",
         {QStringLiteral("SELECT"), QStringLiteral(" FROM "), QStringLiteral("WHERE")}},
        {"A\r\n\r\nB\r\n", {QStringLiteral("A"), QString(), QStringLiteral("B")}},
        {"", {}},
        {"SELECT\nFROM\n", {QStringLiteral("SELECT"), QStringLiteral("FROM")}},
        {"\xEF\xBB\xBF"
         "SELECT\r\n\xEF\xBB\xBF"
         "FROM",
         {QStringLiteral("SELECT"), QStringLiteral("\uFEFFFROM")}},
    };
    for (const auto& [bytes, expected] : cases) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        EXPECT_EQ(ReadKeywordFile(path), expected) << bytes.toStdString();
    }
    EXPECT_TRUE(ReadKeywordFile(dir.filePath(QStringLiteral("missing.txt"))).isEmpty());
}

}  // namespace
}  // namespace varkel
