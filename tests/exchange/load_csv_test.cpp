#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>

#include "db/db_test_util.h"
#include "exchange/export_format.h"
#include "exchange/import_text.h"
#include "exchange/load_csv.h"
#include "exchange/save_csv.h"
#include "exec/command_lock.h"
#include "store/code_page.h"
#include "support/message_recorder.h"
#include "toolkit/file_dialogs.h"

namespace varkel::test {
namespace {
using namespace Qt::Literals::StringLiterals;

const QString kCrLf = QStringLiteral("\r\n");

// The import window on a session connected to the test's database, with a table "imp".
class LoadCsvTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFailure()) return;
        ConnectTo(session_, *db_);
        ASSERT_TRUE(db_->admin().exec(QStringLiteral(
            "CREATE TABLE imp (a INTEGER PRIMARY KEY, b VARCHAR(40), c VARCHAR(40))")));
        window_ =
            std::make_unique<LoadCSV>(session_, lock_, QStringLiteral("Varkel Light"), nullptr);
        window_->ShowOption({QStringLiteral("imp")}, 1, {}, 0);
    }
    void TearDown() override {
        window_.reset();
        if (IsConnected(session_)) DbDisconnect(session_);
    }
    QString file(const QString& name, const QByteArray& bytes) {
        QFile f(config_.path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    // Chooses the file and the settings, presses OK and returns the boxes shown meanwhile.
    QList<MessageBoxRequest> import(const QString& path, int interval = 0,
                                    const QString& delimiter = QStringLiteral(" ,"),
                                    bool header = false, bool headerColumns = false) {
        const qsizetype before = boxes_.boxes().size();
        window_->ImCB_table->setEditText(QStringLiteral("imp"));
        window_->TB_file->setText(path);
        window_->CB_txt_dlm->setCurrentIndex(window_->CB_txt_dlm->findText(delimiter));
        window_->Chk_head->setChecked(header);
        window_->Chk_head_col->setChecked(headerColumns);
        window_->VScroll1->setValue(interval);
        window_->Command1->click();
        return boxes_.boxes().mid(before);
    }
    // Calls `act` with 1, 2, … at every yield of a running import, until it returns true. A
    // statement that runs long (a slow machine) lets timers run while it is out: that is no
    // yield of the import, and the window takes no input then.
    void atEveryYield(const std::function<bool(int)>& act) {
        auto* timer = new QTimer(window_.get());
        timer->setInterval(0);
        auto count = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, act, count] {
            if (!window_->running() || DbCallOut(session_)) return;
            if (act(++*count)) timer->deleteLater();
        });
        timer->start();
    }
    QStringList rows() {
        return db_->admin().rows(QStringLiteral("SELECT a, b, c FROM imp ORDER BY a"));
    }
    int committedRows() {
        return db_->admin().scalar(QStringLiteral("SELECT COUNT(*) FROM imp")).toInt();
    }
    static QString ended(int rows, bool stopped = false) {
        return QStringLiteral("登録が終了しました。") +
               (stopped ? QStringLiteral("（中断）") : QString()) + kCrLf + kCrLf +
               QStringLiteral("INSERT行数:") + QString::number(rows);
    }
    static QByteArray numbered(int n) {
        QByteArray bytes;
        for (int k = 1; k <= n; ++k)
            bytes += QByteArray::number(k) + ",\"v" + QByteArray::number(k) + "\",\r\n";
        return bytes;
    }

    DbSession session_;
    CommandLock lock_;
    MessageRecorder boxes_;
    std::unique_ptr<LoadCSV> window_;
};

TEST_P(LoadCsvTest, TabDelimitedHeaderNamesTheColumns) {
    const QString path =
        file(QStringLiteral("h.txt"),
             "c\tb\ta\r\n\"cc1\"\t\"bb1\"\t1\r\n\t\"O'B\"\t2\r\n\"c3\"\t  \t-3\r\n");
    QSignalSpy locks(&lock_, &CommandLock::changed);
    const auto shown = import(path, 0, QStringLiteral("TAB"), true, true);
    ASSERT_EQ(shown.size(), 1) << boxes_.texts().join(u'\n').toStdString();
    EXPECT_EQ(shown[0].text, ended(3));
    EXPECT_EQ(shown[0].title, QStringLiteral("ファイルからTABLEへ登録"));
    EXPECT_EQ(rows(), QStringList({QStringLiteral("-3|<null>|c3"), QStringLiteral("1|bb1|cc1"),
                                   QStringLiteral("2|O'B|<null>")}));
    EXPECT_EQ(window_->L_cnt->text(), QStringLiteral("3/3"));
    EXPECT_EQ(window_->ProgressBar1->value(), 3);
    EXPECT_TRUE(window_->L_sql->text().isEmpty());
    EXPECT_FALSE(window_->isVisible());  // a finished import closes the window
    EXPECT_TRUE(window_->Command1->isEnabled());
    // The commands were locked while the import owned the session.
    ASSERT_EQ(locks.size(), 2);
    EXPECT_EQ(locks[0][0].toBool(), true);
    EXPECT_EQ(locks[1][0].toBool(), false);
}

