#include "maintenance/XrefMaintenance.h"
#include "common/Text.h"
#include "host/HostTables.h"
#include "settings/Settings.h"
#include "support/ScriptedPrompter.h"
#include "support/TestDoubles.h"
#include "support/TestHome.h"
#include "update/HazardUpdate.h"

#include <gtest/gtest.h>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

struct RecordingXrefUi : XrefUi {
    Prompter& prompter() override { return prompts; }
    void setAddEnabled(bool enabled) override { add = enabled; }
    bool addEnabled() const override { return add; }
    void titleXrefGrid() override { ++titled; }
    ScriptedPrompter prompts;
    bool add = true;
    int titled = 0;
};

const QString LongId = QString(31, 'L'); // wider than CXCDMSPID

class XrefMaintenanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_lib = m_home.createLibrary();
        m_home.writeSettings();
        m_home.insert(m_lib, "U4ITMMR",
                      {{"100", "O'NEIL SPRAYER", 10, 100, "", ""},
                       {"200", "BARN PAINT", 10, 100, "", ""},
                       {"300", QString(30, 'Z'), 10, 100, "", ""}});
        m_home.insert(m_lib, "U4CDMSDOT",
                      {{"P1", "ACME'S BEST", "c", "1-1", "m", "CLASS 9", "KEEP DRY"},
                       {"P2", QString(45, 'N'), "c", "2-2", "m", "", "T2"},
                       {LongId, "TOO LONG ID", "c", "3-3", "m", "", "T3"}});
        m_home.insert(m_lib, "U4CDMSXRF",
                      {{"200", "ACME'S BEST", "P1", "BARN PAINT **ACME'S BEST", "   ", 1.0},
                       {"200", QString(45, 'N'), "P2", "BARN PAINT **N", "   ", 1.0}});
        SilentConnect ui;
        ASSERT_TRUE(m_session.connect(Settings(m_home.file("INVSIG.INI")), ui));
        m_session.connection.statementObserver = [this](const QString& s) { m_statements << s; };
    }
    void standOn(const QString& item, const QString& product)
    {
        bool found = false;
        for (int i = 0; i < m_session.itemView.recordCount() && !found; ++i) {
            m_session.itemView.setCurrentIndex(i);
            found = trimmed(m_session.itemView.text("IMPROD")) == item;
        }
        ASSERT_TRUE(found) << item.toStdString();
        found = false;
        for (int i = 0; i < m_session.dotView.recordCount() && !found; ++i) {
            m_session.dotView.setCurrentIndex(i);
            found = trimmed(m_session.dotView.text("CDITEM")) == product;
        }
        ASSERT_TRUE(found) << product.toStdString();
    }
    int links(const QString& item)
    {
        return m_session.connection
            .query("Select count(*) from \"CO01DATA\".\"U4CDMSXRF\" Where CXAGITEM = " +
                   sqlQuote(item))
            ->value(0, 0)
            .toInt();
    }

    ScopedEnv m_driver{"ZELVARO_HOST_DRIVER", QStringLiteral("embedded")};
    TestHome m_home;
    QString m_lib;
    HostTables m_session;
    UpdateCounters m_counters;
    RecordingXrefUi m_ui;
    XrefMaintenance m_xref{m_session, m_counters, m_ui};
    QStringList m_statements;
};

