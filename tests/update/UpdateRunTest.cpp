#include "update/UpdateRun.h"
#include "common/Text.h"
#include "host/HostTables.h"
#include "settings/Settings.h"
#include "sources/DotList.h"
#include "support/RecordingRunUi.h"
#include "support/TestDoubles.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

class UpdateRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_lib = m_home.createLibrary();
        m_home.writeSettings();
        m_home.insert(m_lib, "U4ITMMR",
                      {{"I1", "ITEM ONE", 10, 100, "", ""},
                       {"I2", "ITEM TWO", 10, 100, "", ""},
                       {"I4", "ITEM FOUR", 10, 100, "", ""}});
        m_home.insert(m_lib, "U4CDMSDOT",
                      {{"P1", "PROD ONE", "old common", "1-1", "OLD MAKER", "OLDPLAC", "OLD TEXT"},
                       {"OLD", "PROD TWO", "c", "2-2", "m", "", "t"},
                       {"P3", "PROD THREE", "c3", "3-3", "m3", "KEEP", "t3"}});
        m_home.insert(m_lib, "U4CDMSXRF",
                      {{"I1", "PROD ONE", "P1", "ITEM ONE **PROD ONE", "   ", 1.0},
                       {"I1", "PROD ONE", "P1", "ITEM ONE **PROD ONE", "   ", 1.0},
                       {"I2", "PROD ONE", "P1", "ITEM TWO **PROD ONE", "   ", 1.0},
                       {"I3", "PROD ONE", "P1", "NO ITEM MASTER", "   ", 1.0},
                       {"I9", "GONE", "GONE", "ITEM NINE **GONE", "   ", 1.0}});
        m_home.insert(m_lib, "U4ITHZD", {{"I1", "OLD 1", "OLD 2", "OLD 3", "OLDCLASS", 0.0, " "}});
        SilentConnect ui;
        ASSERT_TRUE(m_session.connect(Settings(m_home.file("INVSIG.INI")), ui));
        m_session.connection.statementObserver = [this](const QString& s) { m_statements << s; };
    }
    void addRow(const QStringList& cells)
    {
        const int n = m_list.addProduct();
        m_list.append(n, QString::number(n));
        for (const QString& c : cells)
            m_list.append(n, c);
    }
    void run() { UpdateRun(m_session, m_list, m_counters).run(m_ui); }
    std::shared_ptr<ResultTable> select(const QString& sql)
    {
        return m_session.connection.query(sql);
    }
    QStringList hazardStatements() const { return m_statements.filter("U4ITHZD"); }

    ScopedEnv m_driver{"ZELVARO_HOST_DRIVER", QStringLiteral("embedded")};
    TestHome m_home;
    QString m_lib;
    HostTables m_session;
    DotList m_list;
    UpdateCounters m_counters;
    RecordingRunUi m_ui;
    QStringList m_statements;
};

TEST_F(UpdateRunTest, UpdatesKnownProductsAndInsertsNewOnesWithTheStatementTexts)
{
    m_list.append(0, "");
    addRow({"P1", "PROD ONE", "new common", "111-1", "NEW MAKER", "CLASS 9", "TEXT O'NE"});
    addRow({"P2", "PROD TWO", "c2", "222-2", "m2", "", "T2"});    // same name, other ID
    addRow({"P3", "PROD THREE", "c3", "333-3", "m3", " ", "T3"}); // blank placard on update
    run();
    ASSERT_GE(m_statements.size(), 3);
    EXPECT_EQ(m_statements[0],
              "Update \"CO01DATA\".\"U4CDMSDOT\" SET CDEPA# = '111-1', CDDOTTXT = 'TEXT O''NE', "
              "CDITEM = 'P1', "
              "CDPLAC = 'CLASS 9        ' Where CDITEM = 'P1' and CDNAME = 'PROD ONE'");
    const QStringList dot = m_statements.filter("U4CDMSDOT");
    EXPECT_TRUE(dot.contains(
        "INSERT INTO \"CO01DATA\".\"U4CDMSDOT\" (CDITEM, CDNAME, CDCNAME, CDEPA#, CDMANF, CDPLAC, "
        "CDDOTTXT) VALUES('P2', 'PROD TWO', 'c2', '222-2', 'm2', '               ', 'T2')"))
        << dot.join("\n").toStdString();
    EXPECT_TRUE(dot.contains(
        "Update \"CO01DATA\".\"U4CDMSDOT\" SET CDEPA# = '333-3', CDDOTTXT = 'T3', CDITEM = 'P3' "
        "Where CDITEM = 'P3' and CDNAME = 'PROD THREE'"));

    auto t = select("Select CDITEM, CDCNAME, CDMANF, CDPLAC from \"CO01DATA\".\"U4CDMSDOT\" Where "
                    "CDNAME = 'PROD ONE'");
    ASSERT_EQ(t->rowCount(), 1);
    EXPECT_EQ(trimmed(t->text(0, 1)), "old common"); // an update leaves the common name and maker
    EXPECT_EQ(trimmed(t->text(0, 2)), "OLD MAKER");
    EXPECT_EQ(trimmed(t->text(0, 3)), "CLASS 9");
    EXPECT_EQ(trimmed(select("Select CDPLAC from \"CO01DATA\".\"U4CDMSDOT\" Where CDITEM = 'P3'")
                          ->text(0, 0)),
              "KEEP");
    EXPECT_EQ(select("Select CDITEM from \"CO01DATA\".\"U4CDMSDOT\" Where CDNAME = 'PROD TWO'")
                  ->rowCount(),
              2);
    EXPECT_EQ(m_counters.dotUpdated, 2);
}