// Lines go in batches of several rows; a failed line inside one is found and asked about by
// itself, the rows around it are kept, and the commits still come after every ten rows.
TEST_P(LoadCsvTest, CommitsEveryIntervalAndAtTheEnd) {
    struct Case {
        const char* name;
        QByteArray bytes;
        int interval;  // the scroll bar's value
        QList<int> seen;
        int boxes, rows;
        QString firstShown;  // the statement L_sql first shows (empty: not looked at)
        int failed = 0;      // the line that repeats the key before it
    };
    const Case cases[] = {
        {"every line goes in",
         numbered(25),
         1,
         {0, 10, 20},
         1,
         25,
         QStringLiteral("INSERT INTO imp VALUES(1,'v1',NULL),(2,'v2',NULL),(3,'v3',NULL),")},
        {"line 5 repeats a key",
         numbered(4) + "4,\"dup\",\r\n" + numbered(25).mid(numbered(5).size()),
         1,
         {0, 10, 20},
         3,
         24,
         {},
         5},
        // A batch sent is not committed until its interval is reached.
        {"no commit before 10000 rows", numbered(1500), 4, {0}, 1, 1500, {}},
        // The failed line's lot is answered after the next lines were read.
        {"line 700 of 1500 repeats a key",
         numbered(699) + "699,\"dup\",\r\n" + numbered(1500).mid(numbered(700).size()),
         4,
         {0},
         3,
         1499,
         {},
         700},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(db_->admin().exec(QStringLiteral("DELETE FROM imp")));
        window_->ShowOption({QStringLiteral("imp")}, 1, {}, 0);
        const QString path = file(QStringLiteral("n.csv"), c.bytes);
        QList<int> seen;  // rows another connection sees, at each yield
        QString firstShown;
        atEveryYield([&](int) {
            const int n = committedRows();
            if (seen.isEmpty() || seen.last() != n) seen << n;
            if (firstShown.isEmpty()) firstShown = window_->L_sql->text();
            return false;
        });
        if (c.boxes > 1) {
            boxes_.answer(MsgResult::Ok);
            boxes_.answer(MsgResult::Ok);  // go on with the next line
        }
        const auto shown = import(path, c.interval);
        EXPECT_EQ(seen, c.seen);
        if (!c.firstShown.isEmpty()) {
            EXPECT_TRUE(firstShown.startsWith(c.firstShown));
        }
        EXPECT_EQ(committedRows(), c.rows);
        ASSERT_EQ(shown.size(), c.boxes) << boxes_.texts().join(u'\n').toStdString();
        EXPECT_EQ(shown.last().text, ended(c.rows));
        if (c.boxes > 1) {
            EXPECT_EQ(shown[1].text, QStringLiteral("登録を次行から続行しますか？（OK = 続行）"));
            const auto row = [](int k) { return QStringLiteral("%1|v%1|<null>").arg(k); };
            EXPECT_EQ(rows().mid(c.failed - 3, 3),
                      QStringList({row(c.failed - 2), row(c.failed - 1), row(c.failed + 1)}));
        }
    }
}

