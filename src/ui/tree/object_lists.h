#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "db/object_owner.h"

class QTreeWidgetItem;

namespace varkel {

// The objects of the last successful catalog query, in catalog order, each with the owner the
// catalog reported for it (the same index in the owner list).
struct ObjectLists {
    QStringList TblName, ViewName, SynmName;
    int Tbl_num = 0, View_num = 0, Synm_num = 0;
    QList<ObjectOwner> TblOwner, ViewOwner, SynmOwner;
};

// The columns of one object as GetColumns fetched them. Each caller keeps its own.
struct ColumnList {
    static constexpr int kMaxColumns = 999;
    QStringList ColName;
    QStringList ColDesc;  // type text with length, and " NOT NULL" where the column is
    int Col_num = 0;
    std::vector<std::int16_t> ColKeySeq;  // key position 1, 2, …, or 0
};

// What each tree node carries besides its text.
namespace node_data {
inline constexpr int kTag = 0x0100;  // Qt::UserRole: the node's kind ("table", "colname", …)
inline constexpr int kKey = 0x0101;  // the category nodes' keys "TABLE", "VIEW", "SYNONYM"
inline constexpr int kCatalog = 0x0102;
inline constexpr int kSchema = 0x0103;
}  // namespace node_data

QString NodeTag(const QTreeWidgetItem* node);
QString NodeKey(const QTreeWidgetItem* node);
// The owner the catalog reported for an object node (empty for any other node).
ObjectOwner NodeOwner(const QTreeWidgetItem* node);

}  // namespace varkel
