#include "sources/cdms/CdmsRetrieval.h"
#include "host/HostTables.h"
#include "settings/Settings.h"
#include "sources/DotList.h"
#include "sources/cdms/CdmsFileLibrary.h"
#include "support/RecordingRunUi.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

const char* const DataSet = R"(<?xml version="1.0" encoding="UTF-8"?>
<cdms>
  <placard code="9" text="CLASS 9, MISCELLANEOUS"/>
  <placard code="3" text="FLAMMABLE"/>
  <product name="ATRAZINE 4L" epa="100-497" manufacturer="Vantor" common="atrazine">
    <dot placard="9">UN3082, ENVIRONMENTALLY HAZARDOUS SUBSTANCE, LIQUID, N.O.S.</dot>
    <dot placard="3">second description</dot>
  </product>
  <product name="AXVALO XL" epa="100-1255" manufacturer="Vantor" common="pinoxaden">
    <state>mn </state><state>IA</state>
    <dot placard="None Offered">NOT REGULATED</dot>
  </product>
  <product name="BIRCHEX II" epa="100-817" manufacturer="Vantor" common="s-metolachlor">
    <state>IA</state>
    <dot>only in Iowa</dot>
  </product>
  <product name="O'BRIEN'S &amp; SON" epa="1-2" manufacturer="O'Brien &amp; Co" common="2,4-D">
    <dot placard="KEEP AWAY, FOOD">UN2902, PESTICIDE</dot>
  </product>
  <product name="GHOST" epa="9-9" manufacturer="Nobody" common="none" listed-only="true">
    <dot placard="9">never read</dot>
  </product>
  <product name="NODOT" epa="5-5" manufacturer="Maker" common="water"/>
  <product name="2,4-D AMINE" epa="34704-120" manufacturer="Tillstone" common="2,4-D">
    <dot placard="none offered">UN3082</dot>
  </product>
</cdms>
)";

