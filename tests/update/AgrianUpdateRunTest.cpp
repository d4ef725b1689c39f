// The update run in Agrian mode against a local service: a lookup that
// fails costs no item its hazard text and keeps the download date; good
// lookups bring the service's values to the DOT table and the items.
#include "common/Text.h"
#include "host/HostSession.h"
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
    HostSession m_session;
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

} // namespace
