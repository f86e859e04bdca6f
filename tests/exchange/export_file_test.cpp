#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "exchange/excel_workbook.h"
#include "exchange/export_file.h"
#include "exchange/xlsx_sheet.h"
#include "store/text_file.h"
#include "support/file_faults.h"
#include "support/qt_printers.h"

namespace varkel::test {
namespace {
using namespace Qt::Literals::StringLiterals;
using test::ScopedPermissionsObeyed;
using test::SetWritable;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class ExportFileTest : public ::testing::Test {
  protected:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QStringList entries() const {
        return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QTemporaryDir dir_;
};

TEST_F(ExportFileTest, TheTargetIsReplacedOnlyAtCommit) {
    const QString target = path(u"out.csv"_s);
    WriteAll(target, "earlier\r\n");
    ::chmod(QFile::encodeName(target).constData(), 0640);
    {
        ExportFile file(target);
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(file.write(QByteArray(100000, 'x')));
        EXPECT_EQ(ReadAll(target), "earlier\r\n");  // still the old content while writing
        ASSERT_TRUE(file.commit());
    }
    EXPECT_EQ(ReadAll(target), QByteArray(100000, 'x'));
    EXPECT_EQ(entries(), QStringList{u"out.csv"_s});
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);  // the replaced file's mode is kept
}

TEST_F(ExportFileTest, WithoutCommitNothingIsLeftAndTheEarlierFileStays) {
    const QString target = path(u"out.csv"_s);
    WriteAll(target, "earlier");
    {
        ExportFile file(target);
        ASSERT_TRUE(file.open());
        file.write("new");
    }
    EXPECT_EQ(ReadAll(target), "earlier");
    EXPECT_EQ(entries(), QStringList{u"out.csv"_s});
}

TEST_F(ExportFileTest, AWriteFailureKeepsTheEarlierFileAndSaysWhy) {
    // The process may not grow a file beyond 64 KiB: the export's temporary file runs into it.
    const QString target = path(u"big.csv"_s);
    WriteAll(target, "earlier");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 65536;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool committed = true;
    QString text;
    {
        ExportFile file(target);
        ASSERT_TRUE(file.open());
        for (int i = 0; i < 1000; ++i)
            file.write(QByteArray(1000, 'x'));
        committed = file.commit();
        text = file.failureText();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(committed);
    EXPECT_EQ(text,
              u"書込みに失敗しました。\r\nError:27 "_s + QString::fromLocal8Bit(strerror(EFBIG)));
    EXPECT_EQ(ReadAll(target), "earlier");
    EXPECT_EQ(entries(), QStringList{u"big.csv"_s});
}

TEST_F(ExportFileTest, AFullDeviceIsWrittenInPlaceAndItsFailureReported) {
    ExportFile file(u"/dev/full"_s);
    ASSERT_TRUE(file.open());
    file.write(QByteArray(70000, 'x'));
    EXPECT_FALSE(file.commit());
    EXPECT_EQ(file.errorNumber(), ENOSPC);
    EXPECT_TRUE(file.failureText().startsWith(u"書込みに失敗しました。\r\nError:28 "_s));
    struct stat info {};
    ASSERT_EQ(::stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));  // the device is still the device
}

// Every writer's file lands where the user pointed: through a symbolic link, under every hard
// link, under a name as long as a folder takes, and in place where the folder refuses new files
// (the settings writer refuses instead, and keeps the file).
TEST_F(ExportFileTest, TheFileLandsWhereThePathLeads) {
    enum Writer { Export, Workbook, Settings, History };
    const struct {
        const char* name;  // the path chosen: "target" holds the old content; null: a long name
        bool folderReadOnly;
        Writer writer;
        bool written;
    } cases[] = {
        {"link", false, Export, true},    {"hard", false, Export, true},
        {"target", true, Export, true},   {nullptr, false, Export, true},
        {"link", false, Workbook, true},  {"target", true, Workbook, true},
        {"link", false, Settings, true},  {"hard", false, Settings, true},
        {nullptr, false, Settings, true}, {"target", true, Settings, false},
        {"target", true, History, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name ? c.name : "long") + " " + std::to_string(c.writer));
        QTemporaryDir dir;
        const QString target = dir.filePath(c.name ? u"target"_s : QString(250, u'n'));
        const QString chosen = c.name ? dir.filePath(QString::fromLatin1(c.name)) : target;
        WriteAll(target, QByteArray(100, 'o'));  // longer than what replaces it
        QFile::link(QFileInfo(target).fileName(), dir.filePath(u"link"_s));
        if (chosen.endsWith(u"hard"_s))
            ::link(QFile::encodeName(target).constData(), QFile::encodeName(chosen).constData());
        const auto listing = [&dir] {
            return QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        };
        const QStringList before = listing();
        bool ok = false;
        {
            ScopedPermissionsObeyed obeyed;
            if (c.folderReadOnly) SetWritable(dir.path(), false);
            ExcelWorkbook book;
            book.Add();
            book.AssignRange({{u"new"_s}});
            ExportFile file(chosen);
            QString error;
            ok = c.writer == Workbook ? book.SaveAs(chosen)
                 : c.writer == Export ? file.open() && file.write("new") && file.commit()
                                      : WriteFileBytes(chosen, "new", &error, c.writer == History);
            SetWritable(dir.path(), true);
        }
        EXPECT_EQ(ok, c.written);
        for (const QString& name : before) {  // every name of the file
            const QString path = dir.filePath(name);
            if (c.writer == Workbook)
                EXPECT_EQ(ReadFirstSheet(path, nullptr).value({1, 1}).value, u"new"_s);
            else
                EXPECT_EQ(ReadAll(path), c.written ? "new" : QByteArray(100, 'o'));
        }
        EXPECT_TRUE(QFileInfo(dir.filePath(u"link"_s)).isSymLink());
        EXPECT_EQ(listing(), before);
    }
}

TEST_F(ExportFileTest, AFolderThatCannotBeWrittenFailsAtOpen) {
    ExportFile file(path(u"no/such/folder/x.csv"_s));
    EXPECT_FALSE(file.open());
    EXPECT_EQ(file.errorNumber(), ENOENT);
}

TEST_F(ExportFileTest, AWorkbookReadsBackWithNumbersAndTexts) {
    const QString target = path(u"SELECT.xlsx"_s);
    WriteAll(target, "earlier");
    ExcelWorkbook book;
    book.Add();
    book.AssignRange({{u"'ID"_s, u"'CODE"_s, u"'名前"_s, u"'AMOUNT"_s, u"'2024"_s},
                      {u"1"_s, u"00123"_s, u"日本語"_s, u"1.50"_s, u"   7.00"_s},
                      {u"2"_s, u"1234567890123456"_s, QString(), u"2024-01-02"_s, u"-005.00"_s},
                      {u"3"_s, u"0012"_s, u"x"_s, u"2024-01-02 12:30:00"_s, u"   .00"_s}});
    ASSERT_TRUE(book.SaveAs(target)) << book.ErrorText().toStdString();
    book.Close();
    QString error;
    const auto cells = ReadFirstSheet(target, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const struct {
        int row, column;
        const char* type;
        QString value;
        QString format;
    } expected[] = {
        {1, 1, "inlineStr", u"ID"_s, u"General"_s},
        {1, 3, "inlineStr", u"名前"_s, u"General"_s},
        {1, 5, "inlineStr", u"2024"_s, u"General"_s},  // a header stays text
        {2, 1, "n", u"1"_s, u"0"_s},
        {2, 2, "inlineStr", u"00123"_s, u"General"_s},
        {2, 3, "inlineStr", u"日本語"_s, u"General"_s},
        {2, 4, "n", u"1.5"_s, u"0.00"_s},
        {2, 5, "n", u"7"_s, u"0.00"_s},
        {3, 2, "inlineStr", u"1234567890123456"_s, u"General"_s},
        {3, 4, "n", u"45293"_s, u"yyyy-mm-dd"_s},
        {3, 5, "n", u"-5"_s, u"0.00"_s},
        {4, 2, "inlineStr", u"0012"_s, u"General"_s},
        {4, 4, "n", u"45293.52083333334"_s, u"yyyy-mm-dd hh:mm:ss"_s},
    };
    for (const auto& e : expected) {
        const auto it = cells.find({e.row, e.column});
        ASSERT_NE(it, cells.end()) << e.row << "," << e.column;
        EXPECT_EQ(it->type, QString::fromLatin1(e.type)) << e.row << "," << e.column;
        EXPECT_EQ(it->value, e.value) << e.row << "," << e.column;
        EXPECT_EQ(it->format, e.format) << e.row << "," << e.column;
    }
    EXPECT_FALSE(cells.contains({3, 3}));  // an empty value leaves the cell empty
    EXPECT_FALSE(cells.contains({4, 5}));  // so does a widened empty number
    EXPECT_EQ(cells.size(), 18);
    EXPECT_EQ(entries(), QStringList{u"SELECT.xlsx"_s});
}

TEST_F(ExportFileTest, AWorkbookThatCannotBeSavedSaysWhy) {
    ExcelWorkbook book;
    book.Add();
    book.AssignRange({{u"1"_s}});
    EXPECT_FALSE(book.SaveAs(path(u"missing/SELECT.xlsx"_s)));
    EXPECT_EQ(book.ErrorNumber(), ENOENT);
    EXPECT_FALSE(book.ErrorText().isEmpty());
}

}  // namespace
}  // namespace varkel::test
