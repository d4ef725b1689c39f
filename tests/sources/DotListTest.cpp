#include "sources/DotList.h"

#include <gtest/gtest.h>

using zelvaro::DotList;

namespace {

TEST(DotList, AppendFillsTheFirstEmptyCellAndKeepsEmptyValuesAsOneBlank)
{
    DotList list;
    EXPECT_EQ(list.rowCount(), 2);
    const int n = list.addProduct();
    EXPECT_EQ(n, 1);
    EXPECT_EQ(list.rowCount(), 2);
    list.append(n, "1");
    list.append(n, "");
    list.append(n, "NAME");
    EXPECT_EQ(list.cell(1, DotList::Id), " ");
    EXPECT_EQ(list.cell(1, DotList::Name), "NAME");
    EXPECT_TRUE(list.cell(1, DotList::CommonName).isEmpty());
    for (int i = 0; i < 5; ++i)
        list.append(n, QString::number(i));
    EXPECT_EQ(list.cell(1, DotList::DotText), "4");
    list.append(n, "U4VITEM"); // a full row drops the value
    EXPECT_EQ(list.cell(1, DotList::DotText), "4");
}

TEST(DotList, ResetEmptiesEveryRow)
{
    DotList list;
    for (int i = 0; i < 5; ++i)
        list.append(list.addProduct(), "x");
    EXPECT_EQ(list.rowCount(), 6);
    list.reset();
    EXPECT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.productCount(), 0);
    EXPECT_TRUE(list.cell(1, 0).isEmpty());
}

} // namespace