TEST_F(UpdateRunTest, HazardFileAndItemMasterFollowTheCrossReferences)
{
    const QString longEpa = "12345-678-90123-45678-99";
    addRow({"P1", "PROD ONE", "c", longEpa, "MAKER", "FLAMMABLE", "LINE1\nLINE2\nLINE3\rX\rY"});
    run();
    // Every line break became one blank, in the list too.
    EXPECT_EQ(m_list.cell(1, DotList::DotText), "LINE1 LINE2 LINE3 X Y");
    // I1 twice in a row: one hazard update; I2: inserted; I3 has no item master row: no message.
    const QStringList hz = hazardStatements();
    ASSERT_GE(hz.size(), 3) << hz.join("\n").toStdString();
    EXPECT_EQ(hz[0], "Update \"CO01DATA\".\"U4ITHZD\" SET HZDS1 = 'LINE1 LINE2 LINE3 X Y', HZDS2 = "
                     "' ', HZDS3 = ' ', "
                     "HZCLAS = 'FLAMMABLE' Where HZPROD = 'I1'");
    EXPECT_EQ(hz[1],
              "INSERT INTO \"CO01DATA\".\"U4ITHZD\" (HZPROD, HZDS1, HZDS2, HZDS3, HZCLAS, HZFACT, "
              "HZCRPD) "
              "VALUES('I2', 'LINE1 LINE2 LINE3 X Y', ' ', ' ', 'FLAMMABLE   ', 0.0, ' ')");
    EXPECT_TRUE(m_statements.contains("Update \"CO01DATA\".\"U4ITMMR\" SET IMASUB = '" +
                                      longEpa.left(20) + "' Where IMPROD = 'I1'"));
    EXPECT_EQ(
        trimmed(
            select("Select IMASUB from \"CO01DATA\".\"U4ITMMR\" Where IMPROD = 'I2'")->text(0, 0)),
        longEpa.left(20));
    auto row = select(
        "Select HZFACT, HZCRPD, HZREI, HZCLAS from \"CO01DATA\".\"U4ITHZD\" Where HZPROD = 'I2'");
    ASSERT_EQ(row->rowCount(), 1);
    EXPECT_EQ(row->number(0, 0), 0.0);
    EXPECT_EQ(row->text(0, 1), QString(10, ' '));
    // The hazard view holds the inserted row with its defaults and stands on it.
    EXPECT_EQ(m_session.hazardView.recordCount(), 2 + 1); // I1, I2, and I3 inserted too
    EXPECT_TRUE(m_counters.hazardFileWritten);
    // I3 has no item master row: its statement changes nothing and shows nothing.
    EXPECT_FALSE(m_ui.prompts.shown.join("\n").contains("Error updating item master"));
}

TEST_F(UpdateRunTest, CompletionPassAndSummary)
{
    addRow({"P1", "PROD ONE", "c", "1-1", "m", "", "T"});
    run();
    ASSERT_FALSE(m_ui.prompts.shown.isEmpty());
    // Five cross references, three hazard writes in the pass: the completion
    // pass runs over all of them from the reloaded DOT table and names I9,
    // whose product has no DOT row. It changes I1, I2 and I3 once each (the
    // DOT row's placard); I1's second record finds its row as just written
    // and is not counted again.
    EXPECT_EQ(m_ui.prompts.shown.last(), "DOT Records\n  Added - 0\n  Updated - 1\nHazard file "
                                         "Records:\n  Added - 0\n  Updated - 3\n"
                                         "Items not updated 'I9            ',");
    EXPECT_EQ(m_ui.statuses.last(), "AS400 CDMS data has been updated");
    EXPECT_TRUE(m_ui.events.contains("progress:Updating Zelvaro CDMS D.O.T Table:1"));
    EXPECT_EQ(m_session.xrefView.indexFields(), QStringList({"CXCDMSPID", "CXAGITEM"}));
}

