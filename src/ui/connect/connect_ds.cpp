#include "ui/connect/connect_ds.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>

#include "db/odbc_comm.h"
#include "store/program_folder.h"
#include "store/settings_keys.h"
#include "toolkit/auto_size_columns.h"
#include "toolkit/message_box.h"
#include "toolkit/mnemonics.h"
#include "toolkit/sorted_combo.h"
#include "toolkit/twips.h"
#include "toolkit/yield.h"

namespace varkel {

namespace {

constexpr int kMaxListed = 99;
constexpr int kDesignWidth = 6600;  // twips, without the detail list
constexpr int kDesignHeight = 5040;
constexpr int kDetailWidth = 5400;  // ListView1

QString SettingsFile() {
    return ProgramFolder() + settings::FileName();
}

QRect Px(int left, int top, int width, int height) {
    return TwipsToPixels(left, top, width, height);
}

}  // namespace

ConnectDS::ConnectDS(DbSession& session, QWidget* owner) : QDialog(owner), session_(session) {
    setObjectName(QStringLiteral("ConnectDS"));
    setWindowTitle(QStringLiteral("データベース接続"));
    setModal(true);
    build();
    load();
}

void ConnectDS::build() {
    resize(TwipsToPixelsX(kDesignWidth), TwipsToPixelsY(kDesignHeight));
    const char* modes[] = {"データソース", "ドライバ", "接続履歴"};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(QString::fromUtf8(modes[i]), this);
        option->setObjectName(QStringLiteral("Option1"));
        option->setGeometry(Px(120 + i * 1800, 120, 1700, 330));
        // The state, not the click: keys and assistive tools switch the mode as a mouse does.
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on) switchMode();
        });
        option->installEventFilter(this);
        Option1 << option;
    }
    for (int i = 0; i < 2; ++i) {
        auto* frame = new QGroupBox(this);
        frame->setObjectName(QStringLiteral("Frame1"));
        frame->setGeometry(Px(120, 480, kDesignWidth - 240, 1500));
        Frame1 << frame;
    }
    Combo1 = new QComboBox(Frame1[0]);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setAccessibleName(QStringLiteral("データソース"));
    Combo1->setGeometry(Px(120, 150, kDesignWidth - 480, 345));
    Label2 = new QLabel(QStringLiteral("ユーザーID"), Frame1[0]);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(Px(120, 600, 1500, 300));
    TB_uid = new QLineEdit(Frame1[0]);
    TB_uid->setObjectName(QStringLiteral("TB_uid"));
    TB_uid->setAccessibleName(QStringLiteral("ユーザーID"));
    TB_uid->setGeometry(Px(1680, 570, 3000, 345));
    Label3 = new QLabel(QStringLiteral("パスワード"), Frame1[0]);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(Px(120, 1020, 1500, 300));
    TB_psw = new QLineEdit(Frame1[0]);
    TB_psw->setObjectName(QStringLiteral("TB_psw"));
    TB_psw->setAccessibleName(QStringLiteral("パスワード"));
    TB_psw->setEchoMode(QLineEdit::Password);
    TB_psw->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // "*"
    TB_psw->setGeometry(Px(1680, 990, 3000, 345));
    Combo2 = new QComboBox(Frame1[1]);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setAccessibleName(QStringLiteral("ドライバ"));
    Combo2->setGeometry(Px(120, 150, kDesignWidth - 480, 345));

    Lst_conn_hist = new QListWidget(this);
    Lst_conn_hist->setObjectName(QStringLiteral("Lst_conn_hist"));
    Lst_conn_hist->setAccessibleName(QStringLiteral("接続履歴"));
    Lst_conn_hist->setGeometry(Px(120, 2100, kDesignWidth - 240, 1800));
    Lst_conn_hist->installEventFilter(this);
    Lst_conn_hist->viewport()->installEventFilter(this);
    connect(Lst_conn_hist, &QListWidget::itemSelectionChanged, this, &ConnectDS::showDetails);
    connect(Lst_conn_hist, &QListWidget::itemDoubleClicked, this, [this] { accept(); });

    Chk_add_hist = new QCheckBox(QStringLiteral("接続履歴に追加"), this);
    Chk_add_hist->setObjectName(QStringLiteral("Chk_add_hist"));
    Chk_add_hist->setGeometry(Px(120, 4020, 2400, 330));
    connect(Chk_add_hist, &QCheckBox::toggled, this,
            [this](bool on) { connHistSave_ = settings::SwitchText(on); });

    Cmd_ok = new QPushButton(QStringLiteral("OK"), this);
    Cmd_ok->setObjectName(QStringLiteral("Cmd_ok"));
    Cmd_ok->setDefault(true);
    Cmd_ok->setGeometry(Px(kDesignWidth - 2760, 4440, 1200, 390));
    connect(Cmd_ok, &QPushButton::clicked, this, &ConnectDS::accept);
    Cmd_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Cmd_cancel->setObjectName(QStringLiteral("Cmd_cancel"));
    Cmd_cancel->setGeometry(Px(kDesignWidth - 1440, 4440, 1200, 390));
    connect(Cmd_cancel, &QPushButton::clicked, this, &ConnectDS::cancel);

    Label1 = new QLabel(QStringLiteral("接続情報："), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Px(kDesignWidth + 30, 120, 2000, 300));
    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setAccessibleName(QStringLiteral("接続情報"));
    ListView1->setRootIsDecorated(false);
    ListView1->setHeaderLabels({QStringLiteral("項目"), QStringLiteral("値")});
    ListView1->setGeometry(Px(kDesignWidth, 480, kDetailWidth - 120, kDesignHeight - 600));

    mn_hist = new QMenu(QStringLiteral("hist"), this);
    mn_hist->setObjectName(QStringLiteral("mn_hist"));
    QAction* mnDelete = mn_hist->addAction(QStringLiteral("削除"));
    mnDelete->setObjectName(QStringLiteral("mn_delete"));
    connect(mnDelete, &QAction::triggered, this, &ConnectDS::deleteSelectedEntry);
    mn_hist->addAction(QStringLiteral("ｷｬﾝｾﾙ"))->setObjectName(QStringLiteral("mn_cancel"));
    AssignMnemonics(this);
}