TEST_P(LoadCsvTest, AFailingLineAsksAndContinuesOrStops) {
    const QString path =
        file(QStringLiteral("dup.csv"), "1,\"a\",\r\n2,\"b\",\r\n2,\"dup\",\r\n3,\"c\",\r\n");
    boxes_.answer(MsgResult::Ok);
    boxes_.answer(MsgResult::Ok);  // go on with the next line
    auto shown = import(path, 2);
    ASSERT_EQ(shown.size(), 3) << boxes_.texts().join(u'\n').toStdString();
    EXPECT_EQ(shown[0].title, QStringLiteral("Varkel Light - INSERTエラー"));
    EXPECT_EQ(shown[1].text, QStringLiteral("登録を次行から続行しますか？（OK = 続行）"));
    EXPECT_EQ(shown[1].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(shown[1].defaultButton, 1);  // Cancel
    EXPECT_EQ(shown[1].title, QStringLiteral("Varkel Light - INSERT続行確認"));
    EXPECT_EQ(shown[2].text, ended(3));
    EXPECT_EQ(window_->L_cnt->text(), QStringLiteral("3/4"));  // the failed line is not counted
    EXPECT_EQ(committedRows(), 3);

    ASSERT_TRUE(db_->admin().exec(QStringLiteral("DELETE FROM imp")));
    window_->ShowOption({QStringLiteral("imp")}, 1, {}, 0);
    shown = import(path, 2);  // the question's default answer: Cancel
    ASSERT_EQ(shown.size(), 3) << boxes_.texts().join(u'\n').toStdString();
    EXPECT_EQ(shown[2].text, QStringLiteral("登録を中止しました。") + kCrLf + kCrLf +
                                 QStringLiteral("INSERT行数:2") + kCrLf +
                                 QStringLiteral("COMMIT済み行数:2"));
    EXPECT_EQ(committedRows(), 2);  // committed although the interval was 100
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(window_->L_sql->text(), QStringLiteral("INSERT INTO imp VALUES(2,'dup',NULL)"));
    EXPECT_TRUE(window_->Command1->isEnabled());

    // A line whose failure ends the transaction at the database (SQLite, here a trigger's
    // RAISE(ROLLBACK)) takes the rows since the last commit with it: they are not counted.
    if (GetParam() == Engine::SQLite) {
        ASSERT_TRUE(db_->admin().exec(QStringLiteral("DELETE FROM imp")));
        ASSERT_TRUE(db_->admin().exec(
            QStringLiteral("CREATE TRIGGER boom BEFORE INSERT ON imp WHEN NEW.b = 'boom' "
                           "BEGIN SELECT RAISE(ROLLBACK, 'boom'); END")));
        window_->ShowOption({QStringLiteral("imp")}, 1, {}, 0);
        boxes_.answer(MsgResult::Ok);
        boxes_.answer(MsgResult::Ok);
        shown = import(
            file(QStringLiteral("boom.csv"), "1,\"a\",\r\n2,\"b\",\r\n3,\"boom\",\r\n4,\"d\",\r\n"),
            2);
        ASSERT_EQ(shown.size(), 3) << boxes_.texts().join(u'\n').toStdString();
        EXPECT_TRUE(shown[0].text.contains(QStringLiteral("ロールバックしました")))
            << shown[0].text.toStdString();
        EXPECT_EQ(shown[2].text, ended(1));
        EXPECT_EQ(rows(), QStringList({QStringLiteral("4|d|<null>")}));
    }

    // A table that keeps the rows of a failed statement (MyISAM) gets its lines one by one: the
    // lines before the failed one are not sent twice.
    if (GetParam() != Engine::MariaDB) return;
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("SET SESSION lock_wait_timeout = 20")));
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("DELETE FROM imp")));
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("ALTER TABLE imp ENGINE=MyISAM")));
    window_->ShowOption({QStringLiteral("imp")}, 1, {}, 0);
    boxes_.answer(MsgResult::Ok);
    boxes_.answer(MsgResult::Ok);
    shown = import(
        file(QStringLiteral("kept.csv"), "1,\"a\",\r\n2,\"b\",\r\n1,\"dup\",\r\n3,\"c\",\r\n"), 2);
    EXPECT_EQ(shown.size(), 3) << boxes_.texts().join(u'\n').toStdString();
    EXPECT_EQ(rows(), QStringList({QStringLiteral("1|a|<null>"), QStringLiteral("2|b|<null>"),
                                   QStringLiteral("3|c|<null>")}));
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("ALTER TABLE imp ENGINE=InnoDB")));
}

