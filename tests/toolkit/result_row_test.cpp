#include <gtest/gtest.h>

#include <QFont>
#include <memory>

#include "toolkit/result_row.h"

namespace varkel {
namespace {

// Every text reads back as it was given, empty ones and the first and last included; nothing
// lies before the first column or past the last. A copy keeps what was set on the row later.
TEST(ResultRowTest, TextsReadBackAndACopyKeepsWhatWasSetLater) {
    const QStringList cases[] = {
        {QString(), QStringLiteral("a"), QString()},
        {QStringLiteral("     1"), QStringLiteral("日本語"), QStringLiteral("\U0001F600x")},
        {QStringLiteral("only")},
    };
    for (const QStringList& texts : cases) {
        SCOPED_TRACE(texts.join(u'|').toStdString());
        QBitArray right(static_cast<int>(texts.size()));
        right.setBit(0);
        ResultRow row(texts, right);
        for (int k = -1; k <= texts.size(); ++k) {
            EXPECT_EQ(row.text(k), texts.value(k)) << k;
            EXPECT_EQ(row.plainText(k).toString(), texts.value(k)) << k;
        }
        EXPECT_TRUE(row.plain());
        EXPECT_EQ(row.textAlignment(0), int(Qt::AlignRight | Qt::AlignVCenter));

        QFont bold;
        bold.setBold(true);
        row.setText(0, QStringLiteral("widened"));
        row.setFont(0, bold);
        const std::unique_ptr<QTreeWidgetItem> copy(row.clone());
        EXPECT_EQ(copy->type(), ResultRow::kType);
        EXPECT_FALSE(static_cast<ResultRow*>(copy.get())->plain());
        EXPECT_EQ(copy->text(0), QStringLiteral("widened"));
        EXPECT_TRUE(copy->font(0).bold());
        for (int k = 1; k < texts.size(); ++k)
            EXPECT_EQ(copy->text(k), texts[k]) << k;
        EXPECT_EQ(copy->textAlignment(0), int(Qt::AlignRight | Qt::AlignVCenter));
    }
}

}  // namespace
}  // namespace varkel
