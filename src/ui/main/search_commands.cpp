// The main window's aids for writing SQL: the object search, the keyword list and the word
// buttons, the quick statements and copies of the tree's names, and SQL files read into the box.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include "db/odbc_comm.h"
#include "store/program_folder.h"
#include "toolkit/file_dialogs.h"
#include "toolkit/yield.h"
#include "ui/main/main_window.h"
#include "ui/results/result_copy.h"
#include "ui/sqlbox/sql_box.h"
#include "ui/tree/keyword_list.h"
#include "ui/tree/object_lists.h"
#include "ui/tree/object_search.h"
#include "ui/tree/quick_sql.h"
#include "ui/tree/search_pane.h"
#include "ui/tree/tree_pane.h"

namespace varkel {

namespace {

bool IsObjectNode(const QTreeWidgetItem* node) {
    return IsObjectTag(NodeTag(node));
}

void ToClipboard(const QString& text) {
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

}  // namespace

void Varkel::wireSearch() {
    search_ = new ObjectSearch(
        left_, *tree_, menus_,
        [this](int entries) {
            geometry_.foundList.height =
                FoundListHeight(entries, geometry_.foundList.height, geometry_.tree.height);
            LayoutWindow();
        },
        this);
    tree_->clearSearchResults = [this] { search_->Clear(); };

    connect(sql_.Cmd_q[0], &QToolButton::clicked, this, [this] { MoveToWord(true); });
    connect(sql_.Cmd_q[1], &QToolButton::clicked, this, [this] { MoveToWord(false); });
    sql_.Cmd_srch_wd->setToolTip(QStringLiteral("？/ﾄｰｸﾝ/ｷｰﾜｰﾄﾞ切替"));
    connect(sql_.Cmd_srch_wd, &QPushButton::clicked, this, &Varkel::CycleWordMode);

    KeywordList* keywords = sql_.Lst_kwd;
    connect(keywords, &KeywordList::menuRequested, menus_.mn_mouse5,
            [this](const QPoint& at) { menus_.mn_mouse5->popup(at); });
    connect(keywords, &KeywordList::insertRequested, menus_.mn_kwdcopy_sql, &QAction::trigger);
    connect(menus_.mn_kwdcopy_sql, &QAction::triggered, this, [this] {
        if (const auto keyword = sql_.Lst_kwd->selectedKeyword()) InsertSqlText(*keyword);
    });
    connect(menus_.mn_kwdcopy_clip, &QAction::triggered, this, [this] {
        if (const auto keyword = sql_.Lst_kwd->selectedKeyword()) ToClipboard(*keyword);
    });

    // Item [1] parts the statement that runs at once from those that only fill the box.
    menus_.mn_quick_sqlstmt[1]->setSeparator(true);
    for (int i = 0; i < menus_.mn_quick_sqlstmt.size(); ++i)
        connect(menus_.mn_quick_sqlstmt[i], &QAction::triggered, this, [this, i] { QuickSql(i); });
    connect(tree_, &ObjectTree::objectMenuAboutToShow, this, [this](QTreeWidgetItem* node) {
        const bool connected = IsConnected(session_);
        menus_.mn_copy_allcols->setEnabled(connected);
        menus_.mn_disp_cols->setEnabled(connected);
        const auto texts =
            QuickSqlTexts(ObjectSqlName(node, tree_->lists(), ServerNameRules(session_)));
        for (size_t i = 0; i < texts.size(); ++i) {
            QAction* item = menus_.mn_quick_sqlstmt[static_cast<int>(i)];
            if (i == 1) continue;
            item->setData(i == 0 ? texts[2] : texts[i]);
            item->setText(MenuCaption(texts[i]));
            item->setEnabled(i != 0 || connected);
        }
    });

    const auto clicked = [this] { return tree_->clickedNode(); };
    connect(menus_.mn_copy_sql, &QAction::triggered, this, [this, clicked] {
        QTreeWidgetItem* node = clicked();
        InsertSqlText(node && IsObjectNode(node)
                          ? ObjectSqlName(node, tree_->lists(), ServerNameRules(session_))
                          : QString());
    });
    connect(menus_.mn_colcopy_sql, &QAction::triggered, this, [this, clicked] {
        QTreeWidgetItem* node = clicked();
        InsertSqlText(node && NodeTag(node) == u"colname"
                          ? QuotedName(node->text(0), ServerNameRules(session_))
                          : QString());
    });
    connect(menus_.mn_objcopy_sql, &QAction::triggered, this, [this, clicked] {
        if (QTreeWidgetItem* node = clicked()) InsertSqlText(node->text(0));
    });
    for (QAction* a : {menus_.mn_copy_clip, menus_.mn_colcopy_clip, menus_.mn_objcopy_clip}) {
        connect(a, &QAction::triggered, this, [clicked] {
            if (QTreeWidgetItem* node = clicked()) ToClipboard(node->text(0));
        });
    }
    connect(menus_.mn_copy_allcols_sql, &QAction::triggered, this, [this] {
        QPointer<Varkel> self(this);
        const QString text = AllColumnsText();
        if (self && !text.isEmpty()) InsertSqlText(text);
    });
    connect(menus_.mn_copy_allcols_clip, &QAction::triggered, this, [this] {
        QPointer<Varkel> self(this);
        const QString text = AllColumnsText();
        if (self && !text.isEmpty()) ToClipboard(text);
    });
    connect(menus_.mn_open_file, &QAction::triggered, this, &Varkel::OpenSqlFile);
}

void Varkel::CycleWordMode() {
    wordMode_ = NextWordMode(wordMode_);
    QPalette palette = sql_.Cmd_srch_wd->palette();
    palette.setColor(QPalette::Button, wordMode_ == WordMode::Keyword
                                           ? sql_.Lst_kwd->palette().color(QPalette::Base)
                                           : QColor(Qt::white));
    sql_.Cmd_srch_wd->setPalette(palette);
    sql_.Cmd_srch_wd->setText(WordModeCaption(wordMode_));
    sql_.TB_SQL->setFocus();
}

void Varkel::QuickSql(int index) {
    QPointer<Varkel> self(this);
    DoEvents();
    if (!self || index < 0 || index >= menus_.mn_quick_sqlstmt.size()) return;
    const QString text = menus_.mn_quick_sqlstmt[index]->data().toString();
    if (text.isEmpty()) return;  // no object was right-clicked yet
    sql_.TB_SQL->ReplaceText(text);
    sql_.TB_SQL->setFocus();
    if (index == 0) RunScript();
}

QString Varkel::AllColumnsText() {
    QTreeWidgetItem* node = tree_->clickedNode();
    if (!node || !IsObjectNode(node)) return {};
    ColumnList columns;
    if (!tree_->GetColumns(node, columns)) return {};
    return varkel::AllColumnsText(columns.ColName.mid(0, columns.Col_num),
                                  ServerNameRules(session_));
}

void Varkel::OpenSqlFile() {
    const QString path =
        AskOpenFile(this, QStringLiteral("SQLﾌｧｲﾙ読込み"),
                    lastSqlFile_.isEmpty() ? ProgramFolder() : lastSqlFile_,
                    QStringLiteral("SQLﾌｧｲﾙ(*.sql)|*.sql|すべてのﾌｧｲﾙ(*.*)|*.*"), 1);
    if (path.isEmpty()) return;
    lastSqlFile_ = path;
    LoadSqlFile(path, false);
}

}  // namespace varkel
