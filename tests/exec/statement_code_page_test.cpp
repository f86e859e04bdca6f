#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdlib>

#include "db/odbc_comm.h"
#include "support/engines.h"
#include "support/message_recorder.h"
#include "support/when_shown.h"
#include "ui/connect/connect_ds.h"
#include "ui/main/main_window.h"

namespace varkel::test {
namespace {

struct Case {
    const char* codePage;
    QString script;
    bool runs;
    QString stored;  // hex of the value the table holds afterwards; empty: no row
};

// The SQL box's text reaches the driver exactly as typed, or not at all: a character the code
// page has no exact code for stops the statement with the execute error's box.
TEST(StatementCodePageTest, AStatementIsSentExactlyOrNotAtAll) {
    const Case cases[] = {
        {"CP932", QStringLiteral("INSERT INTO t VALUES ('¥100')"), false, QString()},
        {"CP932", QStringLiteral("INSERT INTO t VALUES ('‾')"), false, QString()},
        {"CP932", QStringLiteral("INSERT INTO t VALUES ('\\100')"), true,
         QStringLiteral("5C313030")},
        {"UTF-8", QStringLiteral("INSERT INTO t VALUES ('a\u00A0b')"), true,
         QStringLiteral("61C2A062")},
    };
    OdbcConfig config;
    TestDatabase db(Engine::SQLite, config);
    ASSERT_TRUE(db.unavailableReason().isEmpty());
    ASSERT_TRUE(db.admin().exec(QStringLiteral("CREATE TABLE t (v VARCHAR(20))")));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage + (" " + c.script.toStdString()));
        setenv("VARKEL_CODEPAGE", c.codePage, 1);
        ASSERT_TRUE(db.admin().exec(QStringLiteral("DELETE FROM t")));
        MessageRecorder boxes;
        DbSession session;
        {
            Varkel window(session);
            const QString item = db.dsn() + u'(' + db.driverName() + u')';
            WhenShown<ConnectDS>(
                &window, [&window] { return window.connectDialog(); },
                [item](ConnectDS& d) {
                    d.Combo1->setCurrentIndex(d.Combo1->findText(item));
                    d.Cmd_ok->click();
                });
            window.Load();
            ASSERT_TRUE(IsConnected(session)) << boxes.texts().join(u'\n').toStdString();
            const qsizetype before = boxes.boxes().size();
            window.findChild<QPlainTextEdit*>(QStringLiteral("TB_SQL"))->setPlainText(c.script);
            window.findChild<QAction*>(QStringLiteral("mn_sql_go"))->trigger();
            const QList<MessageBoxRequest> shown = boxes.boxes().mid(before);
            ASSERT_EQ(shown.size(), 1);
            EXPECT_EQ(shown[0].title, c.runs ? QStringLiteral("Varkel Light - ＳＱＬ正常終了")
                                             : QStringLiteral("Varkel Light - ＳＱＬ実行エラー"));
            if (!c.runs) {
                EXPECT_TRUE(shown[0].text.contains(QStringLiteral("CP932")));
            }
            window.close();
        }
        EXPECT_EQ(db.admin().scalar(QStringLiteral("SELECT hex(v) FROM t")), c.stored);
    }
    unsetenv("VARKEL_CODEPAGE");
}

}  // namespace
}  // namespace varkel::test
