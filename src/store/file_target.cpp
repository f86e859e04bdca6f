#include "store/file_target.h"

#include <sys/stat.h>
#include <unistd.h>
#include <climits>

#include <QFile>

namespace varkel {

namespace {

constexpr int kMaxLinkHops = 40;  // the kernel's own limit for a chain of links

// The folder part of a path, with its final "/", or empty for a bare name.
QByteArray FolderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash >= 0 ? path.left(slash + 1) : QByteArray();
}

}  // namespace

FileTarget ResolveFileTarget(const QString& path) {
    FileTarget target;
    target.path = QFile::encodeName(path);
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat link {};
        if (::lstat(target.path.constData(), &link) != 0 || !S_ISLNK(link.st_mode)) break;
        QByteArray to(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(target.path.constData(), to.data(), to.size());
        if (n <= 0 || n >= to.size()) break;
        to.truncate(n);
        target.path = to.startsWith('/') ? to : FolderOf(target.path) + to;
    }
    struct stat info {};
    target.exists = ::stat(target.path.constData(), &info) == 0;
    target.regular = target.exists && S_ISREG(info.st_mode);
    target.linked = target.regular && info.st_nlink > 1;
    return target;
}

QByteArray TempPatternBeside(const QByteArray& target) {
    const QByteArray folder = FolderOf(target);
    QByteArray name = target.mid(folder.size());
    static constexpr char kPrefix[] = ".";
    static constexpr char kSuffix[] = ".XXXXXX";
    const qsizetype room = NAME_MAX - (sizeof kPrefix - 1) - (sizeof kSuffix - 1);
    if (name.size() > room) {
        qsizetype cut = room;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;  // a continuation byte: the cut would split a character
        name.truncate(cut);
    }
    return folder + kPrefix + name + kSuffix;
}

}  // namespace varkel
