// The main window's commands that reach the desktop: the external editor, the keyword list, help,
// the version window and the ODBC administrator.
#include <QAction>
#include <QFontMetrics>
#include <QListWidget>

#include "store/keyword_file.h"
#include "store/program_folder.h"
#include "toolkit/twips.h"
#include "tools/dsn_admin.h"
#include "tools/frm_editor.h"
#include "tools/frm_version.h"
#include "tools/help.h"
#include "ui/main/main_window.h"
#include "ui/sqlbox/sql_box.h"

namespace varkel {

void Varkel::wireDesktopCommands() {
    frmEditor_ = new FrmEditor(windowTitle(), this);
    connect(menus_.mn_set_editor, &QAction::triggered, frmEditor_, [this] { frmEditor_->exec(); });
    connect(menus_.mn_sql_edit, &QAction::triggered, this, &Varkel::editSqlBox);
    connect(menus_.mn_kwd_edit, &QAction::triggered, this, &Varkel::editKeywordList);
    connect(menus_.mn_help_varkel, &QAction::triggered, this, [this] { OpenHelp(this, helpUrl_); });
    connect(menus_.mn_version, &QAction::triggered, this, [this] { ShowVer(baseTitle_, this); });
    connect(menus_.mn_kick_dsnadmin, &QAction::triggered, this,
            [this] { KickDsnAdmin(this, *frmEditor_, baseTitle_); });
}

void Varkel::LoadKeywords() {
    Keywords = ReadKeywordFile(ProgramFolder() + QStringLiteral("SQLKYWD.TXT"));
    sql_.Lst_kwd->clear();
    sql_.Lst_kwd->addItems(Keywords);
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QString& keyword : Keywords)
        widest = std::max(widest, metrics.horizontalAdvance(keyword));
    geometry_.kwd.width = PixelsToTwipsX(widest) + 400;
}

void Varkel::editSqlBox() {
    QPointer<Varkel> self(this);
    const QString before = sql_.TB_SQL->toPlainText();
    const QString edited = frmEditor_->editSql(before);
    if (!self || edited == before) return;
    sql_.TB_SQL->ReplaceText(edited);  // Ctrl+Z brings the text from before the editor back
}

void Varkel::editKeywordList() {
    if (!frmEditor_->EditKeyWord()) return;
    LoadKeywords();
    if (menus_.mn_disp_kwdlist->isChecked()) LayoutWindow();
}

}  // namespace varkel
