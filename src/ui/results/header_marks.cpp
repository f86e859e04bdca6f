#include "ui/results/header_marks.h"

#include <QHeaderView>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionHeader>
#include <QTreeWidget>

#include "toolkit/tool_icons.h"

namespace varkel {

namespace {

constexpr int kMarkRole = Qt::UserRole + 8;  // the key of the image shown

// Draws a header's image at the right of its caption instead of the left.
class MarkOnTheRightStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option);
        if (element != CE_HeaderLabel || !header || header->icon.isNull()) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        const int size = pixelMetric(PM_SmallIconSize, option, widget);
        const int margin = pixelMetric(PM_HeaderMargin, option, widget);
        QStyleOptionHeader label = *header;
        label.icon = QIcon();
        label.rect.setRight(header->rect.right() - size - margin);
        QProxyStyle::drawControl(element, &label, painter, widget);
        const QRect mark(header->rect.right() - size - margin / 2,
                         header->rect.center().y() - size / 2, size, size);
        header->icon.paint(painter, mark);
    }
};

}  // namespace

void ShowHeaderMarksOnTheRight(QTreeWidget* list) {
    auto* style = new MarkOnTheRightStyle();
    style->setParent(list->header());
    list->header()->setStyle(style);
}

void SetHeaderSortMark(QTreeWidget* list, int column, const QString& key) {
    QTreeWidgetItem* header = list->headerItem();
    if (HeaderSortMark(list, column) == key) return;
    header->setIcon(column, key.isEmpty() ? QIcon() : ToolIcon(key));
    header->setData(column, kMarkRole, key);
}

QString HeaderSortMark(const QTreeWidget* list, int column) {
    return list->headerItem()->data(column, kMarkRole).toString();
}

}  // namespace varkel