class CdmsRetrievalTest : public ::testing::Test {
protected:
    void SetUp() override { write("products.xml", DataSet); }
    void write(const QString& name, const QByteArray& text)
    {
        QFile f(QDir(m_folder.path()).filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(text);
    }
    QStringList row(int r) const
    {
        QStringList cells;
        for (int c = 0; c < DotList::Columns; ++c)
            cells << m_list.cell(r, c);
        return cells;
    }
    void retrieve()
    {
        CdmsFileLibrary library(m_folder.path());
        CdmsRetrieval(m_session, m_list, m_buffer, library).run(m_ui);
    }

    QTemporaryDir m_folder;
    HostTables m_session; // not connected: the state code falls back to MN
    DotList m_list;
    QStringList m_buffer;
    RecordingRunUi m_ui;
};

TEST_F(CdmsRetrievalTest, FillsOneRowPerProductOfTheState)
{
    retrieve();
    EXPECT_TRUE(m_ui.prompts.shown.isEmpty()) << m_ui.prompts.shown.join("|").toStdString();
    EXPECT_EQ(row(0), QStringList({" ", "ID", "Name", "Common Name", "EPA Number", "Manufacturer",
                                   "Placard", "DOT Text"}));
    ASSERT_EQ(m_list.productCount(), 6);
    EXPECT_EQ(m_list.rowCount(), 7);
    EXPECT_EQ(row(1), QStringList({"1", "ATRAZINE 4L", "ATRAZINE 4L", "atrazine", "100-497",
                                   "Vantor", "CLASS 9",
                                   "UN3082, ENVIRONMENTALLY HAZARDOUS SUBSTANCE, LIQUID, N.O.S."}));
    // "None Offered" in any case is no placard; a blank keeps the cell.
    EXPECT_EQ(row(2), QStringList({"2", "AXVALO XL", "AXVALO XL", "pinoxaden", "100-1255", "Vantor",
                                   " ", "NOT REGULATED"}));
    // GHOST: the names library cannot resolve it: number, ID and name only.
    EXPECT_EQ(row(3), QStringList({"3", "GHOST", "GHOST", "", "", "", "", ""}));
    // NODOT: no DOT record: placard and DOT text stay empty.
    EXPECT_EQ(row(4), QStringList({"4", "NODOT", "NODOT", "water", "5-5", "Maker", "", ""}));
    // Apostrophes and ampersands come back; a placard text is cut at its first comma.
    EXPECT_EQ(row(5), QStringList({"5", "O'BRIEN'S & SON", "O'BRIEN'S & SON", "2,4-D", "1-2",
                                   "O'Brien & Co", "KEEP AWAY", "UN2902, PESTICIDE"}));
    EXPECT_EQ(row(6), QStringList({"6", "2,4-D AMINE", "2,4-D AMINE", "2,4-D", "34704-120",
                                   "Tillstone", " ", "UN3082"}));
    EXPECT_EQ(m_ui.statuses,
              QStringList({"Retrieving CDMS DOT xml list...", "Parsing CDMS DOT xml list...",
                           "CDMS DOT list completed"}));
    EXPECT_EQ(m_ui.events, QStringList({"beginBusy", "endBusy"}));
}

TEST_F(CdmsRetrievalTest, RawListsAreTakenAsTheyStand)
{
    write("list-A.xml",
          "<x><row Product=\"ATRAZINE 4L\" EPA=\"A&amp;apos;B\" Manufacturer=\"M&amp;amp;N\"/>\n"
          "<row Product=\"AXVALO XL\" EPA=\"line\none\" Manufacturer=\"it's\"/>\n"
          "<row Product=\"GHOST\"/>\n<rows/>\n</x>");
    write("list-B.xml", "<note it's>here'/><row Product=\"BIRCHEX II\" EPA=\"e\"/>");
    for (const char* empty : {"list-G.xml", "list-N.xml", "list-O.xml", "list-2.xml"})
        write(empty, "");
    retrieve();
    ASSERT_EQ(m_list.productCount(), 5) << m_buffer.join("\n").toStdString();
    EXPECT_EQ(m_list.cell(1, DotList::Epa), "A&apos;B");     // apostrophes before ampersands
    EXPECT_EQ(m_list.cell(1, DotList::Manufacturer), "M&N"); // doubly escaped: one ampersand
    EXPECT_EQ(m_list.cell(2, DotList::Epa), "line one");     // a line break inside a value
    EXPECT_EQ(m_list.cell(3, DotList::Id), "GHOST");
    // "<rows" counts as a product line; without a Product attribute its cells are blank.
    EXPECT_EQ(row(4), QStringList({"4", " ", " ", "", "", "", "", ""}));
    // The literal apostrophe in list B opened a run: the '>' inside it did not split.
    EXPECT_TRUE(m_buffer.contains("<note it's>here'/")) << m_buffer.join("\n").toStdString();
    EXPECT_EQ(m_list.cell(5, DotList::Id), "BIRCHEX II");
}

TEST_F(CdmsRetrievalTest, NamesWithQuotesAndAngleBracketsAreImported)
{
    // The data set writes them as references; the product is found by its
    // real name, so its row is whole and the update run writes it.
    write("products.xml", R"(<cdms><placard code="9" text="CLASS 9"/>
  <product name="SPRAYMAX 2.5&quot; NOZZLE" epa="7-7" manufacturer="Bio &quot;Green&quot; &lt;Co&gt;"
           common="water"><dot placard="9">UN3082</dot></product>
  <product name="S&lt;1&gt; &#x00C9;TOILE" epa="8-8" manufacturer="M" common="c">
    <dot placard="9">UN1993</dot></product></cdms>)");
    retrieve();
    ASSERT_EQ(m_list.productCount(), 2);
    EXPECT_EQ(row(1), QStringList({"1", "SPRAYMAX 2.5\" NOZZLE", "SPRAYMAX 2.5\" NOZZLE", "water",
                                   "7-7", "Bio \"Green\" <Co>", "CLASS 9", "UN3082"}));
    EXPECT_EQ(row(2), QStringList({"2", "S<1> \u00c9TOILE", "S<1> \u00c9TOILE", "c", "8-8", "M",
                                   "CLASS 9", "UN1993"}));
}

TEST_F(CdmsRetrievalTest, MissingAttributesGiveBlankCells)
{
    write("list-A.xml", "<row Product=\"ATRAZINE 4L\"/>");
    retrieve();
    EXPECT_EQ(row(1),
              QStringList({"1", "ATRAZINE 4L", "ATRAZINE 4L", "atrazine", " ", " ", "CLASS 9",
                           "UN3082, ENVIRONMENTALLY HAZARDOUS SUBSTANCE, LIQUID, N.O.S."}));
}

TEST_F(CdmsRetrievalTest, ASecondRetrievalReplacesALongerFirstOne)
{
    retrieve();
    ASSERT_EQ(m_list.rowCount(), 7);
    write("list-A.xml", "");
    write("list-G.xml", "");
    write("list-N.xml", "");
    write("list-O.xml", "");
    write("list-2.xml", "<row Product=\"2,4-D AMINE\"/>");
    retrieve();
    EXPECT_EQ(m_list.rowCount(), 2);
    EXPECT_EQ(m_list.cell(1, DotList::Id), "2,4-D AMINE");
}

// The names and DOT libraries of one connection read the data set once: both
// see the file as the first connected found it; once both have let go, a new
// connection reads the file again.
TEST_F(CdmsRetrievalTest, NamesAndDotLibrariesShareOneReadingOfTheDataSet)
{
    CdmsFileLibrary library(m_folder.path());
    auto names = library.createNames();
    names->Connect();
    QByteArray changed = DataSet;
    changed.replace("second description", "changed later");
    write("products.xml", changed);
    auto dot = library.createDot();
    dot->Connect();
    const auto entry = names->Item(QStringLiteral("ATRAZINE 4L"));
    EXPECT_EQ(dot->Item(*entry)->description(2).dotText(), "second description");
    names->Disconnect();
    dot->Disconnect();
    dot->Connect();
    EXPECT_EQ(dot->Item(*entry)->description(2).dotText(), "changed later");
}

TEST_F(CdmsRetrievalTest, AnUnreachableLibraryLeavesTheListUnchanged)
{
    retrieve();
    const QStringList before = row(1);
    QFile::remove(QDir(m_folder.path()).filePath("products.xml"));
    m_ui.events.clear();
    retrieve();
    EXPECT_EQ(m_ui.prompts.shown, QStringList({"Unable to connect to CDMS System"}));
    EXPECT_EQ(m_ui.events, QStringList({"beginBusy", "endBusy", "update-off"}));
    EXPECT_EQ(row(1), before);
    EXPECT_EQ(m_list.rowCount(), 7);
    write("products.xml", "<cdms><product name=");
    retrieve();
    EXPECT_EQ(m_ui.prompts.shown.size(), 2);
}

TEST(CdmsStateCode, ComesFromCompanyConstantsRowOne)
{
    ScopedEnv driver("ZELVARO_HOST_DRIVER", "embedded");
    TestHome home;
    const QString lib = home.createLibrary();
    home.writeSettings();
    home.insert(lib, "U4CONST", {{2, "OTHER", "FARGO", "ND"}, {1, "MAIN", "AMES", "IA"}});
    HostTables session;
    struct : ConnectUi {
        void message(const QString&) override {}
    } ui;
    ASSERT_TRUE(session.connect(Settings(home.file("INVSIG.INI")), ui));
    DotList list;
    QStringList buffer;
    CdmsFileLibrary library(home.file("none"));
    CdmsRetrieval retrieval(session, list, buffer, library);
    EXPECT_EQ(retrieval.stateCode(), "IA");
    home.exec(lib, {"DELETE FROM U4CONST WHERE C4LC = 1"});
    session.constView.close();
    session.constQuery.close();
    EXPECT_EQ(retrieval.stateCode(), "MN");
}

} // namespace
