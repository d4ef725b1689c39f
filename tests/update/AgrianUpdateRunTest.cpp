// The update run in Agrian mode against a local service: a lookup that
// fails costs no item its hazard text and keeps the download date; good
// lookups bring the service's values to the DOT table and the items.
#include "common/Text.h"
#include "host/HostTables.h"
#include "settings/Settings.h"
#include "sources/DotList.h"
#include "sources/agrian/AgrianLookup.h"
#include "sources/agrian/AgrianRequest.h"
#include "support/RecordingRunUi.h"
#include "support/TestDoubles.h"
#include "support/TestHome.h"
#include "update/UpdateRun.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

const QDate Retrieved(2026, 3, 2);
const QDateTime EarlierDate(QDate(2026, 1, 5), QTime(0, 0));

QByteArray regulatory(const char* common, const char* dot, const char* placard)
{
    return QStringLiteral("<?xml version=\"1.0\"?><response><agrian_product>"
                          "<chemicals><c><chemical_description>%1</chemical_description></c>"
                          "</chemicals><dot_description><d><description>%2</description>"
                          "<placard_text>%3</placard_text></d></dot_description>"
                          "</agrian_product></response>")
        .arg(common, dot, placard)
        .toUtf8();
}

class AgrianUpdateRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("AGRIAN_TEST_GOOD"))
            GTEST_SKIP() << "run by agrian_request.sh";
        QDir answers(qEnvironmentVariable("AGRIAN_REGULATORY"));
        for (const QString& f : answers.entryList(QDir::Files))
            answers.remove(f);
        m_lib = m_home.createLibrary();
        m_home.writeSettings();
        m_home.insert(m_lib, "U4ITMMR",
                      {{"I1", "ITEM ONE", 10, 100, "1-1", ""},
                       {"I2", "ITEM TWO", 10, 100, "1-1", ""},
                       {"I4", "ITEM FOUR", 10, 100, "", ""}});
        m_home.insert(m_lib, "U4CDMSDOT",
                      {{"P1", "PROD ONE", "OLD COMMON", "1-1", "MAKER", "OLDPLAC", "OLD TEXT"},
                       {"P3", "PROD THREE", "C3", "3-3", "M3", "KEEP", "KEEP TEXT"}});
        m_home.insert(m_lib, "U4CDMSXRF",
                      {{"I1", "PROD ONE", "P1", "ITEM ONE **PROD ONE", "   ", 1.0},
                       {"I2", "PROD ONE", "P1", "ITEM TWO **PROD ONE", "   ", 1.0},
                       {"I4", "PROD FIVE", "P5", "ITEM FOUR **PROD FIVE", "   ", 1.0}});
        m_home.insert(m_lib, "U4ITHZD",
                      {{"I1", "OLD TEXT", "", "", "OLDPLAC", 0.0, " "},
                       {"I2", "OLD TEXT", "", "", "OLDPLAC", 0.0, " "}});
        m_settings.writeDateTime("Agrian", "DownloadDate", EarlierDate);
        SilentConnect ui;
        ASSERT_TRUE(m_session.connect(m_settings, ui));
        m_ui.agrian = true;
        m_list.setRetrievalDate(Retrieved);
    }
    // A row as the changed-product retrieval makes it: no placard, no DOT text.
    void listed(const QString& id, const QString& name)
    {
        const int n = m_list.addProduct();
        for (const QString& c : {QString::number(n), id, name, name, QStringLiteral("9-9"),
                                 QStringLiteral("MAKER"), QString(), QString()})
            m_list.append(n, c);
    }
    void serve(const QString& id, const QByteArray& body)
    {
        QFile f(QDir(qEnvironmentVariable("AGRIAN_REGULATORY")).filePath(id + ".xml"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(body);
    }
    void run()
    {
        UpdateRun update(m_session, m_list, m_counters);
        update.setAgrianLookup([this](const QString& id, int row, bool write) {
            return m_lookup.refresh(id, row, write);
        });
        ASSERT_EQ(update.run(m_ui), UpdateRun::Outcome::Done);
    }
    QString value(const QString& column, const QString& table, const QString& where)
    {
        return trimmed(
            m_session.connection
                .query("Select " + column + " from \"CO01DATA\".\"" + table + "\" Where " + where)
                ->text(0, 0));
    }
    QString dot(const QString& column, const QString& id)
    {
        return value(column, "U4CDMSDOT", "CDITEM = '" + id + "'");
    }
    QString hazard(const QString& column, const QString& item)
    {
        return value(column, "U4ITHZD", "HZPROD = '" + item + "'");
    }
    QDateTime downloadDate() const
    {
        return m_settings.readDateTime("Agrian", "DownloadDate", QDateTime());
    }

    ScopedEnv m_driver{"ZELVARO_HOST_DRIVER", QStringLiteral("embedded")};
    TestHome m_home;
    ScopedEnv m_url{"ZELVARO_AGRIAN_URL", qEnvironmentVariable("AGRIAN_TEST_GOOD")};
    Settings m_settings{m_home.file("INVSIG.INI")};
    QString m_lib;
    HostTables m_session;
    DotList m_list;
    UpdateCounters m_counters;
    RecordingRunUi m_ui;
    AgrianRequest m_request;
    AgrianLookup m_lookup{m_session, m_list, m_request, m_ui.prompts};
};

TEST_F(AgrianUpdateRunTest, AFailingLookupKeepsTheDotRowTheHazardLinesAndTheDate)
{
    const struct {
        const char* name;
        QByteArray answer; // empty: not served (404)
    } cases[] = {{"service error status", {}},
                 {"an error document", "<error>unknown product</error>"},
                 {"a truncated answer", regulatory("X", "NEW", "P").left(60)}};
    for (const auto& c : cases) {
        m_list.reset();
        m_list.setRetrievalDate(Retrieved);
        m_ui.prompts.shown.clear();
        if (!c.answer.isEmpty()) serve("P1", c.answer);
        listed("P1", "PROD ONE");
        listed("P3", "PROD THREE");
        run();
        ASSERT_GE(m_ui.prompts.shown.size(), 3) << c.name;
        EXPECT_TRUE(m_ui.prompts.shown[0].startsWith("Post failed. ")) << c.name;
        EXPECT_TRUE(m_ui.prompts.shown.last().startsWith("DOT Records")) << c.name;
        EXPECT_EQ(dot("CDDOTTXT", "P1"), "OLD TEXT") << c.name;
        EXPECT_EQ(dot("CDPLAC", "P1"), "OLDPLAC") << c.name;
        EXPECT_EQ(dot("CDCNAME", "P1"), "OLD COMMON") << c.name;
        EXPECT_EQ(dot("CDEPA#", "P1"), "9-9") << c.name; // the list's own value still goes in
        for (const char* item : {"I1", "I2"}) {
            EXPECT_EQ(hazard("HZDS1", item), "OLD TEXT") << c.name << " " << item;
            EXPECT_EQ(hazard("HZCLAS", item), "OLDPLAC") << c.name << " " << item;
        }
        EXPECT_EQ(downloadDate(), EarlierDate) << c.name;
    }
}

TEST_F(AgrianUpdateRunTest, GoodLookupsBringTheValuesAndAdvanceTheDateOfTheRetrieval)
{
    // A one-product list: its items get the looked-up text too.
    serve("P1", regulatory("glyphosate", "UN3082 NEW TEXT", "CLASS 9"));
    listed("P1", "PROD ONE");
    run();
    ASSERT_EQ(m_ui.prompts.shown.size(), 1) << m_ui.prompts.shown.join("\n").toStdString();
    EXPECT_EQ(dot("CDDOTTXT", "P1"), "UN3082 NEW TEXT");
    EXPECT_EQ(dot("CDPLAC", "P1"), "CLASS 9");
    EXPECT_EQ(dot("CDCNAME", "P1"), "GLYPHOSATE");
    for (const char* item : {"I1", "I2"}) {
        EXPECT_EQ(hazard("HZDS1", item), "UN3082 NEW TEXT") << item;
        EXPECT_EQ(hazard("HZCLAS", item), "CLASS 9") << item;
    }
    EXPECT_EQ(value("IMASUB", "U4ITMMR", "IMPROD = 'I1'"), "9-9");
    EXPECT_EQ(downloadDate(), QDateTime(Retrieved, QTime(0, 0)));

    // A list that did not come from a complete retrieval moves no date.
    m_settings.writeDateTime("Agrian", "DownloadDate", EarlierDate);
    m_list.setRetrievalDate(QDate());
    m_ui.prompts.shown.clear();
    run();
    EXPECT_EQ(downloadDate(), EarlierDate);
}

TEST_F(AgrianUpdateRunTest, AProductTheHostRefusedKeepsTheDate)
{
    serve("P1", regulatory("glyphosate", "UN3082 NEW TEXT", "CLASS 9"));
    listed("P1", "PROD ONE");
    listed("P7", QString(60, 'N')); // wider than CDNAME: the insert is refused
    run();
    EXPECT_TRUE(m_ui.prompts.shown.last().contains("Products not written 'P7',"))
        << m_ui.prompts.shown.last().toStdString();
    EXPECT_EQ(dot("CDDOTTXT", "P1"), "UN3082 NEW TEXT");
    EXPECT_EQ(downloadDate(), EarlierDate); // the next run lists P7 again
}

TEST_F(AgrianUpdateRunTest, ANewProductIsLookedUpByItsListIdAndOneWithoutItemsKeepsItsText)
{
    serve("P5", regulatory("atrazine", "UN2763 FIVE", "POISON"));
    listed("P3", "PROD THREE"); // no cross reference: no lookup
    listed("P5", "PROD FIVE");  // no DOT row before the run
    run();
    ASSERT_EQ(m_ui.prompts.shown.size(), 1) << m_ui.prompts.shown.join("\n").toStdString();
    EXPECT_TRUE(m_ui.prompts.shown[0].startsWith("DOT Records\n  Added - 1\n  Updated - 1\n"))
        << m_ui.prompts.shown[0].toStdString();
    EXPECT_EQ(dot("CDDOTTXT", "P3"), "KEEP TEXT");
    EXPECT_EQ(dot("CDPLAC", "P3"), "KEEP");
    EXPECT_EQ(dot("CDDOTTXT", "P5"), "UN2763 FIVE");
    EXPECT_EQ(dot("CDPLAC", "P5"), "POISON");
    EXPECT_EQ(dot("CDCNAME", "P5"), "ATRAZINE");
    EXPECT_EQ(hazard("HZDS1", "I4"), "UN2763 FIVE");
    EXPECT_EQ(hazard("HZCLAS", "I4"), "POISON");
    EXPECT_EQ(downloadDate(), QDateTime(Retrieved, QTime(0, 0)));
}

TEST_F(AgrianUpdateRunTest, AFailedLookupKeepsANewProductOutAndItsItemsAsTheyWere)
{
    // I4 waits for P5, which has no DOT row yet; the service does not know it.
    m_home.insert(m_lib, "U4ITHZD", {{"I4", "I4 LINE", "", "", "I4PLAC", 0.0, " "}});
    TestHome::exec(m_lib, {"UPDATE U4ITMMR SET IMASUB = '4-4' WHERE IMPROD = 'I4'"});
    SilentConnect connect;
    ASSERT_TRUE(m_session.connect(m_settings, connect));
    listed("P5", "PROD FIVE");
    UpdateRun update(m_session, m_list, m_counters);
    update.setAgrianLookup([this](const QString& id, int row, bool write) {
        return m_lookup.refresh(id, row, write);
    });
    ASSERT_EQ(update.run(m_ui), UpdateRun::Outcome::Done);
    EXPECT_EQ(m_session.connection
                  .query("Select CDITEM from \"CO01DATA\".\"U4CDMSDOT\" Where CDITEM = 'P5'")
                  ->rowCount(),
              0); // not kept blank for the next completion pass
    EXPECT_EQ(hazard("HZDS1", "I4"), "I4 LINE");
    EXPECT_EQ(hazard("HZCLAS", "I4"), "I4PLAC");
    EXPECT_EQ(value("IMASUB", "U4ITMMR", "IMPROD = 'I4'"), "4-4");
    const QString summary = m_ui.prompts.shown.last();
    EXPECT_TRUE(summary.contains("Items not updated 'I4") &&
                summary.contains("Products not written 'P5',"))
        << summary.toStdString();
    EXPECT_TRUE(m_ui.prompts.shown[0].startsWith("Post failed. ")); // the run ends with 1
    EXPECT_EQ(downloadDate(), EarlierDate);
}

TEST_F(AgrianUpdateRunTest, LookupsStopWhenTheServiceIsDeadSlowOrAddressedInClear)
{
    // Five items of P1: five lookups, unless the run gives up first.
    m_home.insert(m_lib, "U4ITMMR",
                  {{"I5", "ITEM FIVE", 10, 100, "1-1", ""},
                   {"I6", "ITEM SIX", 10, 100, "1-1", ""},
                   {"I7", "ITEM SEVEN", 10, 100, "1-1", ""}});
    m_home.insert(m_lib, "U4CDMSXRF",
                  {{"I5", "PROD ONE", "P1", "I5", "   ", 1.0},
                   {"I6", "PROD ONE", "P1", "I6", "   ", 1.0},
                   {"I7", "PROD ONE", "P1", "I7", "   ", 1.0}});
    const struct {
        const char* name;
        QString url;
        const char* budget;
        int connections; // reaching the dead server
        const char* says;
    } cases[] = {
        {"3 unanswered in a row", qEnvironmentVariable("AGRIAN_TEST_DEAD"), "", 3,
         "Agrian lookups stopped: the service did not answer 3 lookups in a row."},
        {"the run's budget spent", qEnvironmentVariable("AGRIAN_TEST_DEAD"), "1", 1,
         "Agrian lookups stopped: the lookups took the run's whole budget of 1 s"},
        {"plain http", "http://127.0.0.1:9", "", 0,
         "Agrian lookups stopped: the service's address is refused."},
    };
    for (const auto& c : cases) {
        ScopedEnv url("ZELVARO_AGRIAN_URL", c.url);
        ScopedEnv budget("ZELVARO_AGRIAN_BUDGET_S", QString::fromLatin1(c.budget));
        SilentConnect connect;
        ASSERT_TRUE(m_session.connect(m_settings, connect));
        m_list.reset();
        m_list.setRetrievalDate(Retrieved);
        m_ui.prompts.shown.clear();
        listed("P1", "PROD ONE");
        QFile dead(qEnvironmentVariable("AGRIAN_TEST_DEAD_LOG"));
        ASSERT_TRUE(dead.open(QIODevice::ReadOnly));
        const int before = dead.readAll().count('\n');
        run();
        dead.seek(0);
        EXPECT_EQ(dead.readAll().count('\n') - before, c.connections) << c.name;
        const QStringList stopped = m_ui.prompts.shown.filter("Agrian lookups stopped");
        ASSERT_EQ(stopped.size(), 1) << c.name << m_ui.prompts.shown.join("\n").toStdString();
        EXPECT_TRUE(stopped[0].startsWith(c.says)) << stopped[0].toStdString();
        // The items not looked up keep their lines: the completion pass
        // writes them from the DOT row, which kept its text.
        for (const char* item : {"I1", "I2"}) {
            EXPECT_EQ(hazard("HZDS1", item), "OLD TEXT") << c.name << " " << item;
            EXPECT_EQ(hazard("HZCLAS", item), "OLDPLAC") << c.name << " " << item;
        }
        EXPECT_EQ(dot("CDDOTTXT", "P1"), "OLD TEXT") << c.name;
        EXPECT_EQ(downloadDate(), EarlierDate) << c.name;
    }
}

} // namespace
