#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace varkel {

// Where the catalog found an object: its catalog (database) and owner (schema), each empty
// when the driver reports none. Column and key queries of the object ask exactly there, so
// that same-named objects of two owners never mix their columns.
struct ObjectOwner {
    QString catalog;
    QString schema;
    bool operator==(const ObjectOwner&) const = default;
};

// Object names of one kind in catalog order, each with the owner the catalog reported.
struct CatalogObjects {
    QStringList names;
    QList<ObjectOwner> owners;
    int count() const { return static_cast<int>(names.size()); }
    void clear() {
        names.clear();
        owners.clear();
    }
};

}  // namespace varkel
