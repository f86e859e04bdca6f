#pragma once

#include <QList>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "store/sql_history.h"

class QComboBox;
class QGroupBox;
class QPushButton;

namespace varkel {

class StatementBox;

// The template window "SQLﾃﾝﾌﾟﾚｰﾄ": statements kept under a title, listed in title order, added,
// modified, deleted and copied into the SQL input box. Loaded (hidden) at start-up and only
// hidden until the end; the templates reach the file at the end, when they changed.
class ShowTemp : public QWidget {
    Q_OBJECT
  public:
    ShowTemp(const QString& templateFile, const QString& windowPos,
             std::function<void(const QString&)> CopyTmpl, QWidget* owner);

    void ReadTmpl();
    void SaveTmpl();
    bool Changed() const { return changed_; }
    const QList<ClassSQL>& templates() const { return TmplList; }
    bool editing() const { return editing_; }

    QComboBox* CB_hdr = nullptr;
    StatementBox* Text1 = nullptr;
    QWidget* Picture1 = nullptr;
    QGroupBox* Frm_tmpl = nullptr;
    QGroupBox* Frm_ok_cancel = nullptr;
    QPushButton *Cmd_add = nullptr, *Cmd_mod = nullptr, *Cmd_del = nullptr;
    QPushButton *Cmd_OK = nullptr, *Cmd_Cancel = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr;
    QTimer Timer1;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;  // Esc closes, or cancels an edit
    void resizeEvent(QResizeEvent* event) override;

  private:
    void build();
    void choose(int index);
    int insertTemplate(const ClassSQL& t);
    void removeCurrent();
    void setEditing(bool on);
    void enableCopy();
    void add();
    void modify();
    void remove();
    void accept();
    void cancel();
    void copy();
    void closeWindow();

    QString file_;
    std::function<void(const QString&)> CopyTmpl_;
    QList<ClassSQL> TmplList;  // in the order of CB_hdr's items
    int CurrentTmplIndex = -1;
    ClassSQL CurrentTmpl;
    bool EditingExisting = false;
    bool changed_ = false;
    bool editing_ = false;
};

}  // namespace varkel