TEST_F(XrefMaintenanceTest, AddWritesTheLinkAndTheItemsHazardRecordAtOnce)
{
    standOn("100", "P1");
    int lookups = 0;
    m_xref.setAgrianLookup([&](const QString&) {
        ++lookups;
        return true;
    });
    m_xref.add(false);
    ASSERT_FALSE(m_statements.isEmpty());
    EXPECT_EQ(m_statements[0], "INSERT INTO \"CO01DATA\".\"U4CDMSXRF\"  VALUES('100', " +
                                   sqlQuote(padToWidth("ACME'S BEST", 45)) + ", " +
                                   sqlQuote(padToWidth("P1", 35)) +
                                   ", 'O''NEIL SPRAYER **ACME''S BEST', '   ', 1.0)");
    EXPECT_EQ(lookups, 0); // CDMS mode: no web request
    EXPECT_EQ(links("100"), 1);
    EXPECT_TRUE(m_statements.filter("U4ITHZD").value(0).contains("'KEEP DRY'"));
    // The link grid stands on the new link and Add is off: the item has one.
    EXPECT_EQ(trimmed(m_session.xrefItemView.text("CXAGITEM")), "100");
    EXPECT_FALSE(m_ui.add);
    EXPECT_EQ(trimmed(m_session.itemView.text("IMPROD")), "100");
    EXPECT_GE(m_ui.titled, 1);
    EXPECT_TRUE(m_ui.prompts.shown.isEmpty()) << m_ui.prompts.shown.join("\n").toStdString();
}

TEST_F(XrefMaintenanceTest, TheLastItemAndALongNameAreLinkedAsPicked)
{
    // The item is the view's last row (the design's step back would link
    // the row before it); the link name is cut to CXNAME's 50.
    standOn("300", "P2");
    ASSERT_EQ(m_session.itemView.currentIndex(), m_session.itemView.recordCount() - 1);
    m_xref.add(false);
    EXPECT_EQ(links("300"), 1);
    EXPECT_EQ(XrefMaintenance::linkName(QString(30, 'Z'), QString(45, 'N'), 50),
              QString(30, 'Z') + " **" + QString(17, 'N'));
    EXPECT_TRUE(m_statements[0].contains("'" + QString(30, 'Z') + " **" + QString(17, 'N') + "'"));
    EXPECT_TRUE(m_statements.filter("U4ITHZD").value(0).contains("'300'"));
    EXPECT_TRUE(m_statements.filter("U4ITMMR").value(0).endsWith("Where IMPROD = '300'"));
}

TEST_F(XrefMaintenanceTest, ARefusedInsertWritesNothingElseAndLeavesAddOn)
{
    standOn("100", LongId);
    m_xref.add(false);
    ASSERT_EQ(m_ui.prompts.shown.size(), 1);
    EXPECT_TRUE(m_ui.prompts.shown[0].startsWith("Error updating Cross Reference table\nSQL0404"))
        << m_ui.prompts.shown[0].toStdString();
    EXPECT_TRUE(m_statements.filter("U4ITHZD").isEmpty());
    EXPECT_TRUE(m_statements.filter("U4ITMMR").isEmpty());
    EXPECT_TRUE(m_ui.add);
}

TEST_F(XrefMaintenanceTest, AProductGoneAfterTheLookupIsNamedAndNothingWritten)
{
    standOn("100", "P1");
    m_xref.setAgrianLookup([&](const QString&) {
        m_session.connection.execute("Delete from \"CO01DATA\".\"U4CDMSDOT\" Where CDITEM = 'P1'");
        m_session.dotQuery.close();
        m_session.dotView.close();
        m_session.dotView.open(); // the lookup's fall-back: reopened on the first row
        return true;
    });
    m_xref.add(true);
    ASSERT_EQ(m_ui.prompts.shown.size(), 1);
    EXPECT_TRUE(m_ui.prompts.shown[0].startsWith("The product ACME'S BEST (P1) is no longer"));
    EXPECT_EQ(links("100"), 0);
}

