#include "host/MemoryView.h"
#include "HostTestRoute.h"
#include "common/Text.h"
#include "host/HostQuery.h"
#include "host/MemoryViewModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

class MemoryViewTest : public RouteTest {
protected:
    void SetUp() override
    {
        RouteTest::SetUp();
        if (IsSkipped()) return;
        m_home->insert(m_library, "U4ITMMR",
                       {{"300", "ZINC", 10, 100, "", ""},
                        {"100", "ATRAZINE 4L", 20, 105, "", ""},
                        {"200", "ATRAZINE 4L", 10, 100, "", ""},
                        {"150", "BIRCHEX II", 30, 110, "", ""},
                        {"050", "ATRAZINE", 10, 100, "", ""}});
        connect(m_conn);
        m_query.setSql(
            "select  IMPROD, IMDESC, IMDEPT, IMFLCD, IMASUB, IMSUB# from \"CO01DATA\".\"U4ITMMR\"");
    }
    QStringList order(const MemoryView& v)
    {
        QStringList ids;
        for (int i = 0; i < v.recordCount(); ++i)
            ids << v.table()->text(v.rowAt(i), 0).trimmed();
        return ids;
    }

    HostConnection m_conn;
    HostQuery m_query{m_conn, "SQLItem"};
};

TEST_P(MemoryViewTest, TwoCopiesOfOneQueryKeepTheirOwnOrder)
{
    MemoryView byDesc("ItemData", m_query, {"IMDESC", "IMPROD"});
    MemoryView byItem("ItemData1", m_query, {"IMPROD"});
    byDesc.open();
    byItem.open();
    EXPECT_EQ(order(byDesc), QStringList({"050", "100", "200", "150", "300"}));
    EXPECT_EQ(order(byItem), QStringList({"050", "100", "150", "200", "300"}));
    EXPECT_EQ(byDesc.fieldWidth("IMPROD"), 14);
    EXPECT_EQ(byDesc.fieldWidth(4), 20);
    EXPECT_EQ(byDesc.text("IMPROD"), padToWidth("050", 14));
}

TEST_P(MemoryViewTest, ExactAndNearestLookups)
{
    MemoryView v("ItemData", m_query, {"IMDESC", "IMPROD"});
    v.open();
    QSignalSpy moved(&v, &MemoryView::currentChanged);
    EXPECT_TRUE(v.findKey({padToWidth("ATRAZINE 4L", 30), padToWidth("200", 14)}));
    EXPECT_EQ(v.text("IMPROD").trimmed(), "200");
    EXPECT_TRUE(v.findKey({"BIRCHEX II"})); // trailing blanks do not count
    EXPECT_EQ(v.text("IMPROD").trimmed(), "150");
    EXPECT_FALSE(v.findKey({"BIRCHEX"}));
    EXPECT_EQ(v.text("IMPROD").trimmed(), "150"); // a failed lookup does not move
    EXPECT_EQ(moved.count(), 2);

    const struct {
        const char* typed;
        const char* expected;
    } nearest[] = {{"", "050"}, {"ATRAZINE 4", "100"}, {"B", "150"}, {"C", "300"}, {"ZZ", "300"}};
    for (const auto& n : nearest) {
        v.findNearest({QString::fromLatin1(n.typed)});
        EXPECT_EQ(v.text("IMPROD").trimmed(), n.expected) << n.typed;
    }
}

TEST_P(MemoryViewTest, NavigationSetsEofAtTheEnd)
{
    MemoryView v("ItemData1", m_query, {"IMPROD"});
    v.open();
    int seen = 0;
    for (v.first(); !v.eof(); v.next())
        ++seen;
    EXPECT_EQ(seen, 5);
    EXPECT_EQ(v.currentIndex(), 4);
    v.prior();
    EXPECT_EQ(v.currentIndex(), 3);
    v.first();
    EXPECT_FALSE(v.eof());
}

TEST_P(MemoryViewTest, RefreshKeepsTheCurrentRowByKey)
{
    MemoryView v("ItemData1", m_query, {"IMPROD"});
    v.open();
    ASSERT_TRUE(v.findKey({"150"}));
    m_conn.execute("INSERT INTO \"CO01DATA\".\"U4ITMMR\" (IMPROD, IMDESC) VALUES('010', 'NEW')");
    v.refresh();
    EXPECT_EQ(v.recordCount(), 6);
    EXPECT_EQ(v.text("IMPROD").trimmed(), "150");
    m_conn.execute("DELETE FROM \"CO01DATA\".\"U4ITMMR\" Where IMPROD = '150'");
    v.refresh();
    EXPECT_EQ(v.text("IMPROD").trimmed(), "200"); // gone: the nearest one
}

