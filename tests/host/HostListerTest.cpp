#include "host/HostLister.h"
#include "common/Error.h"
#include "host/EmbeddedProgramJob.h"
#include "host/HostText.h"
#include "host/OdbcProgramJob.h"
#include "host/UserSpace.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QFile>
#include <gtest/gtest.h>
#include <random>

using namespace zelvaro;
using namespace zelvaro::test;
namespace us = zelvaro::userspace;

namespace {

TEST(HostText, TextIsReadAndWrittenInTheCcsidTheHostNames)
{
    const struct {
        int ccsid;
        const char* bytes; // "Größe Ä"
    } cases[] = {{37, "\xC7\x99\xCC\x59\x85\x40\x63"},
                 {273, "\xC7\x99\x6A\xA1\x85\x40\x4A"},
                 {1141, "\xC7\x99\x6A\xA1\x85\x40\x4A"}};
    for (const auto& c : cases) {
        const QByteArray bytes(c.bytes);
        EXPECT_EQ(hosttext::decode(bytes.constData(), bytes.size(), c.ccsid),
                  QString::fromUtf8("Gr\u00f6\u00dfe \u00c4"))
            << c.ccsid;
        EXPECT_EQ(
            hosttext::encodeFixed(QString::fromUtf8("Gr\u00f6\u00dfe \u00c4"), 9, c.ccsid, "x"),
            bytes + "\x40\x40")
            << c.ccsid;
    }
    EXPECT_THROW(hosttext::encodeFixed("ABCDE", 4, 37, "x"), HostError);
    EXPECT_THROW(hosttext::encodeFixed(QString::fromUtf8("\u20ac"), 4, 37, "x"), HostError);
    // A CCSID not known here is named, never read as 37.
    for (int ccsid : {65535, 4242, 0}) {
        try {
            hosttext::decode("\xC1", 1, ccsid);
            ADD_FAILURE() << ccsid << " decoded";
        } catch (const HostError& e) {
            EXPECT_TRUE(e.text().contains(QString("CCSID %1").arg(ccsid)))
                << e.text().toStdString();
        }
    }
}

QByteArray fieldSpace(int fields, int entrySize = us::FieldEntrySize)
{
    std::vector<QByteArray> entries;
    for (int i = 0; i < fields; ++i) {
        us::FieldEntry f;
        f.name = QString("F%1").arg(i);
        f.headings[0] = "Head";
        f.headings[1] = QString::number(i);
        entries.push_back(us::fieldEntry(f, 37).leftJustified(entrySize, char(0)).left(entrySize));
    }
    return us::buildList("FLDL0100", "QUSLFLD", QByteArray(30, char(0x40)), entrySize, entries, 37);
}

TEST(UserSpace, DecodingChecksEverythingTheSpaceSays)
{
    const QByteArray good = fieldSpace(2);
    ASSERT_EQ(us::fieldHeadingLines(good), QStringList({"F0=Head 0 ", "F1=Head 1 "}));
    EXPECT_TRUE(us::fieldHeadingLines(fieldSpace(0)).isEmpty());
    EXPECT_EQ(us::fieldHeadingLines(fieldSpace(1, 700)), QStringList({"F0=Head 0 "}));
    EXPECT_EQ(us::objectNames(us::buildList("OBJL0100", "QUSLOBJ", {}, 30,
                                            {us::objectEntry("CO01DATA", "QSYS", "*LIB", 37)}, 37)),
              QStringList({"CO01DATA  "}));

    auto with = [&](int offset, qint32 value) {
        QByteArray d = good;
        us::writeInt(d, offset, value);
        return d;
    };
    QByteArray incomplete = good;
    incomplete[us::InformationStatus] = char(0xC9); // "I"
    const struct {
        const char* name;
        QByteArray data;
        const char* says;
    } bad[] = {
        {"status I", incomplete, "incomplete"},
        {"other format", us::buildList("OBJL0100", "QUSLOBJ", {}, 30, {}, 37), "format OBJL0100"},
        {"entry smaller than the layout", with(us::EntrySize, 100), "entries of 100 bytes"},
        {"negative entry size", with(us::EntrySize, -5), "entries of -5"},
        {"negative count", with(us::EntryCount, -1), "-1 entries"},
        {"count past the data", with(us::EntryCount, 1000000), "past the"},
        {"huge count and size", with(us::EntrySize, 0x7fffffff), "past the"},
        {"list inside the header", with(us::ListOffset, 10), "inside the header"},
        {"list offset past the data", with(us::ListOffset, 0x7ffffff0), "past the"},
        {"truncated", good.left(good.size() - 1), "past the"},
        {"shorter than a header", good.left(100), "fewer than its header"},
    };
    for (const auto& c : bad) {
        try {
            us::fieldHeadingLines(c.data);
            ADD_FAILURE() << c.name << ": decoded";
        } catch (const HostError& e) {
            EXPECT_TRUE(e.text().contains(c.says)) << c.name << ": " << e.text().toStdString();
        }
    }
}

TEST(UserSpace, RandomDamageGivesEntriesOrTheListErrorNothingElse)
{
    const QByteArray good = fieldSpace(5);
    std::mt19937 rng(12345);
    int decoded = 0, refused = 0;
    for (int round = 0; round < 20000; ++round) {
        QByteArray d = good;
        const int changes = 1 + int(rng() % 6);
        for (int k = 0; k < changes; ++k) {
            // Mostly the header's integers, where damage matters.
            const int at = rng() % 3 ? 100 + int(rng() % 60) : int(rng() % d.size());
            d[at] = char(rng());
        }
        if (rng() % 8 == 0) d.truncate(int(rng() % d.size()));
        try {
            decoded += us::fieldHeadingLines(d).size() >= 0;
        } catch (const HostError&) {
            ++refused;
        }
    }
    EXPECT_EQ(decoded + refused, 20000);
    EXPECT_GT(refused, 0);
}

TEST(OdbcProgramJob, CallsCarryLiteralsOfTheApisTypes)
{
    std::vector<ProgramParameter> p{ProgramParameter::qualified("name", "OBJLIST", "QTEMP"),
                                    ProgramParameter::chars("attributes", 10, ""),
                                    ProgramParameter::int4("size", 11264),
                                    ProgramParameter::byte("value", 0),
                                    ProgramParameter::chars("authority", 10, "*ALL"),
                                    ProgramParameter::chars("description", 20, "O'NEIL'S LIST")};
    EXPECT_EQ(OdbcProgramJob::callText("QUSCRTUS", p),
              "CALL QSYS.QUSCRTUS('OBJLIST   QTEMP     ', '          ', 11264, X'00', "
              "'*ALL      ', 'O''NEIL''S LIST       ')");
    EXPECT_EQ(OdbcProgramJob::retrieveText("OBJLIST   QTEMP     ", 1, 11264),
              "SELECT SUBSTR(DATA_BINARY, 1, 11264) FROM TABLE(QSYS2.USER_SPACE(USER_SPACE => "
              "'OBJLIST', USER_SPACE_LIBRARY => 'QTEMP'))");
    // Longer than the field: refused, never cut.
    EXPECT_THROW(ProgramParameter::qualified("file", "U4ITMMRXXXX", "CO01DATA"), HostError);
    std::vector<ProgramParameter> tooLong{ProgramParameter::chars("format", 8, "FLDL01000")};
    EXPECT_THROW(OdbcProgramJob::callText("QUSLFLD", tooLong), HostError);
}

// Counts the programs called and can fail them.
class CountingJob : public ProgramJob {
public:
    CountingJob(std::unique_ptr<ProgramJob> inner, QStringList& calls, const QString& failing)
        : m_inner(std::move(inner)), m_calls(calls), m_failing(failing)
    {
    }
    void call(const QString& program, std::vector<ProgramParameter>& parameters) override
    {
        m_calls << program;
        if (program == m_failing)
            throw HostCallError("CPF9999 - failed on purpose", -443,
                                {"CPF9999 - failed on purpose", "CPF0001 - second message"});
        m_inner->call(program, parameters);
    }

private:
    std::unique_ptr<ProgramJob> m_inner;
    QStringList& m_calls;
    QString m_failing;
};

class HostListerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* lib : {"CO01DATA", "CO02DATA", "CODATA", "CO03DATAX", "ABDATA", "COSTUFF"})
            m_home.createLibrary("TESTSYS", lib);
        m_link.setJobFactory([this](const QString& system) {
            ++m_jobs;
            std::unique_ptr<ProgramJob> inner = std::make_unique<EmbeddedProgramJob>(
                EmbeddedSystem(m_home.file("hosts/" + system)));
            if (!QFile::exists(m_home.file("hosts/" + system)))
                throw HostError("CWBCO1003 - Host system " + system + " was not found.");
            return std::make_unique<CountingJob>(std::move(inner), m_calls, m_failing);
        });
    }
    ScopedEnv m_driver{"ZELVARO_HOST_DRIVER", QStringLiteral("embedded")};
    TestHome m_home;
    ScriptedPrompter m_prompter;
    HostLister m_link{m_prompter};
    QStringList m_calls;
    QString m_failing;
    int m_jobs = 0;
};

