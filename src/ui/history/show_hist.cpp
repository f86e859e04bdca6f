#include "ui/history/show_hist.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

#include "store/ini_file.h"
#include "store/program_folder.h"
#include "store/settings_keys.h"
#include "toolkit/auto_size_columns.h"
#include "toolkit/box_text.h"
#include "toolkit/message_box.h"
#include "toolkit/tab_leaves_box.h"
#include "toolkit/tool_icons.h"
#include "toolkit/twips.h"
#include "toolkit/window_position.h"
#include "toolkit/window_role.h"
#include "toolkit/yield.h"
#include "ui/history/statement_box.h"
#include "ui/history/statement_text.h"

namespace varkel {

namespace {

constexpr int kSplitHeight = 100;  // twips
constexpr int kPictureHeight = 600;
constexpr int kRecordIdRole = Qt::UserRole + 1;  // the row's record in the store
// A text box lays a line out whole: beyond this many characters it would stall the window, so
// the box shows the beginning and the buttons hand on the whole statement.
constexpr qsizetype kBoxLimit = 100000;

int InnerWidth(const QWidget* w) {
    return PixelsToTwipsX(w->width());
}

}  // namespace

ShowHist::ShowHist(const QString& historyFile, const QString& windowPos, Calls calls,
                   QWidget* owner)
    : QWidget(owner, Qt::Window),
      store_(historyFile,
             MaxHistFrom(ReadIniString(ProgramFolder() + settings::FileName(), settings::Set(),
                                       settings::MaxHist())),
             this),
      calls_(std::move(calls)) {
    setObjectName(QStringLiteral("ShowHist"));
    setWindowTitle(QStringLiteral("SQL入力履歴"));
    resize(TwipsToPixelsX(9000), TwipsToPixelsY(6600));
    ExposeAsWindow(this);
    build();
    RestoreWindowPos(this, windowPos);
    layOutList();
    connect(&store_, &SqlHistory::reloaded, this, &ShowHist::fillList);
    connect(&store_, &SqlHistory::recordsDropped, this, &ShowHist::removeRows);
    connect(&store_, &SqlHistory::recordAdded, this, [this](const ClassSQL& r, quint64 id) {
        ListView1->insertTopLevelItem(0, makeRow(r, id));
        AutoSizeColumns(ListView1, true, 3);
    });
    connect(&store_, &SqlHistory::writeFailed, this, [this](const QString& text) {
        ShowMessageBox(text, MsgButtons::Ok, MsgIcon::Exclamation, windowTitle());
    });
}

void ShowHist::build() {
    menu_ = new QMenuBar(this);
    QMenu* mn_sql = menu_->addMenu(QStringLiteral("SQL(&S)"));
    mn_sql->menuAction()->setObjectName(QStringLiteral("mn_sql"));
    QAction* input = mn_sql->addAction(QStringLiteral("SQL入力エリアへ戻す(&R)"));
    input->setObjectName(QStringLiteral("mn_sql_input"));
    QAction* exec = mn_sql->addAction(QStringLiteral("SQLを即実行(&I)"));
    exec->setObjectName(QStringLiteral("mn_sql_exec"));
    exec->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    mn_sql->addSeparator()->setObjectName(QStringLiteral("mn_sql_sp"));
    QAction* exit = mn_sql->addAction(QStringLiteral("閉じる(&X)"));
    exit->setObjectName(QStringLiteral("mn_sql_exit"));

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setAccessibleName(QStringLiteral("SQL入力履歴"));
    ListView1->setRootIsDecorated(false);
    ListView1->setHeaderLabels(
        {QStringLiteral("日時"), QStringLiteral("DB"), QStringLiteral("SQL")});
    ListView1->header()->setSectionsClickable(true);
    ListView1->header()->setSortIndicatorShown(false);
    ListView1->setColumnWidth(0, TwipsToPixelsX(1800));
    ListView1->setColumnWidth(1, TwipsToPixelsX(2400));
    SetColumnTag(ListView1, 0, kFixedColumnTag);
    SetColumnTag(ListView1, 1, kFixedColumnTag);
    connect(ListView1->header(), &QHeaderView::sectionClicked, this, &ShowHist::sortByHeader);
    connect(ListView1, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { chooseRow(item); });
    ListView1->installEventFilter(this);  // Enter on a row takes it back

    L_split = new QFrame(this);
    L_split->setObjectName(QStringLiteral("L_split"));
    L_split->setFrameShape(QFrame::HLine);
    L_split->setCursor(Qt::SizeVerCursor);
    L_split->installEventFilter(this);

    Text1 = new StatementBox(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("SQL文"));
    TabLeavesBox(Text1);

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Command1 = new QPushButton(QStringLiteral("SQL入力エリアへ戻す(&R)"), Picture1);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("SQLを即実行(&I)"), Picture1);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command3 = new QPushButton(QStringLiteral("閉じる(&X)"), Picture1);
    Command3->setObjectName(QStringLiteral("Command3"));
    for (QPushButton* b : {Command1, Command2, Command3}) {
        b->resize(TwipsToPixelsX(2600), TwipsToPixelsY(420));
        b->setAutoDefault(true);  // Enter presses the focused button
    }

