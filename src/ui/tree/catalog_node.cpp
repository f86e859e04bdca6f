#include "ui/tree/catalog_node.h"

#include "ui/tree/object_lists.h"

namespace varkel {

CatalogNode::CatalogNode(const QString& text, const QString& tag, const QIcon& image,
                         const ObjectOwner& owner)
    : text_(text), tag_(tag), image_(image), owner_(owner) {}

QVariant CatalogNode::data(int column, int role) const {
    QVariant stored = QTreeWidgetItem::data(column, role);
    if (column != 0 || stored.isValid()) return stored;
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return text_;
        case Qt::DecorationRole:
            return image_.isNull() ? QVariant() : QVariant(image_);
        case node_data::kTag:
            return tag_;
        case node_data::kCatalog:
            return owner_.catalog;
        case node_data::kSchema:
            return owner_.schema;
        default:
            return stored;
    }
}

}  // namespace varkel
