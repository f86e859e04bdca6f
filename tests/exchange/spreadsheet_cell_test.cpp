#include <gtest/gtest.h>

#include <QDateTime>

#include "exchange/spreadsheet_cell.h"
#include "support/qt_printers.h"

namespace varkel::test {
namespace {
using namespace Qt::Literals::StringLiterals;
using Kind = SpreadsheetCell::Kind;

TEST(SpreadsheetCellTest, TypedTextBecomesANumberOnlyWhenNothingChanges) {
    const struct {
        QString typed;
        Kind kind;
        double number;
        int decimals;
        QString text;
    } cases[] = {
        {u""_s, Kind::Empty, 0, 0, u""_s},
        {u"0"_s, Kind::Number, 0, 0, u""_s},
        {u"42"_s, Kind::Number, 42, 0, u""_s},
        {u"-7"_s, Kind::Number, -7, 0, u""_s},
        {u"1.50"_s, Kind::Number, 1.5, 2, u""_s},
        {u"0.25"_s, Kind::Number, 0.25, 2, u""_s},
        {u"-0.001"_s, Kind::Number, -0.001, 3, u""_s},
        {u"123456789012345"_s, Kind::Number, 123456789012345.0, 0, u""_s},
        {u"0.000000000000001"_s, Kind::Number, 1e-15, 15, u""_s},
        {u"1234567890123456"_s, Kind::Text, 0, 0, u"1234567890123456"_s},
        {u"1000000000000000000"_s, Kind::Text, 0, 0, u"1000000000000000000"_s},
        {u"00123"_s, Kind::Text, 0, 0, u"00123"_s},
        {u"01.5"_s, Kind::Text, 0, 0, u"01.5"_s},
        {u"-0"_s, Kind::Text, 0, 0, u"-0"_s},
        {u"+5"_s, Kind::Text, 0, 0, u"+5"_s},
        {u"1e5"_s, Kind::Text, 0, 0, u"1e5"_s},
        {u"1."_s, Kind::Text, 0, 0, u"1."_s},
        {u".5"_s, Kind::Text, 0, 0, u".5"_s},
        {u" 12"_s, Kind::Number, 12, 0, u""_s},  // as a sorted column widens 12
        {u"   7.00"_s, Kind::Number, 7, 2, u""_s},
        {u"-005.00"_s, Kind::Number, -5, 2, u""_s},
        {u"-000.50"_s, Kind::Number, -0.5, 2, u""_s},
        {u"   .00"_s, Kind::Empty, 0, 0, u""_s},  // a widened NULL
        {u"  00123"_s, Kind::Text, 0, 0, u"  00123"_s},
        {u"1,000"_s, Kind::Text, 0, 0, u"1,000"_s},
        {u"2024-01-02"_s, Kind::Date, 0, 0, u"2024-01-02 00:00:00.000"_s},
        {u"2024-01-02 12:30:00"_s, Kind::DateTime, 0, 0, u"2024-01-02 12:30:00.000"_s},
        {u"1900-01-01 23:59:59.25"_s, Kind::DateTime, 0, 2, u"1900-01-01 23:59:59.250"_s},
        {u"2024-02-30"_s, Kind::Text, 0, 0, u"2024-02-30"_s},
        {u"2024-01-02T12:30:00"_s, Kind::Text, 0, 0, u"2024-01-02T12:30:00"_s},
        {u"2024-01-02 24:00:00"_s, Kind::Text, 0, 0, u"2024-01-02 24:00:00"_s},
        {u"2024-01-02 12:30:00.1234"_s, Kind::Text, 0, 0, u"2024-01-02 12:30:00.1234"_s},
        {u"12:30:00"_s, Kind::Text, 0, 0, u"12:30:00"_s},
        {u"abc"_s, Kind::Text, 0, 0, u"abc"_s},
        {u"'123"_s, Kind::Text, 0, 0, u"123"_s},
        {u"'名前"_s, Kind::Text, 0, 0, u"名前"_s},
        {u"'"_s, Kind::Empty, 0, 0, u""_s},
        {u"１２"_s, Kind::Text, 0, 0, u"１２"_s},
    };
    for (const auto& c : cases) {
        const SpreadsheetCell cell = ClassifyCell(c.typed);
        const std::string what = c.typed.toStdString();
        EXPECT_EQ(cell.kind, c.kind) << what;
        if (c.kind == Kind::Number) {
            EXPECT_DOUBLE_EQ(cell.number, c.number) << what;
            EXPECT_EQ(cell.decimals, c.decimals) << what;
        }
        if (c.kind == Kind::Text) {
            EXPECT_EQ(cell.text, c.text) << what;
        }
        if (c.kind == Kind::Date || c.kind == Kind::DateTime) {
            EXPECT_EQ(QDateTime(cell.date, cell.time).toString(u"yyyy-MM-dd hh:mm:ss.zzz"), c.text)
                << what;
            EXPECT_EQ(cell.decimals, c.decimals) << what;
        }
    }
}

}  // namespace
}  // namespace varkel::test
