#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "store/ini_file.h"
#include "support/qt_printers.h"
#include "ui/connect/connection_history.h"

namespace varkel {
namespace {

TEST(ConnectionHistoryTest, MasksThePasswordPart) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("DSN=a;UID=u;PWD=pw;Port=5"),
         QStringLiteral("DSN=a;UID=u;PWD=********;Port=5")},
        {QStringLiteral("DSN=a;UID=u;PWD=pw"), QStringLiteral("DSN=a;UID=u;PWD=********")},
        {QStringLiteral("DSN=a;PWD=;X=PWD="), QStringLiteral("DSN=a;PWD=********;X=PWD=********")},
        {QStringLiteral("PWD=pw;DSN=a"), QStringLiteral("PWD=pw;DSN=a")},  // no ";" before it
        {QStringLiteral("DSN=a;pwd=pw"), QStringLiteral("DSN=a;pwd=pw")},
    };
    for (const auto& [entry, masked] : cases)
        EXPECT_EQ(MaskHistoryEntry(entry), masked);
}

TEST(ConnectionHistoryTest, DetailsAreThePartsSplitAtTheirFirstEquals) {
    const auto rows = HistoryDetails(QStringLiteral("DSN=a;;Database=b=c;NOEQUALS;PWD=********"));
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], qMakePair(QStringLiteral("DSN"), QStringLiteral("a")));
    EXPECT_EQ(rows[1], qMakePair(QStringLiteral("Database"), QStringLiteral("b=c")));
    EXPECT_EQ(rows[2], qMakePair(QStringLiteral("NOEQUALS"), QString()));
    EXPECT_EQ(rows[3], qMakePair(QStringLiteral("PWD"), QStringLiteral("********")));
}

class ConnectionHistoryFileTest : public ::testing::Test {
  protected:
    QString file() const { return dir_.filePath(QStringLiteral("VARKEL.INI")); }
    QString key(const char* name) const {
        return ReadIniString(file(), QStringLiteral("CONNHIST"), QString::fromLatin1(name));
    }
    QTemporaryDir dir_;
};

TEST_F(ConnectionHistoryFileTest, ReadingClosesUpEmptyKeysAndSavingRenumbers) {
    QFile f(file());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[CONNHIST]\r\nSAVE=ON\r\n1=DSN=one;\r\n2=DSN=two;\r\n3=\r\n4=  \r\n5=DSN=five;\r\n");
    f.close();
    ConnectionHistory history;
    EXPECT_EQ(history.read(file()), QStringLiteral("ON"));
    EXPECT_EQ(history.entries(),
              (QStringList{QStringLiteral("DSN=one;"), QStringLiteral("DSN=two;"),
                           QStringLiteral("DSN=five;")}));
    history.save(file(), QStringLiteral("ON"));
    EXPECT_EQ(key("3"), QStringLiteral("DSN=five;"));
    for (const char* empty : {"4", "5", "20"})
        EXPECT_EQ(key(empty), QString()) << empty;
}

TEST_F(ConnectionHistoryFileTest, AnEqualEntryMovesToTheTopAndTheFileKeepsTwenty) {
    ConnectionHistory history;
    for (int i = 1; i <= 22; ++i)
        history.add(QStringLiteral("DSN=s%1;PWD=p  ").arg(i));
    history.add(QStringLiteral("DSN=s5;PWD=p"));
    EXPECT_EQ(history.entries().size(), 22);
    EXPECT_EQ(history.entries().first(), QStringLiteral("DSN=s5;PWD=p"));
    EXPECT_EQ(history.entries().count(QStringLiteral("DSN=s5;PWD=p")), 1);
    history.save(file(), QString());
    EXPECT_EQ(key("1"), QStringLiteral("DSN=s5;PWD=p"));  // unmasked in the file
    EXPECT_EQ(key("2"), QStringLiteral("DSN=s22;PWD=p"));
    EXPECT_EQ(key("20"), QStringLiteral("DSN=s3;PWD=p"));  // s5 left its place
    EXPECT_EQ(key("21"), QString());
    // SAVE is written as the dialog holds it, empty included.
    QFile f(file());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("[CONNHIST]\r\nSAVE=\r\n1=DSN=s5;PWD=p\r\n"));
}

}  // namespace
}  // namespace varkel
