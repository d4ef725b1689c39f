#include "host/ResultTable.h"

#include <gtest/gtest.h>

using namespace zelvaro;

namespace {

std::vector<FieldDef> columns()
{
    FieldDef id;
    id.name = QStringLiteral("ID");
    id.type = FieldType::Char;
    id.width = 10;
    id.fixedWidth = true;
    FieldDef qty;
    qty.name = QStringLiteral("QTY");
    qty.type = FieldType::Decimal;
    qty.scale = 2;
    return {id, qty};
}

void fill(ResultTable& t, int from, int to)
{
    for (int r = from; r < to; ++r) {
        t.appendText(0, QString::number(r));
        t.appendCell(1, r * 0.5);
        t.endRow();
    }
}

void expectRows(const ResultTable& t, int rows)
{
    ASSERT_EQ(t.rowCount(), rows);
    for (int r = 0; r < rows; r += 997) {
        ASSERT_EQ(t.text(r, 0), QString::number(r).leftJustified(10)) << r;
        ASSERT_EQ(t.number(r, 1), r * 0.5) << r;
    }
    EXPECT_EQ(t.text(rows - 1, 0), QString::number(rows - 1).leftJustified(10));
}

} // namespace

// Small columns and columns of several MiB (mapped blocks of their own) keep
// their cells through reserving, growing past the reserve, copying with room
// and growing the copy past its room.
TEST(ResultTableTest, ColumnsKeepTheirCellsThroughGrowthAndCopies)
{
    struct Case {
        const char* name;
        int reserved;
        int rows;
    };
    const Case cases[] = {{"small", 10, 100},
                          {"large, reserved", 300000, 300000},
                          {"large, grown without reserve", 0, 200000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResultTable t(columns());
        if (c.reserved > 0) t.reserveRows(c.reserved);
        fill(t, 0, c.rows);
        expectRows(t, c.rows);

        ResultTable copy(t, 16);
        expectRows(copy, c.rows);
        fill(copy, c.rows, c.rows + 16);     // within the room
        fill(copy, c.rows + 16, c.rows * 2); // past it
        expectRows(copy, c.rows * 2);
        copy.setValue(0, 0, QStringLiteral("changed"));
        EXPECT_EQ(t.text(0, 0),
                  QStringLiteral("0").leftJustified(10)); // the original keeps its own
        ResultTable plain(copy);
        EXPECT_EQ(plain.text(0, 0), QStringLiteral("changed").leftJustified(10));
        expectRows(t, c.rows);
    }
}
