// The window as a user at it all day meets it: typing into the position
// edits, adding links, filtering to nothing, reopening views, a reconnect
// that fails, and filter texts the settings file must hold as typed.
#include "common/Text.h"
#include "gui/DataGrid.h"
#include "gui/DbField.h"
#include "gui/MainWindow.h"
#include "host/MemoryViewModel.h"
#include "settings/Settings.h"
#include "support/ScriptedPrompter.h"
#include "support/TestDoubles.h"
#include "support/TestHome.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

class MainWindowUseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_lib = m_home.createLibrary();
        m_home.writeSettings();
        m_home.insert(
            m_lib, "U4ITMMR",
            {{"100", "AAA SPRAYER", 10, 100, "", ""}, {"200", "BBB PAINT", 10, 100, "", ""}});
        m_home.insert(m_lib, "U4CDMSDOT",
                      {{"P2", "AGROMAX", "c", "2-2", "m", "", "T2"},
                       {"P1", "BELTORA", "c", "79469-971", "m", "CLASS 9", "UN3082"},
                       {"P3", "XELTRA", "c", "3-3", "m", "", "T3"},
                       {"P4", "YARROWIN", "c", "4-4", "m", "", "T4"}});
        m_home.insert(m_lib, "U4CDMSXRF", {{"200", "AGROMAX", "P2", "BBB **AGROMAX", "   ", 1.0}});
    }
    std::unique_ptr<MainWindow> makeForm()
    {
        auto form = std::make_unique<MainWindow>(m_prompter, QStringList());
        form->connectHost();
        form->show();
        QTest::qWait(10);
        return form;
    }
    QString cell(const DataGrid* grid, int row, const char* field)
    {
        const MemoryView* v = grid->clientView();
        return trimmed(
            grid->model()->index(row, v->fieldIndex(QString::fromLatin1(field))).data().toString());
    }

    ScopedEnv m_driver{"ZELVARO_HOST_DRIVER", QStringLiteral("embedded")};
    TestHome m_home;
    QString m_lib;
    ScriptedPrompter m_prompter;
};

TEST_F(MainWindowUseTest, LowerCaseTypingAndPastingPositionOnTheUpperCaseText)
{
    auto form = makeForm();
    auto* dotEdit = child<QLineEdit>(*form, "Edit2");
    const struct {
        const char* typed;
        bool paste;
        const char* shown;
        const char* lands;
    } cases[] = {{"xel", false, "XEL", "XELTRA"},
                 {"agro", false, "AGRO", "AGROMAX"},
                 {"bel", true, "BEL", "BELTORA"}};
    for (const auto& c : cases) {
        dotEdit->clear();
        if (c.paste)
            dotEdit->insert(c.typed); // as a paste: the edit validates it
        else
            QTest::keyClicks(dotEdit, c.typed);
        EXPECT_EQ(dotEdit->text(), c.shown) << c.typed;
        EXPECT_EQ(trimmed(form->session().dotView.text("CDNAME")), c.lands) << c.typed;
    }
    auto* itemEdit = child<QLineEdit>(*form, "Edit1");
    QTest::keyClicks(itemEdit, "bbb");
    EXPECT_EQ(trimmed(form->session().itemView.text("IMPROD")), "200");
}

TEST_F(MainWindowUseTest, AnAddShowsTheItemsNewEpaNumberAtOnce)
{
    auto form = makeForm();
    QTest::keyClicks(child<QLineEdit>(*form, "Edit1"), "aaa");
    QTest::keyClicks(child<QLineEdit>(*form, "Edit2"), "bel");
    auto* add = child<QPushButton>(*form, "sbXrefAdd");
    ASSERT_TRUE(add->isEnabled());
    add->click();
    EXPECT_TRUE(m_prompter.shown.isEmpty()) << m_prompter.shown.join("\n").toStdString();
    auto* items = child<DataGrid>(*form, "ItemGrid");
    EXPECT_EQ(cell(items, 0, "IMPROD"), "100");
    EXPECT_EQ(cell(items, 0, "IMASUB"), "79469-971");
    child<QTabWidget>(*form, "PageControl1")->setCurrentIndex(3);
    QTest::qWait(10);
    EXPECT_EQ(trimmed(child<DbText>(*form, "DBText2")->text()), "79469-971");
}

TEST_F(MainWindowUseTest, AFilterThatMatchesNothingEmptiesTheEditsAndDisablesAdd)
{
    auto form = makeForm();
    ASSERT_EQ(trimmed(child<DbEdit>(*form, "DBEItem")->value()), "100");
    child<QTabWidget>(*form, "PageControl1")->setCurrentIndex(2);
    child<QCheckBox>(*form, "cbxName")->click();
    QTest::keyClicks(child<QLineEdit>(*form, "edName"), "zzznothing");
    child<QPushButton>(*form, "btFilter")->click();
    QTest::qWait(10);
    EXPECT_EQ(form->session().itemView.recordCount(), 0);
    EXPECT_EQ(child<DbEdit>(*form, "DBEItem")->text(), "");
    EXPECT_EQ(child<DbEdit>(*form, "DBEItemDesc")->text(), "");
    EXPECT_FALSE(child<QPushButton>(*form, "sbXrefAdd")->isEnabled());
}

