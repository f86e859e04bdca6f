#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "db/object_owner.h"
#include "exchange/import_reader.h"
#include "exec/command_lock.h"
#include "store/code_page.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;

namespace varkel {

struct DbSession;

// The beginning of a statement that the import shows in L_sql, at most `chars` characters: a
// statement of megabytes would stall the label's layout on every frame.
QString ShownStatement(const QString& sql, qsizetype chars);

// The import window "ファイルからTABLEへ登録": loads a delimited text file into a table, one INSERT
// per line with a COMMIT every N rows. Modeless, owned by the main window, loaded once and only
// hidden afterwards, so its settings last for the run.
class LoadCSV : public QDialog {
    Q_OBJECT
  public:
    LoadCSV(DbSession& session, CommandLock& lock, const QString& baseTitle, QWidget* owner);

    // Offers the first Tbl_num table names and then the first Synm_num synonym names as targets
    // and shows the window; does nothing while it is shown. With their owners, a listed name
    // chosen as the target is written as the server reads it, with its owner where the lists
    // hold it under several.
    void ShowOption(const QStringList& TblName, int Tbl_num, const QStringList& SynmName,
                    int Synm_num, const QList<ObjectOwner>& TblOwner = {},
                    const QList<ObjectOwner>& SynmOwner = {});
    bool ReadPreview();
    bool RunImport();
    // The INSERT target for the typed name: a listed object as SQL, anything else as typed.
    QString TargetName(const QString& typed);

    bool running() const { return running_; }
    // The program is ending: a running import commits what it inserted and ends at its next
    // line without asking or reporting anything.
    void Abort();

    QComboBox* ImCB_table = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLineEdit* TB_file = nullptr;
    QPushButton* Cmd_ref = nullptr;
    QComboBox* CB_txt_dlm = nullptr;
    QCheckBox* Chk_head = nullptr;
    QGroupBox* Frm_head = nullptr;
    QCheckBox* Chk_head_col = nullptr;
    QPlainTextEdit* TB_file_cont = nullptr;
    QPushButton* Cmd_read = nullptr;
    QLabel* L_commit_int = nullptr;
    QScrollBar* VScroll1 = nullptr;
    QLabel* L_cnt = nullptr;
    QLabel* L_sql = nullptr;
    // Says that the file was read in the other desktop's code page; hidden otherwise.
    QLabel* L_file_code = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

  public slots:
    void reject() override;  // Esc: as Cancel

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void Cmd_ref_Click();
    void Command1_Click();
    void Command2_Click();
    void VScroll1_Action(int action);
    // The statement and the counters, drawn at most once per screen frame unless `now`.
    void showProgress(const QString& sql, std::int32_t inserted, bool now);
    // L_sql set to the beginning of shownSql_ that its width holds.
    void showStatement();
    // The import is over: the commands are unlocked (and a pending close of the program goes
    // ahead).
    void ended(CommandLock::Hold& hold);

    DbSession& session_;
    CommandLock& lock_;
    QString baseTitle_;
    CodePage codePage_{CodePage::systemName()};
    CodePage fileCode_{CodePage::systemName()};  // what the last preview read the file as
    FileState fileState_;                        // the file as the last preview read it
    QString shownSql_;                           // the whole statement L_sql shows the start of
    qsizetype shownChars_ = 0;                   // how much of it L_sql shows

    bool CancelRequested = false;
    QString SourceFile;
    std::int32_t LineCount = 0;

    std::int32_t dataLines_ = 0;  // the total the running import shows after "/"
    bool running_ = false;
    bool aborted_ = false;
    QElapsedTimer painted_;
};

}  // namespace varkel
