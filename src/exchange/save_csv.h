#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>

#include "exchange/result_snapshot.h"
#include "store/code_page.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace varkel {

class CommandLock;
struct DbSession;

// The export window "SELECT結果の保存" / "SELECT実行＆保存": saves the rows of the result list to
// a delimited text file, the clipboard or a spreadsheet, or runs the SELECT of the SQL input box
// and writes its rows straight to a delimited text file. Modeless, owned by the main window, and
// only hidden after use, so the choices last for the run.
class SaveCSV : public QDialog {
    Q_OBJECT
  public:
    // What the main window lends the window.
    struct Calls {
        DbSession* session = nullptr;
        CommandLock* lock = nullptr;
        QString baseTitle;
        // Ends a result fill that was interrupted and could be resumed on the session's cursor.
        std::function<void()> endInterruptedFill;
        // Adds the statement to the SQL history and shows the history number.
        std::function<void(const QString&)> addHistory;
        // Opens a written text file in the external editor.
        std::function<void(const QString&)> editFile;
    };

    SaveCSV(Calls calls, QWidget* owner);

    void ShowOption(QTreeWidget* list);
    void Show4SelectOut(const QString& sql);
    // The program is ending: a running export ends at its next row without a report, and
    // leaves no file behind.
    void Abort();
    bool exporting() const { return exporting_; }

    QList<QRadioButton*> Opt_out;
    QLabel *L_txt_dlm = nullptr, *L_kakomi = nullptr;
    QComboBox *CB_txt_dlm = nullptr, *CB_kakomi = nullptr;
    QCheckBox *Chk_head = nullptr, *Chk_edit_csv = nullptr, *Chk_open_exel = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QWidget* Picture1 = nullptr;
    QLabel *L_cnt = nullptr, *Label1 = nullptr;

  signals:
    // An export ended (whatever its outcome).
    void finished();

  protected:
    void closeEvent(QCloseEvent* event) override;
    // Esc answers as Cancel does.
    void reject() override;

  private:
    void build();
    void load();
    void showWindow();
    void Opt_out_Click(int index);
    void Command1_Click();
    void Command2_Click();

    // Result-list mode, over the rows as they were when OK was pressed.
    void OutTextFile(const ResultSnapshot& rows);
    void OutClipboard(const ResultSnapshot& rows);
    void OutExcelFile(const ResultSnapshot& rows);
    // SELECT-and-save mode.
    void OutSelectExec();

    static QString textFileFilter();
    // One step of a loop: lets pending events run; false when the export is to stop.
    bool yieldRow();
    void stepProgress(int done, bool final);
    void MoveBusyMark();
    void showCount(bool final);
    void inform(const QString& text);
    void fail(const QString& text);

    Calls calls_;
    CodePage codePage_{CodePage::systemName()};
    QPointer<QTreeWidget> TargetList;
    QString OutFileName;
    QString SelectSql;
    bool CancelRequested = false;
    QString Delimiter;
    QString QuoteChar;
    std::int32_t RowsWritten = 0;
    std::int32_t MarkStep = 0;
    int markLeft_ = 0;                   // twips, applied when the counter is drawn
    int markWidth_ = 0, markLimit_ = 0;  // twips: the marker's width, where the counter begins
    bool exporting_ = false;
    bool savingSelect_ = false;  // a save of a query's rows holds the command lock
    bool aborted_ = false;
    bool reloadPending_ = false;
    QElapsedTimer frame_;  // counters and the progress bar are drawn at most once per frame
    QElapsedTimer yield_;  // since the last yield
};

}  // namespace varkel
