#include "toolkit/tab_leaves_box.h"

#include <QKeyEvent>
#include <QPlainTextEdit>

namespace varkel {

namespace {

class CtrlTabTypesTab : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Tab || key->modifiers() != Qt::ControlModifier) return false;
        auto* box = static_cast<QPlainTextEdit*>(watched);
        if (!box->isReadOnly()) box->insertPlainText(QStringLiteral("\t"));
        return true;  // never a focus move or a shortcut of the window
    }
};

}  // namespace

void TabLeavesBox(QPlainTextEdit* box) {
    box->setTabChangesFocus(true);
    box->installEventFilter(new CtrlTabTypesTab(box));
}

}  // namespace varkel
