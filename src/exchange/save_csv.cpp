#include "exchange/save_csv.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTreeWidget>

#include "exchange/export_format.h"
#include "exchange/import_text.h"
#include "exec/command_lock.h"
#include "exec/script_text.h"
#include "toolkit/message_box.h"
#include "toolkit/mnemonics.h"
#include "toolkit/twips.h"
#include "toolkit/yield.h"

namespace varkel {

namespace {

constexpr int kWidth = 5520;  // twips
constexpr int kHeight = 3420;

QRect Px(int left, int top, int width, int height) {
    return TwipsToPixels(left, top, width, height);
}

}  // namespace

SaveCSV::SaveCSV(Calls calls, QWidget* owner) : QDialog(owner), calls_(std::move(calls)) {
    setObjectName(QStringLiteral("SaveCSV"));
    setModal(false);
    setWindowTitle(QStringLiteral("SELECT結果の保存"));
    build();
    load();
    // The stop command of the main window stops a running save of a query's rows as Cancel
    // does; only that save holds the lock.
    if (calls_.lock)
        connect(calls_.lock, &CommandLock::stopRequested, this, [this] {
            if (savingSelect_) Command2_Click();
        });
}

void SaveCSV::build() {
    setFixedSize(TwipsToPixelsX(kWidth), TwipsToPixelsY(kHeight));
    const char16_t* captions[] = {u"ﾃｷｽﾄﾌｧｲﾙ", u"ｸﾘｯﾌﾟﾎﾞｰﾄﾞ", u"Excelﾌｧｲﾙ"};
    const char16_t* tips[] = {u"テキストファイルに出力", u"クリップボードに出力",
                              u"Excelファイルに出力"};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(QString::fromUtf16(captions[i]), this);
        option->setObjectName(QStringLiteral("Opt_out"));
        option->setToolTip(QString::fromUtf16(tips[i]));
        option->setGeometry(Px(120 + i * 1780, 120, 1700, 330));
        // The option reacts to its state, so keyboard and assistive technologies work too.
        connect(option, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Opt_out_Click(i);
        });
        Opt_out << option;
    }
    L_txt_dlm = new QLabel(QStringLiteral("テキストの区切り："), this);
    L_txt_dlm->setObjectName(QStringLiteral("L_txt_dlm"));
    L_txt_dlm->setGeometry(Px(120, 600, 2000, 300));
    CB_txt_dlm = new QComboBox(this);
    CB_txt_dlm->setObjectName(QStringLiteral("CB_txt_dlm"));
    CB_txt_dlm->setAccessibleName(QStringLiteral("テキストの区切り"));
    CB_txt_dlm->setGeometry(Px(2160, 560, 1300, 345));
    L_txt_dlm->setBuddy(CB_txt_dlm);
    L_kakomi = new QLabel(QStringLiteral("文字列の引用符："), this);
    L_kakomi->setObjectName(QStringLiteral("L_kakomi"));
    L_kakomi->setGeometry(Px(120, 1020, 2000, 300));
    CB_kakomi = new QComboBox(this);
    CB_kakomi->setObjectName(QStringLiteral("CB_kakomi"));
    CB_kakomi->setAccessibleName(QStringLiteral("文字列の引用符"));
    CB_kakomi->setGeometry(Px(2160, 980, 1300, 345));
    L_kakomi->setBuddy(CB_kakomi);

    Chk_head = new QCheckBox(QStringLiteral("列名をヘッダーとして出力する"), this);
    Chk_head->setObjectName(QStringLiteral("Chk_head"));
    Chk_head->setGeometry(Px(120, 1440, kWidth - 240, 330));
    Chk_edit_csv = new QCheckBox(QStringLiteral("出力後、ファイルを外部エディタで開く"), this);
    Chk_edit_csv->setObjectName(QStringLiteral("Chk_edit_csv"));
    Chk_edit_csv->setGeometry(Px(120, 1800, kWidth - 240, 330));
    Chk_open_exel = new QCheckBox(QStringLiteral("出力後、ファイルをExcelで開く"), this);
    Chk_open_exel->setObjectName(QStringLiteral("Chk_open_exel"));
    Chk_open_exel->setGeometry(Px(120, 1800, kWidth - 240, 330));

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setAccessibleName(QStringLiteral("出力の進み具合"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(Px(120, 2280, kWidth - 240, 270));
    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(Px(120, 2280, kWidth - 240, 270));
    Label1 = new QLabel(QStringLiteral("■■■"), Picture1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->adjustSize();
    Label1->move(0, 0);
    L_cnt = new QLabel(Picture1);
    L_cnt->setObjectName(QStringLiteral("L_cnt"));
    L_cnt->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    L_cnt->setGeometry(Picture1->width() - TwipsToPixelsX(1500), 0, TwipsToPixelsX(1500),
                       Picture1->height());

    Command1 = new QPushButton(QStringLiteral("ＯＫ"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setProperty("tag", QStringLiteral("保存先を指定して出力"));
    Command1->setDefault(true);
    Command1->setGeometry(Px(kWidth - 2880, 2760, 1260, 390));
    connect(Command1, &QPushButton::clicked, this, &SaveCSV::Command1_Click);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Px(kWidth - 1500, 2760, 1260, 390));
    connect(Command2, &QPushButton::clicked, this, &SaveCSV::Command2_Click);
    AssignMnemonics(this);
}

void SaveCSV::load() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    CB_txt_dlm->clear();
    CB_txt_dlm->addItems({QStringLiteral(" ,"), QStringLiteral(" |"), QStringLiteral("TAB")});
    CB_txt_dlm->setCurrentIndex(0);
    CB_kakomi->clear();
    CB_kakomi->addItems({QStringLiteral(" \""), QStringLiteral(" '"), QStringLiteral("(なし)")});
    CB_kakomi->setCurrentIndex(0);
    for (QCheckBox* box : {Chk_head, Chk_edit_csv, Chk_open_exel})
        box->setChecked(false);
    OutFileName.clear();
    if (Opt_out[0]->isChecked())
        Opt_out_Click(0);
    else
        Opt_out[0]->setChecked(true);
    reloadPending_ = false;
}

void SaveCSV::showWindow() {
    show();
    raise();
    activateWindow();
    DoEvents();
    Command1->setFocus();
}

void SaveCSV::ShowOption(QTreeWidget* list) {
    if (isVisible()) return;
    if (reloadPending_) load();
    setWindowTitle(QStringLiteral("SELECT結果の保存"));
    if (!list || list->topLevelItemCount() == 0) {
        ShowMessageBox(QStringLiteral("SELECT結果はありません。"), MsgButtons::Ok,
                       MsgIcon::Exclamation, QStringLiteral("SELECT結果の保存"));
        return;
    }
    TargetList = list;
    Opt_out[1]->setVisible(true);
    Opt_out[2]->setVisible(true);
    Picture1->setVisible(false);
    ProgressBar1->setRange(0, list->topLevelItemCount());
    ProgressBar1->setValue(0);
    ProgressBar1->setVisible(true);
    showWindow();
}

void SaveCSV::Show4SelectOut(const QString& sql) {
    if (isVisible()) return;
    if (reloadPending_) load();
    const QString caption = QStringLiteral("SELECT実行＆保存");
    setWindowTitle(caption);
    // Only blanks are trimmed: a statement that starts with a line break, a tab, WITH or a
    // comment is not taken for a SELECT.
    qsizetype from = 0, to = sql.size();
    while (from < to && sql[from] == u' ')
        ++from;
    while (to > from && sql[to - 1] == u' ')
        --to;
    // The statement runs and enters the history with CR LF line breaks, as every other does.
    const QString text = WithCrLf(sql.mid(from, to - from));
    if (text.isEmpty()) {
        ShowMessageBox(QStringLiteral("実行するSQL(SELECT)がありません。"), MsgButtons::Ok,
                       MsgIcon::Exclamation, caption);
        return;
    }
    if (text.left(6).compare(QStringLiteral("select"), Qt::CaseInsensitive) != 0) {
        ShowMessageBox(QStringLiteral("SQLがSELECT文ではありません。"), MsgButtons::Ok,
                       MsgIcon::Exclamation, caption);
        return;
    }
    SelectSql = text;
    Opt_out[1]->setVisible(false);
    Opt_out[2]->setVisible(false);
    Picture1->setVisible(true);
    Label1->setVisible(false);
    L_cnt->clear();
    ProgressBar1->setVisible(false);
    showWindow();
    Opt_out[0]->setChecked(true);
}

void SaveCSV::Opt_out_Click(int index) {
    for (int i = 0; i < Opt_out.size(); ++i) {
        QFont font = Opt_out[i]->font();
        font.setBold(i == index);
        Opt_out[i]->setFont(font);
    }
    const QString tag = Command1->property("tag").toString();
    Command1->setToolTip(index == 1 ? QString() : tag);
    const bool delimited = index != 2;
    for (QWidget* w : {static_cast<QWidget*>(L_txt_dlm), static_cast<QWidget*>(CB_txt_dlm),
                       static_cast<QWidget*>(L_kakomi), static_cast<QWidget*>(CB_kakomi)})
        w->setVisible(delimited);
    Chk_edit_csv->setVisible(index == 0);
    Chk_open_exel->setVisible(index == 2);
    if (Command1->isVisible()) Command1->setFocus();
}

void SaveCSV::Command1_Click() {
    if (exporting_) return;
    Command1->setEnabled(false);
    CancelRequested = false;
    exporting_ = true;
    Delimiter = DelimiterOf(CB_txt_dlm->currentText());
    QuoteChar = QuoteCharOf(CB_kakomi->currentText());
    if (!Opt_out[1]->isHidden()) {
        // The rows as they are now: whatever happens to the list meanwhile, this is written.
        const ResultSnapshot rows = SnapshotList(TargetList);
        ProgressBar1->setRange(0, static_cast<int>(rows.rows.size()));
        ProgressBar1->setValue(0);
        if (Opt_out[0]->isChecked())
            OutTextFile(rows);
        else if (Opt_out[1]->isChecked())
            OutClipboard(rows);
        else
            OutExcelFile(rows);
    } else {
        OutSelectExec();
    }
    exporting_ = false;
    Command1->setEnabled(true);
    hide();
    emit finished();
}

void SaveCSV::Command2_Click() {
    CancelRequested = true;
    hide();
}

void SaveCSV::reject() {
    Command2_Click();
}

void SaveCSV::Abort() {
    aborted_ = true;
    CancelRequested = true;
}

void SaveCSV::closeEvent(QCloseEvent* event) {
    // Closed by its frame: a running export stops, and the next opening starts afresh.
    CancelRequested = true;
    reloadPending_ = true;
    QDialog::closeEvent(event);
}

void SaveCSV::inform(const QString& text) {
    if (!aborted_) ShowMessageBox(text, MsgButtons::Ok, MsgIcon::Information, windowTitle());
}

void SaveCSV::fail(const QString& text) {
    if (!aborted_) ShowMessageBox(text, MsgButtons::Ok, MsgIcon::Critical, windowTitle());
}

}  // namespace varkel