    connect(Command1, &QPushButton::clicked, this, &ShowHist::putBack);
    connect(input, &QAction::triggered, this, &ShowHist::putBack);
    connect(Command2, &QPushButton::clicked, this, &ShowHist::runAtOnce);
    connect(exec, &QAction::triggered, this, &ShowHist::runAtOnce);
    connect(Command3, &QPushButton::clicked, this, &ShowHist::closeWindow);
    connect(exit, &QAction::triggered, this, &ShowHist::closeWindow);
}

void ShowHist::layOutList() {
    // The list takes half the room above the buttons, at least 500 twips, of the window's size
    // as restored.
    menu_->setGeometry(0, 0, width(), menu_->sizeHint().height());
    const int menuHeight = PixelsToTwipsY(menu_->height());
    const int inner = PixelsToTwipsY(height()) - menuHeight;
    const int h = std::max(500, (inner - kPictureHeight - kSplitHeight) / 2);
    ListView1->setGeometry(TwipsToPixels(0, menuHeight, InnerWidth(this), h));
    L_split->setGeometry(TwipsToPixels(0, menuHeight + h, InnerWidth(this), kSplitHeight));
    Text1->setGeometry(TwipsToPixels(0, menuHeight + h + 50, InnerWidth(this), 500));
}

void ShowHist::fillList() {
    ListView1->clear();
    // All rows at once, newest first, and one fitting: row by row would measure the list again
    // for every record.
    QList<QTreeWidgetItem*> rows;
    const QList<ClassSQL>& records = store_.records();
    rows.reserve(records.size());
    for (qsizetype i = records.size() - 1; i >= 0; --i)
        rows << makeRow(records[i], store_.ids()[i]);
    ListView1->addTopLevelItems(rows);
    AutoSizeColumns(ListView1, true, 3);
    if (ListView1->topLevelItemCount() > 0) {
        ListView1->setCurrentItem(ListView1->topLevelItem(0));
        showStatement(records.last().SQLstmt);
    }
}

QTreeWidgetItem* ShowHist::makeRow(const ClassSQL& record, quint64 id) {
    auto* item = new QTreeWidgetItem(
        {record.SQLhead.left(17), record.SQLhead.mid(18), OneLineStatement(record.SQLstmt)});
    item->setData(0, kRecordIdRole, QVariant::fromValue(id));
    return item;
}

quint64 ShowHist::rowRecord(const QTreeWidgetItem* item) {
    return item ? item->data(0, kRecordIdRole).value<quint64>() : 0;
}

void ShowHist::removeRows(const QList<quint64>& ids) {
    for (int i = ListView1->topLevelItemCount() - 1; i >= 0; --i)
        if (ids.contains(rowRecord(ListView1->topLevelItem(i))))
            delete ListView1->takeTopLevelItem(i);
}

void ShowHist::chooseRow(QTreeWidgetItem* item) {
    if (const ClassSQL* record = store_.record(rowRecord(item))) showStatement(record->SQLstmt);
}

void ShowHist::showStatement(const QString& statement) {
    const bool cut = statement.size() > kBoxLimit;
    cutStatement_ = cut ? statement : QString();
    Text1->setReadOnly(cut);
    Text1->setAcceptDrops(!cut);  // what was dropped into a shortened text could not be handed on
    if (!cut) {
        Text1->setPlainText(ForTextBox(statement));
        return;
    }
    Text1->setPlainText(ForTextBox(statement.left(kBoxLimit)) +
                        QStringLiteral("\n…\n（長いＳＱＬのため先頭の%1文字だけを表示しています。"
                                       "ボタンでは全文を渡します）")
                            .arg(kBoxLimit));
}

QString ShowHist::handedOn() const {
    return cutStatement_.isNull() ? BoxText(Text1) : ForTextBox(cutStatement_);
}

