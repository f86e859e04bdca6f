#include "tools/dsn_admin.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "toolkit/message_box.h"
#include "toolkit/open_document.h"
#include "toolkit/processes.h"
#include "tools/frm_editor.h"

namespace varkel {

QString UserDataSourceFile() {
    const QString set = qEnvironmentVariable("ODBCINI");
    if (!set.isEmpty()) return set;
    return QDir::homePath() + QStringLiteral("/.odbc.ini");
}

void KickDsnAdmin(QWidget* owner, FrmEditor& editor, const QString& baseTitle) {
    const QString administrator = QStandardPaths::findExecutable(QStringLiteral("ODBCConfig"));
    if (!administrator.isEmpty() && StartProcess(administrator, {}).started) return;

    const QString file = UserDataSourceFile();
    if (!editor.EditorCommand().trimmed().isEmpty()) {
        editor.EditFile(file);
        return;
    }
    if (QFileInfo::exists(file) && OpenDocument(owner, file)) return;
    ShowMessageBox(QStringLiteral("ODBC データソースの設定ファイルを開けませんでした。\r\n") +
                       file +
                       QStringLiteral("\r\nこのファイルをエディタで編集するか、外部エディタの設定"
                                      "（ﾂｰﾙ メニュー）または ODBCConfig（unixodbc-gui）を"
                                      "用意してください。"),
                   MsgButtons::Ok, MsgIcon::Exclamation,
                   baseTitle + QStringLiteral(" - データソース アドミニストレータ"));
}

}  // namespace varkel
