#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "store/text_file.h"
#include "support/file_faults.h"
#include "support/qt_printers.h"

namespace varkel {
namespace {

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

mode_t ModeOf(const QString& path, bool follow = true) {
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    (follow ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info));
    return info.st_mode;
}

// The file lands where the user's path leads: through a symbolic link, under every hard link,
// under a name as long as a folder takes, and in place where the folder refuses new files.
// Whatever the way, a file an earlier version left readable by others ends owner-only.
TEST(TextFileTest, AWriteLandsWhereThePathLeads) {
    const struct {
        const char* name;
        const char* chosen;  // the path written; "target" holds the old content
        bool folderReadOnly;
        bool inPlace;
        bool written;
    } cases[] = {
        {"plain file", "target", false, false, true},
        {"symbolic link", "link", false, false, true},
        {"link to a link", "link2", false, false, true},
        {"second hard link", "hard", false, false, true},
        {"read-only folder, in place", "target", true, true, true},
        {"read-only folder, not in place", "target", true, false, false},
        {"long name", nullptr, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString target = dir.filePath(c.chosen ? QStringLiteral("target")
                                                     : QString(250, u'n'));  // 250 bytes: valid
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old content, longer than the new");
        f.close();
        ::chmod(QFile::encodeName(target).constData(), 0644);
        QFile::link(QFileInfo(target).fileName(), dir.filePath(QStringLiteral("link")));
        QFile::link(dir.filePath(QStringLiteral("link")), dir.filePath(QStringLiteral("link2")));
        if (c.chosen && QByteArray(c.chosen) == "hard")
            ::link(QFile::encodeName(target).constData(),
                   QFile::encodeName(dir.filePath(QStringLiteral("hard"))).constData());
        const QStringList before =
            QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        const QString chosen = c.chosen ? dir.filePath(QString::fromLatin1(c.chosen)) : target;
        QString error;
        bool ok = false;
        {
            test::ScopedPermissionsObeyed obeyed;
            if (c.folderReadOnly) test::SetWritable(dir.path(), false);
            ok = WriteFileBytes(chosen, "new", &error, c.inPlace);
            test::SetWritable(dir.path(), true);
        }
        EXPECT_EQ(ok, c.written) << error.toStdString();
        EXPECT_EQ(error.isEmpty(), c.written);
        const QByteArray expected = c.written ? "new" : "old content, longer than the new";
        for (const QString& name : before)  // every name of the file
            EXPECT_EQ(Contents(dir.filePath(name)), expected) << name.toStdString();
        EXPECT_TRUE(S_ISLNK(ModeOf(dir.filePath(QStringLiteral("link")), false)));
        EXPECT_EQ(ModeOf(target) & 0777, c.written ? 0600u : 0644u);
        EXPECT_EQ(
            QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            before);
    }
}

// An append either reaches the file whole or leaves it exactly as it was, and makes a file
// readable by others owner-only.
TEST(TextFileTest, AnAppendIsWholeOrNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SQLHIST.TXT"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(1000, 'a'));
    f.close();
    ::chmod(QFile::encodeName(path).constData(), 0644);
    QString error;
    {
        test::ScopedFileSizeLimit full(4096);  // the append stops half-way
        EXPECT_FALSE(AppendFileBytes(path, QByteArray(100000, 'b'), &error));
    }
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(Contents(path), QByteArray(1000, 'a'));
    EXPECT_TRUE(AppendFileBytes(path, "b", &error));
    EXPECT_EQ(Contents(path), QByteArray(1000, 'a') + 'b');
    EXPECT_EQ(ModeOf(path) & 0777, 0600u);
}

}  // namespace
}  // namespace varkel
