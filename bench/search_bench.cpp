// The object search over a tree of N objects (the search button's whole handling: the results
// list filled, the others collapsed, the label redrawn) beside a plain loop that only tests the
// same names for the text; and the keyword step over a script of S bytes with K keywords, where
// the only keyword is the last word, beside a plain loop that only finds the script's
// delimiters. In one run.
//
//   search_bench [--objects N] [--bytes S] [--keywords K] [--runs R]
//
// Run it with the xcb platform under Xvfb (scripts/bench.sh does) so that the window is shown.

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenuBar>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "db/db_session.h"
#include "ui/frame/main_menus.h"
#include "ui/sqlbox/word_move.h"
#include "ui/tree/image_lists.h"
#include "ui/tree/left_pane.h"
#include "ui/tree/object_lists.h"
#include "ui/tree/search_pane.h"
#include "ui/tree/tree_pane.h"

using namespace varkel;

namespace {

// The best of `runs` timings of `work`, in milliseconds.
double Best(int runs, const std::function<void()>& work) {
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

QTreeWidgetItem* Node(const QString& text, const QString& tag) {
    auto* node = new QTreeWidgetItem(QStringList{text});
    node->setData(0, node_data::kTag, tag);
    return node;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser options;
    const auto option = [&](const char* name, const char* value) {
        options.addOption({QString::fromLatin1(name), QString::fromLatin1(name),
                           QStringLiteral("N"), QString::fromLatin1(value)});
    };
    option("objects", "20000");
    option("bytes", "1048576");
    option("keywords", "2000");
    option("runs", "5");
    options.process(app);
    const int objects = options.value(QStringLiteral("objects")).toInt();
    const int bytes = options.value(QStringLiteral("bytes")).toInt();
    const int keywordCount = options.value(QStringLiteral("keywords")).toInt();
    const int runs = options.value(QStringLiteral("runs")).toInt();

    // The left pane with the tree as a connect fills it: 80 % tables, the rest views and
    // synonyms; one name in three holds "emp".
    QWidget host;
    QMenuBar bar(&host);
    LeftPane left;
    left.build(&host);
    left.TreeView1->setGeometry(0, 30, 400, 500);
    left.CB_srch_obj->setGeometry(0, 0, 400, 24);
    left.L_Found->setGeometry(0, 540, 400, 20);
    left.LV_Found->setGeometry(0, 560, 400, 200);
    MainMenus menus;
    menus.build(&bar, &host);
    DbSession session;
    QString owner;
    ObjectTree tree(session, left.TreeView1, left.TabObjects, menus, owner);
    tree.setImages(TreeImageList());
    QStringList names;
    const std::pair<const char*, const char*> categories[] = {
        {"TABLE", "table"}, {"VIEW", "view"}, {"SYNONYM", "synonym"}};
    for (const auto& [key, tag] : categories) {
        QTreeWidgetItem* category = Node(QString::fromLatin1(key), QStringLiteral("tables"));
        category->setData(0, node_data::kKey, QString::fromLatin1(key));
        left.TreeView1->addTopLevelItem(category);
        const int count = std::string_view(key) == "TABLE" ? objects * 8 / 10 : objects / 10;
        QList<QTreeWidgetItem*> nodes;
        for (int i = 0; i < count; ++i) {
            const QString name = (i % 3 == 0 ? QStringLiteral("EMP_%1") : QStringLiteral("ORD_%1"))
                                     .arg(i * 7919 % 100000);
            names << name;
            QTreeWidgetItem* node = Node(name, QString::fromLatin1(tag));
            node->addChild(Node(QStringLiteral("Columns 取得中..."), QStringLiteral("dummy")));
            nodes << node;
        }
        category->addChildren(nodes);
        category->setExpanded(true);
    }
    ObjectSearch search(left, tree, menus, [](int) {});
    host.resize(420, 780);
    host.show();
    QApplication::processEvents();
    left.CB_srch_obj->setEditText(QStringLiteral("emp"));

    int found = 0;
    const double searchMs = Best(runs, [&] {
        search.SearchAll(false);
        found = left.LV_Found->topLevelItemCount();
    });
    int plainFound = 0;
    const double plainSearchMs = Best(runs, [&] {
        plainFound = 0;
        for (const QString& name : names)
            plainFound += name.contains(QStringLiteral("emp"), Qt::CaseInsensitive) ? 1 : 0;
    });
    std::printf("SearchAll over %d objects (%d found):      %8.2f ms\n", objects, found, searchMs);
    std::printf("  goal 6  object search over %d objects %.0f ms (goal < 300)\n", objects,
                searchMs);
    std::printf("plain loop of contains() (%d found):         %8.2f ms\n", plainFound,
                plainSearchMs);

    // A script of words that are no keywords, then one keyword at the very end.
    QStringList keywordList;
    for (int i = 0; i < keywordCount; ++i)
        keywordList << QStringLiteral("KW%1").arg(i);
    QString script;
    script.reserve(bytes + 16);
    for (int i = 0; script.size() < bytes; ++i)
        script += QStringLiteral("col%1, t.x%2 (y)\r\n").arg(i).arg(i % 50);
    script += QStringLiteral(" kw1999");
    int selectedAt = -1;
    const double keywordMs = Best(runs, [&] {
        const KeywordSet set(keywordList);
        const auto moved = MoveToWord(script, 0, 0, true, WordMode::Keyword, set);
        selectedAt = moved ? moved->start : -1;
    });
    long long delimiters = 0;
    const double plainKeywordMs = Best(runs, [&] {
        delimiters = 0;
        const char16_t* p = reinterpret_cast<const char16_t*>(script.constData());
        for (qsizetype i = 0; i < script.size(); ++i) {
            switch (p[i]) {
                case u' ':
                case u'.':
                case u',':
                case u'(':
                case u')':
                case u'\r':
                case u'\n':
                case u'\t':
                    ++delimiters;
                    break;
                default:
                    break;
            }
        }
    });
    std::printf("MoveToWord keyword mode, %lld chars, %d keywords (at %d): %8.2f ms\n",
                static_cast<long long>(script.size()), keywordCount, selectedAt, keywordMs);
    std::printf("plain loop finding the delimiters (%lld):    %8.2f ms\n", delimiters,
                plainKeywordMs);
    return found > 0 && selectedAt >= 0 ? 0 : 1;
}