TEST_P(MemoryViewTest, IndexChangeFilterAndMergedRows)
{
    MemoryView v("ItemData", m_query, {"IMDESC", "IMPROD"});
    v.open();
    ASSERT_TRUE(v.findKey({"BIRCHEX II"}));
    v.setIndexFields({"IMPROD"});
    EXPECT_EQ(v.text("IMPROD").trimmed(), "150"); // stays on its row
    EXPECT_EQ(order(v).first(), "050");

    const int dept = v.fieldIndex("IMDEPT");
    v.setFilter("IMDEPT in (10)",
                [dept](const ResultTable& t, int r) { return t.number(r, dept) == 10; });
    EXPECT_EQ(v.recordCount(), 5);
    v.setFiltered(true);
    EXPECT_EQ(order(v), QStringList({"050", "200", "300"}));
    v.setFiltered(false);

    m_conn.execute("INSERT INTO \"CO01DATA\".\"U4ITMMR\" (IMPROD, IMDESC) VALUES('120', 'MERGED')");
    const auto fetched = m_query.fetchWhere("IMPROD = '120'");
    QSignalSpy inserted(&v, &MemoryView::rowsInserted);
    v.mergeRows(*fetched, {"IMPROD"});
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(order(v), QStringList({"050", "100", "120", "150", "200", "300"}));
    EXPECT_EQ(v.text("IMDESC").trimmed(), "MERGED");
    // The shared query result is untouched.
    EXPECT_EQ(m_query.result()->rowCount(), 5);
}

TEST_P(MemoryViewTest, GridModelStaysConsistentThroughOpenFilterMergeAndClose)
{
    MemoryView v("ItemData", m_query, {"IMDESC", "IMPROD"});
    MemoryViewModel model(v);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    v.open();
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.columnCount(), 6);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "IMDESC");
    model.setTitles({"Item", "Description"});
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Description");
    v.refresh(); // a refresh keeps the host's titles
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Description");
    const int dept = v.fieldIndex("IMDEPT");
    v.setFilter("IMDEPT in (10)",
                [dept](const ResultTable& t, int r) { return t.number(r, dept) == 10; });
    v.setFiltered(true);
    EXPECT_EQ(model.rowCount(), 3);
    m_conn.execute("INSERT INTO \"CO01DATA\".\"U4ITMMR\" (IMPROD, IMDESC, IMDEPT) VALUES('120', "
                   "'MERGED', 10)");
    v.mergeRows(*m_query.fetchWhere("IMPROD = '120'"), {"IMPROD"});
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.data(model.index(v.currentIndex(), 1)).toString().trimmed(), "MERGED");
    v.setFiltered(false);
    v.close();
    EXPECT_EQ(model.rowCount(), 0);
    v.open(); // reopened: field names again
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "IMDESC");
}

TEST_P(MemoryViewTest, OrderMatchesThePaddedComparisonOnAwkwardKeys)
{
    // Long shared prefixes, duplicates, blanks, Latin-1 letters, and on one
    // route a letter beyond Latin-1, which changes the sort's key encoding.
    QStringList stems = {"SEED CORN HYBRID P1197AM 105DAY",
                         "SEED CORN HYBRID P1197",
                         "A",
                         "",
                         QString::fromUtf8("ÄRGER"),
                         "seed corn",
                         "SEED CORN HYBRID P1197AM 105DAX"};
    if (GetParam() == Route::Odbc) stems << QString::fromUtf8("Ωmega");
    std::vector<QVariantList> rows;
    for (int i = 0; i < 300; ++i)
        rows.push_back(
            {QString::number(1000 + i), stems[(i * 7) % stems.size()].left(30), 10, 100, "", ""});
    m_home->insert(m_library, "U4ITMMR", rows);
    MemoryView v("ItemData", m_query, {"IMDESC", "IMPROD"});
    v.open();
    const auto& t = *v.table();
    for (int i = 1; i < v.recordCount(); ++i) {
        const int a = v.rowAt(i - 1), b = v.rowAt(i);
        const int byDesc = compareBlankPadded(t.textView(a, 1), t.textView(b, 1));
        ASSERT_TRUE(byDesc < 0 ||
                    (byDesc == 0 && compareBlankPadded(t.textView(a, 0), t.textView(b, 0)) <= 0))
            << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Routes, MemoryViewTest, ::testing::Values(Route::Embedded, Route::Odbc),
                         routeName);

} // namespace
