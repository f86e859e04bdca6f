#include "store/program_folder.h"

#include <QCoreApplication>

namespace varkel {

QString ProgramFolder() {
    QString folder = qEnvironmentVariable("VARKEL_HOME");
    if (folder.isEmpty()) folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(u'/')) folder += u'/';
    return folder;
}

}  // namespace varkel
