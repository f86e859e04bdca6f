#include "ui/history/show_hist.h"

#include "store/ini_file.h"
#include "store/program_folder.h"
#include "store/settings_keys.h"

namespace varkel {

ShowHist::ShowHist(const QString& historyFile, QWidget* owner)
    : QWidget(owner, Qt::Window),
      store_(historyFile,
             MaxHistFrom(ReadIniString(ProgramFolder() + settings::FileName(), settings::Set(),
                                       settings::MaxHist())),
             this) {
    setObjectName(QStringLiteral("ShowHist"));
    setWindowTitle(QStringLiteral("SQL入力履歴"));
}

}  // namespace varkel
