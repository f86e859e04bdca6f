#include "ui/tree/search_pane.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <QTreeWidget>

#include "toolkit/busy_pointer.h"
#include "toolkit/desktop.h"
#include "toolkit/menu_keys.h"
#include "ui/frame/main_menus.h"
#include "ui/tree/left_pane.h"
#include "ui/tree/object_lists.h"
#include "ui/tree/object_search.h"
#include "ui/tree/tree_pane.h"

namespace varkel {

ObjectSearch::ObjectSearch(LeftPane& left, ObjectTree& tree, MainMenus& menus,
                           std::function<void(int)> resultsChanged, QObject* parent)
    : QObject(parent),
      left_(left),
      tree_(tree),
      menus_(menus),
      resultsChanged_(std::move(resultsChanged)) {
    QComboBox* combo = left_.CB_srch_obj;
    // The list grows only by the searches: no inline completion, no insertion on Enter.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setToolTip(QStringLiteral("F3：下を検索　Shift+F3：上を検索"));
    combo->installEventFilter(this);
    comboEdit_ = combo->lineEdit();
    if (comboEdit_) comboEdit_->installEventFilter(this);
    left_.Cmd_srch_obj->installEventFilter(this);
    left_.TreeView1->installEventFilter(this);
    foundViewport_ = left_.LV_Found->viewport();
    foundViewport_->installEventFilter(this);
    left_.LV_Found->installEventFilter(this);
    MenuKeysOpenContextMenu(left_.LV_Found);
    connect(left_.Cmd_srch_obj, &QToolButton::clicked, this, [this] {
        const bool append = shiftAtClick_;
        shiftAtClick_ = false;
        SearchAll(append);
    });
}

void ObjectSearch::addSearchText(const QString& text) {
    QComboBox* combo = left_.CB_srch_obj;
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i) == text) return;
    const QString typed = combo->currentText();
    combo->insertItem(0, text);
    combo->setEditText(typed);
}

void ObjectSearch::select(QTreeWidgetItem* node) {
    tree_.setClickedNode(node);
    left_.TreeView1->setCurrentItem(node);
    left_.TreeView1->scrollToItem(node);
}

void ObjectSearch::Clear() {
    found_.reset();
    left_.LV_Found->clear();
    left_.L_Found->setText(NoSearchLabelText());
    if (resultsChanged_) resultsChanged_(0);
}

void ObjectSearch::SearchAll(bool append) {
    QTreeWidget* tree = left_.TreeView1;
    tree->setFocus();
    if (tree->topLevelItemCount() == 0) return;
    const BusyPointer busy;
    const QString text = left_.CB_srch_obj->currentText();
    addSearchText(text);
    int first = 0;
    if (append && found_) {
        first = static_cast<int>(found_->size());
    } else {
        found_ = QList<QTreeWidgetItem*>();
        left_.LV_Found->clear();
    }
    left_.L_Found->setText(SearchingLabelText());
    left_.L_Found->repaint();

    const QList<QTreeWidgetItem*> found = FindObjects(
        {tree_.category(QStringLiteral("TABLE")), tree_.category(QStringLiteral("VIEW")),
         tree_.category(QStringLiteral("SYNONYM"))},
        text, QBrush(SystemColorOf(SystemColor::WindowText)));
    QList<QTreeWidgetItem*> items;
    items.reserve(found.size());
    for (QTreeWidgetItem* node : found) {
        auto* item = new QTreeWidgetItem(QStringList{node->text(0)});
        item->setIcon(0, tree_.images().image(NodeTag(node)));
        items << item;
    }
    left_.LV_Found->addTopLevelItems(items);
    *found_ += found;

    left_.L_Found->setText(FoundLabelText(static_cast<int>(found.size()), text));
    if (!found.isEmpty()) {
        select(found_->at(first));
        left_.LV_Found->setCurrentItem(left_.LV_Found->topLevelItem(first));
    }
    if (resultsChanged_) resultsChanged_(left_.LV_Found->topLevelItemCount());
}

void ObjectSearch::SearchTree(bool forward) {
    if (QTreeWidgetItem* next = SearchTreeFrom(left_.TreeView1->currentItem(),
                                               left_.CB_srch_obj->currentText(), forward))
        select(next);
}

bool ObjectSearch::onTreeKey(int key, Qt::KeyboardModifiers modifiers) {
    const QString text = left_.CB_srch_obj->currentText();
    if (!text.isEmpty()) addSearchText(text);
    if (key != Qt::Key_F3) return false;
    SearchTree(!(modifiers & Qt::ShiftModifier));
    return true;
}

bool ObjectSearch::onFoundKey(QEvent* event) {
    // The keys choose the current hit as a click does: Enter or Space the object alone, the
    // Menu key and Shift+F10 with the pop-up at the hit.
    QTreeWidget* list = left_.LV_Found;
    QTreeWidgetItem* item = list->currentItem();
    const int row = item ? list->indexOfTopLevelItem(item) : -1;
    bool menu = false;
    if (event->type() == QEvent::ContextMenu) {
        if (static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Keyboard)
            return false;
        menu = true;
    } else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~Qt::KeypadModifier) return false;
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter &&
            key->key() != Qt::Key_Space)
            return false;
    } else {
        return false;
    }
    if (!found_ || row < 0 || row >= found_->size()) return true;
    select(found_->at(row));
    if (menu) {
        const QRect at = list->visualItemRect(item);
        menus_.mn_mouse7->popup(list->viewport()->mapToGlobal(QPoint(at.left() + 16, at.bottom())));
    }
    left_.TreeView1->setFocus();
    return true;
}

bool ObjectSearch::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // Compared by address only: the controls may be half destroyed when the window closes.
    if (watched == left_.Cmd_srch_obj) {
        // Shift is read at the click itself: a button clicked with the mouse has no focus to
        // receive the key.
        if (type == QEvent::MouseButtonRelease || type == QEvent::KeyRelease) {
            shiftAtClick_ = static_cast<QInputEvent*>(event)->modifiers() & Qt::ShiftModifier;
        } else if (type == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                SearchAll(key->modifiers() & Qt::ShiftModifier);
                return true;
            }
        }
        return false;
    }
    if (type == QEvent::KeyPress && (watched == left_.CB_srch_obj || watched == comboEdit_)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            left_.Cmd_srch_obj->setFocus();
            return true;
        }
        if (key->key() == Qt::Key_F3) {
            if (left_.TreeView1->isEnabled()) {
                left_.TreeView1->setFocus();
                onTreeKey(key->key(), key->modifiers());
            }
            return true;
        }
        return false;
    }
    if (watched == left_.TreeView1 && type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        return onTreeKey(key->key(), key->modifiers());
    }
    if (watched == left_.LV_Found && (type == QEvent::KeyPress || type == QEvent::ContextMenu))
        return onFoundKey(event);
    if (watched == foundViewport_ && type == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        QTreeWidgetItem* item = left_.LV_Found->itemAt(mouse->position().toPoint());
        const int row = item ? left_.LV_Found->indexOfTopLevelItem(item) : -1;
        if (found_ && row >= 0 && row < found_->size()) select(found_->at(row));
        if (mouse->button() == Qt::RightButton)
            menus_.mn_mouse7->popup(mouse->globalPosition().toPoint());
        left_.TreeView1->setFocus();
        return false;
    }
    return false;
}

}  // namespace varkel
