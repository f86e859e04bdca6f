#pragma once

#include <functional>

#include "ui/history/statement_box.h"
#include "ui/sqlbox/history_browse.h"

class QLabel;

namespace varkel {

class SqlHistory;

// The SQL input box: the statement box of the history window with select-all on Ctrl+A,
// stepping through the SQL history on Ctrl+Up and Ctrl+Down, and the drop of one file, which
// is loaded into the box.
class SqlBox : public StatementBox {
    Q_OBJECT
  public:
    explicit SqlBox(QWidget* parent = nullptr);

    // The history it steps through and the label that shows the position.
    void setHistory(const SqlHistory* history, QLabel* L_sql_no);
    // Called with the path of a single dropped file.
    void setFileLoader(std::function<void(const QString& path)> load) {
        loadFile_ = std::move(load);
    }

    // One step through the history: +1 toward older records (Ctrl+Down), -1 toward newer ones.
    void StepHistory(int step);
    int HistPos() const { return browse_.HistPos; }
    // The user's own text while stepping through the history.
    const QString& SavedSql() const { return browse_.SavedSql; }
    // Another command replaced the text: stepping ends without restoring anything; the label
    // shows `count` and the background is the normal one.
    void EndBrowsing(int count);

    // Replaces the whole text as one edit, which the box's undo takes back whole.
    void ReplaceText(const QString& text);
    // Replaces the selection (or inserts at the caret) with a fragment.
    void InsertFragment(const QString& text);
    // Removes the whole text as a user edit of the box.
    void ClearText();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void setBrowsingLook(bool browsing);

    const SqlHistory* history_ = nullptr;
    QLabel* L_sql_no_ = nullptr;
    HistoryBrowse browse_;
    std::function<void(const QString&)> loadFile_;
};

// A drop's file list decides alone: exactly one local file is taken, anything else (several
// files, a remote address without text) nothing. None when it carries no file list at all, or
// only addresses of no local file along with text, which is then dropped as text.
enum class FileDrop { None, One, Refused };
FileDrop ClassifyFileDrop(const class QMimeData& data, QString* path = nullptr);

}  // namespace varkel
