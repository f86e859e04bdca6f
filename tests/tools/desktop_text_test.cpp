#include <gtest/gtest.h>

#include <QProcess>

#include "support/qt_printers.h"
#include "toolkit/file_dialogs.h"
#include "tools/editor_command.h"

namespace varkel {

inline void PrintTo(const FileFilter& f, std::ostream* os) {
    *os << '{' << f.description.toStdString() << " | " << f.pattern.toStdString() << '}';
}
inline void PrintTo(const EditorLaunch& l, std::ostream* os) {
    *os << l.program.toStdString() << " [" << l.arguments.join(u',').toStdString() << ']';
}

namespace {

const QString kAll = QStringLiteral("すべてのﾌｧｲﾙ(*.*)");

TEST(FilterTextTest, PiecesBecomeDescriptionAndPatternPairs) {
    struct Case {
        const char* name;
        QString text;
        QList<FileFilter> expected;
    };
    const QString csv = QStringLiteral("CSVﾌｧｲﾙ(*.csv)");
    const Case cases[] = {
        {"three pairs",
         QStringLiteral("CSVﾌｧｲﾙ(*.csv)|*.csv|ﾃｷｽﾄﾌｧｲﾙ(*.txt)|*.txt|すべてのﾌｧｲﾙ(*.*)|*.*"),
         {{csv, QStringLiteral("*.csv")},
          {QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ(*.txt)"), QStringLiteral("*.txt")},
          {kAll, QStringLiteral("*.*")}}},
        {"a single description gets every file", csv, {{csv, QStringLiteral("*.*")}}},
        {"odd count: the last description gets every file",
         QStringLiteral("CSVﾌｧｲﾙ(*.csv)|*.csv|全部"),
         {{csv, QStringLiteral("*.csv")}, {QStringLiteral("全部"), QStringLiteral("*.*")}}},
        {"empty pieces dropped",
         QStringLiteral("|CSVﾌｧｲﾙ(*.csv)||*.csv|"),
         {{csv, QStringLiteral("*.csv")}}},
        {"empty text", QString(), {{kAll, QStringLiteral("*.*")}}},
        {"only bars", QStringLiteral("|||"), {{kAll, QStringLiteral("*.*")}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseFilterText(c.text), c.expected) << c.name;
}

TEST(FilterTextTest, InitialPathSplitsAtTheLastSlash) {
    struct Case {
        QString path, folder, name;
    };
    const Case cases[] = {
        {QStringLiteral("SELECT.csv"), QString(), QStringLiteral("SELECT.csv")},
        {QStringLiteral("/home/u/data/"), QStringLiteral("/home/u/data/"), QString()},
        {QStringLiteral("  /home/u/a b.sql  "), QStringLiteral("/home/u/"),
         QStringLiteral("a b.sql")},
        {QString(), QString(), QString()},
        {QStringLiteral("/x.sql"), QStringLiteral("/"), QStringLiteral("x.sql")},
    };
    for (const Case& c : cases) {
        const InitialPath split = SplitInitialPath(c.path);
        EXPECT_EQ(split.folder, c.folder) << c.path.toStdString();
        EXPECT_EQ(split.name, c.name) << c.path.toStdString();
    }
    // The index counts from 1; one out of range selects the first entry.
    for (const auto& [given, used] : {std::pair{2, 2}, {0, 1}, {3, 1}, {-1, 1}}) {
        const FileDialogRequest r = MakeFileDialogRequest(
            FileDialogKind::Save, nullptr, QStringLiteral("t"), QStringLiteral("SELECT.csv"),
            QStringLiteral("a|*.a|b|*.b"), given);
        EXPECT_EQ(r.filterIndex, used) << given;
    }
}

TEST(EditorCommandTest, FirstMarkTakesTheWholePath) {
    struct Case {
        QString command, path;
        EditorLaunch expected;
    };
    const QString blanks = QStringLiteral("/tmp/my files/SQL(temporary edit).sql");
    const QString quotes = QStringLiteral("/tmp/say \"hi\"/k's.txt");
    const Case cases[] = {
        {QStringLiteral("notepad %P"), blanks, {QStringLiteral("notepad"), {blanks}}},
        {QStringLiteral("gedit %p %p"),
         blanks,
         {QStringLiteral("gedit"), {blanks, QStringLiteral("%p")}}},
        {QStringLiteral("ed --file=%p -n"),
         quotes,
         {QStringLiteral("ed"), {QStringLiteral("--file=") + quotes, QStringLiteral("-n")}}},
        {QStringLiteral("\"/opt/my editor/bin/ed\"  -w  %p"),
         quotes,
         {QStringLiteral("/opt/my editor/bin/ed"), {QStringLiteral("-w"), quotes}}},
        {QStringLiteral("vi %p; rm -rf ~"),
         QStringLiteral("/tmp/a"),
         {QStringLiteral("vi"),
          {QStringLiteral("/tmp/a;"), QStringLiteral("rm"), QStringLiteral("-rf"),
           QStringLiteral("~")}}},
        {QStringLiteral("   "), QStringLiteral("/tmp/a"), {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CommandForFile(c.command, c.path), c.expected) << c.command.toStdString();
    EXPECT_TRUE(HasFileMark(QStringLiteral("notepad %P")));
    EXPECT_FALSE(HasFileMark(QStringLiteral("notepad %")));
}

TEST(EditorCommandTest, BrowsedProgramPathSplitsBackWhole) {
    for (const QString& path :
         {QStringLiteral("/usr/bin/gedit"), QStringLiteral("/opt/My Editor/edit"),
          QStringLiteral("/opt/a \"quoted\" name/ed"), QStringLiteral("/opt/tab\there")}) {
        const QString command = QuotedProgramPath(path) + QStringLiteral(" %p");
        const QStringList parts = QProcess::splitCommand(command);
        ASSERT_EQ(parts.size(), 2) << command.toStdString();
        EXPECT_EQ(parts[0], path);
    }
    EXPECT_EQ(QuotedProgramPath(QStringLiteral("/usr/bin/vi")), QStringLiteral("/usr/bin/vi"));
}

TEST(OpenDocumentTest, AddressesAreTheValuesWithAScheme) {
    struct Case {
        QString value;
        bool address;
    };
    const Case cases[] = {
        {QStringLiteral("https://example.org/help"), true},
        {QStringLiteral("mailto:someone@example.org"), true},
        {QStringLiteral("file:///usr/share/doc"), true},
        {QStringLiteral("/usr/share/varkel/HELP/index.htm"), false},
        {QStringLiteral("HELP/index.htm"), false},
        {QStringLiteral("c:index.htm"), false},  // one letter: no scheme
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsAddress(c.value), c.address) << c.value.toStdString();
}

}  // namespace
}  // namespace varkel