TEST_F(MainWindowUseTest, GridColumnsKeepTheirWidthsWhenTheViewsReopen)
{
    auto form = makeForm();
    auto* links = child<DataGrid>(*form, "XrefGrid");
    links->setColumnWidth(3, 237);
    child<QPushButton>(*form, "btRefresh")->click();
    QTest::qWait(10);
    EXPECT_EQ(links->columnWidth(3), 237);
    form->refreshTables();
    QTest::qWait(10);
    EXPECT_EQ(links->columnWidth(3), 237);
}

TEST_F(MainWindowUseTest, AFailedReconnectLeavesNoViewOpenAndTheButtonsOff)
{
    auto form = makeForm();
    ASSERT_TRUE(child<QPushButton>(*form, "btXrefDelete")->isEnabled());
    TestHome::exec(m_lib, {"DROP TABLE U4ITMMR"});
    form->connectHost();
    EXPECT_FALSE(form->session().xrefItemView.isOpen());
    EXPECT_FALSE(form->session().dotView.isOpen());
    for (const char* b : {"btXrefDelete", "btRefresh", "sbXrefAdd"})
        EXPECT_FALSE(child<QPushButton>(*form, b)->isEnabled()) << b;
    EXPECT_TRUE(form->statusText(1).contains("are not open")) << form->statusText(1).toStdString();
}

TEST_F(MainWindowUseTest, AFilterTextComesBackAsTypedOrIsRefused)
{
    const Settings s(m_home.file("INVSIG.INI"));
    {
        auto form = makeForm();
        child<QTabWidget>(*form, "PageControl1")->setCurrentIndex(2);
        child<QCheckBox>(*form, "cbxName")->click();
        QTest::keyClicks(child<QLineEdit>(*form, "edName"), "\"50LB\"");
        child<QPushButton>(*form, "btFilter")->click();
        EXPECT_EQ(s.readText("CDMSFilter", "edName"), "\"50LB\"");
        // Text the file cannot hold: refused, nothing saved or applied.
        auto* name = child<QLineEdit>(*form, "edName");
        name->clear();
        name->insert(QString::fromUtf8("\u4e2d"));
        m_prompter.shown.clear();
        child<QPushButton>(*form, "btFilter")->click();
        ASSERT_EQ(m_prompter.shown.size(), 1);
        EXPECT_TRUE(m_prompter.shown[0].startsWith("The description filter cannot be saved"));
        EXPECT_EQ(s.readText("CDMSFilter", "edName"), "\"50LB\"");
    }
    auto again = makeForm();
    EXPECT_EQ(child<QLineEdit>(*again, "edName")->text(), "\"50LB\"");
}

TEST_F(MainWindowUseTest, EveryControlHasANameAScreenReaderCanRead)
{
    auto form = makeForm();
    QStringList unnamed;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
                             qobject_cast<QAbstractItemView*>(w) || qobject_cast<DbText*>(w);
        // Qt's own inner widgets (tab scrollers, corner buttons) carry no
        // object name and are named by Qt itself.
        if (!control || w->objectName().isEmpty() || w->objectName() == "Memo1" ||
            w->objectName().startsWith("qt_"))
            continue;
        if (qobject_cast<QAbstractItemView*>(w) && w->parentWidget() &&
            qobject_cast<QAbstractItemView*>(w->parentWidget()))
            continue; // a view's own inner widgets
        if (w->accessibleName().trimmed().isEmpty()) unnamed << w->objectName();
    }
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(", ").toStdString();
    EXPECT_EQ(child<QLineEdit>(*form, "Edit1")->accessibleName(), "Position to Item");
    EXPECT_EQ(
        child<QWidget>(*form, "DBNavigator1")->findChild<QPushButton*>("Next")->accessibleName(),
        "Next record (Item Master navigation)");
    // A grid with no rows still names its columns.
    child<QTabWidget>(*form, "PageControl1")->setCurrentIndex(2);
    child<QCheckBox>(*form, "cbxName")->click();
    QTest::keyClicks(child<QLineEdit>(*form, "edName"), "zzznothing");
    child<QPushButton>(*form, "btFilter")->click();
    auto* items = child<DataGrid>(*form, "ItemGrid");
    ASSERT_EQ(items->model()->rowCount(), 0);
    ASSERT_GT(items->model()->columnCount(), 0);
    EXPECT_EQ(items->model()->headerData(0, Qt::Horizontal, Qt::AccessibleTextRole).toString(),
              items->model()->headerData(0, Qt::Horizontal).toString());
    EXPECT_FALSE(items->model()->headerData(0, Qt::Horizontal).toString().isEmpty());
}

} // namespace
