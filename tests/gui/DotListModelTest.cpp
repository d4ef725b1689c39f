#include "gui/DotListModel.h"
#include "sources/DotList.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace zelvaro;

namespace {

TEST(DotListModel, FollowsResetsRefillsAndRowChanges)
{
    DotList list;
    DotListModel model(list);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), DotList::Columns);
    for (int i = 0; i < 5; ++i)
        list.append(list.addProduct(), QString::number(i + 1));
    model.reload();
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(model.data(model.index(5, 0)).toString(), "5");
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    list.append(3, "ID3");
    model.rowChanged(3);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.data(model.index(3, 1)).toString(), "ID3");
    list.reset();
    model.reload();
    EXPECT_EQ(model.rowCount(), 2);
}

} // namespace
