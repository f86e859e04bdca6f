#include <gtest/gtest.h>

#include "store/connection_mask.h"
#include "support/qt_printers.h"
#include "toolkit/window_position.h"
#include "ui/frame/connection_text.h"

namespace varkel {
namespace {

struct PositionCase {
    QString value;
    QRect expected;
};

TEST(WindowPositionTest, RestoredPlaceFollowsTheStoredValue) {
    const QSize screen(19200, 14400);
    const QSize current(12000, 9000);
    const QRect centred(3600, 2700, 12000, 9000);
    const PositionCase cases[] = {
        {QStringLiteral("1440,960,12000,9000"), QRect(1440, 960, 12000, 9000)},
        {QStringLiteral("-500,200,9000,7000"), QRect(0, 200, 9000, 7000)},
        {QStringLiteral("99999,99999,9000,7000"), QRect(0, 0, 9000, 7000)},
        {QStringLiteral("19200,14400,100,100"), QRect(19100, 14300, 100, 100)},  // onto it
        {QStringLiteral("15000,12000,9000,7000"), QRect(10200, 7400, 9000, 7000)},
        {QStringLiteral("100,200,0,-5"), QRect(100, 200, 12000, 9000)},  // the design size
        {QStringLiteral("100,200,30000,20000"), QRect(0, 0, 19200, 14400)},
        {QStringLiteral(""), centred},
        {QStringLiteral("   "), centred},
        {QStringLiteral("1,2,3"), centred},
        {QStringLiteral("a,2,3,4"), centred},
        {QStringLiteral("1440.4,960,12000,9000"), QRect(1440, 960, 12000, 9000)},
    };
    for (const PositionCase& c : cases)
        EXPECT_EQ(RestoredWindowRect(c.value, current, screen), c.expected)
            << c.value.toStdString();
    EXPECT_EQ(RestoredWindowRect(QString(), QSize(12001, 9001), screen),
              QRect(3599, 2699, 12001, 9001));
    // A second screen to the right of the main one: a place on it stays, one beyond both is
    // brought onto the main screen.
    const QList<QRect> two{QRect(QPoint(0, 0), screen), QRect(19200, 0, 19200, 14400)};
    EXPECT_EQ(RestoredWindowRect(QStringLiteral("20000,100,9000,7000"), current, two),
              QRect(20000, 100, 9000, 7000));
    EXPECT_EQ(RestoredWindowRect(QStringLiteral("36000,100,9000,7000"), current, two),
              QRect(0, 100, 9000, 7000));
    EXPECT_EQ(FormatWindowPos(QRect(1440, 960, 12000, 9000)),
              QStringLiteral("1440,960,12000,9000"));
}

TEST(ConnectionTextTest, TheTitleShowsTheConnectionsParts) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("DSN=SALES;UID=user1;PWD=****;DATABASE=ORDERS"),
         QStringLiteral("DSN=SALES;DATABASE=ORDERS;UID=user1;")},
        {QStringLiteral("DRIVER=SQLite3"), QStringLiteral("DRIVER=SQLite3")},  // no ";": as it is
        {QStringLiteral("SERVER=a;SERVER=b;DBQ=c;DSN=x;DSN=y;Driver=d;UID=u;"),
         QStringLiteral("DSN=y;SERVER=a;Driver=d;UID=u;")},
        {QStringLiteral("dsn=x;Database=y;uid=z;"), QString()},  // the keys are case-sensitive
    };
    for (const auto& [text, title] : cases)
        EXPECT_EQ(ConnInfoTitle(text), title) << text.toStdString();
}

TEST(ConnectionTextTest, TheConnectionBarMasksEveryPassword) {
    struct MaskCase {
        QString text, password, shown;
    };
    const MaskCase cases[] = {
        {QStringLiteral("DSN=a;UID=u;PWD=secret;X=1"), QStringLiteral("secret"),
         QStringLiteral("DSN=a;UID=u;PWD=****;X=1")},
        {QStringLiteral("DSN=a;UID=u;PWD=secret"), QStringLiteral("secret"),
         QStringLiteral("DSN=a;UID=u;PWD=****")},
        // A password spelled in any case, or one that came inside the string (from the
        // connection history, with the password field empty), is not shown either.
        {QStringLiteral("DSN=a;uid=u;pwd=secret;"), QStringLiteral("secret"),
         QStringLiteral("DSN=a;uid=u;pwd=****;")},
        {QStringLiteral("DSN=a;PWD=secret;"), QString(), QStringLiteral("DSN=a;PWD=****;")},
        {QStringLiteral("DRIVER=x;Password={a;b}}c};UID=u"), QString(),
         QStringLiteral("DRIVER=x;Password=****;UID=u")},
        {QStringLiteral("DSN=a;UID=u;PWD=other;X=PWD=typed"), QStringLiteral("typed"),
         QStringLiteral("DSN=a;UID=u;PWD=****;X=PWD=****")},
    };
    for (const MaskCase& c : cases)
        EXPECT_EQ(MaskConnectionBarText(c.text, c.password), c.shown) << c.text.toStdString();
    EXPECT_EQ(ConnectionTooltip(QString(128, u'x')), QString(128, u'x'));
    EXPECT_EQ(ConnectionTooltip(QString(129, u'x')), QString(128, u'x') + QStringLiteral("..."));
}

}  // namespace
}  // namespace varkel
