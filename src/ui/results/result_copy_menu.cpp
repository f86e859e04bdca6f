#include "ui/results/result_copy_menu.h"

#include <QAction>
#include <QApplication>
#include <QDrag>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTreeWidget>

#include "toolkit/desktop.h"
#include "ui/frame/main_menus.h"
#include "ui/results/result_copy.h"

namespace varkel {

ListHit LvHitTest(QTreeWidget* list, const QPoint& viewportPos) {
    ListHit hit;
    hit.row = list->itemAt(viewportPos);
    if (!hit.row) return hit;
    hit.position = list->header()->logicalIndexAt(viewportPos.x());
    if (hit.position < 0) hit.row = nullptr;
    return hit;
}

ResultCopyMenu::ResultCopyMenu(QTreeWidget* list, MainMenus& menus, Calls calls, QObject* parent)
    : QObject(parent), list_(list), menus_(menus), calls_(std::move(calls)) {
    viewport_ = list_->viewport();
    viewport_->installEventFilter(this);
    const auto toSql = [this](int index) {
        if (calls_.InsertSqlText) calls_.InsertSqlText(LvCopyText_[static_cast<size_t>(index)]);
    };
    for (int i = 0; i < menus_.mn_LV_subitem_copy_sql.size(); ++i) {
        connect(menus_.mn_LV_subitem_copy_sql[i], &QAction::triggered, this, [=] { toSql(i); });
        connect(menus_.mn_LV_subitem_copy_clip[i], &QAction::triggered, this,
                [this, i] { copyToClipboard(i); });
    }
    for (int i = 0; i < menus_.mn_LV_subitem_all_copy_sql.size(); ++i) {
        connect(menus_.mn_LV_subitem_all_copy_sql[i], &QAction::triggered, this, [=] { toSql(i); });
        connect(menus_.mn_LV_subitem_all_copy_clip[i], &QAction::triggered, this,
                [this, i] { copyToClipboard(i); });
    }
}

int ResultCopyMenu::dataColumns() const {
    // The kinds are those of the last query; the column view shows other columns, and no cell
    // beyond the shown ones is ever addressed.
    const int shown = std::max(0, list_->columnCount() - 2);
    const int kinds = calls_.kinds ? static_cast<int>(calls_.kinds().size()) : 0;
    return std::min(shown, kinds);
}

void ResultCopyMenu::copyToClipboard(int index) {
    ClearClipboard();
    SetClipboardText(LvCopyText_[static_cast<size_t>(index)]);
}

void ResultCopyMenu::ListView1_MouseDown(const QPoint& viewportPos) {
    const ListHit hit = LvHitTest(list_, viewportPos);
    const int n = dataColumns();
    LvDragText_ =
        hit.row && hit.position >= 1 && hit.position <= n ? hit.row->text(hit.position) : QString();
}

void ResultCopyMenu::ListView1_MouseUp(const QPoint& viewportPos, const QPoint& globalPos) {
    const ListHit hit = LvHitTest(list_, viewportPos);
    const int n = dataColumns();
    if (!hit.row || hit.position < 0 || hit.position > n) return;
    if (hit.position == 0) {
        QStringList headers, values;
        for (int k = 1; k <= n; ++k) {
            headers << list_->headerItem()->text(k);
            values << hit.row->text(k);
        }
        const auto texts = RowCopyTexts(headers, values, calls_.kinds().mid(0, n));
        LvCopyText_[0] = texts[0];
        LvCopyText_[1] = texts[1];
        menus_.mn_mouse6->popup(globalPos);
        return;
    }
    LvCopyText_ =
        CellCopyTexts(list_->headerItem()->text(hit.position), hit.row->text(hit.position));
    menus_.mn_LV_subitem[0]->setTitle(MenuCaption(LvCopyText_[0]));
    for (int i = 1; i < 5; ++i)
        menus_.mn_LV_subitem[i]->setTitle(
            MenuCaption(QStringLiteral("⇒ ") + LvCopyText_[static_cast<size_t>(i)]));
    menus_.mn_mouse3->popup(globalPos);
}

bool ResultCopyMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched != viewport_) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            ListView1_MouseDown(mouse->position().toPoint());
            pressPos_ = mouse->position().toPoint();
            pressed_ = mouse->button() == Qt::LeftButton;
            return false;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (!pressed_ || !(mouse->buttons() & Qt::LeftButton) ||
                (mouse->position().toPoint() - pressPos_).manhattanLength() <
                    QApplication::startDragDistance())
                return false;
            pressed_ = false;
            if (LvDragText_.isEmpty()) return false;
            // The cell's text as plain text, for the SQL input box; copied, never moved.
            auto* drag = new QDrag(list_);
            auto* data = new QMimeData;
            data->setText(LvDragText_);
            drag->setMimeData(data);
            drag->exec(Qt::CopyAction);
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            pressed_ = false;
            if (mouse->button() == Qt::RightButton)
                ListView1_MouseUp(mouse->position().toPoint(), mouse->globalPosition().toPoint());
            return false;
        }
        default:
            return false;
    }
}

}  // namespace varkel
