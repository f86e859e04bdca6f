#include "store/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace varkel {
namespace {

QString WithSlash(QString folder) {
    if (!folder.endsWith(u'/')) folder += u'/';
    return folder;
}

QString ExecutableFolder() {
    return WithSlash(QCoreApplication::applicationDirPath());
}

QString KeywordFileName() {
    return QStringLiteral("SQLKYWD.TXT");
}

// An installed copy: its shipped files are in share/varkel, not beside the executable.
bool IsInstalledCopy() {
    const QString exe = ExecutableFolder();
    return !QFileInfo::exists(exe + KeywordFileName()) &&
           QFileInfo::exists(exe + QStringLiteral("../share/varkel/") + KeywordFileName());
}

QString UserDataFolder() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return WithSlash(base) + QStringLiteral("varkel/");
}

}  // namespace

QString ProgramFolder() {
    const QString home = qEnvironmentVariable("VARKEL_HOME");
    if (!home.isEmpty()) return WithSlash(home);
    const QString exe = ExecutableFolder();
    if (!IsInstalledCopy() && QFileInfo(exe).isWritable()) return exe;
    return UserDataFolder();
}

QString ShippedFolder() {
    const QString exe = ExecutableFolder();
    if (IsInstalledCopy()) return QDir::cleanPath(exe + QStringLiteral("../share/varkel")) + u'/';
    return exe;
}

bool PrepareProgramFolder() {
    const QString folder = ProgramFolder();
    if (!QFileInfo::exists(folder)) {
        if (!QDir().mkpath(folder)) return false;
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QString keywords = folder + KeywordFileName();
    const QString shipped = ShippedFolder() + KeywordFileName();
    if (!QFileInfo::exists(keywords) && shipped != keywords && QFileInfo::exists(shipped)) {
        if (QFile::copy(shipped, keywords))
            QFile::setPermissions(keywords, QFile::ReadOwner | QFile::WriteOwner);
    }
    return true;
}

}  // namespace varkel
