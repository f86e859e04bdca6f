#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

class QTreeWidget;

namespace varkel {

// The data columns of the result list as they stand at one moment: what an export writes, so
// that a query, a sort or another view started meanwhile changes nothing of it.
struct ResultSnapshot {
    QStringList headers;
    std::vector<bool> numeric;  // right-aligned header
    QList<QStringList> rows;    // the cell texts exactly as shown, in list order
};

// The columns from the second to the last but one (the row number and the end marker are not
// data).
ResultSnapshot SnapshotList(const QTreeWidget* list);

}  // namespace varkel
