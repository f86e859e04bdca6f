#pragma once

#include <QPlainTextEdit>

namespace varkel {

// The statement box of the history and template windows: a double-click selection loses its
// trailing blanks, and text is dragged out as a copy and dropped at the caret, moving it when it
// came from this box. Drops change the shown text even while the box is read-only.
class StatementBox : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit StatementBox(QWidget* parent = nullptr);
    void setReadOnly(bool readOnly);

    // A drop of text at `position`: moved when it is this box's own dragged text, else inserted
    // replacing the selection.
    void dropText(const QString& text, int position);
    // What a drag of this box's selection remembers when it starts.
    void beginSelfDrag(int start, int length);
    bool draggingFromSelf() const { return dragFromSelf_; }

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;

  private:
    bool dragFromSelf_ = false;
    int dragStart_ = 0;
    int dragLength_ = 0;
};

}  // namespace varkel
