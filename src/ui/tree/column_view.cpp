#include "ui/tree/column_view.h"

#include <QTreeWidget>

#include "exec/sql_executor.h"
#include "toolkit/auto_size_columns.h"
#include "toolkit/keyed_bars.h"
#include "ui/results/result_sorter.h"
#include "ui/tree/tree_pane.h"

namespace varkel {

void FillColumnView(QTreeWidget* list, const ColumnList& columns, bool ShowAllColumnInfo) {
    list->setVisible(false);
    QStringList headers{QStringLiteral("No."), QStringLiteral("列名")};
    if (ShowAllColumnInfo)
        headers << QStringLiteral("属性・桁数") << QStringLiteral("NOT NULL")
                << QStringLiteral("Primary Key");
    headers << QStringLiteral("<");
    list->setColumnCount(static_cast<int>(headers.size()));
    list->setHeaderLabels(headers);
    for (int k = 0; k < headers.size(); ++k)
        list->headerItem()->setTextAlignment(k, Qt::AlignLeft | Qt::AlignVCenter);
    const QString notNull = QStringLiteral("NOT NULL");
    QList<QTreeWidgetItem*> rows;
    rows.reserve(columns.Col_num);
    for (int i = 0; i < columns.Col_num; ++i) {
        QStringList texts{(QStringLiteral("  ") + QString::number(i + 1)).right(3),
                          columns.ColName.value(i)};
        if (ShowAllColumnInfo) {
            const QString desc = columns.ColDesc.value(i);
            const qsizetype at = desc.indexOf(notNull);
            texts << (at >= 0 ? desc.left(at) : desc)
                  << (at >= 0 ? QStringLiteral("YES") : QString());
            const int position = static_cast<size_t>(i) < columns.ColKeySeq.size()
                                     ? columns.ColKeySeq[static_cast<size_t>(i)]
                                     : 0;
            texts << (position >= 1 ? QString::number(position) : QString());
        }
        rows << new QTreeWidgetItem(texts);
    }
    list->addTopLevelItems(rows);
    AutoSizeColumns(list, true, -1);
    list->setVisible(true);
}

void ShowColumnView(ObjectTree& tree, const ColumnViewTargets& targets, bool ShowAllColumnInfo) {
    targets.executor->ClearFetchPanel();
    targets.StatusBar1->setPanelText(QStringLiteral("status"), QStringLiteral("SQLCode:"));
    targets.StatusBar1->setPanelText(QStringLiteral("cnt"), QStringLiteral("行数:"));
    targets.StatusBar1->setPanelText(QStringLiteral("time"), QStringLiteral("実行時間："));
    targets.StatusBar1->setPanelText(QStringLiteral("msg"), QString());
    QTreeWidget* list = targets.ListView1;
    list->clear();
    if (targets.sorter) targets.sorter->Reset();
    list->setColumnCount(0);
    ColumnList columns;
    if (!tree.GetColumns(tree.clickedNode(), columns)) return;
    FillColumnView(list, columns, ShowAllColumnInfo);
}

}  // namespace varkel