// A key checked only at COMMIT (PostgreSQL's deferred constraint): the import says how many rows
// the table kept, keeps its window open and never says it is done.
TEST_P(LoadCsvTest, AFailedCommitEndsTheImportWithTheCommittedCount) {
    if (GetParam() != Engine::PostgreSQL) GTEST_SKIP() << "only PostgreSQL defers a key check";
    ASSERT_TRUE(db_->admin().exec(QStringLiteral(
        "ALTER TABLE imp DROP CONSTRAINT imp_pkey, ADD CONSTRAINT imp_a UNIQUE (a) DEFERRABLE "
        "INITIALLY DEFERRED")));
    struct Case {
        const char* name;
        QByteArray bytes;
        int interval;  // the scroll bar's value
        int inserted, committed;
    };
    const Case cases[] = {
        {"an interval's commit", numbered(12) + numbered(13), 1, 20, 10},
        {"the final commit", numbered(3) + numbered(1), 2, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(db_->admin().exec(QStringLiteral("DELETE FROM imp")));
        window_->ShowOption({QStringLiteral("imp")}, 1, {}, 0);
        const auto shown = import(file(QStringLiteral("dup.csv"), c.bytes), c.interval);
        ASSERT_EQ(shown.size(), 2) << boxes_.texts().join(u'\n').toStdString();
        EXPECT_EQ(shown[0].title, QStringLiteral("COMMIT エラー"));
        EXPECT_EQ(shown[1].text, QStringLiteral("COMMITに失敗したため、登録を中止しました。") +
                                     kCrLf + kCrLf +
                                     QStringLiteral("INSERT行数:%1").arg(c.inserted) + kCrLf +
                                     QStringLiteral("COMMIT済み行数:%1").arg(c.committed));
        EXPECT_EQ(shown[1].icon, MsgIcon::Exclamation);
        EXPECT_EQ(committedRows(), c.committed);
        EXPECT_TRUE(window_->isVisible());
        EXPECT_TRUE(window_->Command1->isEnabled());
        EXPECT_FALSE(lock_.locked());
    }
}

TEST_P(LoadCsvTest, CancelAfterSevenRowsCommitsThemAndSaysSo) {
    // The yield before line `at + 1`: the lines before it are read, and all of them go in, the
    // lot still being written when the stop came (lines 1 to 1000 of 1500) included.
    const struct {
        int lines, interval, at;
        bool stopCommand;  // also the stop command, which cancels a call waited for
    } cases[] = {{50, 2, 7, false}, {1500, 4, 1199, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        ASSERT_TRUE(db_->admin().exec(QStringLiteral("DELETE FROM imp")));
        window_->ShowOption({QStringLiteral("imp")}, 1, {}, 0);
        const QString path = file(QStringLiteral("n.csv"), numbered(c.lines));
        atEveryYield([&](int yield) {
            if (yield <= c.at) return false;
            window_->Command2->click();
            if (c.stopCommand) DbCancel(session_);
            return true;
        });
        const auto shown = import(path, c.interval);
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text, ended(c.at, true));
        EXPECT_EQ(shown[0].icon, MsgIcon::Information);
        EXPECT_EQ(committedRows(), c.at);
        EXPECT_EQ(window_->L_cnt->text(), QStringLiteral("%1/%2").arg(c.at).arg(c.lines));
        EXPECT_FALSE(window_->isVisible());
    }
}

TEST_P(LoadCsvTest, AFileWithoutDataInsertsNothing) {
    for (const QByteArray& bytes : {QByteArray("a,b,c\r\n"), QByteArray()}) {
        window_->ShowOption({QStringLiteral("imp")}, 1, {}, 0);
        const auto shown =
            import(file(QStringLiteral("e.csv"), bytes), 0, QStringLiteral(" ,"), !bytes.isEmpty());
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].text, ended(0));
        EXPECT_EQ(window_->L_cnt->text(), QStringLiteral("0/0"));
        EXPECT_EQ(window_->ProgressBar1->value(), 0);
        EXPECT_NE(window_->ProgressBar1->maximum(), window_->ProgressBar1->minimum());
        EXPECT_TRUE(window_->Command1->isEnabled());
    }
    EXPECT_EQ(committedRows(), 0);
}