void ConnectDS::load() {
    // Centred as if already widened for the history mode.
    const QSize screen = ScreenSizeTwips();
    const int width = PixelsToTwipsX(this->width());
    const int height = PixelsToTwipsY(this->height());
    move(TwipsToPixelsX((screen.width() - (width + kDetailWidth)) / 2),
         TwipsToPixelsY((screen.height() - height) / 2));
    normalWidth_ = width;
    Combo1->clear();
    Combo2->clear();
    Option1[0]->setChecked(true);
    switchMode();
    lineHeight_ = PixelsToTwipsY(QFontMetrics(Lst_conn_hist->font()).height());

    int count = 0;
    QStringList names, descriptions;
    if (ListDataSources(session_, kMaxListed, count, names, descriptions) != 0) {
        ShowMessageBox(QStringLiteral("データソースの取得に失敗しました。"), MsgButtons::Ok,
                       MsgIcon::Exclamation, windowTitle());
        return;
    }
    for (int i = 0; i < count; ++i)
        AddSortedItem(Combo1, names[i] + u'(' + descriptions[i] + u')');
    Combo1->setCurrentIndex(-1);

    if (ListDrivers(session_, kMaxListed, count, descriptions) != 0) {
        ShowMessageBox(QStringLiteral("ドライバの取得に失敗しました。"), MsgButtons::Ok,
                       MsgIcon::Exclamation, windowTitle());
        return;
    }
    for (int i = 0; i < count; ++i)
        AddSortedItem(Combo2, descriptions[i]);
    Combo2->setCurrentIndex(-1);

    connHistSave_ = history_.read(SettingsFile());
    {
        const QSignalBlocker asRead(Chk_add_hist);  // SAVE is written back as read until toggled
        Chk_add_hist->setChecked(settings::SwitchOn(connHistSave_));
    }
    fillHistoryList(QString());
    historyLoaded_ = true;
}

void ConnectDS::switchMode() {
    Frame1[0]->setVisible(Option1[0]->isChecked());
    Frame1[1]->setVisible(Option1[1]->isChecked());
    Lst_conn_hist->setEnabled(Option1[2]->isChecked());
    Label1->setVisible(Option1[2]->isChecked());
    ListView1->setVisible(Option1[2]->isChecked());
    resize(TwipsToPixelsX(normalWidth_), height());
    // Only what is on screen takes the focus; during the load nothing is.
    if (Combo1->isVisible()) {
        Combo1->setFocus();
    } else if (Combo2->isVisible()) {
        Combo2->setFocus();
    } else if (Lst_conn_hist->isVisible()) {
        resize(TwipsToPixelsX(kDetailWidth + PixelsToTwipsX(width()) + 30), height());
        Lst_conn_hist->setFocus();
    }
}

QString ConnectDS::GetDSN(QString& U_id, QString& PS_wd, QString& drv, QString& DSTag) {
    chosenDsn_.clear();
    chosenUid_.clear();
    chosenPwd_.clear();
    chosenDriver_.clear();
    chosenHistEntry_.clear();
    showDetails();
    // Once the dialog is on screen, the focus and the width follow its mode.
    QTimer::singleShot(0, this, &ConnectDS::switchMode);
    exec();
    U_id = chosenUid_;
    PS_wd = chosenPwd_;
    drv = chosenDriver_;
    DSTag = chosenHistEntry_;
    return chosenDsn_;
}

