#include "tools/help.h"

#include <QDir>
#include <QFileInfo>

#include "store/program_folder.h"
#include "toolkit/message_box.h"
#include "toolkit/open_document.h"

namespace varkel {

QString HelpTarget(const QString& helpUrl) {
    const QString url = helpUrl.trimmed();
    if (!url.isEmpty()) {
        if (IsAddress(url) || QDir::isAbsolutePath(url)) return url;
        return ProgramFolder() + url;
    }
    const QString own = ProgramFolder() + QStringLiteral("HELP/index.htm");
    if (QFileInfo::exists(own)) return own;
    return ShippedFolder() + QStringLiteral("HELP/index.htm");
}

bool OpenHelp(QWidget* owner, const QString& helpUrl) {
    const QString target = HelpTarget(helpUrl);
    if (OpenDocument(owner, target)) return true;
    // Without a program for the page, F1 would seem to do nothing; the path lets the user open it
    // otherwise.
    ShowMessageBox(QStringLiteral("ヘルプを開くプログラムが見つかりませんでした。\r\n"
                                  "ヘルプのページ：") +
                       target,
                   MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Varkel Lightのヘルプ"));
    return false;
}

}  // namespace varkel