// Saved by SELECT-and-save with its header and loaded back with that header as the column list,
// every value comes back as it was, for every delimiter and every quote that can carry text.
TEST_P(LoadCsvTest, WhatTheExportWritesImportsBack) {
    AdminConnection& admin = db_->admin();
    const QStringList texts = {u"plain"_s,
                               u"a,b|c\td"_s,
                               u"say \"hi\""_s,
                               u"\""_s,
                               u"\"\""_s,
                               u"O'Brien"_s,
                               u"''"_s,
                               u"x\",0); DELETE FROM victim; --"_s,
                               u"a;b"_s,
                               u"-- not a comment"_s,
                               u"/* x */ #"_s,
                               u"C:\\temp\\new"_s,
                               u"ends in \\"_s,
                               u"\\'"_s,
                               u"line\rbreak"_s,
                               u"line\nbreak"_s,
                               u"line\r\nbreak"_s,
                               u"\r\n"_s,
                               u"日本語のテキスト ｶﾀｶﾅ ～ ①"_s,
                               u""_s,
                               u"  spaced  "_s,
                               u"$$ \"',"_s,
                               QString(200, u'x') + u"\"'\\,|;"_s};
    ASSERT_TRUE(admin.exec(u"CREATE TABLE src (k INTEGER, v VARCHAR(300), n INTEGER)"_s));
    ASSERT_TRUE(admin.exec(u"CREATE TABLE dst (k INTEGER, v VARCHAR(300), n INTEGER)"_s));
    QStringList expected;
    for (qsizetype k = 0; k < texts.size(); ++k) {
        QString literal = QString(texts[k]).replace(u"'"_s, u"''"_s);
        if (GetParam() == Engine::MariaDB) literal.replace(u"\\"_s, u"\\\\"_s);
        const QString n = k % 5 == 4 ? u"NULL"_s : QString::number(k * 10 - 35);
        ASSERT_TRUE(admin.exec(u"INSERT INTO src VALUES (%1, '%2', %3)"_s.arg(k).arg(literal, n)));
        expected << QString::number(k) + u'|' + texts[k] + u'|' + (k % 5 == 4 ? u"<null>"_s : n);
    }
    // A NULL text is written as two quotes, so it comes back as the empty text.
    ASSERT_TRUE(admin.exec(u"INSERT INTO src VALUES (99, NULL, 1)"_s));
    expected << u"99||1"_s;
    const QString select = u"SELECT k, v, n FROM %1 ORDER BY k"_s;
    ASSERT_EQ(admin.rows(select.arg(u"src"_s)).mid(0, texts.size()), expected.mid(0, texts.size()));

    SaveCSV save(SaveCSV::Calls{&session_, &lock_, u"Varkel Light"_s, {}, {}, {}}, nullptr);
    const QString path = config_.path(u"round.csv"_s);
    ScopedFileDialogResponder files([path](const FileDialogRequest&) { return path; });
    for (const QString& delimiter : {u" ,"_s, u" |"_s, u"TAB"_s}) {
        for (const QString& quote : {u" \""_s, u" '"_s}) {
            const std::string name = (delimiter + quote).toStdString();
            qsizetype before = boxes_.boxes().size();
            save.Show4SelectOut(select.arg(u"src"_s));
            save.CB_txt_dlm->setCurrentIndex(save.CB_txt_dlm->findText(delimiter));
            save.CB_kakomi->setCurrentIndex(save.CB_kakomi->findText(quote));
            save.Chk_head->setChecked(true);
            save.Command1->click();
            ASSERT_EQ(boxes_.texts().mid(before),
                      QStringList({path + kCrLf + u"に出力しました。"_s}))
                << name;
            before = boxes_.boxes().size();
            ASSERT_EQ(DbCommit(session_), 0);  // the SELECT's transaction would lock SQLite

            ASSERT_TRUE(admin.exec(u"DELETE FROM dst"_s));
            window_->ShowOption({u"dst"_s}, 1, {}, 0);
            window_->ImCB_table->setEditText(u"dst"_s);
            window_->TB_file->setText(path);
            window_->CB_txt_dlm->setCurrentIndex(window_->CB_txt_dlm->findText(delimiter));
            window_->Chk_head->setChecked(true);
            window_->Chk_head_col->setChecked(true);
            window_->Command1->click();
            ASSERT_EQ(boxes_.texts().mid(before), QStringList({ended(int(expected.size()))}))
                << name;
            EXPECT_EQ(admin.rows(select.arg(u"dst"_s)), expected) << name;
        }
    }
}

TEST_P(LoadCsvTest, ALineThatWouldSendTwoStatementsIsAFailedLine) {
    ASSERT_TRUE(db_->admin().exec(u"CREATE TABLE victim (x INTEGER)"_s));
    ASSERT_TRUE(db_->admin().exec(u"INSERT INTO victim VALUES (1)"_s));
    const QString path = file(u"v.csv"_s,
                              "1,\"a\",\r\n2,'b');DELETE FROM victim;--,\r\n3,\"c\r\n\",\r\n"
                              "4,'never closed,\r\n5,\"e\",\r\n");
    for (const int interval : {0, 2}) {  // every line alone, and lines gathered into batches
        SCOPED_TRACE(interval);
        ASSERT_TRUE(db_->admin().exec(u"DELETE FROM imp"_s));
        window_->ShowOption({u"imp"_s}, 1, {}, 0);
        for (int i = 0; i < 4; ++i)
            boxes_.answer(MsgResult::Ok);  // go on with the next line
        const auto shown = import(path, interval);
        ASSERT_EQ(shown.size(), 5) << boxes_.texts().join(u'\n').toStdString();
        EXPECT_EQ(shown[0].text, RefusedLineText(2));
        EXPECT_EQ(shown[0].title, u"Varkel Light - INSERTエラー"_s);
        EXPECT_EQ(shown[1].text, u"登録を次行から続行しますか？（OK = 続行）"_s);
        // A quote that never closes takes no line after it along.
        EXPECT_EQ(shown[2].text, RefusedLineText(5));
        EXPECT_EQ(shown[4].text, ended(3));
        // The third record's quote is open at its line end: it goes on over the fourth line.
        EXPECT_EQ(rows(), QStringList({u"1|a|<null>"_s, u"3|c\r\n|<null>"_s, u"5|e|<null>"_s}));
        EXPECT_EQ(db_->admin().scalar(u"SELECT COUNT(*) FROM victim"_s), u"1"_s);
    }

    // A header that would end the statement names no columns, and nothing is sent.
    window_->ShowOption({u"imp"_s}, 1, {}, 0);
    const auto header =
        import(file(u"h.csv"_s, "a);DELETE FROM victim;--\r\n9\r\n"), 0, u" ,"_s, true, true);
    ASSERT_EQ(header.size(), 1);
    EXPECT_EQ(header[0].text, RefusedHeaderText());
    EXPECT_EQ(db_->admin().scalar(u"SELECT COUNT(*) FROM victim"_s), u"1"_s);
    EXPECT_EQ(committedRows(), 3);
}

