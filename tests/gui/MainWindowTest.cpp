#include "gui/MainWindow.h"
#include "common/Error.h"
#include "common/StopRequest.h"
#include "common/Text.h"
#include "gui/DataGrid.h"
#include "gui/DbField.h"
#include "host/EmbeddedSystem.h"
#include "host/SignOnGuard.h"
#include "settings/Settings.h"
#include "support/ScriptedPrompter.h"
#include "support/TestDoubles.h"
#include "support/TestHome.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLockFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
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
    std::unique_ptr<MainWindow> makeForm(const QStringList& args = {})
    {
        auto form = std::make_unique<MainWindow>(m_prompter, args);
        form->connectHost();
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
    EXPECT_EQ(child<QTabWidget>(*form, "PageControl1")->currentWidget(),
              child<QWidget>(*form, "TabSheet2"));
    EXPECT_EQ(child<QTabWidget>(*form, "PageControl1")->tabText(0), "CDMS Update");
    EXPECT_EQ(child<QPushButton>(*form, "btConnect")->text(), "&CDMS Connect");
    EXPECT_EQ(child<QPushButton>(*form, "btConnect")->toolTip(), "Retrieve CDMS ChemSearch Data");
    EXPECT_EQ(child<QPushButton>(*form, "btUpdate")->text(), "&Update Zelvaro");
    EXPECT_FALSE(child<QPushButton>(*form, "btUpdate")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(*form, "btConnect")->isHidden());
    EXPECT_TRUE(child<QPushButton>(*form, "btAgrian")->isHidden());
    EXPECT_EQ(child<QTableView>(*form, "sgCDMSDOT")->model()->columnCount(), 8);
    EXPECT_EQ(child<QTableView>(*form, "sgCDMSDOT")->model()->rowCount(), 2);
    EXPECT_EQ(child<QTableView>(*form, "sgCDMSDOT")->columnWidth(7), 728);
    EXPECT_EQ(form->statusText(0), "CO01DATA");
    EXPECT_EQ(form->outerWidth(), 975);
    EXPECT_FALSE(child<DbEdit>(*form, "DBEItem")->isEnabled());
    EXPECT_EQ(child<DbEdit>(*form, "DBEItem")->objectName(), "DBEItem");
    EXPECT_TRUE(m_prompter.shown.isEmpty()) << m_prompter.shown.join("\n").toStdString();
}

// Sign-on attempts the embedded host recorded, and its count for QUSER.
int signOnAttempts(const TestHome& home)
{
    QFile log(home.file("hosts/TESTSYS/signon.log"));
    return log.open(QIODevice::ReadOnly) ? int(log.readAll().count('\n')) : 0;
}

TEST_F(MainWindowTest, AWrongStoredPasswordCostsOneSignOnAnActionAndTheProfileStaysEnabled)
{
    // The host knows QUSER with another password than INVSIG.INI holds.
    QFile users(m_home.file("hosts/TESTSYS/users.ini"));
    ASSERT_TRUE(users.open(QIODevice::WriteOnly));
    users.write("[System]\r\nQMAXSIGN=3\r\n[Users]\r\nQUSER=other\r\n");
    users.close();
    ScopedEnv data{"CDMS_DATA_DIR", m_home.file("no-cdms")};
    const EmbeddedSystem host(m_home.file("hosts/TESTSYS"));
    {
        auto form = makeForm({"UPDATE"}); // the window's start, then the night's run
        EXPECT_EQ(signOnAttempts(m_home), 1);
        ASSERT_FALSE(m_prompter.shown.isEmpty());
        EXPECT_TRUE(m_prompter.shown[0].contains("The sign-on of user QUSER to TESTSYS failed"))
            << m_prompter.shown[0].toStdString();
        QSignalSpy finished(form.get(), &MainWindow::unattendedRunFinished);
        ASSERT_TRUE(finished.wait(5000));
        EXPECT_EQ(signOnAttempts(m_home), 1); // the timer's run tried nothing again
        EXPECT_FALSE(host.disabled("QUSER"));
        // The user asks: one more attempt, no more.
        child<QAction>(*form, "RefreshTables1")->trigger();
        EXPECT_EQ(signOnAttempts(m_home), 2);
        EXPECT_EQ(host.failedAttempts("QUSER"), 2);
        EXPECT_FALSE(host.disabled("QUSER"));
    }
    SignOnGuard::forgetAll();
}

