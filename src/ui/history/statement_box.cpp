#include "ui/history/statement_box.h"

#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>

#include "ui/history/statement_text.h"

namespace varkel {

StatementBox::StatementBox(QWidget* parent) : QPlainTextEdit(parent) {
    setAcceptDrops(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void StatementBox::setReadOnly(bool readOnly) {
    QPlainTextEdit::setReadOnly(readOnly);
    setAcceptDrops(true);  // a read-only box still takes drops
}

void StatementBox::beginSelfDrag(int start, int length) {
    dragFromSelf_ = true;
    dragStart_ = start;
    dragLength_ = length;
}

void StatementBox::dropText(const QString& text, int position) {
    QTextCursor cursor = textCursor();
    if (dragFromSelf_) {
        dragFromSelf_ = false;
        const MovedText moved = MoveText(toPlainText(), dragStart_, dragLength_, position);
        if (moved.text != toPlainText()) {
            // As one edit of the box, so that its undo takes the move back whole.
            cursor.beginEditBlock();
            cursor.select(QTextCursor::Document);
            cursor.insertText(moved.text);
            cursor.endEditBlock();
        }
        cursor.setPosition(moved.insertedAt);
        cursor.setPosition(moved.insertedAt + dragLength_, QTextCursor::KeepAnchor);
    } else {
        cursor.setPosition(std::clamp(position, 0, static_cast<int>(toPlainText().size())));
        cursor.insertText(text);
    }
    setTextCursor(cursor);
    setFocus();
}

void StatementBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) return;
    const int start = cursor.selectionStart();
    int end = cursor.selectionEnd();
    const QString text = toPlainText();
    while (end > start && text[end - 1] == u' ')
        --end;
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

QMimeData* StatementBox::createMimeDataFromSelection() const {
    // With the mouse button down this is a drag out of the box starting: remember what is
    // dragged (a copy by keyboard is no drag).
    const QTextCursor cursor = textCursor();
    if (QGuiApplication::mouseButtons() & Qt::LeftButton)
        const_cast<StatementBox*>(this)->beginSelfDrag(
            cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart());
    auto* data = new QMimeData;
    data->setText(cursor.selectedText().replace(QChar(0x2029), u'\n'));
    return data;
}

void StatementBox::mouseMoveEvent(QMouseEvent* event) {
    // The text control offers a drag out of an editable box as a move, so a field or another
    // program taking it would cut the text out of the box: while the button is down the control
    // sees the box as read-only, which makes it offer the drag as a copy only.
    const Qt::TextInteractionFlags flags = textInteractionFlags();
    const bool editable = (event->buttons() & Qt::LeftButton) && (flags & Qt::TextEditable);
    if (editable) setTextInteractionFlags(flags & ~Qt::TextEditable);
    QPlainTextEdit::mouseMoveEvent(event);  // a drag out of the box runs to its end in here
    if (editable) setTextInteractionFlags(flags);
    if (dragFromSelf_) {  // it ended without a drop here: the caret goes back, nothing selected
        dragFromSelf_ = false;
        QTextCursor cursor = textCursor();
        cursor.setPosition(dragStart_);
        setTextCursor(cursor);
    }
}

void StatementBox::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void StatementBox::dragMoveEvent(QDragMoveEvent* event) {
    if (!event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    // The caret follows the pointer; where it is at the drop is the drop position.
    setTextCursor(cursorForPosition(event->position().toPoint()));
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void StatementBox::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    QString text = event->mimeData()->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    dropText(text, cursorForPosition(event->position().toPoint()).position());
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

}  // namespace varkel
