#include "app/DataWidgets.h"
#include "common/Error.h"
#include "settings/Settings.h"
#include "app/TCDMSForm1.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home.createLibrary();
        m_home.writeSettings();
    }
    std::unique_ptr<TCDMSForm1> makeForm(const QStringList& args = {})
    {
        auto form = std::make_unique<TCDMSForm1>(m_prompter, args);
        form->newconnect();
        form->show();
        return form;
    }
    ScopedEnv m_driver{"ZELVARO_HOST_DRIVER", QStringLiteral("embedded")};
    TestHome m_home;
    ScriptedPrompter m_prompter;
};

TEST_F(MainWindowTest, OpensWithTheDesignCaptionsAndStates)
{
    auto form = makeForm();
    EXPECT_EQ(form->windowTitle(), "CDMS / Zelvaro");
    EXPECT_EQ(form->PageControl1->currentWidget(), form->TabSheet2);
    EXPECT_EQ(form->PageControl1->tabText(0), "CDMS Update");
    EXPECT_EQ(form->btConnect->text(), "&CDMS Connect");
    EXPECT_EQ(form->btConnect->toolTip(), "Retrieve CDMS ChemSearch Data");
    EXPECT_EQ(form->btUpdate->text(), "&Update Zelvaro");
    EXPECT_FALSE(form->btUpdate->isEnabled());
    EXPECT_FALSE(form->btConnect->isHidden());
    EXPECT_TRUE(form->btAgrian->isHidden());
    EXPECT_EQ(form->sgCDMSDOT->model()->columnCount(), 8);
    EXPECT_EQ(form->sgCDMSDOT->model()->rowCount(), 2);
    EXPECT_EQ(form->sgCDMSDOT->columnWidth(7), 728);
    EXPECT_EQ(form->statusText(0), "CO01DATA");
    EXPECT_EQ(form->outerWidth(), 975);
    EXPECT_FALSE(form->DBEItem->isEnabled());
    EXPECT_EQ(form->DBEItem->objectName(), "DBEItem");
    EXPECT_TRUE(m_prompter.shown.isEmpty()) << m_prompter.shown.join("\n").toStdString();
}

TEST_F(MainWindowTest, BusyStateEnablesUpdateOnlyFromSevenRowsWithTheDotViewOpen)
{
    auto form = makeForm();
    const struct {
        int rows;
        bool open;
        bool enabled;
    } cases[] = {{6, true, false}, {7, true, true}, {7, false, false}};
    for (const auto& c : cases) {
        form->btUpdate->setEnabled(false);
        if (c.open && !form->session().CDMSDOTData.isOpen()) form->session().CDMSDOTData.open();
        if (!c.open) form->session().CDMSDOTData.close();
        form->dotList().reset();
        while (form->dotList().rowCount() < c.rows) form->dotList().addProduct();
        form->dotListChanged();
        EXPECT_EQ(form->sgCDMSDOT->model()->rowCount(), c.rows);
        form->formwait();
        EXPECT_FALSE(form->PageControl1->isEnabled());
        EXPECT_FALSE(form->btUpdate->isEnabled());
        form->formready();
        EXPECT_TRUE(form->PageControl1->isEnabled());
        EXPECT_EQ(form->btUpdate->isEnabled(), c.enabled) << c.rows << " rows, open " << c.open;
    }
}

TEST_F(MainWindowTest, HazardSourceSwitchesButtonsCaptionsAndMenu)
{
    auto form = makeForm();
    form->SetHazardSource(true);
    EXPECT_TRUE(form->btConnect->isHidden());
    EXPECT_FALSE(form->btAgrian->isHidden());
    EXPECT_EQ(form->PageControl1->tabText(0), "Agrian Update");
    EXPECT_EQ(form->Label7->text(), "Agrian D.O.T. Data");
    EXPECT_EQ(form->Label5->text(), "Agrian D.O.T. Data");
    EXPECT_EQ(form->Label6->text(), "Zelvaro / Agrian Cross Reference");
    EXPECT_FALSE(form->RefreshCDMSData1->isEnabled());
    form->SetHazardSource(false);
    EXPECT_FALSE(form->btConnect->isHidden());
    EXPECT_TRUE(form->btAgrian->isHidden());
    EXPECT_EQ(form->Label6->text(), "Zelvaro / CDMS Cross Reference");
    EXPECT_TRUE(form->RefreshCDMSData1->isEnabled());
}