TEST_F(HostListerTest, LibraryListKeepsTheDataLibrariesAndSelectsOnlyAnExactMatch)
{
    ChoiceList systems;
    m_link.loadSystemNames(systems, "TESTSYS");
    // The system folders, then the data sources not among them.
    EXPECT_EQ(systems.entries, odbcTestHome().isEmpty()
                                   ? QStringList({"TESTSYS"})
                                   : QStringList({"TESTSYS", "Prod Host 7.5", "BROKEN"}));
    EXPECT_EQ(systems.selected, 0);
    const struct {
        const char* wanted;
        int selected;
    } cases[] = {{"CO02DATA", 1}, {"", -1}, {"co02data", -1}, {"NOPE", -1}};
    for (const auto& c : cases) {
        ChoiceList libraries;
        libraries.editText = "typed";
        m_calls.clear();
        m_link.loadLibraryList(libraries, c.wanted);
        EXPECT_EQ(libraries.entries, QStringList({"CO01DATA", "CO02DATA", "CODATA"}));
        EXPECT_EQ(libraries.selected, c.selected) << c.wanted;
        EXPECT_EQ(libraries.editText, "typed");
        EXPECT_EQ(m_calls, QStringList({"QUSCRTUS", "QUSLOBJ", "QUSRTVUS", "QUSDLTUS"}));
        EXPECT_FALSE(m_link.listSpaceReady());
    }
    EXPECT_TRUE(m_prompter.shown.isEmpty()) << m_prompter.shown.join("\n").toStdString();
}

