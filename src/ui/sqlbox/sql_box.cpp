#include "ui/sqlbox/sql_box.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>

#include "store/sql_history.h"
#include "toolkit/desktop.h"
#include "toolkit/tab_leaves_box.h"
#include "ui/history/statement_text.h"

namespace varkel {

FileDrop ClassifyFileDrop(const QMimeData& data, QString* path) {
    if (!data.hasUrls()) return FileDrop::None;
    const QList<QUrl> urls = data.urls();
    if (urls.size() != 1 || !urls[0].isLocalFile()) {
        // Links without a local file (a link dragged from a browser) bring their text along:
        // that text is what the user meant. Text proper: Qt counts an address list as text.
        const bool files = std::any_of(urls.begin(), urls.end(),
                                       [](const QUrl& url) { return url.isLocalFile(); });
        const bool text =
            data.formats().indexOf(QRegularExpression(QStringLiteral("^text/plain(;.*)?$"))) >= 0;
        return !files && text ? FileDrop::None : FileDrop::Refused;
    }
    if (path) *path = urls[0].toLocalFile();
    return FileDrop::One;
}

SqlBox::SqlBox(QWidget* parent) : StatementBox(parent) {
    TabLeavesBox(this);
}

void SqlBox::setHistory(const SqlHistory* history, QLabel* L_sql_no) {
    history_ = history;
    L_sql_no_ = L_sql_no;
}

void SqlBox::setBrowsingLook(bool browsing) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, SystemColorOf(browsing ? SystemColor::TooltipBackground
                                                            : SystemColor::WindowBackground));
    setPalette(palette);
}

void SqlBox::StepHistory(int step) {
    if (!history_) return;
    const QTextCursor cursor = textCursor();
    const HistoryStepView view =
        varkel::StepHistory(browse_, *history_, step, toPlainText(), cursor.selectionStart(),
                            cursor.selectionEnd() - cursor.selectionStart());
    if (view.beep) Beep();
    if (L_sql_no_) {
        L_sql_no_->setText(view.label);
        L_sql_no_->setEnabled(view.browsing);
    }
    ReplaceText(view.browsing ? ForTextBox(view.text) : view.text);
    QTextCursor placed = textCursor();
    placed.setPosition(std::min(view.selStart, static_cast<int>(toPlainText().size())));
    placed.setPosition(
        std::min(view.selStart + view.selLength, static_cast<int>(toPlainText().size())),
        QTextCursor::KeepAnchor);
    setTextCursor(placed);
    setBrowsingLook(view.browsing);
}

void SqlBox::EndBrowsing(int count) {
    browse_.HistPos = 0;
    if (L_sql_no_) {
        L_sql_no_->setText(QString::number(count));
        L_sql_no_->setEnabled(false);
    }
    setBrowsingLook(false);
}

void SqlBox::ReplaceText(const QString& text) {
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(text);
    cursor.endEditBlock();
    cursor.setPosition(0);
    setTextCursor(cursor);
}

void SqlBox::InsertFragment(const QString& text) {
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
}

void SqlBox::ClearText() {
    setFocus();
    SendSelectAllAndDelete(this);
}

void SqlBox::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        switch (event->key()) {
            case Qt::Key_A:
                selectAll();
                event->accept();
                return;
            case Qt::Key_Up:
            case Qt::Key_Down:
                // Consumed: the box's own Ctrl+Up/Down would move the restored selection.
                StepHistory(event->key() == Qt::Key_Down ? 1 : -1);
                event->accept();
                return;
            default:
                break;
        }
    }
    StatementBox::keyPressEvent(event);
}

namespace {

// Whether the drag's file list decides it (taken or refused); without one it is text.
bool FileListDecides(QDropEvent* event, QString* path = nullptr) {
    switch (ClassifyFileDrop(*event->mimeData(), path)) {
        case FileDrop::One:
            event->setDropAction(Qt::CopyAction);
            event->accept();
            return true;
        case FileDrop::Refused:
            event->ignore();
            return true;
        case FileDrop::None:
            break;
    }
    return false;
}

}  // namespace

void SqlBox::dragEnterEvent(QDragEnterEvent* event) {
    if (!FileListDecides(event)) StatementBox::dragEnterEvent(event);
}

void SqlBox::dragMoveEvent(QDragMoveEvent* event) {
    if (!FileListDecides(event)) StatementBox::dragMoveEvent(event);
}

void SqlBox::dropEvent(QDropEvent* event) {
    QString path;
    if (!FileListDecides(event, &path))
        StatementBox::dropEvent(event);
    else if (event->isAccepted() && loadFile_)
        loadFile_(path);
}

}  // namespace varkel
