#include "tools/frm_editor.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "store/code_page.h"
#include "store/ini_file.h"
#include "store/program_folder.h"
#include "store/settings_keys.h"
#include "toolkit/file_dialogs.h"
#include "toolkit/message_box.h"
#include "toolkit/mnemonics.h"
#include "toolkit/processes.h"
#include "toolkit/twips.h"
#include "tools/editor_command.h"
#include "tools/temporary_edit_file.h"

namespace varkel {
namespace {

QString Caption() {
    return QStringLiteral("外部エディタ設定");
}

}  // namespace

FrmEditor::FrmEditor(const QString& baseTitle, QWidget* owner)
    : QDialog(owner), baseTitle_(baseTitle) {
    setObjectName(QStringLiteral("FrmEditor"));
    setWindowTitle(Caption());
    setAccessibleName(Caption());
    build();
}

void FrmEditor::build() {
    const auto place = [](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(TwipsToPixels(left, top, width, height));
    };
    resize(TwipsToPixelsX(6000), TwipsToPixelsY(2300));
    Label2 = new QLabel(QStringLiteral("外部エディタの実行コマンドを入力してください"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    place(Label2, 120, 120, 5700, 300);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("外部エディタの実行コマンド"));
    place(Text1, 120, 480, 4800, 330);
    Cmd_fileref = new QPushButton(QStringLiteral("参照"), this);
    Cmd_fileref->setObjectName(QStringLiteral("Cmd_fileref"));
    Cmd_fileref->setAutoDefault(false);
    place(Cmd_fileref, 5000, 460, 880, 370);
    Label1[1] = new QLabel(QStringLiteral("ex.  notepad %p"), this);
    Label1[1]->setObjectName(QStringLiteral("Label1"));
    place(Label1[1], 240, 900, 2400, 300);
    Label1[0] = new QLabel(QStringLiteral("（%P : 編集ﾌｧｲﾙ）"), this);
    Label1[0]->setObjectName(QStringLiteral("Label1"));
    place(Label1[0], 2760, 900, 3000, 300);
    Cmd_OK = new QPushButton(QStringLiteral("OK"), this);
    Cmd_OK->setObjectName(QStringLiteral("Cmd_OK"));
    Cmd_OK->setDefault(true);
    place(Cmd_OK, 2760, 1440, 1400, 420);
    Cmd_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Cmd_cancel->setObjectName(QStringLiteral("Cmd_cancel"));
    Cmd_cancel->setAutoDefault(false);
    place(Cmd_cancel, 4320, 1440, 1400, 420);
    connect(Cmd_OK, &QPushButton::clicked, this, &FrmEditor::okClicked);
    connect(Cmd_cancel, &QPushButton::clicked, this, &FrmEditor::cancelClicked);
    connect(Cmd_fileref, &QPushButton::clicked, this, &FrmEditor::browseClicked);
    AssignMnemonics(this);
}

void FrmEditor::showEvent(QShowEvent* event) {
    // Centred on the screen when first shown, like a window centred at its load.
    if (!centred_) {
        centred_ = true;
        if (const QScreen* screen = QApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            move(area.x() + (area.width() - width()) / 2,
                 area.y() + (area.height() - height()) / 2);
        }
    }
    QDialog::showEvent(event);
}

void FrmEditor::GetEditorCommand() {
    editorCommand_ =
        ReadIniString(ProgramFolder() + settings::FileName(), settings::Set(), settings::Editor());
    Text1->setText(editorCommand_);
}

void FrmEditor::okClicked() {
    const QString command = Text1->text().trimmed();
    if (command.isEmpty()) {
        Text1->setFocus();
        return;
    }
    if (!HasFileMark(command)) {
        ShowMessageBox(QStringLiteral("編集ファイル置換用の %p を入力してください"), MsgButtons::Ok,
                       MsgIcon::Information, Caption());
        Text1->setFocus();
        return;
    }
    editorCommand_ = command;
    WriteIniString(ProgramFolder() + settings::FileName(), settings::Set(), settings::Editor(),
                   command);
    Text1->setFocus();
    hide();
}

void FrmEditor::cancelClicked() {
    Text1->setFocus();
    hide();
}

void FrmEditor::reject() {
    cancelClicked();
}

void FrmEditor::browseClicked() {
    const QString path =
        AskOpenFile(this, QStringLiteral("外部エディタ"), QString(),
                    QStringLiteral("EXEﾌｧｲﾙ(*.exe)|*.exe|すべてのﾌｧｲﾙ(*.*)|*.*"), 1);
    if (path.isEmpty()) return;
    // One edit, so that Ctrl+Z brings the typed text back.
    Text1->selectAll();
    Text1->insert(QuotedProgramPath(path));
}

bool FrmEditor::EditorReady() {
    if (!editorCommand_.trimmed().isEmpty()) return true;
    ShowMessageBox(QStringLiteral("外部エディタを設定してください"), MsgButtons::Ok,
                   MsgIcon::Information, Caption());
    show();
    raise();
    activateWindow();
    return false;
}

ProcessOutcome FrmEditor::run(const QString& file_path, bool wait) {
    const EditorLaunch launch = CommandForFile(editorCommand_, file_path);
    ProcessOutcome outcome = wait ? RunProcessAndWait(launch.program, launch.arguments)
                                  : StartProcess(launch.program, launch.arguments);
    if (!outcome.started) reportStartFailure(outcome.errorNumber, outcome.errorText);
    return outcome;
}

void FrmEditor::reportStartFailure(int errorNumber, const QString& errorText) {
    ShowMessageBox(QStringLiteral("エディタ起動に失敗しました。\r\nError:") +
                       QString::number(errorNumber) + u' ' + errorText,
                   MsgButtons::Ok, MsgIcon::Critical, baseTitle_);
}

void FrmEditor::EditFile(const QString& file_path) {
    if (!EditorReady()) return;
    run(file_path, false);
}

bool FrmEditor::EditKeyWord() {
    if (!EditorReady()) return false;
    return run(ProgramFolder() + QStringLiteral("SQLKYWD.TXT"), true).started;
}

QString FrmEditor::editSql(const QString& org_sql) {
    if (!EditorReady()) return org_sql;
    const CodePage page(CodePage::systemName());
    if (const QString unheld = page.unheld(org_sql); !unheld.isEmpty()) {
        // Written to the work file, such a character would come back as "?" in the SQL box.
        ShowMessageBox(
            QStringLiteral(
                "コードページ %1 で表せない文字があるため、外部エディタで編集できません：%2")
                .arg(QString::fromLatin1(page.name()), unheld),
            MsgButtons::Ok, MsgIcon::Exclamation, baseTitle_);
        return org_sql;
    }
    TemporaryEditFile file(ProgramFolder());
    if (!file.write(org_sql)) {
        reportStartFailure(file.errorNumber(), file.errorText());
        return org_sql;
    }
    if (!run(file.path(), true).started) return org_sql;
    bool valid = true;
    const std::optional<QString> edited = file.read(&valid);
    // A file that comes back empty or unreadable keeps the text the user had.
    if (!edited || edited->isEmpty()) return org_sql;
    if (!valid) {  // saved in another code page: read as it is, it would be replacement characters
        ShowMessageBox(QStringLiteral("編集したファイルにコードページ %1 で読めない文字があるため、"
                                      "SQL入力エリアに戻しません。")
                           .arg(QString::fromLatin1(page.name())),
                       MsgButtons::Ok, MsgIcon::Exclamation, baseTitle_);
        return org_sql;
    }
    return *edited;
}

}  // namespace varkel
