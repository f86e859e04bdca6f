#include "exchange/load_csv.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QVBoxLayout>
#include <iterator>

#include "db/odbc_comm.h"
#include "exchange/import_text.h"
#include "store/code_page_check.h"
#include "toolkit/desktop.h"
#include "toolkit/file_dialogs.h"
#include "toolkit/message_box.h"
#include "toolkit/one_line_label.h"
#include "toolkit/tab_leaves_box.h"
#include "toolkit/tool_icons.h"
#include "toolkit/yield.h"

namespace varkel {

namespace {

constexpr int kPreviewLines = 10;
// A line of many megabytes would stall the preview's layout: it shows the line's beginning.
constexpr qsizetype kPreviewLineBytes = 2000;
// Item data of a target listed under several owners: the INSERT names its owner.
constexpr int kQualified = Qt::UserRole + 1;

QLabel* Caption(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

LoadCSV::LoadCSV(DbSession& session, CommandLock& lock, const QString& baseTitle, QWidget* owner)
    : QDialog(owner), session_(session), lock_(lock), baseTitle_(baseTitle) {
    setObjectName(QStringLiteral("LoadCSV"));
    setWindowTitle(QStringLiteral("ファイルからTABLEへ登録"));
    setModal(false);
    build();
    // Load: the delimiters with " ," chosen, an interval of 1, no source file yet.
    CB_txt_dlm->addItems({QStringLiteral(" ,"), QStringLiteral(" |"), QStringLiteral("TAB")});
    CB_txt_dlm->setCurrentIndex(0);
    VScroll1->setValue(0);
    L_commit_int->setText(QStringLiteral("1"));
    VScroll1->setAccessibleDescription(L_commit_int->text());
    SourceFile.clear();
    adjustSize();
    // The stop command of the main window stops a running import as Cancel does.
    connect(&lock_, &CommandLock::stopRequested, this, [this] {
        if (running_) Command2_Click();
    });
    if (const QScreen* screen = owner ? owner->screen() : this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void LoadCSV::build() {
    ImCB_table = new QComboBox;
    ImCB_table->setObjectName(QStringLiteral("ImCB_table"));
    ImCB_table->setAccessibleName(QStringLiteral("登録先テーブルの選択"));
    ImCB_table->setEditable(true);
    // A typed name is used as typed: "EMP" must never become "EMPLOYEE" nor join the list.
    ImCB_table->setCompleter(nullptr);
    ImCB_table->setInsertPolicy(QComboBox::NoInsert);
    ImCB_table->setMinimumWidth(320);

    Frame1 = new QGroupBox(QStringLiteral("登録元CSVファイル"));
    Frame1->setObjectName(QStringLiteral("Frame1"));
    TB_file = new QLineEdit;
    TB_file->setObjectName(QStringLiteral("TB_file"));
    TB_file->setAccessibleName(QStringLiteral("ファイル名"));
    TB_file->installEventFilter(this);
    Cmd_ref = new QPushButton(QStringLiteral("参照(&F)"));
    Cmd_ref->setObjectName(QStringLiteral("Cmd_ref"));
    CB_txt_dlm = new QComboBox;
    CB_txt_dlm->setObjectName(QStringLiteral("CB_txt_dlm"));
    CB_txt_dlm->setAccessibleName(QStringLiteral("テキストの区切り"));
    Chk_head = new QCheckBox(QStringLiteral("ヘッダー(1行目)有り"));
    Chk_head->setObjectName(QStringLiteral("Chk_head"));
    Frm_head = new QGroupBox;
    Frm_head->setObjectName(QStringLiteral("Frm_head"));
    Frm_head->setFlat(true);
    Chk_head_col = new QCheckBox(QStringLiteral("ヘッダーを列名として使用する"));
    Chk_head_col->setObjectName(QStringLiteral("Chk_head_col"));
    auto* headLayout = new QHBoxLayout(Frm_head);
    headLayout->setContentsMargins(0, 0, 0, 0);
    headLayout->addWidget(Chk_head_col);
    Frm_head->setVisible(false);
    TB_file_cont = new QPlainTextEdit;
    TB_file_cont->setObjectName(QStringLiteral("TB_file_cont"));
    TB_file_cont->setAccessibleName(QStringLiteral("ファイルの内容（先頭10行分のみ）"));
    TB_file_cont->setReadOnly(true);
    TB_file_cont->setLineWrapMode(QPlainTextEdit::NoWrap);
    TabLeavesBox(TB_file_cont);
    Cmd_read = new QPushButton(QStringLiteral("確認(&R)"));
    Cmd_read->setObjectName(QStringLiteral("Cmd_read"));
    L_file_code = new QLabel;
    L_file_code->setObjectName(QStringLiteral("L_file_code"));
    L_file_code->setWordWrap(true);
    L_file_code->setVisible(false);

    auto* frame = new QGridLayout(Frame1);
    frame->addWidget(Caption(QStringLiteral("ファイル名"), TB_file), 0, 0);
    frame->addWidget(TB_file, 0, 1, 1, 2);
    frame->addWidget(Cmd_ref, 0, 3);
    frame->addWidget(Caption(QStringLiteral("テキストの区切り："), CB_txt_dlm), 1, 0);
    frame->addWidget(CB_txt_dlm, 1, 1);
    frame->addWidget(Chk_head, 1, 2);
    frame->addWidget(Frm_head, 2, 2, 1, 2);
    frame->addWidget(Caption(QStringLiteral("ファイルの内容（先頭10行分のみ）"), TB_file_cont), 3,
                     0, 1, 3);
    frame->addWidget(Cmd_read, 3, 3);
    frame->addWidget(TB_file_cont, 4, 0, 1, 4);
    frame->addWidget(L_file_code, 5, 0, 1, 4);
    frame->setColumnStretch(1, 1);
    frame->setColumnStretch(2, 1);

    L_commit_int = new QLabel;
    L_commit_int->setObjectName(QStringLiteral("L_commit_int"));
    L_commit_int->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("100000")));
    VScroll1 = new QScrollBar(Qt::Vertical);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    VScroll1->setAccessibleName(QStringLiteral("COMMIT間隔"));
    // A scroll bar takes no focus of its own: this one is the interval's only control. Tab
    // reaches it; a click on an arrow still leaves the focus where it was.
    VScroll1->setFocusPolicy(Qt::TabFocus);
    VScroll1->setRange(0, 4);
    VScroll1->setSingleStep(1);
    VScroll1->setPageStep(1);
    // The interval grows upwards: 1 at the bottom, 10000 at the top.
    VScroll1->setInvertedAppearance(true);
    VScroll1->setFixedHeight(fontMetrics().height() * 2);
    L_cnt = new QLabel;
    L_cnt->setObjectName(QStringLiteral("L_cnt"));
    L_cnt->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000/0000000")));
    L_sql = new OneLineLabel;
    L_sql->setObjectName(QStringLiteral("L_sql"));
    L_sql->setToolTip(QStringLiteral("マウスクリックでクリップボードへコピー"));
    L_sql->setFrameShape(QFrame::StyledPanel);
    L_sql->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    L_sql->setFixedHeight(fontMetrics().height() + 6);
    L_sql->setTextFormat(Qt::PlainText);
    L_sql->installEventFilter(this);
    L_sql->setFocusPolicy(Qt::TabFocus);  // Enter or Ctrl+C copies as a click does
    ProgressBar1 = new QProgressBar;
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setAccessibleName(QStringLiteral("登録の進み具合"));
    Command1 = new QPushButton(QStringLiteral("ＯＫ"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("Cancel"));
    Command2->setObjectName(QStringLiteral("Command2"));
    // Enter in the table name or a list starts the import; Enter in the file name previews.
    Command1->setDefault(true);

    auto* counts = new QHBoxLayout;
    counts->addWidget(new QLabel(QStringLiteral("COMMIT間隔：１回／")));
    counts->addWidget(L_commit_int);
    counts->addWidget(VScroll1);
    counts->addSpacing(24);
    counts->addWidget(new QLabel(QStringLiteral("INSERＴ行数")));
    counts->addWidget(L_cnt);
    counts->addStretch(1);
    counts->addWidget(Command1);
    counts->addWidget(Command2);

    auto* top = new QVBoxLayout(this);
    top->addWidget(Caption(QStringLiteral("登録先テーブルの選択"), ImCB_table));
    top->addWidget(ImCB_table);
    top->addWidget(Frame1, 1);
    top->addLayout(counts);
    top->addWidget(L_sql);
    top->addWidget(ProgressBar1);
    resize(640, 520);

    QWidget* order[] = {ImCB_table,   TB_file,  Cmd_ref,  CB_txt_dlm, Chk_head, Chk_head_col,
                        TB_file_cont, Cmd_read, VScroll1, Command1,   Command2, L_sql};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Cmd_ref, &QPushButton::clicked, this, &LoadCSV::Cmd_ref_Click);
    connect(Cmd_read, &QPushButton::clicked, this, [this] { ReadPreview(); });
    connect(Chk_head, &QCheckBox::toggled, Frm_head, &QWidget::setVisible);
    connect(VScroll1, &QScrollBar::actionTriggered, this, &LoadCSV::VScroll1_Action);
    connect(VScroll1, &QScrollBar::valueChanged, this, [this](int v) {
        int interval = 1;
        for (int i = 0; i < v; ++i)
            interval *= 10;
        L_commit_int->setText(QString::number(interval));
        VScroll1->setAccessibleDescription(L_commit_int->text());  // what is heard, not v
    });
    connect(Command1, &QPushButton::clicked, this, &LoadCSV::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &LoadCSV::Command2_Click);
}

void LoadCSV::VScroll1_Action(int action) {
    // The arrows, the keys and the page areas step the other way round than a scroll bar does:
    // the up arrow raises the interval.
    const int v = VScroll1->value();
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
        case QAbstractSlider::SliderPageStepAdd:
            VScroll1->setSliderPosition(qMax(v - 1, VScroll1->minimum()));
            break;
        case QAbstractSlider::SliderSingleStepSub:
        case QAbstractSlider::SliderPageStepSub:
            VScroll1->setSliderPosition(qMin(v + 1, VScroll1->maximum()));
            break;
        default:
            break;
    }
}

void LoadCSV::ShowOption(const QStringList& TblName, int Tbl_num, const QStringList& SynmName,
                         int Synm_num, const QList<ObjectOwner>& TblOwner,
                         const QList<ObjectOwner>& SynmOwner) {
    if (isVisible()) return;
    const QString typed = ImCB_table->currentText();
    ImCB_table->clear();
    const QIcon table = ToolIcon(QStringLiteral("table"));
    const QIcon synonym = ToolIcon(QStringLiteral("synonym"));
    QHash<QString, QSet<QStringList>> owners;  // the owners each name is listed under
    const auto add = [&](const QIcon& icon, const QString& name, const ObjectOwner& owner) {
        const QStringList where{owner.catalog, owner.schema};
        owners[name].insert(where);
        ImCB_table->addItem(icon, name, where);
    };
    for (int i = 0; i < Tbl_num && i < TblName.size(); ++i)
        add(table, TblName[i], TblOwner.value(i));
    for (int i = 0; i < Synm_num && i < SynmName.size(); ++i)
        add(synonym, SynmName[i], SynmOwner.value(i));
    for (int i = 0; i < ImCB_table->count(); ++i)
        ImCB_table->setItemData(i, owners.value(ImCB_table->itemText(i)).size() > 1, kQualified);
    ImCB_table->setEditText(typed);
    TB_file_cont->clear();
    L_sql->clear();
    shownSql_.clear();
    L_cnt->clear();
    ProgressBar1->setMinimum(0);
    ProgressBar1->setValue(0);
    show();
    raise();
    activateWindow();
    DoEvents();
    Command1->setFocus();
}

QString LoadCSV::TargetName(const QString& typed) {
    int listed = ImCB_table->currentIndex();
    if (listed < 0 || ImCB_table->itemText(listed) != typed) listed = ImCB_table->findText(typed);
    if (listed < 0) return ImportTableName(typed);
    const QStringList where = ImCB_table->itemData(listed).toStringList();
    return SqlObjectName(typed, ObjectOwner{where.value(0), where.value(1)},
                         ImCB_table->itemData(listed, kQualified).toBool(),
                         ServerNameRules(session_));
}

bool LoadCSV::ReadPreview() {
    SourceFile = TB_file->text().trimmed();
    if (SourceFile.isEmpty()) {
        TB_file->setFocus();
        return false;
    }
    // Each preview shows the file as it is now, not after the last one's lines.
    TB_file_cont->clear();
    L_file_code->clear();
    L_file_code->setVisible(false);
    LineCount = 0;
    const QString fileTitle = QStringLiteral("登録元CSVﾌｧｲﾙ");
    CodePageCheck check(codePage_.name());
    ImportScan scan = ScanImportFile(SourceFile, check, kPreviewLines, kPreviewLineBytes);
    QByteArray readAs = codePage_.name();
    if (scan.outcome == ImportScan::Outcome::Invalid) {
        // A file from the other common desktop (a Japanese Windows spreadsheet's CP932 on a UTF-8
        // desktop, or UTF-8 under CP932) is read as what it cleanly is, and the preview says so.
        CodePageCheck other(OtherDesktopCodePage(codePage_.isUtf8()));
        ImportScan second = ScanImportFile(SourceFile, other, kPreviewLines, kPreviewLineBytes);
        if (second.outcome != ImportScan::Outcome::Invalid) {
            scan = std::move(second);
            readAs = other.name();
        }
    }
    switch (scan.outcome) {
        case ImportScan::Outcome::Read:
            break;
        case ImportScan::Outcome::Missing:
            ShowMessageBox(QStringLiteral("ﾌｧｲﾙがありません。"), MsgButtons::Ok,
                           MsgIcon::Exclamation, fileTitle);
            TB_file->setFocus();
            return false;
        case ImportScan::Outcome::Invalid:
            ShowMessageBox(QStringLiteral("ファイルの%1行目に文字コード %2 として読めない文字が"
                                          "あるため、登録できません。")
                               .arg(scan.firstInvalid)
                               .arg(QString::fromLatin1(codePage_.name())),
                           MsgButtons::Ok, MsgIcon::Exclamation, fileTitle);
            TB_file->setFocus();
            return false;
        case ImportScan::Outcome::Changed:
        case ImportScan::Outcome::Failed:
            ShowMessageBox((scan.outcome == ImportScan::Outcome::Changed
                                ? QStringLiteral("ファイルが読み込み中に変更されました。")
                                : QStringLiteral("ファイルを読み込めません。\r\n") + scan.error),
                           MsgButtons::Ok, MsgIcon::Exclamation, fileTitle);
            TB_file->setFocus();
            return false;
    }
    fileCode_ = CodePage(readAs);
    fileState_ = scan.state;
    if (readAs != codePage_.name()) {
        L_file_code->setText(
            QStringLiteral(
                "このファイルは文字コード %1 として読めないため、%2 として読み込みます。")
                .arg(QString::fromLatin1(codePage_.name()), QString::fromLatin1(readAs)));
        L_file_code->setVisible(true);
    }
    QString preview;
    for (qsizetype i = 0; i < scan.head.size(); ++i) {
        const QByteArray& line = scan.head[i];
        const qsizetype whole = scan.cut[i] ? fileCode_.wholeCharacterPrefix(
                                                  line.constData(), line.size(), kPreviewLineBytes)
                                            : line.size();
        preview += fileCode_.decode(line.constData(), whole);
        if (scan.cut[i]) preview += QStringLiteral("…");
        preview += u'\n';
    }
    TB_file_cont->setPlainText(preview);
    LineCount = static_cast<std::int32_t>(qMin<qsizetype>(scan.lines, INT32_MAX));
    return true;
}

void LoadCSV::Cmd_ref_Click() {
    const QString path = AskOpenFile(
        this, QStringLiteral("CSVﾌｧｲﾙ選択"), TB_file->text().trimmed(),
        QStringLiteral("CSVﾌｧｲﾙ(*.csv)|*.csv|ﾃｷｽﾄﾌｧｲﾙ(*.txt)|*.txt|すべてのﾌｧｲﾙ(*.*)|*.*"), 1);
    if (path.isEmpty()) return;
    TB_file->setText(path);
    ReadPreview();
}

void LoadCSV::Command1_Click() {
    QPointer<LoadCSV> self(this);
    Command1->setEnabled(false);
    CancelRequested = false;
    const bool ok = RunImport();
    if (!self) return;
    Command1->setEnabled(true);
    if (ok) hide();
}

void LoadCSV::Command2_Click() {
    CancelRequested = true;
    hide();
}

void LoadCSV::reject() {
    Command2_Click();
}

void LoadCSV::closeEvent(QCloseEvent* event) {
    // The frame's close is Cancel: the window and its settings stay for the next use.
    Command2_Click();
    event->ignore();
}

void LoadCSV::Abort() {
    aborted_ = true;
    CancelRequested = true;
}

bool LoadCSV::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TB_file && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ReadPreview();
            return true;  // not the default button's Enter
        }
    }
    if (watched == L_sql) {
        // A wider window shows more of the statement the import left in the label.
        if (event->type() == QEvent::Resize && !shownSql_.isEmpty() &&
            L_sql->text() == ShownStatement(shownSql_, shownChars_))
            showStatement();
        bool copy = event->type() == QEvent::MouseButtonPress;
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            copy = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                   key->matches(QKeySequence::Copy);
        }
        if (copy) {
            ClearClipboard();
            // The label shows the beginning of a long statement; the whole one is copied.
            SetClipboardText(L_sql->text() == ShownStatement(shownSql_, shownChars_)
                                 ? shownSql_
                                 : L_sql->text());
            return true;
        }
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
            // A label draws no focus of its own: it is shown as a chosen item is.
            const bool focused = event->type() == QEvent::FocusIn;
            L_sql->setAutoFillBackground(focused);
            L_sql->setBackgroundRole(focused ? QPalette::Highlight : QPalette::Window);
            L_sql->setForegroundRole(focused ? QPalette::HighlightedText : QPalette::WindowText);
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace varkel
