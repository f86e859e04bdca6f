#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace varkel {

struct ProcessOutcome;

// The external editor: its settings window "外部エディタ設定" and the operations that open files
// in the editor the user named by its command line (SET/EDITOR).
class FrmEditor : public QDialog {
    Q_OBJECT
  public:
    // baseTitle titles the message when the editor cannot be started.
    FrmEditor(const QString& baseTitle, QWidget* owner);

    QLabel* Label2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Cmd_fileref = nullptr;
    QLabel* Label1[2] = {};
    QPushButton* Cmd_OK = nullptr;
    QPushButton* Cmd_cancel = nullptr;

    // Reads SET/EDITOR into the command and into Text1 (at the main window's load).
    void GetEditorCommand();
    const QString& EditorCommand() const { return editorCommand_; }

    // Opens a file in the editor and returns at once.
    void EditFile(const QString& file_path);
    // Edits the keyword list file and returns when the editor has ended; true when it ran, so
    // that the caller reads the list again.
    bool EditKeyWord();
    // Hands the text to the editor through the temporary file and returns the edited text; the
    // text unchanged when no editor is set, it cannot be started or the file comes back empty.
    QString editSql(const QString& org_sql);

    // The settings window's OK, Cancel and browse buttons.
    void okClicked();
    void cancelClicked();
    void browseClicked();

    // Cancel also for Esc and the frame's close button.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    bool EditorReady();
    ProcessOutcome run(const QString& file_path, bool wait);
    void reportStartFailure(int errorNumber, const QString& errorText);
    void build();

    QString baseTitle_;
    QString editorCommand_;
    bool centred_ = false;
};

}  // namespace varkel
