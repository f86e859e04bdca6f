#include "db/driver_fixture.h"

namespace varkel::test {
namespace {

class CheckReturnTest : public DriverTest {};

struct ReturnCase {
    const char* sql;  // a command of the test driver
    DbStatus status;
    QString message;
};

// Every return code and every shape of diagnostics becomes the program's status and text.
TEST_F(CheckReturnTest, EveryReturnCodeBecomesAStatusAndAText) {
    connect();
    const ReturnCase cases[] = {
        {"UPDATE 3", 0, {}},
        {"ERROR 1 unique constraint violated", -9, QStringLiteral("unique constraint violated")},
        {"ERROR 942 table or view does not exist", -942,
         QStringLiteral("table or view does not exist")},
        {"ERROR 70000 beyond sixteen bits", -70000, QStringLiteral("beyond sixteen bits")},
        {"ERROR -1 a notice", 1, QStringLiteral("a notice")},
        {"ERROR 0 no native code", -9999, QStringLiteral("no native code")},
        {"ERROR 0", -9999,
         QStringLiteral("[OdbcLib]NO ERROR CODE FOUND! (TRIGGER OR OTHER ERROR?)")},
        // executed with a warning: a success, the warning's text kept apart (checked below)
        {"WARN value truncated", 0, {}},
        {"ERRORS 0:first 77:second 5:third", -77, QStringLiteral("first\r\nsecond\r\nthird")},
        {"RETURN 2", 2, QStringLiteral("[OdbcLib]エラー")},
        {"RETURN 99", 99, QStringLiteral("[OdbcLib]エラー")},
        {"RETURN 100", 100, QStringLiteral("[OdbcLib]NO DATA FOUND")},
        {"RETURN -2", 9999, QStringLiteral("[OdbcLib]INVALID HANDLE:プログラムエラー")},
    };
    for (const ReturnCase& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(DbExecute(s_, QString::fromUtf8(c.sql)), c.status);
        EXPECT_EQ(s_.LastCode, c.status);
        EXPECT_EQ(LastDbMessage(s_), c.message);
        EXPECT_EQ(LastDbWarning(s_), QByteArray(c.sql).startsWith("WARN")
                                         ? QStringLiteral("value truncated")
                                         : QString());
    }
    EXPECT_TRUE(boxes_.boxes().isEmpty()) << "the call layer shows nothing";
}

TEST_F(CheckReturnTest, TakeLastMessageEmptiesItAndPeekDoesNot) {
    connect();
    DbExecute(s_, QStringLiteral("ERROR 5 kept"));
    EXPECT_EQ(PeekLastMessage(s_), QStringLiteral("kept"));
    EXPECT_EQ(PeekLastMessage(s_), QStringLiteral("kept"));
    EXPECT_EQ(TakeLastMessage(s_), QStringLiteral("kept"));
    EXPECT_EQ(PeekLastMessage(s_), QString());
}

}  // namespace
}  // namespace varkel::test
