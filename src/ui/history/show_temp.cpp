#include "ui/history/show_temp.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTextDocument>

#include "exec/script_text.h"
#include "store/settings_keys.h"
#include "store/sql_templates.h"
#include "toolkit/message_box.h"
#include "toolkit/sorted_combo.h"
#include "toolkit/tab_leaves_box.h"
#include "toolkit/twips.h"
#include "toolkit/window_position.h"
#include "toolkit/window_role.h"
#include "toolkit/yield.h"
#include "ui/history/statement_box.h"
#include "ui/history/statement_text.h"

namespace varkel {

namespace {

constexpr int kPictureHeight = 720;  // twips
constexpr int kHeaderHeight = 360;

QString StatementPrompt() {
    return QStringLiteral("ＳＱＬを入力してください");
}

QRect Px(int l, int t, int w, int h) {
    return TwipsToPixels(l, t, w, h);
}

}  // namespace

ShowTemp::ShowTemp(const QString& templateFile, const QString& windowPos,
                   std::function<void(const QString&)> CopyTmpl, QWidget* owner)
    : QWidget(owner, Qt::Window), file_(templateFile), CopyTmpl_(std::move(CopyTmpl)) {
    setObjectName(QStringLiteral("ShowTemp"));
    setWindowTitle(QStringLiteral("SQLﾃﾝﾌﾟﾚｰﾄ"));
    resize(TwipsToPixelsX(9000), TwipsToPixelsY(6000));
    ExposeAsWindow(this);
    build();
    RestoreWindowPos(this, windowPos);
    Frm_ok_cancel->move(Frm_tmpl->pos());
    changed_ = false;
    Text1->setReadOnly(true);
    enableCopy();
}

void ShowTemp::build() {
    CB_hdr = new QComboBox(this);
    CB_hdr->setObjectName(QStringLiteral("CB_hdr"));
    CB_hdr->setAccessibleName(QStringLiteral("テンプレートのタイトル"));
    CB_hdr->setEditable(true);
    CB_hdr->setInsertPolicy(QComboBox::NoInsert);
    connect(CB_hdr, &QComboBox::activated, this, &ShowTemp::choose);

    Text1 = new StatementBox(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("SQL文"));
    TabLeavesBox(Text1);

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Frm_tmpl = new QGroupBox(Picture1);
    Frm_tmpl->setObjectName(QStringLiteral("Frm_tmpl"));
    Frm_ok_cancel = new QGroupBox(Picture1);
    Frm_ok_cancel->setObjectName(QStringLiteral("Frm_ok_cancel"));
    for (QGroupBox* frame : {Frm_tmpl, Frm_ok_cancel})
        frame->setGeometry(Px(120, 60, 3360, 600));
    const auto button = [](QWidget* parent, const char* name, const QString& caption, int left) {
        auto* b = new QPushButton(caption, parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(Px(left, 120, 1000, 390));
        b->setAutoDefault(true);  // Enter presses the focused button
        return b;
    };
    Cmd_add = button(Frm_tmpl, "Cmd_add", QStringLiteral("追加"), 60);
    Cmd_mod = button(Frm_tmpl, "Cmd_mod", QStringLiteral("修正"), 1140);
    Cmd_del = button(Frm_tmpl, "Cmd_del", QStringLiteral("削除"), 2220);
    Cmd_OK = button(Frm_ok_cancel, "Cmd_OK", QStringLiteral("OK"), 60);
    Cmd_Cancel = button(Frm_ok_cancel, "Cmd_Cancel", QStringLiteral("取消"), 1140);
    Command1 = button(Picture1, "Command1", QStringLiteral("SQL入力エリアへ&Copy"), 3600);
    Command1->resize(TwipsToPixelsX(2400), Command1->height());
    Command2 = button(Picture1, "Command2", QStringLiteral("閉じる(&X)"), 6120);
    Command2->resize(TwipsToPixelsX(1500), Command2->height());
    Frm_ok_cancel->hide();

    connect(Cmd_add, &QPushButton::clicked, this, &ShowTemp::add);
    connect(Cmd_mod, &QPushButton::clicked, this, &ShowTemp::modify);
    connect(Cmd_del, &QPushButton::clicked, this, &ShowTemp::remove);
    connect(Cmd_OK, &QPushButton::clicked, this, &ShowTemp::accept);
    connect(Cmd_Cancel, &QPushButton::clicked, this, &ShowTemp::cancel);
    connect(Command1, &QPushButton::clicked, this, &ShowTemp::copy);
    connect(Command2, &QPushButton::clicked, this, &ShowTemp::closeWindow);

    // Just after a choice the field's text is left with nothing selected.
    Timer1.setInterval(1);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, [this] {
        DoEvents();
        if (QLineEdit* field = CB_hdr->lineEdit()) {
            field->deselect();
            field->setCursorPosition(0);
        }
    });
}

void ShowTemp::ReadTmpl() {
    CB_hdr->clear();
    TmplList.clear();
    CurrentTmplIndex = -1;
    for (const ClassSQL& t : ReadTemplateFile(file_))
        insertTemplate(t);
    if (CB_hdr->count() > 0) choose(0);
    enableCopy();
}

int ShowTemp::insertTemplate(const ClassSQL& t) {
    const int at = AddSortedItem(CB_hdr, TemplateItemText(t));
    TmplList.insert(at, t);
    return at;
}

void ShowTemp::choose(int index) {
    if (index < 0 || index >= TmplList.size()) return;
    Timer1.start();
    CurrentTmplIndex = index;
    CurrentTmpl = TmplList[index];
    enableCopy();
    CB_hdr->setCurrentIndex(index);
    // While editing, the field holds the title being edited, never the list text.
    if (editing_) CB_hdr->setEditText(CurrentTmpl.SQLhead);
    Text1->setPlainText(ForTextBox(CurrentTmpl.SQLstmt));
    Text1->moveCursor(QTextCursor::Start);
}

void ShowTemp::removeCurrent() {
    if (CurrentTmplIndex < 0 || CurrentTmplIndex >= TmplList.size()) return;
    TmplList.removeAt(CurrentTmplIndex);
    CB_hdr->removeItem(CurrentTmplIndex);
}

void ShowTemp::setEditing(bool on) {
    editing_ = on;
    Frm_tmpl->setVisible(!on);
    Frm_ok_cancel->setVisible(on);
    enableCopy();
    if (!on) {  // the prompt belongs to an add only
        Text1->setPlaceholderText(QString());
        Text1->setAccessibleDescription(QString());
    }
}

void ShowTemp::enableCopy() {
    // Copying with no template chosen would only empty the SQL input box.
    Command1->setEnabled(!editing_ && CurrentTmplIndex >= 0);
}

void ShowTemp::add() {
    EditingExisting = false;
    CB_hdr->setEditText(QStringLiteral("タイトルを入力してください"));
    // The prompt is shown, not typed: the first key replaces it and a screen reader does not
    // read it as the statement.
    Text1->setPlainText(QString());
    Text1->document()->setModified(false);
    Text1->setPlaceholderText(StatementPrompt());
    Text1->setAccessibleDescription(StatementPrompt());
    Text1->setReadOnly(false);
    CB_hdr->lineEdit()->selectAll();
    CB_hdr->setFocus();
    setEditing(true);
}

void ShowTemp::modify() {
    if (CB_hdr->currentIndex() < 0 || CurrentTmplIndex < 0) return;
    CB_hdr->setEditText(CurrentTmpl.SQLhead);
    CB_hdr->setFocus();
    Text1->setReadOnly(false);
    Text1->moveCursor(QTextCursor::Start);
    EditingExisting = true;
    setEditing(true);
}

void ShowTemp::remove() {
    if (CB_hdr->currentIndex() < 0 || CurrentTmplIndex < 0) return;
    if (ShowMessageBox(QStringLiteral("表示のテンプレートを削除してよろしいですか？"),
                       MsgButtons::YesNo, MsgIcon::Question,
                       QStringLiteral("テンプレートの削除")) != MsgResult::Yes)
        return;
    removeCurrent();
    changed_ = true;
    CurrentTmplIndex = -1;
    enableCopy();
    CB_hdr->setCurrentIndex(-1);
    CB_hdr->setEditText(QString());
    Text1->clear();
}

void ShowTemp::accept() {
    const QString editedTitle = CB_hdr->currentText();
    if (EditingExisting) removeCurrent();
    // Only blanks are trimmed; a TAB in the title and a record terminator in the statement are
    // made harmless, so the file reads back the same templates.
    const QString title = StorableTitle(TrimBlanks(editedTitle));
    QString typed = Text1->toPlainText();
    // An add accepted as it came keeps the prompt as its statement, as when it was typed in.
    if (!EditingExisting && typed.isEmpty() && !Text1->placeholderText().isEmpty() &&
        !Text1->document()->isModified())
        typed = StatementPrompt() + u'\n';
    const QString statement = StorableStatement(TrimBlanks(WithCrLf(typed)));
    CB_hdr->setEditText(title);
    Text1->setPlainText(ForTextBox(statement));
    const int at = insertTemplate({title, statement});
    choose(at);
    changed_ = true;
    Text1->setReadOnly(true);
    setEditing(false);
}

void ShowTemp::cancel() {
    if (CurrentTmplIndex == -1) {
        CB_hdr->setEditText(QString());
        Text1->clear();
    } else {
        choose(CurrentTmplIndex);
    }
    Text1->setReadOnly(true);
    setEditing(false);
}

void ShowTemp::copy() {
    CB_hdr->setFocus();
    SaveWindowPos(this, settings::Temp());
    hide();
    if (CopyTmpl_) CopyTmpl_(Text1->toPlainText());
}

void ShowTemp::closeWindow() {
    SaveWindowPos(this, settings::Temp());
    hide();
}

void ShowTemp::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier)
        QWidget::keyPressEvent(event);
    else if (editing_)
        cancel();  // Esc is 取消 while adding or modifying
    else
        closeWindow();
}

