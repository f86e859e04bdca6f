#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdlib>
#include <iterator>

#include "db/odbc_comm.h"
#include "store/code_page.h"
#include "support/connected_window.h"
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

// Sets the code page for one test and puts the default back whatever happens.
struct CodePageSetting {
    explicit CodePageSetting(const char* name) { setenv("VARKEL_CODEPAGE", name, 1); }
    ~CodePageSetting() { unsetenv("VARKEL_CODEPAGE"); }
    CodePageSetting(const CodePageSetting&) = delete;
    CodePageSetting& operator=(const CodePageSetting&) = delete;
};

// The stored value's bytes in hex, as the engine itself reports them.
QString StoredHex(TestDatabase& db, const QString& table, int key) {
    const QString value = db.engine() == Engine::PostgreSQL
                              ? QStringLiteral("encode(convert_to(v～, 'UTF8'), 'hex')")
                              : QStringLiteral("hex(v～)");
    return db.admin()
        .scalar(QStringLiteral("SELECT %1 FROM %2 WHERE k = %3").arg(value, table).arg(key))
        .toUpper();
}

std::string Texts(const QList<MessageBoxRequest>& boxes) {
    QString all;
    for (const MessageBoxRequest& box : boxes)
        all += box.title + u'\n' + box.text + u'\n';
    return all.toStdString();
}

struct DriverTextCase {
    QString value;
    bool runs;
    QString shown;  // what the result list shows of it
};

// Under the CP932 code page, which is the files', the driver still takes and returns UTF-8: a
// statement's Japanese is stored as UTF-8, and values, column and table names and the driver's
// messages read back intact; the 254-byte cut of a value never splits a character. A character
// that CP932 cannot hold exactly still stops the statement, which its history could not record.
using DriverTextTest = EngineTest;

TEST_P(DriverTextTest, TheDriverTakesAndGivesUtf8WhateverTheCodePage) {
    const CodePageSetting codePage("CP932");
    const QString table = QStringLiteral("表①髙ｶﾅ");
    ASSERT_TRUE(db_->admin().exec(
        QStringLiteral("CREATE TABLE %1 (k INTEGER, v～ VARCHAR(200))").arg(table)));
    const QString longValue(85, QChar(0x9AD9));  // 255 bytes in UTF-8
    const DriverTextCase cases[] = {
        {QStringLiteral("①髙～ｱｲｳｴｵﾞ"), true, QStringLiteral("①髙～ｱｲｳｴｵﾞ")},
        {QStringLiteral("ﾊﾝｶｸ ｶﾀｶﾅ｡｢｣"), true, QStringLiteral("ﾊﾝｶｸ ｶﾀｶﾅ｡｢｣")},
        {longValue, true, longValue.left(84)},
        {QStringLiteral("波〜線"), false, QString()},  // CP932 reads its code back as ～
        {QStringLiteral("한글"), false, QString()},
    };
    MessageRecorder boxes;
    DbSession session;
    const std::unique_ptr<Varkel> window = LoadConnectedWindow(session, *db_);
    ASSERT_TRUE(IsConnected(session)) << boxes.texts().join(u'\n').toStdString();
    auto* sql = window->findChild<QPlainTextEdit*>(QStringLiteral("TB_SQL"));
    auto* go = window->findChild<QAction*>(QStringLiteral("mn_sql_go"));
    auto* list = window->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    const auto run = [&](const QString& script) {
        const qsizetype before = boxes.boxes().size();
        sql->setPlainText(script);
        go->trigger();
        return boxes.boxes().mid(before);
    };
    // One statement a case; the program keeps one history record a second, so the rows are
    // read back together.
    QStringList shown;
    for (int k = 0; k < static_cast<int>(std::size(cases)); ++k) {
        const DriverTextCase& c = cases[k];
        SCOPED_TRACE(c.value.toStdString());
        const auto inserted =
            run(QStringLiteral("INSERT INTO %1 VALUES (%2, '%3')").arg(table).arg(k).arg(c.value));
        ASSERT_EQ(inserted.size(), 1) << Texts(inserted);
        EXPECT_EQ(inserted[0].title, c.runs ? QStringLiteral("Varkel Light - ＳＱＬ正常終了")
                                            : QStringLiteral("Varkel Light - ＳＱＬ実行エラー"))
            << inserted[0].text.toStdString();
        ASSERT_EQ(DbCommit(session), 0);
        EXPECT_EQ(StoredHex(*db_, table, k),
                  c.runs ? QString::fromLatin1(c.value.toUtf8().toHex().toUpper()) : QString());
        if (c.runs) shown << c.shown;
    }
    const auto selected = run(QStringLiteral("SELECT v～ FROM %1 ORDER BY k").arg(table));
    ASSERT_EQ(selected.size(), 1) << Texts(selected);
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("v～"));
    QStringList listed;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        listed << list->topLevelItem(i)->text(1);
    EXPECT_EQ(listed, shown);
    const auto missing = run(QStringLiteral("SELECT k FROM 無い表①"));
    ASSERT_FALSE(missing.isEmpty());  // then whether to keep the failed statement
    EXPECT_EQ(missing[0].title, QStringLiteral("Varkel Light - ＳＱＬ実行エラー"));
    EXPECT_TRUE(missing[0].text.contains(QStringLiteral("無い表①")))
        << missing[0].text.toStdString();

    int t = 0, v = 0, o = 0;
    QStringList tables, views, others;
    ASSERT_EQ(ListTables(session, db_->owner(), t, tables, v, views, o, others), 0);
    EXPECT_TRUE(tables.contains(table)) << tables.join(u',').toStdString();
    int count = 0;
    QStringList names, types;
    ASSERT_EQ(ListColumns(session, db_->owner(), table, 10, count, names, types), 0);
    EXPECT_EQ(names.mid(0, count).join(u',').toLower(), QStringLiteral("k,v～"));
    window->close();
    // The history file holds the statement that ran in the code page.
    QFile history(config_.path(QStringLiteral("SQLHIST.TXT")));
    ASSERT_TRUE(history.open(QIODevice::ReadOnly));
    EXPECT_TRUE(history.readAll().contains(
        CodePage("CP932").encode(QStringLiteral("VALUES (0, '%1')").arg(cases[0].value))));
}

INSTANTIATE_TEST_SUITE_P(Engines, DriverTextTest,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL, Engine::MariaDB),
                         EngineParamName());

}  // namespace
}  // namespace varkel::test