TEST_F(MainWindowTest, OneListingJobServesTheWindowsStart)
{
    QFile users(m_home.file("hosts/TESTSYS/users.ini"));
    ASSERT_TRUE(users.open(QIODevice::WriteOnly));
    users.write("[Users]\r\nQUSER=secret\r\n");
    users.close();
    auto form = makeForm();
    QFile log(m_home.file("hosts/TESTSYS/signon.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    // The SQL connection and one job titling all seven grids.
    EXPECT_EQ(text.count("\tSQL\tsigned on"), 1) << text.toStdString();
    EXPECT_EQ(text.count("\tjob\tsigned on"), 1) << text.toStdString();
    EXPECT_EQ(child<DataGrid>(*form, "ItemGrid")->model()->headerData(0, Qt::Horizontal).toString(),
              "Item Number ");
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
        child<QPushButton>(*form, "btUpdate")->setEnabled(false);
        if (c.open && !form->session().dotView.isOpen()) form->session().dotView.open();
        if (!c.open) form->session().dotView.close();
        form->dotList().reset();
        while (form->dotList().rowCount() < c.rows)
            form->dotList().addProduct();
        form->dotListChanged();
        EXPECT_EQ(child<QTableView>(*form, "sgCDMSDOT")->model()->rowCount(), c.rows);
        form->beginBusy();
        EXPECT_FALSE(child<QTabWidget>(*form, "PageControl1")->isEnabled());
        EXPECT_FALSE(child<QPushButton>(*form, "btUpdate")->isEnabled());
        form->endBusy();
        EXPECT_TRUE(child<QTabWidget>(*form, "PageControl1")->isEnabled());
        EXPECT_EQ(child<QPushButton>(*form, "btUpdate")->isEnabled(), c.enabled)
            << c.rows << " rows, open " << c.open;
    }
}

TEST_F(MainWindowTest, HazardSourceSwitchesButtonsCaptionsAndMenu)
{
    auto form = makeForm();
    form->setHazardSource(true);
    EXPECT_TRUE(child<QPushButton>(*form, "btConnect")->isHidden());
    EXPECT_FALSE(child<QPushButton>(*form, "btAgrian")->isHidden());
    EXPECT_EQ(child<QTabWidget>(*form, "PageControl1")->tabText(0), "Agrian Update");
    EXPECT_EQ(child<QLabel>(*form, "Label7")->text(), "Agrian D.O.T. Data");
    EXPECT_EQ(child<QLabel>(*form, "Label5")->text(), "Agrian D.O.T. Data");
    EXPECT_EQ(child<QLabel>(*form, "Label6")->text(), "Zelvaro / Agrian Cross Reference");
    EXPECT_FALSE(child<QAction>(*form, "RefreshCDMSData1")->isEnabled());
    form->setHazardSource(false);
    EXPECT_FALSE(child<QPushButton>(*form, "btConnect")->isHidden());
    EXPECT_TRUE(child<QPushButton>(*form, "btAgrian")->isHidden());
    EXPECT_EQ(child<QLabel>(*form, "Label6")->text(), "Zelvaro / CDMS Cross Reference");
    EXPECT_TRUE(child<QAction>(*form, "RefreshCDMSData1")->isEnabled());
}

TEST_F(MainWindowTest, AgrianInTheSettingsAppliesAtTheFirstShow)
{
    Settings(m_home.file("INVSIG.INI")).writeBool("Transfer", "CDMSHazard", false);
    auto form = makeForm();
    EXPECT_FALSE(child<QPushButton>(*form, "btAgrian")->isHidden());
    EXPECT_EQ(child<QTabWidget>(*form, "PageControl1")->tabText(0), "Agrian Update");
}

TEST_F(MainWindowTest, ResizeRuleSplitsTheWidthBetweenItemAndDotGrids)
{
    auto form = makeForm();
    form->setOuterSize(1282, 550);
    EXPECT_EQ(child<DataGrid>(*form, "ItemGrid")->width(), 621);
    EXPECT_EQ(child<DataGrid>(*form, "DotGrid")->width(), 621);
    EXPECT_EQ(child<DataGrid>(*form, "DotGrid")->x(),
              child<DataGrid>(*form, "ItemGrid")->x() + 621 + 10);
    EXPECT_EQ(child<QLabel>(*form, "Label5")->x(), child<DataGrid>(*form, "DotGrid")->x());
    EXPECT_EQ(child<QLabel>(*form, "Label5")->y(), child<QLabel>(*form, "Label4")->y());
    // The DOT ID shows its 35 characters; the name follows it.
    auto* id = child<DbEdit>(*form, "DBEDOTID");
    EXPECT_GE(id->width(), id->fontMetrics().averageCharWidth() * 35);
    EXPECT_EQ(child<DbEdit>(*form, "DBEDotName")->x(), id->x() + id->width() + 4);
    EXPECT_EQ(child<QLineEdit>(*form, "Edit2")->x(), child<DbEdit>(*form, "DBEDotName")->x());
}

TEST_F(MainWindowTest, UpdateAsFirstArgumentInAnyCaseStartsTheTimer)
{
    const struct {
        QStringList args;
        bool starts;
    } cases[] = {
        {{"update"}, true}, {{"UpDaTe", "x"}, true}, {{"x", "UPDATE"}, false}, {{}, false}};
    for (const auto& c : cases) {
        auto form = std::make_unique<MainWindow>(m_prompter, c.args);
        form->connectHost();
        form->show();
        EXPECT_EQ(child<QTimer>(*form, "Timer1")->isActive(), c.starts)
            << c.args.join(" ").toStdString();
        EXPECT_EQ(child<QTimer>(*form, "Timer1")->interval(), 1000);
    }
}

TEST_F(MainWindowTest, UnattendedRunRetrievesThenUpdates)
{
    // No CDMS data set: the retrieval reports its failure, then the update
    // run goes on over the list as it stands and shows its summary.
    ScopedEnv data{"CDMS_DATA_DIR", m_home.file("no-cdms")};
    auto form = makeForm({"UPDATE"});
    QTimer* timer = child<QTimer>(*form, "Timer1");
    ASSERT_TRUE(timer->isActive());
    QSignalSpy finished(form.get(), &MainWindow::unattendedRunFinished);
    ASSERT_TRUE(finished.wait(5000));
    ASSERT_EQ(m_prompter.shown.size(), 2) << m_prompter.shown.join("\n").toStdString();
    EXPECT_EQ(m_prompter.shown[0], "Unable to connect to CDMS System");
    EXPECT_TRUE(m_prompter.shown[1].startsWith("DOT Records\n  Added - 0\n"))
        << m_prompter.shown[1].toStdString();
    EXPECT_FALSE(timer->isActive());
}

TEST_F(MainWindowTest, AgrianConnectWithTheServiceDownEndsWithItsButtonsOnAndNoNightRun)
{
    Settings(m_home.file("INVSIG.INI")).writeBool("Transfer", "CDMSHazard", false);
    ScopedEnv url{"ZELVARO_AGRIAN_URL", QStringLiteral("https://127.0.0.1:1")};
    auto form = makeForm({"UPDATE"});
    QTimer* timer = child<QTimer>(*form, "Timer1");
    ASSERT_TRUE(timer->isActive());
    child<QPushButton>(*form, "btAgrian")->click();
    ASSERT_EQ(m_prompter.shown.size(), 1);
    EXPECT_TRUE(m_prompter.shown[0].startsWith("Http Post failed. "))
        << m_prompter.shown[0].toStdString();
    EXPECT_TRUE(child<QPushButton>(*form, "btAgrian")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(*form, "btUpdate")->isEnabled());
    EXPECT_FALSE(timer->isActive()); // a retrieval by hand replaces the night's run
}

TEST_F(MainWindowTest, TheUnattendedRunInAgrianModeAsksTheServiceThenUpdates)
{
    const Settings settings(m_home.file("INVSIG.INI"));
    settings.writeBool("Transfer", "CDMSHazard", false);
    const QDateTime date(QDate(2026, 1, 5), QTime(0, 0));
    settings.writeDateTime("Agrian", "DownloadDate", date);
    ScopedEnv url{"ZELVARO_AGRIAN_URL", QStringLiteral("https://127.0.0.1:1")};
    ScopedEnv data{"CDMS_DATA_DIR", m_home.file("no-cdms")};
    auto form = makeForm({"UPDATE"});
    QSignalSpy finished(form.get(), &MainWindow::unattendedRunFinished);
    ASSERT_TRUE(finished.wait(5000));
    ASSERT_EQ(m_prompter.shown.size(), 2) << m_prompter.shown.join("\n").toStdString();
    EXPECT_TRUE(m_prompter.shown[0].startsWith("Http Post failed. "));
    EXPECT_TRUE(m_prompter.shown[1].startsWith("DOT Records\n"));
    // Nothing was retrieved: the next night asks from the same date.
    EXPECT_EQ(settings.readDateTime("Agrian", "DownloadDate", QDateTime()), date);
}

TEST_F(MainWindowTest, EachUpdateRunLeavesAHistoryLineThatHelpShowsNewestFirst)
{
    auto form = makeForm();
    child<QPushButton>(*form, "btUpdate")->setEnabled(true);
    child<QPushButton>(*form, "btUpdate")->click(); // an empty list: the summary, nothing else
    form->session().closeViews();                   // the next run stops: tables not open
    child<QPushButton>(*form, "btUpdate")->setEnabled(true);
    child<QPushButton>(*form, "btUpdate")->click();
    m_prompter.shown.clear();
    child<QAction>(*form, "RunHistory1")->trigger();
    ASSERT_EQ(m_prompter.shown, QStringList({"table: Run history"}));
    EXPECT_EQ(m_prompter.tableHeaders.value(0), "Started");
    ASSERT_EQ(m_prompter.tableRows.size(), 2u);
    EXPECT_EQ(m_prompter.tableRows[1].mid(2, 7),
              QStringList({"window", "CDMS", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(m_prompter.tableRows[1].value(9), "0");                // rows changed
    EXPECT_TRUE(m_prompter.tableRows[1].value(10).endsWith(".csv")); // its change report
    EXPECT_EQ(m_prompter.tableRows[1].value(11), "exit 0");
    EXPECT_EQ(m_prompter.tableRows[0][2], "window");
    EXPECT_TRUE(m_prompter.tableRows[0][11].startsWith("stopped: the host tables are not open"))
        << m_prompter.tableRows[0][11].toStdString();
    // Help, "Change report…": the newest run's report as a table.
    m_prompter.shown.clear();
    child<QAction>(*form, "ChangeReport1")->trigger();
    ASSERT_EQ(m_prompter.shown.size(), 1);
    EXPECT_TRUE(m_prompter.shown[0].startsWith("table: Change report "))
        << m_prompter.shown[0].toStdString();
    EXPECT_EQ(m_prompter.tableHeaders, QStringList({"table", "key", "column", "old", "new"}));
    // A run chosen in the history shows its own report (the stopped run
    // reports what it changed before it stopped: nothing).
    const QString newest = m_prompter.shown[0].section(' ', 3, 3);
    m_prompter.shown.clear();
    m_prompter.tableChoices = {1, -1, 0, -1};
    child<QAction>(*form, "RunHistory1")->trigger();
    child<QAction>(*form, "RunHistory1")->trigger();
    EXPECT_EQ(m_prompter.tableOpenCaptions.last(), "");
    EXPECT_EQ(m_prompter.tableOpenCaptions.value(m_prompter.tableOpenCaptions.size() - 2),
              "Change report");
    ASSERT_EQ(m_prompter.shown.size(), 4) << m_prompter.shown.join("\n").toStdString();
    EXPECT_TRUE(m_prompter.shown[1].startsWith("table: Change report "));
    EXPECT_NE(m_prompter.shown[1], m_prompter.shown[3]);
    EXPECT_EQ(m_prompter.shown[3].section(' ', 3, 3), newest);
}

TEST_F(MainWindowTest, PreviewUpdateFollowsTheUpdateButtonAndLeavesNoHistory)
{
    auto form = makeForm();
    QAction* preview = child<QAction>(*form, "PreviewUpdate1");
    EXPECT_EQ(preview->text(), QStringLiteral("Preview update\u2026"));
    EXPECT_FALSE(preview->isEnabled()); // nothing retrieved: nothing to preview
    form->setUpdateEnabled(true);
    ASSERT_TRUE(preview->isEnabled());
    m_prompter.shown.clear();
    preview->trigger();
    ASSERT_EQ(m_prompter.shown.size(), 3) << m_prompter.shown.join("\n").toStdString();
    EXPECT_TRUE(m_prompter.shown[0].startsWith("DOT Records\n"));
    EXPECT_TRUE(m_prompter.shown[1].startsWith("table: Plan: 0 rows would change (DOT records "
                                               "added 0, updated 0;"))
        << m_prompter.shown[1].toStdString();
    EXPECT_TRUE(m_prompter.shown[2].contains("-dry-run.csv\n"));
    EXPECT_TRUE(m_prompter.shown[2].endsWith("\nDry run: nothing was written to the host."));
    EXPECT_FALSE(QFileInfo::exists(m_home.file("history.log")));
}

TEST_F(MainWindowTest, APreviewWaitsForARunInProgressAndAStoppedOneLeavesNoPlan)
{
    auto form = makeForm();
    form->setUpdateEnabled(true);
    QAction* preview = child<QAction>(*form, "PreviewUpdate1");
    {
        // A run holds the home: its tables may be half written.
        QLockFile held(m_home.file("update-run.lock"));
        ASSERT_TRUE(held.tryLock(0));
        m_prompter.shown.clear();
        preview->trigger();
        ASSERT_EQ(m_prompter.shown.size(), 2) << m_prompter.shown.join("\n").toStdString();
        EXPECT_TRUE(m_prompter.shown[0].startsWith("Another update run is in progress"))
            << m_prompter.shown[0].toStdString();
    }
    StopRequest::set(SIGTERM);
    m_prompter.shown.clear();
    preview->trigger();
    StopRequest::set(0);
    ASSERT_FALSE(m_prompter.shown.isEmpty());
    EXPECT_EQ(m_prompter.shown.last(), "The dry run stopped: no plan was written.\nDry run: "
                                       "nothing was written to the host.");
    EXPECT_TRUE(QDir(m_home.file("changes"))
                    .entryList({"*-dry-run.csv"}, QDir::Files)
                    .isEmpty()); // half a plan would mislead
}

TEST_F(MainWindowTest, NoOperationStartsInsideAnother)
{
    ScopedEnv data{"CDMS_DATA_DIR", m_home.file("no-cdms")};
    auto form = makeForm({"UPDATE"});
    QTimer* timer = child<QTimer>(*form, "Timer1");
    QSignalSpy finished(form.get(), &MainWindow::unattendedRunFinished);
    qsizetype shownDuring = -1;
    const bool ran = form->runOperation([&] {
        // The message loop runs inside the operation (as under a status
        // window): the timer fires and a button is clicked there.
        timer->start(0);
        QTest::qWait(50);
        child<QPushButton>(*form, "btConnect")->click();
        QCoreApplication::processEvents();
        shownDuring = m_prompter.shown.size();
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(shownDuring, 0);
    EXPECT_EQ(finished.count(), 0);
    // The unattended run follows once the operation has ended.
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(m_prompter.shown.size(), 2) << m_prompter.shown.join("\n").toStdString();
}

TEST_F(MainWindowTest, ASecondUpdateRunOnTheHomeIsRefused)
{
    QLockFile held(m_home.file("update-run.lock"));
    ASSERT_TRUE(held.tryLock(0));
    auto form = makeForm();
    form->runUpdate();
    EXPECT_TRUE(form->updateRefusedBusy());
    ASSERT_EQ(m_prompter.shown.size(), 1);
    EXPECT_TRUE(m_prompter.shown[0].startsWith("Another update run is in progress"));
}

TEST_F(MainWindowTest, DesignSizeIsTheMinimumAndNavigatorsTakeFocus)
{
    auto form = makeForm();
    EXPECT_EQ(form->minimumSize(), QSize(968, 534));
    for (const char* name : {"DBNavigator1", "DBNavigator3", "DBNavigator6"}) {
        auto* first = child<QWidget>(*form, name)->findChild<QPushButton*>("First");
        ASSERT_NE(first, nullptr);
        EXPECT_NE(first->focusPolicy() & Qt::TabFocus, 0) << name;
    }
}

TEST_F(MainWindowTest, SetupReconnectsOnlyWhenSystemOrLibraryChangedOrTheConnectionIsClosed)
{
    auto form = makeForm();
    EXPECT_EQ(child<DataGrid>(*form, "ItemGrid")->model()->headerData(0, Qt::Horizontal).toString(),
              "Item Number ");
    auto answerSetup = [&](bool ok) {
        QTimer::singleShot(0, form.get(), [&, ok] {
            QWidget* dialog = form->findChild<QWidget*>("SetupForm");
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QPushButton*>(ok ? "BitBtn1" : "BitBtn2")->click();
        });
    };
    form->setStatusText(1, "before");
    answerSetup(true); // unchanged, connection open: no reconnect
    child<QAction>(*form, "setup1")->trigger();
    EXPECT_EQ(form->statusText(1), "before");
    form->session().connection.disconnect();
    answerSetup(false); // cancelled, but the connection is closed
    child<QAction>(*form, "setup1")->trigger();
    EXPECT_EQ(form->statusText(1), "Ready");
    EXPECT_TRUE(form->session().itemView.isOpen());
    EXPECT_FALSE(child<QPushButton>(*form, "btUpdate")->isEnabled());
    EXPECT_TRUE(m_prompter.shown.isEmpty()) << m_prompter.shown.join("\n").toStdString();
}

TEST_F(MainWindowTest, EnterInThePositionEditsAsksToDeleteTheCurrentLinkWithNoAsDefault)
{
    m_home.insert(m_home.file("hosts/TESTSYS/CO01DATA.db"), "U4CDMSXRF",
                  {{"100", "PROD", "P1", "ITEM **PROD", "   ", 1.0}});
    m_home.insert(m_home.file("hosts/TESTSYS/CO01DATA.db"), "U4ITMMR",
                  {{"100", "AAA ITEM", 10, 100, "", ""}, {"200", "BBB ITEM", 10, 100, "", ""}});
    auto form = makeForm();
    form->activateWindow();
    auto* edit = child<QLineEdit>(*form, "Edit1");
    edit->setFocus();
    m_prompter.answers = {false};
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(m_prompter.shown.size(), 1) << m_prompter.shown.join("\n").toStdString();
    EXPECT_EQ(m_prompter.shown[0], "Delete cross reference record for 100 PROD");
    EXPECT_TRUE(m_prompter.noDefaults.value(0));
    // An item without a link of its own: nothing is asked about another's.
    QTest::keyClicks(edit, "BBB");
    ASSERT_EQ(trimmed(form->session().itemView.text("IMPROD")), "200");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(m_prompter.shown.size(), 1);
    // The hazard tab by the user runs its handler; the program's own change does not.
    child<QTabWidget>(*form, "PageControl1")->setCurrentIndex(2);
    EXPECT_FALSE(child<QPushButton>(*form, "btFilter")->isEnabled());
}

TEST_F(MainWindowTest, FilterCodesAreAddedAndRemovedAndTheFilterAppliedOnce)
{
    const QString lib = m_home.file("hosts/TESTSYS/CO01DATA.db");
    m_home.insert(lib, "U4FLC", {{12, "TWELVE"}, {15, "FIFTEEN"}});
    m_home.insert(
        lib, "U4ITMMR",
        {{"1", "A", 10, 12, "", ""}, {"2", "B", 10, 15, "", ""}, {"3", "C", 10, 99, "", ""}});
    auto form = makeForm();
    auto* edFlc = child<QLineEdit>(*form, "edFLC");
    auto* grid = child<QTableWidget>(*form, "sgFLcodes");
    child<QCheckBox>(*form, "cbxFlc")->click();
    MemoryView& flc = form->session().flcView;
    for (int code : {12, 15}) {
        ASSERT_TRUE(flc.findKey({double(code)}));
        child<QPushButton>(*form, "sbFlcAdd")->click();
    }
    EXPECT_EQ(edFlc->text(), "IMFLCD in (12,15)");
    EXPECT_EQ(grid->item(2, 1)->text(), "FIFTEEN");
    auto* apply = child<QPushButton>(*form, "btFilter");
    apply->click();
    EXPECT_EQ(form->session().itemView.recordCount(), 2);
    EXPECT_EQ(form->statusText(1), "Item Data filter completed");
    form->setStatusText(1, "x");
    apply->click(); // unchanged: no refresh
    EXPECT_EQ(form->statusText(1), "x");
    EXPECT_EQ(Settings(m_home.file("INVSIG.INI")).readText("CDMSFilter", "edFLC"),
              "IMFLCD in (12,15)");
    grid->setCurrentCell(1, 0);
    child<QPushButton>(*form, "sbFlcRmv")->click();
    EXPECT_EQ(edFlc->text(), "IMFLCD in (15)");
    EXPECT_EQ(grid->rowCount(), 2);
    grid->setCurrentCell(1, 0);
    child<QPushButton>(*form, "sbFlcRmv")->click();
    EXPECT_EQ(edFlc->text(), "");
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_TRUE(m_prompter.shown.isEmpty()) << m_prompter.shown.join("\n").toStdString();
}

TEST_F(MainWindowTest, TheSavedFilterIsRestoredOrSaidToBeUnreadable)
{
    const QString lib = m_home.file("hosts/TESTSYS/CO01DATA.db");
    m_home.insert(lib, "U4FLC", {{12, "TWELVE"}, {15, "FIFTEEN"}});
    m_home.insert(lib, "U4DEPT", {{3, "THREE"}});
    const Settings s(m_home.file("INVSIG.INI"));
    s.writeText("CDMSFilter", "cbxFlc", "1");
    s.writeText("CDMSFilter", "edFLC", "IMFLCD in (12,77,15)"); // 77 no longer exists
    s.writeText("CDMSFilter", "edDept", "IMDEPT in (3,x");
    auto form = makeForm({"UPDATE"});
    EXPECT_EQ(child<QLineEdit>(*form, "edFLC")->text(), "IMFLCD in (12,15)");
    EXPECT_EQ(child<QLineEdit>(*form, "edDept")->text(), "");
    ASSERT_EQ(m_prompter.shown.size(), 1);
    EXPECT_TRUE(m_prompter.shown[0].contains("CDMSFilter/edDept=IMDEPT in (3,x"));
    EXPECT_TRUE(child<QTimer>(*form, "Timer1")->isActive());
    // Only the user's Apply writes the filter: the show steps (and a night's
    // run, whose code tables may be empty) leave the saved one as it was.
    EXPECT_EQ(s.readText("CDMSFilter", "edFLC"), "IMFLCD in (12,77,15)");
    // Refresh Tables restores the two codes once each.
    form->refreshTables();
    EXPECT_EQ(child<QLineEdit>(*form, "edFLC")->text(), "IMFLCD in (12,15)");
    EXPECT_EQ(child<QTableWidget>(*form, "sgFLcodes")->rowCount(), 3);
    EXPECT_EQ(s.readText("CDMSFilter", "edFLC"), "IMFLCD in (12,77,15)");
    auto* apply = child<QPushButton>(*form, "btFilter");
    apply->setEnabled(true);
    apply->click();
    EXPECT_EQ(s.readText("CDMSFilter", "edFLC"), "IMFLCD in (12,15)");
}

TEST_F(MainWindowTest, AnUnreachableHostLeavesTheSavedFilterAsItWas)
{
    const Settings s(m_home.file("INVSIG.INI"));
    s.writeText("CDMSFilter", "edFLC", "IMFLCD in (12)");
    s.writeText("Transfer", "Host", "GONE400");
    QFile f(m_home.file("INVSIG.INI"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    auto form = makeForm();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

TEST_F(MainWindowTest, DataBoundControlsFollowTheViewsCurrentRow)
{
    m_home.insert(m_home.file("hosts/TESTSYS/CO01DATA.db"), "U4ITMMR",
                  {{"100", "BETA", 10, 100, "", ""}, {"200", "ALPHA", 10, 100, "", ""}});
    auto form = makeForm();
    form->session().itemView.refresh();
    MemoryView& items = form->session().itemView;
    ASSERT_EQ(items.recordCount(), 2);
    ASSERT_TRUE(items.findKey({"BETA"}));
    // The value follows at once; the screen when the message loop runs.
    EXPECT_EQ(child<DbEdit>(*form, "DBEItem")->value().trimmed(), "100");
    QCoreApplication::processEvents();
    EXPECT_EQ(child<DbEdit>(*form, "DBEItem")->text().trimmed(), "100");
    EXPECT_EQ(child<DataGrid>(*form, "ItemGrid")->currentIndex().row(), 1);
    // Choosing a grid row moves the view.
    child<DataGrid>(*form, "ItemGrid")->selectRow(0);
    EXPECT_EQ(items.text("IMPROD").trimmed(), "200");
    // Controls on a hidden tab catch up when it is shown.
    MemoryView& hazard = form->session().hazardView;
    EXPECT_FALSE(child<DbEdit>(*form, "DBEdit1")->isVisible());
    child<QTabWidget>(*form, "PageControl1")->setCurrentWidget(child<QWidget>(*form, "TabSheet4"));
    QCoreApplication::processEvents();
    EXPECT_EQ(child<DbEdit>(*form, "DBEdit1")->text(), hazard.text("HZPROD"));
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
    EXPECT_TRUE(m_prompter.shown[0].startsWith(
        "Connecting\nDRIVER=Embedded host\nSYSTEM=GONE400\nUID=QUSER\nPWD=********\n"))
        << m_prompter.shown[0].toStdString();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(child<QAction>(*form, "RefreshTables1")->isEnabled());
    EXPECT_TRUE(child<QAction>(*form, "setup1")->isEnabled());
    EXPECT_FALSE(form->session().itemView.isOpen());
}

} // namespace