// A table chosen from the list is named as the server reads it: quoted with the driver's quote
// where needed, and with its owner where the list holds the name under two owners.
TEST_P(LoadCsvTest, AListedTableIsNamedAsTheServerReadsIt) {
    const bool pg = db_->engine() == Engine::PostgreSQL;
    const QString q = db_->engine() == Engine::MariaDB ? QStringLiteral("`") : QStringLiteral("\"");
    ASSERT_TRUE(db_->admin().exec(QStringLiteral("CREATE TABLE %1Imp-Mixed%1 (a INTEGER)").arg(q)));
    if (pg) {
        ASSERT_TRUE(db_->admin().exec(QStringLiteral("CREATE SCHEMA s2")));
        ASSERT_TRUE(db_->admin().exec(QStringLiteral("CREATE TABLE s2.\"Imp-Mixed\" (a INTEGER)")));
    }
    window_->hide();
    const QString name = QStringLiteral("Imp-Mixed");
    window_->ShowOption(pg ? QStringList{name, name} : QStringList{name}, pg ? 2 : 1, {}, 0,
                        {{QString(), QStringLiteral("public")}, {QString(), QStringLiteral("s2")}});
    window_->ImCB_table->setCurrentIndex(pg ? 1 : 0);
    window_->TB_file->setText(file(QStringLiteral("m.csv"), "1\r\n2\r\n"));
    window_->Command1->click();
    EXPECT_EQ(boxes_.texts().value(0), ended(2));
    EXPECT_EQ(db_->admin().scalar(QStringLiteral("SELECT COUNT(*) FROM %2%1Imp-Mixed%1")
                                      .arg(q, pg ? QStringLiteral("s2.") : QString())),
              QStringLiteral("2"));
}

INSTANTIATE_TEST_SUITE_P(Engines, LoadCsvTest,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL, Engine::MariaDB),
                         EngineParamName());

// What else may happen to the session while the import yields.
using LoadCsvSessionTest = LoadCsvTest;

TEST_P(LoadCsvSessionTest, ADisconnectEndsTheImportWithOneMessage) {
    // At the yield before line `at`: the lines read since the last lot were gathered for one
    // statement, not yet sent; a lot still being written (lines 1 to 1000 of 1500) goes in with
    // the disconnect's commit and is counted.
    const struct { int lines, at, inserted; } cases[] = {{20, 4, 0}, {1500, 1200, 1000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        ASSERT_TRUE(db_->admin().exec(QStringLiteral("DELETE FROM imp")));
        if (!IsConnected(session_)) ConnectTo(session_, *db_);
        window_->ShowOption({QStringLiteral("imp")}, 1, {}, 0);
        const QString path = file(QStringLiteral("n.csv"), numbered(c.lines));
        atEveryYield([&](int yield) {
            if (yield < c.at) return false;
            DbDisconnect(session_);
            return true;
        });
        const auto shown = import(path, 4);
        ASSERT_EQ(shown.size(), 1) << boxes_.texts().join(u'\n').toStdString();
        EXPECT_EQ(shown[0].text,
                  QStringLiteral("データベースとの接続が切れたため、登録を中止しました。") + kCrLf +
                      kCrLf + QStringLiteral("INSERT行数:%1").arg(c.inserted));
        EXPECT_EQ(committedRows(), c.inserted);
        EXPECT_TRUE(window_->isVisible());
        EXPECT_FALSE(lock_.locked());
    }
}

TEST_P(LoadCsvSessionTest, AnotherStatementOnTheSessionEndsTheImport) {
    const QString path = file(QStringLiteral("n.csv"), numbered(20));
    atEveryYield([&](int yield) {
        if (yield < 6) return false;
        DbExecute(session_, QStringLiteral("SELECT 1"));
        return true;
    });
    const auto shown = import(path, 4);
    ASSERT_EQ(shown.size(), 1) << boxes_.texts().join(u'\n').toStdString();
    EXPECT_EQ(shown[0].text,
              QStringLiteral("登録中に他の処理がデータベースを使用したため、登録を中止しました。") +
                  kCrLf + kCrLf + QStringLiteral("INSERT行数:5") + kCrLf +
                  QStringLiteral("COMMIT済み行数:5"));
    EXPECT_EQ(committedRows(), 5);
}

TEST_P(LoadCsvSessionTest, MissingFileOrTableStopsBeforeAnythingIsSent) {
    window_->ImCB_table->setEditText(QStringLiteral("  "));
    window_->Command1->click();
    ASSERT_EQ(boxes_.boxes().size(), 1);
    EXPECT_EQ(boxes_.boxes()[0].text, QStringLiteral("登録先テーブルを選択（入力）して下さい。"));
    EXPECT_EQ(boxes_.boxes()[0].title, QStringLiteral("登録の実行"));

    const auto shown = import(config_.path(QStringLiteral("missing.csv")));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, QStringLiteral("ﾌｧｲﾙがありません。"));
    EXPECT_EQ(shown[0].title, QStringLiteral("登録元CSVﾌｧｲﾙ"));

    // A name the code page cannot hold would reach the statement as "?".
    qputenv("VARKEL_CODEPAGE", "CP932");
    LoadCSV cp932(session_, lock_, QStringLiteral("Varkel Light"), nullptr);
    qunsetenv("VARKEL_CODEPAGE");
    cp932.ShowOption({QStringLiteral("imp")}, 1, {}, 0);
    cp932.ImCB_table->setEditText(QStringLiteral("imp\u00E4"));
    cp932.TB_file->setText(file(QStringLiteral("n.csv"), numbered(3)));
    cp932.Command1->click();
    ASSERT_EQ(boxes_.boxes().size(), 3);
    EXPECT_EQ(boxes_.boxes()[2].text,
              QStringLiteral("コードページ CP932 で表せない文字があるため、登録しません：\u00E4"));
    EXPECT_EQ(boxes_.boxes()[2].title, QStringLiteral("登録の実行"));

    // While a script or a fill owns the session, nothing is sent.
    auto hold = lock_.hold();
    const auto locked = import(file(QStringLiteral("n.csv"), numbered(3)));
    ASSERT_EQ(locked.size(), 1);
    EXPECT_EQ(locked[0].text, QStringLiteral("他の処理の実行中は登録できません。"));
    EXPECT_EQ(committedRows(), 0);
    EXPECT_TRUE(window_->isVisible());
}