TEST_F(HostListerTest, GridTitlesFollowTheRulesAndOneSpaceServesAConnect)
{
    ChoiceList hidden;
    QStringList titles{"IMPROD", "IMDESC", "", "Nothing like it", "IMASUB"};
    m_link.setGridTitles("U4ITMMR", "CO01DATA", titles, hidden, "TESTSYS");
    EXPECT_EQ(titles, QStringList({"Item Number ", "Item Description ", "", "Nothing like it",
                                   "EPA Registration Number"}));
    // Titles already replaced match their own line again.
    m_link.setGridTitles("U4ITMMR", "CO01DATA", titles, hidden, "TESTSYS");
    EXPECT_EQ(titles[0], "Item Number ");
    QStringList hazard{"HZPROD"};
    m_link.setGridTitles("U4ITHZD", "CO01DATA", hazard, hidden, "TESTSYS");
    m_link.setGridTitles("", "CO01DATA", hazard, hidden, "TESTSYS");
    EXPECT_EQ(m_calls.count("QUSCRTUS"), 1);
    EXPECT_EQ(m_calls.count("QUSDLTUS"), 1);
    EXPECT_EQ(m_jobs, 1);
    EXPECT_TRUE(m_prompter.shown.isEmpty()) << m_prompter.shown.join("\n").toStdString();
}

TEST_F(HostListerTest, FailedCallsAreReportedWithTheCallsMessagesAndTheLinkGoesOn)
{
    ChoiceList systems;
    m_link.loadSystemNames(systems, "TESTSYS");
    m_failing = "QUSLOBJ";
    ChoiceList libraries;
    m_link.loadLibraryList(libraries, "");
    ASSERT_EQ(m_prompter.reports.size(), 2); // the listing, then reading a space with no list
    EXPECT_TRUE(m_prompter.reports[0].hasCallInfo);
    EXPECT_EQ(m_prompter.reports[0].returnCode, -443);
    EXPECT_EQ(m_prompter.reports[0].messages,
              QStringList({"CPF9999 - failed on purpose", "CPF0001 - second message"}));
    EXPECT_EQ(m_prompter.shown[1], "CPF9999 - failed on purpose"); // then the message box
    EXPECT_EQ(m_calls.last(), "QUSDLTUS");                         // every step ran
    EXPECT_FALSE(m_link.listSpaceReady());
}

TEST_F(HostListerTest, AnUnreachableSystemIsTriedOnceAndReportedOnceAnAction)
{
    ChoiceList systems;
    m_link.loadSystemNames(systems, "GONE400");
    EXPECT_EQ(systems.editText, "GONE400");
    for (int action = 1; action <= 2; ++action) {
        ChoiceList libraries;
        m_link.loadLibraryList(libraries, "");
        EXPECT_EQ(m_jobs, 1); // one attempt to reach the host, not one per step or action
        // One error window and one message box for the whole listing.
        ASSERT_EQ(m_prompter.reports.size(), size_t(action));
        EXPECT_EQ(m_prompter.shown.size(), action * 2);
        EXPECT_TRUE(m_prompter.reports.back().description.startsWith("CWBCO1003"))
            << m_prompter.reports.back().description.toStdString();
    }
}

TEST_F(HostListerTest, SwitchingSystemsStartsANewJobOnlyWhenTheNameChanges)
{
    ChoiceList systems;
    m_link.loadSystemNames(systems, "TESTSYS");
    m_link.createListSpace();
    EXPECT_TRUE(m_link.listSpaceReady());
    m_link.switchHostSystem("TESTSYS"); // the first switch always rebinds
    EXPECT_FALSE(m_link.listSpaceReady());
    EXPECT_TRUE(m_link.systemSwitched());
    m_link.createListSpace();
    m_link.switchHostSystem("TESTSYS");
    EXPECT_TRUE(m_link.listSpaceReady());
    // A listing of a table with many fields is read past the first 11,264 bytes.
    QStringList lines;
    m_link.listFields("U4ITHZD", "CO01DATA", "U4HZREC");
    m_link.readFieldList(lines);
    EXPECT_EQ(lines.size(), 21);
    EXPECT_EQ(m_calls.count("QUSRTVUS"), 2);
    // A wrong record format is the host's error, reported.
    m_link.listFields("U4ITHZD", "CO01DATA", "WRONGREC");
    ASSERT_FALSE(m_prompter.reports.empty());
    EXPECT_TRUE(m_prompter.reports[0].description.startsWith("CPF3C23"));
}

} // namespace