TEST_F(MainWindowTest, AgrianInTheSettingsAppliesAtTheFirstShow)
{
    Settings(m_home.file("INVSIG.INI")).writeBool("Transfer", "CDMSHazard", false);
    auto form = makeForm();
    EXPECT_FALSE(form->btAgrian->isHidden());
    EXPECT_EQ(form->PageControl1->tabText(0), "Agrian Update");
}

TEST_F(MainWindowTest, ResizeRuleSplitsTheWidthBetweenItemAndDotGrids)
{
    auto form = makeForm();
    form->setOuterSize(1282, 550);
    EXPECT_EQ(form->ItemGrid->width(), 621);
    EXPECT_EQ(form->DotGrid->width(), 621);
    EXPECT_EQ(form->DotGrid->x(), form->ItemGrid->x() + 621 + 10);
    EXPECT_EQ(form->Label5->x(), form->DotGrid->x());
    EXPECT_EQ(form->Label5->y(), form->Label4->y());
    EXPECT_EQ(form->DBEDotName->x(), form->DBEDOTID->x() + 94);
    EXPECT_EQ(form->Edit2->x(), form->DBEDotName->x());
}

TEST_F(MainWindowTest, UpdateAsFirstArgumentInAnyCaseStartsTheTimer)
{
    const struct {
        QStringList args;
        bool starts;
    } cases[] = {{{"update"}, true}, {{"UpDaTe", "x"}, true}, {{"x", "UPDATE"}, false}, {{}, false}};
    for (const auto& c : cases) {
        auto form = std::make_unique<TCDMSForm1>(m_prompter, c.args);
        form->newconnect();
        form->show();
        EXPECT_EQ(form->Timer1->isActive(), c.starts) << c.args.join(" ").toStdString();
        EXPECT_EQ(form->Timer1->interval(), 1000);
    }
}

TEST_F(MainWindowTest, UnattendedRunRetrievesThenUpdates)
{
    auto form = makeForm({"UPDATE"});
    QStringList calls;
    form->retrieval = [&] { calls << "retrieve"; };
    form->updateRun = [&] { calls << "update"; };
    form->Timer1Timer();
    EXPECT_EQ(calls, QStringList({"retrieve", "update"}));
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(MainWindowTest, DataBoundControlsFollowTheViewsCurrentRow)
{
    m_home.insert(m_home.file("hosts/TESTSYS/CO01DATA.db"), "U4ITMMR",
                  {{"100", "BETA", 10, 100, "", ""}, {"200", "ALPHA", 10, 100, "", ""}});
    auto form = makeForm();
    form->session().ItemData.refresh();
    ClientView& items = form->session().ItemData;
    ASSERT_EQ(items.recordCount(), 2);
    ASSERT_TRUE(items.findKey({"BETA"}));
    // The value follows at once; the screen when the message loop runs.
    EXPECT_EQ(form->DBEItem->value().trimmed(), "100");
    QCoreApplication::processEvents();
    EXPECT_EQ(form->DBEItem->text().trimmed(), "100");
    EXPECT_EQ(form->ItemGrid->currentIndex().row(), 1);
    // Choosing a grid row moves the view.
    form->ItemGrid->selectRow(0);
    EXPECT_EQ(items.text("IMPROD").trimmed(), "200");
    // Controls on a hidden tab catch up when it is shown.
    ClientView& hazard = form->session().HazardData;
    EXPECT_FALSE(form->DBEdit1->isVisible());
    form->PageControl1->setCurrentWidget(form->TabSheet4);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->DBEdit1->text(), hazard.text("HZPROD"));
}

TEST_F(MainWindowTest, EscapingErrorsReachTheGeneralDisplay)
{
    auto form = makeForm();
    bool after = false;
    form->guarded([&] {
        throw HostError("SQL0204 - X in Y type *FILE not found.");
        after = true;
    });
    EXPECT_FALSE(after);
    EXPECT_EQ(m_prompter.shown, QStringList({"SQL0204 - X in Y type *FILE not found."}));
}

TEST_F(MainWindowTest, UnreachableHostStillOpensTheWindow)
{
    Settings(m_home.file("INVSIG.INI")).writeText("Transfer", "Host", "GONE400");
    auto form = makeForm();
    ASSERT_EQ(m_prompter.shown.size(), 1);
    EXPECT_TRUE(m_prompter.shown[0].startsWith("Connecting\nDRIVER=Embedded host\nSYSTEM=GONE400\nUID=QUSER\nPWD=********\n"))
        << m_prompter.shown[0].toStdString();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->RefreshTables1->isEnabled());
    EXPECT_TRUE(form->setup1->isEnabled());
    EXPECT_FALSE(form->session().ItemData.isOpen());
}

} // namespace
