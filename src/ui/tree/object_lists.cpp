#include "ui/tree/object_lists.h"

#include <QTreeWidgetItem>

namespace varkel {

QString NodeTag(const QTreeWidgetItem* node) {
    return node ? node->data(0, node_data::kTag).toString() : QString();
}

QString NodeKey(const QTreeWidgetItem* node) {
    return node ? node->data(0, node_data::kKey).toString() : QString();
}

ObjectOwner NodeOwner(const QTreeWidgetItem* node) {
    if (!node) return {};
    return {node->data(0, node_data::kCatalog).toString(),
            node->data(0, node_data::kSchema).toString()};
}

}  // namespace varkel
