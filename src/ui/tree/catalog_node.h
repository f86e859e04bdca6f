#pragma once

#include <QIcon>
#include <QString>
#include <QTreeWidgetItem>

#include "db/object_owner.h"

namespace varkel {

// A node of the object tree. Its text, tag, image and owner are members that share the strings
// of the catalog's lists, answered as the node's data; whatever is set later through setData
// wins. A filling makes tens of thousands of nodes, and a value stored per role would cost
// allocations to make and to free again at the next filling.
class CatalogNode : public QTreeWidgetItem {
  public:
    CatalogNode(const QString& text, const QString& tag, const QIcon& image,
                const ObjectOwner& owner = {});

    QVariant data(int column, int role) const override;

  private:
    QString text_;
    QString tag_;
    QIcon image_;
    ObjectOwner owner_;
};

}  // namespace varkel
