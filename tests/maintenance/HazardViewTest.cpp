#include "maintenance/HazardView.h"
#include "common/Error.h"
#include "common/Text.h"
#include "host/HostTables.h"
#include "settings/Settings.h"
#include "support/RecordingRunUi.h"
#include "support/TestDoubles.h"
#include "support/TestHome.h"
#include "update/HazardUpdate.h"

#include <gtest/gtest.h>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

class HazardViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_lib = m_home.createLibrary();
        m_home.writeSettings();
        m_home.insert(
            m_lib, "U4ITMMR",
            {{"100", "SPRAYER", 10, 100, "1-1", ""}, {"300", "PAINT", 10, 100, "3-3", ""}});
        m_home.insert(m_lib, "U4ITHZD",
                      {{"100", "H1", "", "", "C", 0.0, " "}, {"200", "H2", "", "", "C", 0.0, " "}});
        SilentConnect ui;
        ASSERT_TRUE(m_session.connect(Settings(m_home.file("INVSIG.INI")), ui));
    }
    ScopedEnv m_driver{"ZELVARO_HOST_DRIVER", QStringLiteral("embedded")};
    TestHome m_home;
    QString m_lib;
    HostTables m_session;
    UpdateCounters m_counters;
    RecordingRunUi m_ui;
    int m_titled = 0;
    HazardView m_view{m_session, m_counters, m_ui, [this] { ++m_titled; }};
};

TEST_F(HazardViewTest, TheTabReopensOnlyAfterTheHazardFileWasWritten)
{
    const struct {
        bool written;
        const char* item;
        bool reopened;
        const char* current;
    } cases[] = {{false, "", false, "100"},
                 {true, "150", true, "200"},
                 {false, "", false, "200"},
                 {true, "", true, "100"}};
    for (const auto& c : cases) {
        m_counters.hazardFileWritten = c.written;
        m_home.insert(m_lib, "U4ITHZD", {}); // nothing new; a reopen still queries
        const qint64 before = m_session.connection.statementCount();
        m_ui.statuses.clear();
        m_view.enter(c.item);
        EXPECT_EQ(m_session.connection.statementCount() > before, c.reopened) << c.item;
        EXPECT_FALSE(m_counters.hazardFileWritten);
        EXPECT_EQ(trimmed(m_session.hazardView.text("HZPROD")), c.current) << c.item;
        if (c.reopened) {
            EXPECT_EQ(m_ui.statuses.value(0), "Refreshing hazard file view...");
            EXPECT_EQ(m_ui.statuses.value(1), "Hazard file Refreshed");
            EXPECT_FALSE(m_ui.busy);
        }
    }
    EXPECT_EQ(m_titled, 2);
}

TEST_F(HazardViewTest, TheItemViewFollowsTheHazardRowOnTheTabOnly)
{
    m_session.hazardView.first(); // 100: in the item master
    m_view.followHazardRow(true);
    EXPECT_EQ(trimmed(m_session.itemNumberView.text("IMASUB")), "1-1");
    EXPECT_TRUE(m_ui.statuses.isEmpty());
    m_session.hazardView.next();   // 200: not in the item master
    m_view.followHazardRow(false); // another tab: nothing moves
    EXPECT_EQ(trimmed(m_session.itemNumberView.text("IMPROD")), "100");
    m_view.followHazardRow(true);
    EXPECT_EQ(trimmed(m_session.itemNumberView.text("IMPROD")), "300");
    EXPECT_EQ(m_ui.statuses.last(), padToWidth("200", 13) + " Item not in Item Master");
}

TEST_F(HazardViewTest, AFailedReopenEndsTheBusyStateAndKeepsTheFlag)
{
    m_counters.hazardFileWritten = true;
    m_session.connection.disconnect();
    EXPECT_THROW(m_view.enter(""), HostError);
    EXPECT_FALSE(m_ui.busy);
    EXPECT_TRUE(m_counters.hazardFileWritten);
}

} // namespace