TEST_F(UpdateRunTest, RefusedInsertMarksTheRowAndAProductWithoutXrefsTouchesOnlyTheDotTable)
{
    m_home.insert(m_lib, "U4CDMSXRF", {{"I4", "P4", "P4", "ITEM FOUR **P4", "   ", 1.0}});
    m_home.insert(m_lib, "U4ITHZD", {{"I4", "KEEP 1", "KEEP 2", "KEEP 3", "KEEPCLASS", 0.0, " "}});
    SilentConnect ui;
    ASSERT_TRUE(m_session.connect(Settings(m_home.file("INVSIG.INI")), ui));
    // The name is too long for CDNAME, so the host refuses the insert.
    addRow({"P4", QString(50, 'N'), "c4", "4-4", "m4", "", "T4"});
    addRow({"P5", "PROD FIVE", "c5", "5-5", "m5", "", "T5"});
    run();
    // The marker goes to the row's first empty cell: a full row stays as
    // it is. It never reaches the hazard file.
    EXPECT_EQ(m_list.cell(1, DotList::Placard), " ");
    EXPECT_EQ(m_list.cell(1, DotList::DotText), "T4");
    EXPECT_TRUE(m_statements.filter("U4VITEM").isEmpty()) << m_statements.join("\n").toStdString();
    EXPECT_EQ(
        trimmed(select("Select HZDS1, HZCLAS from \"CO01DATA\".\"U4ITHZD\" Where HZPROD = 'I4'")
                    ->text(0, 1)),
        "KEEPCLASS");
    EXPECT_EQ(m_statements.filter("P5").size(), 1); // the insert only
    EXPECT_EQ(
        select("Select CDITEM from \"CO01DATA\".\"U4CDMSDOT\" Where CDITEM = 'P5'")->rowCount(), 1);
    EXPECT_TRUE(m_ui.prompts.shown.last().endsWith("\nProducts not written 'P4',"))
        << m_ui.prompts.shown.last().toStdString();
}

TEST_F(UpdateRunTest, AwkwardValuesAreWrittenExactly)
{
    const QString name = QString::fromUtf8("O'NEIL; DROP TABLE x; -- 100% \"Ä\" AND 1=1");
    const QString text = QString::fromUtf8("Ünïcode ") + QString(992, 'Z');
    addRow({"P1", "PROD ONE", "c", "1-1", "m", "", text});
    addRow({"PX", name, name, name.left(35), name, "", "short"});
    run();
    auto t = select(
        "Select CDNAME, CDCNAME, CDEPA# from \"CO01DATA\".\"U4CDMSDOT\" Where CDITEM = 'PX'");
    ASSERT_EQ(t->rowCount(), 1);
    EXPECT_EQ(trimmed(t->text(0, 0)), name);
    EXPECT_EQ(trimmed(t->text(0, 1)), name);
    EXPECT_EQ(trimmed(t->text(0, 2)), name.left(35));
    // The DOT table refuses the 1,000 characters: the list's text drives no
    // hazard update; the completion pass writes the item from the DOT row,
    // which still agrees with the host.
    EXPECT_EQ(hazardStatements().first(),
              "Update \"CO01DATA\".\"U4ITHZD\" SET HZDS1 = 'OLD TEXT', HZDS2 = ' ', HZDS3 = ' ', "
              "HZCLAS = 'OLDPLAC' Where HZPROD = 'I1'");
    EXPECT_TRUE(m_ui.prompts.shown.last().endsWith("\nProducts not written 'P1',"));
    EXPECT_EQ(trimmed(select("Select CDDOTTXT from \"CO01DATA\".\"U4CDMSDOT\" Where CDITEM = 'P1'")
                          ->text(0, 0)),
              "OLD TEXT");
    EXPECT_EQ(select("Select count(*) from \"CO01DATA\".\"U4ITMMR\"")->value(0, 0).toInt(), 3);
}

TEST(UpdateRunFailure, ClosedViewsEndTheRunWithAMessageAndTheWindowUsable)
{
    TestHome home;
    HostTables session;
    DotList list;
    UpdateCounters counters;
    RecordingRunUi ui;
    UpdateRun(session, list, counters).run(ui);
    ASSERT_EQ(ui.prompts.shown.size(), 1);
    EXPECT_EQ(ui.prompts.shown[0],
              "The update run stopped: the host tables are not open (CDMSDOTData, CDMSxrefData, "
              "HazardData, ItemData); connect to the host and try again");
    EXPECT_FALSE(ui.busy);
    EXPECT_EQ(ui.events.last(), "tabs-on");
}

} // namespace
