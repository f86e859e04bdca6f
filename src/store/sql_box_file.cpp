#include "store/sql_box_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "store/text_file.h"

namespace varkel {

namespace {

// The rename itself reaches the disk only with its folder.
void SyncFolder(const QString& path) {
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

QString ReadSqlBoxFile(const QString& path) {
    return QString::fromUtf8(ReadFileBytes(path));
}

bool WriteSqlBoxFile(const QString& path, const QString& text, QString* error) {
    if (text.isEmpty()) {
        QFile file(path);
        if (!file.exists() || file.remove()) return true;
        if (error) *error = file.errorString();
        return false;
    }
    // WriteFileBytes syncs the new file before it renames it.
    if (!WriteFileBytes(path, text.toUtf8(), error)) return false;
    SyncFolder(path);
    return true;
}

}  // namespace varkel