TEST_P(LoadCsvSessionTest, AShiftJisFileIsReadInItsCodePage) {
    // The program's code page is CP932; the bar is the second byte of ポ.
    qputenv("VARKEL_CODEPAGE", "CP932");
    LoadCSV window(session_, lock_, QStringLiteral("Varkel Light"), nullptr);
    qunsetenv("VARKEL_CODEPAGE");
    window.ShowOption({QStringLiteral("imp")}, 1, {}, 0);
    const QByteArray bytes =
        CodePage("CP932").encode(QStringLiteral("1|\"ポ表\"|\"ソ\"\r\n2|\"①髙 ｶﾅ\"|\r\n"));
    ASSERT_EQ(bytes.count('|'), 5);
    window.ImCB_table->setEditText(QStringLiteral("imp"));
    window.TB_file->setText(file(QStringLiteral("sjis.txt"), bytes));
    window.CB_txt_dlm->setCurrentIndex(1);  // " |"
    window.Command1->click();
    EXPECT_EQ(boxes_.texts(), QStringList({ended(2)}));
    EXPECT_EQ(rows(),
              QStringList({QStringLiteral("1|ポ表|ソ"), QStringLiteral("2|①髙 ｶﾅ|<null>")}));
}

// A file that is not what the code page reads is read as the other desktop's code page when it
// cleanly is that, and refused otherwise; it is never stored as replacement characters unsaid.
TEST_P(LoadCsvSessionTest, AFileIsReadInACodePageThatHoldsItOrRefused) {
    const CodePage cp932("CP932");
    const QString japanese = QStringLiteral("1,\"ポ表\",\"①髙 ｶﾅ\"\r\n");
    struct Case {
        const char* name;
        const char* codePage;  // the program's
        QByteArray bytes;
        QString note;  // what the preview says of the code page
        QStringList boxes;
        QStringList rows;
    };
    const Case cases[] = {
        {"CP932 on a UTF-8 desktop",
         "UTF-8",
         cp932.encode(japanese),
         QStringLiteral(
             "このファイルは文字コード UTF-8 として読めないため、CP932 として読み込みます。"),
         {ended(1)},
         {QStringLiteral("1|ポ表|①髙 ｶﾅ")}},
        {"UTF-8 under CP932",
         "CP932",
         japanese.toUtf8(),
         QStringLiteral(
             "このファイルは文字コード CP932 として読めないため、UTF-8 として読み込みます。"),
         {ended(1)},
         {QStringLiteral("1|ポ表|①髙 ｶﾅ")}},
        {"neither",
         "UTF-8",
         "1,\"a\",\r\n2,\"\xFF\xFE\",\r\n",
         QString(),
         {QStringLiteral("ファイルの2行目に文字コード UTF-8 として読めない文字があるため、"
                         "登録できません。")},
         {}},
        {"a replacement character written in the file",
         "UTF-8",
         "1,\"a\xEF\xBF\xBD\",\r\n",
         QString(),
         {ended(1) + kCrLf + QStringLiteral("置換文字「\uFFFD」1文字を含む値を登録しました。")},
         {QStringLiteral("1|a\uFFFD|<null>")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(db_->admin().exec(QStringLiteral("DELETE FROM imp")));
        qputenv("VARKEL_CODEPAGE", c.codePage);
        LoadCSV window(session_, lock_, QStringLiteral("Varkel Light"), nullptr);
        qunsetenv("VARKEL_CODEPAGE");
        window.ShowOption({QStringLiteral("imp")}, 1, {}, 0);
        window.ImCB_table->setEditText(QStringLiteral("imp"));
        window.TB_file->setText(file(QStringLiteral("cp.csv"), c.bytes));
        const qsizetype before = boxes_.boxes().size();
        window.Command1->click();
        EXPECT_EQ(boxes_.texts().mid(before), c.boxes);
        EXPECT_EQ(window.L_file_code->isVisibleTo(&window), !c.note.isEmpty());
        EXPECT_EQ(window.L_file_code->text(), c.note);
        EXPECT_EQ(rows(), c.rows);
    }
}

// The file changes under a running import: it ends at once, says so and what is committed; a
// file that was mapped into memory would have brought the program down here.
TEST_P(LoadCsvSessionTest, AFileChangedDuringTheImportEndsIt) {
    const std::function<void(QFile&)> changes[] = {
        [](QFile& f) { f.resize(0); },
        [](QFile& f) {
            f.open(QIODevice::Append);
            f.write("99,\"late\",\r\n");
            f.close();
        },
    };
    for (const auto& change : changes) {
        ASSERT_TRUE(db_->admin().exec(QStringLiteral("DELETE FROM imp")));
        window_->ShowOption({QStringLiteral("imp")}, 1, {}, 0);
        const QString path = file(QStringLiteral("n.csv"), numbered(20));
        atEveryYield([&](int yield) {
            if (yield < 6) return false;  // five rows are in
            QFile f(path);
            change(f);
            return true;
        });
        const auto shown = import(path, 1);
        ASSERT_EQ(shown.size(), 1) << boxes_.texts().join(u'\n').toStdString();
        EXPECT_EQ(shown[0].text,
                  QStringLiteral("登録中にファイルが変更されたため、登録を中止しました。") + kCrLf +
                      kCrLf + QStringLiteral("INSERT行数:5") + kCrLf +
                      QStringLiteral("COMMIT済み行数:5"));
        EXPECT_EQ(committedRows(), 5);
        EXPECT_TRUE(window_->isVisible());
    }
}

// A line of megabytes: the window shows its beginning, the database gets all of it.
TEST_P(LoadCsvSessionTest, ALongLineIsShownByItsBeginningAndSentWhole) {
    const QByteArray value(300000, 'x');
    const QString path =
        file(QStringLiteral("long.csv"), "1,\"" + value + "\",\r\n2,\"" + value + "\",\r\n");
    window_->TB_file->setText(path);
    window_->Cmd_read->click();
    const QString preview = window_->TB_file_cont->toPlainText();
    const QString start = QStringLiteral("\"") + QString(1997, u'x') + QStringLiteral("…\n");
    EXPECT_EQ(preview, QStringLiteral("1,") + start + QStringLiteral("2,") + start);
    QString shown, copied, wider;
    atEveryYield([&](int) {
        shown = window_->L_sql->text();
        if (shown.isEmpty()) return false;
        window_->resize(window_->width() + 300, window_->height());
        QCoreApplication::processEvents();
        wider = window_->L_sql->text();
        QTest::mouseClick(window_->L_sql, Qt::LeftButton);
        copied = QApplication::clipboard()->text();
        return true;
    });
    ASSERT_EQ(import(path).size(), 1) << boxes_.texts().join(u'\n').toStdString();
    // As much as the label is wide, and never all of it.
    ASSERT_TRUE(shown.endsWith(QStringLiteral("…")));
    EXPECT_LE(shown.size(), 1001);
    EXPECT_GE(window_->L_sql->fontMetrics().horizontalAdvance(shown.chopped(1)),
              window_->L_sql->contentsRect().width());
    EXPECT_TRUE(shown.startsWith(QStringLiteral("INSERT INTO imp VALUES(1,'xxx")));
    EXPECT_GT(wider.size(), shown.size()) << "a wider window shows more of it";
    EXPECT_EQ(copied, QStringLiteral("INSERT INTO imp VALUES(1,'") + QString::fromLatin1(value) +
                          QStringLiteral("',NULL)"));  // the whole statement
    EXPECT_EQ(db_->admin().scalar(QStringLiteral("SELECT LENGTH(b) FROM imp WHERE a = 2")),
              QString::number(value.size()));
}

INSTANTIATE_TEST_SUITE_P(Engines, LoadCsvSessionTest, ::testing::Values(Engine::SQLite),
                         EngineParamName());

}  // namespace
}  // namespace varkel::test
