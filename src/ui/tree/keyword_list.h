#pragma once

#include <QListWidget>
#include <optional>

namespace varkel {

// The keyword list beside the SQL input box: a button release selects the entry under the
// pointer (none below the last entry), the right button asks for the list's pop-up, a double
// click or Enter asks for the selected keyword to be inserted, and an entry is dragged as plain
// text with the copy effect only.
class KeywordList : public QListWidget {
    Q_OBJECT
  public:
    explicit KeywordList(QWidget* parent = nullptr);

    // The selected keyword, or none.
    std::optional<QString> selectedKeyword() const;

  signals:
    void menuRequested(const QPoint& globalPos);
    void insertRequested();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
    void startDrag(Qt::DropActions supportedActions) override;
};

}  // namespace varkel