void ConnectDS::accept() {
    if (Option1[0]->isChecked()) {
        if (Combo1->currentIndex() < 0) return;
        const QString item = Combo1->currentText();
        chosenDsn_ = item.left(item.indexOf(u'('));
        chosenUid_ = TB_uid->text();
        chosenPwd_ = TB_psw->text();
        Combo1->setFocus();
    } else if (Option1[1]->isChecked()) {
        if (Combo2->currentIndex() < 0) return;
        chosenDriver_ = Combo2->currentText();
        Combo2->setFocus();
    } else {
        const int row = Lst_conn_hist->currentRow();
        if (row < 0 || !Lst_conn_hist->currentItem()->isSelected()) return;
        chosenHistEntry_ = history_.entries().value(row);
    }
    hide();
    DoEvents();
    done(QDialog::Accepted);
}

void ConnectDS::cancel() {
    if (Option1[0]->isChecked())
        Combo1->setFocus();
    else if (Option1[1]->isChecked())
        Combo2->setFocus();
    else
        Lst_conn_hist->setFocus();
    hide();
    DoEvents();
    done(QDialog::Rejected);
}

void ConnectDS::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        cancel();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ConnectDS::closeEvent(QCloseEvent* event) {
    // Closing by the frame unloads the dialog. The history it holds is saved first, so that a
    // connection remembered earlier in the run is not lost with it.
    closedByFrame_ = true;
    SaveHist();
    event->accept();
    done(QDialog::Rejected);
    deleteLater();
}

void ConnectDS::SetDataSrcTag(const QString& DSTag) {
    if (!historyLoaded_ || !Chk_add_hist->isChecked()) return;
    // The selection follows the entry, not its row: a connection made from the history selects
    // its completed string, now on top; any other keeps the entry that was selected.
    const int row = Lst_conn_hist->currentRow();
    QString selected = row >= 0 && Lst_conn_hist->currentItem()->isSelected()
                           ? history_.entries().value(row)
                           : QString();
    history_.add(DSTag);
    if (!chosenHistEntry_.isEmpty()) selected = history_.entries().value(0);
    fillHistoryList(selected);
}

void ConnectDS::SaveHist() {
    if (historyLoaded_) history_.save(SettingsFile(), connHistSave_);
}

void ConnectDS::SaveHist(IniFile& ini) {
    if (historyLoaded_) history_.save(ini, connHistSave_);
}

void ConnectDS::fillHistoryList(const QString& selectedEntry) {
    Lst_conn_hist->clear();
    for (const QString& entry : history_.entries())
        Lst_conn_hist->addItem(MaskHistoryEntry(entry));
    const int row = selectedEntry.isEmpty() ? -1 : history_.entries().indexOf(selectedEntry);
    Lst_conn_hist->setCurrentRow(row);
}

void ConnectDS::showDetails() {
    ListView1->clear();
    const QList<QListWidgetItem*> selected = Lst_conn_hist->selectedItems();
    if (selected.isEmpty()) return;
    for (const auto& [item, value] : HistoryDetails(selected.first()->text()))
        new QTreeWidgetItem(ListView1, {item, value});
    AutoSizeColumns(ListView1, true, -1);
}

void ConnectDS::deleteSelectedEntry() {
    const int row = Lst_conn_hist->currentRow();
    if (row < 0) return;
    history_.removeAt(row);
    delete Lst_conn_hist->takeItem(row);
    Lst_conn_hist->setCurrentRow(-1);
    SaveHist();
}

bool ConnectDS::eventFilter(QObject* watched, QEvent* event) {
    if (const qsizetype option = Option1.indexOf(qobject_cast<QRadioButton*>(watched));
        option >= 0 && event->type() == QEvent::KeyPress) {
        // An arrow selects the next or previous mode here, so that the mode switch's focus move
        // holds: the toolkit would put the focus back on the option afterwards.
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int step = key == Qt::Key_Right || key == Qt::Key_Down ? 1
                         : key == Qt::Key_Left || key == Qt::Key_Up  ? -1
                                                                     : 0;
        if (step == 0) return QDialog::eventFilter(watched, event);
        if (QRadioButton* next = Option1.value(option + step)) next->setChecked(true);
        return true;
    }
    if (watched == Lst_conn_hist && event->type() == QEvent::KeyPress) {
        // The list puts its focus on an entry without selecting it when it gains the focus; an
        // arrow key selects where the focus is first, so that it also chooses a lone entry and
        // Enter connects with what the focus shows.
        switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_Home:
            case Qt::Key_End:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                if (QListWidgetItem* item = Lst_conn_hist->currentItem();
                    item && !item->isSelected())
                    item->setSelected(true);
                break;
            default:
                break;
        }
        return QDialog::eventFilter(watched, event);
    }
    if (watched != Lst_conn_hist->viewport()) return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        // Any button selects the entry under the pointer; below the last entry none is.
        auto* mouse = static_cast<QMouseEvent*>(event);
        QListWidgetItem* item = Lst_conn_hist->itemAt(mouse->position().toPoint());
        if (!item) {
            Lst_conn_hist->clearSelection();
            Lst_conn_hist->setCurrentRow(-1);
        } else {
            Lst_conn_hist->setCurrentItem(item);
        }
        return mouse->button() != Qt::LeftButton;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && !Lst_conn_hist->selectedItems().isEmpty()) {
            mn_hist->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace varkel