void ShowHist::sortByHeader(int column) {
    if (column == ListView1->columnCount() - 1) return;  // the statements are not sorted
    if (sorted_ && column == sortColumn_) {
        if (sortOrder_ == Qt::DescendingOrder) {
            sortOrder_ = Qt::AscendingOrder;
        } else {  // back to the default order: newest first
            sortColumn_ = 0;
            sortOrder_ = Qt::DescendingOrder;
        }
    } else {
        sortColumn_ = column;
        sortOrder_ = Qt::DescendingOrder;
    }
    sorted_ = true;
    ListView1->sortItems(sortColumn_, sortOrder_);
    updateMarkers();
}

void ShowHist::updateMarkers() {
    QTreeWidgetItem* header = ListView1->headerItem();
    for (int c = 0; c < ListView1->columnCount() - 1; ++c) {
        const bool marked =
            sorted_ && c == sortColumn_ && !(c == 0 && sortOrder_ == Qt::DescendingOrder);
        header->setIcon(
            c, !marked ? QIcon()
                       : ToolIcon(sortOrder_ == Qt::AscendingOrder ? QStringLiteral("SortASC")
                                                                   : QStringLiteral("SortDESC")));
        header->setData(c, Qt::UserRole + 8,
                        !marked                            ? QString()
                        : sortOrder_ == Qt::AscendingOrder ? QStringLiteral("SortASC")
                                                           : QStringLiteral("SortDESC"));
    }
}

bool ShowHist::dragSplitter(int top) {
    const int inner = PixelsToTwipsY(height());
    const int listTop = PixelsToTwipsY(ListView1->y());
    if (top < listTop + 500 || top > inner - 1000) return false;
    ListView1->resize(ListView1->width(), TwipsToPixelsY(top - listTop));
    const int textTop = top + 50;
    Text1->setGeometry(0, TwipsToPixelsY(textTop), width(),
                       TwipsToPixelsY(inner - kPictureHeight - textTop));
    L_split->move(0, TwipsToPixelsY(top));
    return true;
}

bool ShowHist::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (watched == ListView1) {
        if (type != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) || !ListView1->currentItem())
            return QWidget::eventFilter(watched, event);
        putBack();
        return true;
    }
    if (watched != L_split || (type != QEvent::MouseButtonPress &&
                               type != QEvent::MouseButtonRelease && type != QEvent::MouseMove))
        return QWidget::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const int y = mouse->position().toPoint().y();
    if (type == QEvent::MouseButtonPress) {
        splitDragging_ = mouse->button() == Qt::LeftButton;
        dragOffset_ = y;
    } else if (type == QEvent::MouseButtonRelease) {
        splitDragging_ = false;
    } else if (splitDragging_) {
        dragSplitter(PixelsToTwipsY(L_split->y() + y - dragOffset_));
    }
    return true;
}

void ShowHist::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isMinimized() || !ListView1) return;
    const int inner = PixelsToTwipsY(height());
    const int width = InnerWidth(this);
    menu_->resize(this->width(), menu_->height());  // the menu bar spans the window
    ListView1->resize(this->width(), ListView1->height());
    L_split->resize(this->width(), L_split->height());
    const int textTop = PixelsToTwipsY(Text1->y());
    Text1->setGeometry(0, Text1->y(), this->width(),
                       TwipsToPixelsY(std::max(500, inner - kPictureHeight - textTop)));
    Picture1->setGeometry(TwipsToPixels(0, inner - kPictureHeight, width, kPictureHeight));
    const int w1 = PixelsToTwipsX(Command1->width()), w2 = PixelsToTwipsX(Command2->width()),
              w3 = PixelsToTwipsX(Command3->width());
    const int gap = std::max(0, (width - w1 - w2 - w3) / 4);
    Command1->move(TwipsToPixelsX(gap), TwipsToPixelsY(90));
    Command2->move(TwipsToPixelsX(gap + w1 + gap), TwipsToPixelsY(90));
    Command3->move(TwipsToPixelsX(gap + w1 + gap + w2 + gap), TwipsToPixelsY(90));
    AutoSizeColumns(ListView1, true, 3);
}

void ShowHist::putBack() {
    SaveWindowPos(this, settings::Hist());
    hide();
    if (calls_.InputHist) calls_.InputHist(handedOn());
}

void ShowHist::runAtOnce() {
    ListView1->setFocus();
    SaveWindowPos(this, settings::Hist());
    hide();
    DoEvents();
    if (calls_.PostSQL) calls_.PostSQL(handedOn());
}

void ShowHist::closeWindow() {
    ListView1->setFocus();
    SaveWindowPos(this, settings::Hist());
    hide();
}

void ShowHist::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        closeWindow();
    else
        QWidget::keyPressEvent(event);
}

void ShowHist::closeEvent(QCloseEvent* event) {
    // Closing by the frame only hides the window, as its close button does.
    event->ignore();
    closeWindow();
}

}  // namespace varkel
