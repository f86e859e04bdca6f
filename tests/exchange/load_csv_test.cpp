#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <functional>

#include "db/db_test_util.h"
#include "exchange/export_format.h"
#include "exchange/load_csv.h"
#include "exec/command_lock.h"
#include "store/code_page.h"
#include "support/message_recorder.h"

namespace varkel::test {
namespace {

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
    // Calls `act` with 1, 2, … at every yield of a running import, until it returns true.
    void atEveryYield(const std::function<bool(int)>& act) {
        auto* timer = new QTimer(window_.get());
        timer->setInterval(0);
        auto count = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, act, count] {
            if (!window_->running()) return;
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

TEST_P(LoadCsvTest, CommitsEveryIntervalAndAtTheEnd) {
    const QString path = file(QStringLiteral("n.csv"), numbered(25));
    QList<int> seen;  // rows another connection sees, at each yield
    atEveryYield([&](int) {
        const int n = committedRows();
        if (seen.isEmpty() || seen.last() != n) seen << n;
        return false;
    });
    const auto shown = import(path, 1);  // 10
    EXPECT_EQ(seen, QList<int>({0, 10, 20}));
    EXPECT_EQ(committedRows(), 25);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, ended(25));
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
}

TEST_P(LoadCsvTest, CancelAfterSevenRowsCommitsThemAndSaysSo) {
    const QString path = file(QStringLiteral("n.csv"), numbered(50));
    atEveryYield([&](int yield) {
        if (yield <= 7) return false;  // the yield before line 8: seven rows are in
        window_->Command2->click();
        return true;
    });
    const auto shown = import(path, 2);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, ended(7, true));
    EXPECT_EQ(shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(committedRows(), 7);
    EXPECT_EQ(window_->L_cnt->text(), QStringLiteral("7/50"));
    EXPECT_FALSE(window_->isVisible());
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

TEST_P(LoadCsvTest, WhatTheExportWritesImportsBack) {
    AdminConnection& admin = db_->admin();
    const QString columns =
        QStringLiteral(" (id INTEGER, name VARCHAR(40), note VARCHAR(40), amount INTEGER)");
    ASSERT_TRUE(admin.exec(QStringLiteral("CREATE TABLE src") + columns));
    ASSERT_TRUE(admin.exec(QStringLiteral("CREATE TABLE dst") + columns));
    ASSERT_TRUE(admin.exec(
        QStringLiteral("INSERT INTO src VALUES (1, '日本語のテキスト', 'O''Brien', -12), "
                       "(2, 'ｶﾀｶﾅ ～ ①', 'it''s ''quoted''', NULL), (3, 'plain', 'x', -7)")));

    // The rows as the program reads them, written as the export writes them.
    ASSERT_EQ(DbExecute(session_, QStringLiteral("SELECT * FROM src ORDER BY id")), 0);
    QString text = ExportHeaderLine({QStringLiteral("id"), QStringLiteral("name"),
                                     QStringLiteral("note"), QStringLiteral("amount")},
                                    QStringLiteral(","));
    QStringList values;
    while (DbFetch(session_, values, 0) == 0)
        AppendExportLine(text, values.mid(0, 4), {true, false, false, true}, QStringLiteral(","),
                         QStringLiteral("\""));
    CloseCursor(session_);
    QByteArray bytes;
    ASSERT_EQ(AppendEncoded(bytes, session_.Ansi, text), 0);

    window_->ImCB_table->setEditText(QStringLiteral("dst"));
    window_->TB_file->setText(file(QStringLiteral("round.csv"), bytes));
    window_->Chk_head->setChecked(true);
    window_->Command1->click();
    ASSERT_EQ(boxes_.texts(), QStringList({ended(3)}));
    const QString select = QStringLiteral("SELECT id, name, note, amount FROM %1 ORDER BY id");
    EXPECT_EQ(admin.rows(select.arg(QStringLiteral("dst"))),
              admin.rows(select.arg(QStringLiteral("src"))));
    EXPECT_EQ(admin.rows(select.arg(QStringLiteral("dst"))).value(1),
              QStringLiteral("2|ｶﾀｶﾅ ～ ①|it's 'quoted'|<null>"));
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
    const QString path = file(QStringLiteral("n.csv"), numbered(20));
    atEveryYield([&](int yield) {
        if (yield < 4) return false;
        DbDisconnect(session_);
        return true;
    });
    const auto shown = import(path, 4);
    ASSERT_EQ(shown.size(), 1) << boxes_.texts().join(u'\n').toStdString();
    EXPECT_EQ(shown[0].text,
              QStringLiteral("データベースとの接続が切れたため、登録を中止しました。") + kCrLf +
                  kCrLf + QStringLiteral("INSERT行数:3"));
    EXPECT_EQ(committedRows(), 3);  // disconnecting commits
    EXPECT_TRUE(window_->isVisible());
    EXPECT_FALSE(lock_.locked());
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

INSTANTIATE_TEST_SUITE_P(Engines, LoadCsvSessionTest, ::testing::Values(Engine::SQLite),
                         EngineParamName());

}  // namespace
}  // namespace varkel::test