void ShowTemp::closeEvent(QCloseEvent* event) {
    event->ignore();  // the frame's close acts as the close button: the window stays loaded
    closeWindow();
}

void ShowTemp::SaveTmpl() {
    QString error;
    if (!WriteTemplateFile(file_, TmplList, &error))
        ShowMessageBox(error, MsgButtons::Ok, MsgIcon::Exclamation, windowTitle());
}

void ShowTemp::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isMinimized() || !CB_hdr) return;
    const int width = PixelsToTwipsX(this->width());
    const int inner = PixelsToTwipsY(height());
    CB_hdr->setGeometry(Px(0, 0, width, kHeaderHeight));
    Text1->setGeometry(
        Px(0, kHeaderHeight, width, std::max(500, inner - kPictureHeight - kHeaderHeight)));
    Picture1->setGeometry(Px(0, inner - kPictureHeight, width, kPictureHeight));
    const int wt = PixelsToTwipsX(Frm_tmpl->width()), w1 = PixelsToTwipsX(Command1->width()),
              w2 = PixelsToTwipsX(Command2->width());
    const int gap = std::max(0, (width - wt - w1 - w2) / 4);
    Frm_tmpl->move(TwipsToPixelsX(gap), Frm_tmpl->y());
    Frm_ok_cancel->move(TwipsToPixelsX(gap), Frm_ok_cancel->y());
    Command1->move(TwipsToPixelsX(gap + wt + gap), Command1->y());
    Command2->move(TwipsToPixelsX(gap + wt + gap + w1 + gap), Command2->y());
}

}  // namespace varkel