TEST_F(XrefMaintenanceTest, AnAgrianProductWithoutTextIsLinkedOnlyWithItsLookupsValues)
{
    TestHome::exec(m_lib, {
                              "UPDATE U4CDMSDOT SET CDDOTTXT = ' ' WHERE CDITEM = 'P2'",
                          });
    m_home.insert(m_lib, "U4ITHZD", {{"100", "KEEP", "", "", "K", 0.0, " "}});
    SilentConnect connect;
    ASSERT_TRUE(m_session.connect(Settings(m_home.file("INVSIG.INI")), connect));
    bool serviceAnswers = false;
    m_xref.setAgrianLookup([&](const QString&) { return serviceAnswers; });
    standOn("100", "P2");
    m_xref.add(true);
    ASSERT_EQ(m_ui.prompts.shown.size(), 1);
    EXPECT_TRUE(m_ui.prompts.shown[0].startsWith("The Agrian service gave no DOT description for "))
        << m_ui.prompts.shown[0].toStdString();
    EXPECT_EQ(links("100"), 0);
    EXPECT_EQ(trimmed(m_session.connection
                          .query("Select HZDS1 from \"CO01DATA\".\"U4ITHZD\" Where HZPROD = '100'")
                          ->text(0, 0)),
              "KEEP");
    EXPECT_TRUE(m_ui.add);
    // A product with stored text is linked even when the service is down.
    m_ui.prompts.shown.clear();
    standOn("100", "P1");
    m_xref.add(true);
    EXPECT_TRUE(m_ui.prompts.shown.isEmpty()) << m_ui.prompts.shown.join("\n").toStdString();
    EXPECT_EQ(links("100"), 1);
}

TEST_F(XrefMaintenanceTest, DeleteAsksWithNoAsDefaultAndRemovesOnlyTheNamedLink)
{
    m_session.xrefItemView.first();
    const struct {
        bool answer;
        int linksLeft;
    } cases[] = {{false, 2}, {true, 1}};
    for (const auto& c : cases) {
        m_ui.prompts.answers = {c.answer};
        m_xref.deleteCurrent();
        EXPECT_EQ(m_ui.prompts.shown.last(), "Delete cross reference record for 200 ACME'S BEST");
        EXPECT_TRUE(m_ui.prompts.noDefaults.last());
        EXPECT_EQ(links("200"), c.linksLeft);
    }
    EXPECT_EQ(m_statements.filter("Delete").value(0),
              "Delete from \"CO01DATA\".\"U4CDMSXRF\" Where CXAGITEM = '200' and CXCDMSPID = 'P1'");
    // A refused delete says so with the host's text.
    m_session.xrefItemView.first();
    TestHome::exec(m_lib,
                   {"CREATE TRIGGER no_delete BEFORE DELETE ON U4CDMSXRF BEGIN "
                    "SELECT RAISE(ABORT, 'SQL7008 - U4CDMSXRF not valid for operation.'); END"});
    m_ui.prompts.answers = {true};
    m_xref.deleteCurrent();
    EXPECT_TRUE(m_ui.prompts.shown.last().startsWith("Error deleting Cross Reference record\n"))
        << m_ui.prompts.shown.last().toStdString();
}

TEST_F(XrefMaintenanceTest, TheLinkGridAndAddFollowTheItemAndTypedTextPositions)
{
    const struct {
        const char* item;
        bool linked;
    } cases[] = {{"200", true}, {"100", false}};
    for (const auto& c : cases) {
        standOn(c.item, "P1");
        m_xref.followItem();
        EXPECT_EQ(m_ui.add, !c.linked) << c.item;
        if (c.linked) {
            EXPECT_EQ(trimmed(m_session.xrefItemView.text("CXAGITEM")), c.item);
        }
    }
    m_xref.positionItem("BA");
    EXPECT_EQ(trimmed(m_session.itemView.text("IMPROD")), "200");
    m_xref.positionItem("");
    EXPECT_EQ(m_session.itemView.currentIndex(), 0);
    m_xref.positionDot("TOO");
    EXPECT_EQ(trimmed(m_session.dotView.text("CDNAME")), "TOO LONG ID");
    m_xref.positionItem("ZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZ"); // past the end: the last row
    EXPECT_EQ(trimmed(m_session.itemView.text("IMPROD")), "300");
    // The navigator: the hazard view follows the current link's item.
    m_home.insert(m_lib, "U4ITHZD", {{"200", "H1", "H2", "H3", "C", 0.0, " "}});
    m_session.hazardView.refresh();
    m_session.xrefItemView.first();
    m_xref.followLink();
    EXPECT_EQ(trimmed(m_session.hazardView.text("HZPROD")), "200");
}

} // namespace
