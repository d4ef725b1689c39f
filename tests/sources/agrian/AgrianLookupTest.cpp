#include "sources/agrian/AgrianLookup.h"
#include "common/Text.h"
#include "host/HostSession.h"
#include "settings/Settings.h"
#include "sources/DotList.h"
#include "sources/agrian/AgrianRequest.h"
#include "support/ScriptedPrompter.h"
#include "support/TestDoubles.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

QByteArray regulatory(const QString& inner)
{
    return ("<?xml version=\"1.0\"?><response><agrian_product>" + inner +
            "</agrian_product></response>")
        .toUtf8();
}

TEST(AgrianLookup, ValuesFollowTheDocumentsPaths)
{
    const struct {
        const char* name;
        QByteArray document;
        bool read;
        const char* common;
        const char* dot;
        const char* placard;
    } cases[] = {
        {"chemicals win",
         regulatory("<product_name>Brand</product_name><chemicals><chemical>"
                    "<chemical_description>glyphos\u00e9ate</chemical_description>"
                    "</chemical></chemicals><dot_description><d><description>UN1 "
                    "TEXT</description><placard_text>CLASS 9</placard_text></d>"
                    "</dot_description>"),
         true, "GLYPHOS\u00e9ATE", "UN1 TEXT", "CLASS 9"},
        {"no chemicals: the name unchanged", regulatory("<product_name>Brand x</product_name>"),
         true, "Brand x", "", ""},
        {"chemicals without a child", regulatory("<product_name>B</product_name><chemicals/>"),
         true, "", "", ""},
        {"empty dot description", regulatory("<dot_description/>"), true, "", "", ""},
        {"an error document", "<error>bad id</error>", false, "", "", ""},
        {"not XML", "<<<", false, "", "", ""},
        {"a value with markup", regulatory("<product_name>a<b/>c</product_name>"), false, "", "",
         ""},
        {"binary", QByteArray("\x00\xff\xfe<\x01\x80", 6), false, "", "", ""},
        {"nested a million deep", QByteArray("<a>").repeated(1000000), false, "", "", ""},
        {"truncated", regulatory("<product_name>B</product_name>").chopped(9), false, "", "", ""},
    };
    for (const auto& c : cases) {
        QString why;
        const auto v = AgrianLookup::parse(c.document, &why);
        ASSERT_EQ(v.has_value(), c.read) << c.name << ": " << why.toStdString();
        if (!v) continue;
        EXPECT_EQ(v->commonName, QString::fromUtf8(c.common)) << c.name;
        EXPECT_EQ(v->dotText, c.dot) << c.name;
        EXPECT_EQ(v->placard, c.placard) << c.name;
    }
}

class AgrianLookupRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("AGRIAN_TEST_GOOD"))
            GTEST_SKIP() << "run by agrian_request.sh";
        m_lib = m_home.createLibrary();
        m_home.writeSettings();
        m_home.insert(m_lib, "U4CDMSDOT",
                      {{"A1", "PROD A", "old common", "1-1", "m", "OLDPLAC", "OLD TEXT"},
                       {"B2", "PROD B", "b", "2-2", "m", "", "B TEXT"}});
        const Settings s(m_home.file("INVSIG.INI"));
        s.writeText("Agrian", "UserID", "a&b c");
        s.writeText("Agrian", "Password", "p=w");
        SilentConnect ui;
        ASSERT_TRUE(m_session.connect(s, ui));
        ASSERT_TRUE(m_session.dotView.findKey({"PROD A"}));
        const int r = m_list.addProduct();
        for (const char* cell : {"1", "A1", "PROD A", "", "1-1", "m", "", ""})
            m_list.append(r, cell);
    }
    void serve(const QString& id, const QByteArray& body)
    {
        QFile f(QDir(qEnvironmentVariable("AGRIAN_REGULATORY")).filePath(id + ".xml"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(body);
    }
    QString stored(const QString& column)
    {
        return trimmed(
            m_session.connection
                .query("Select " + column + " from \"CO01DATA\".\"U4CDMSDOT\" Where CDITEM = 'A1'")
                ->text(0, 0));
    }
    ScopedEnv m_driver{"ZELVARO_HOST_DRIVER", QStringLiteral("embedded")};
    TestHome m_home;
    ScopedEnv m_url{"ZELVARO_AGRIAN_URL", qEnvironmentVariable("AGRIAN_TEST_GOOD")};
    QString m_lib;
    HostSession m_session;
    DotList m_list;
    AgrianRequest m_request;
    ScriptedPrompter m_prompter;
    AgrianLookup m_lookup{m_session, m_list, m_request, m_prompter};
};

TEST_F(AgrianLookupRun, AGoodAnswerUpdatesTheHostRowAndTheNamedListRow)
{
    EXPECT_TRUE(AgrianLookup::buildAddress("A1").endsWith(
        "/webservices/agrian_products.cfc?method=get_regulatory_data_v2&username=a&b c"
        "&password=p=w&product_id=A1&pdfs=false&returnFormat=plain"));
    serve("A1", regulatory("<chemicals><c><chemical_description>atrazine</chemical_description>"
                           "</c></chemicals><dot_description><d><description>UN2902\r\nNEW  "
                           "</description><placard_text>A PLACARD LONGER THAN FIFTEEN"
                           "</placard_text></d></dot_description>"));
    const auto outcome = m_lookup.refresh("A1   ", 1);
    EXPECT_TRUE(outcome.gotValues);
    EXPECT_FALSE(outcome.failureShown);
    EXPECT_EQ(stored("CDCNAME"), "ATRAZINE");
    EXPECT_EQ(stored("CDDOTTXT"), "UN2902 NEW");
    EXPECT_EQ(stored("CDPLAC"), "A PLACARD LONGE"); // cut to CDPLAC's 15
    // A one-product list gets its row too, the DOT text as stored: one
    // form for the pass and the completion pass.
    EXPECT_EQ(m_list.cell(1, DotList::DotText), "UN2902 NEW");
    EXPECT_EQ(trimmed(m_session.dotView.text("CDNAME")), "PROD A"); // still on its row
    EXPECT_EQ(trimmed(m_session.dotView.text("CDDOTTXT")), "UN2902 NEW");
    EXPECT_TRUE(QFile::exists(m_home.file("Data/AgrianA1.xml")));
}

TEST_F(AgrianLookupRun, FailuresKeepTheRowAndSaySo)
{
    serve("A1", "<error>unknown product</error>");
    const struct {
        QString id;
        const char* says;
    } cases[] = {{"A1", "Post failed. product A1: the answer holds no product"},
                 {"NOPE", "Post failed. HTTP/1.1 404 Not Found"},
                 {"../x", "Post failed. the product ID \"../x\" cannot name an answer file."},
                 {"  ", "Post failed. the product ID \"\" cannot name an answer file."}};
    for (const auto& c : cases) {
        m_prompter.shown.clear();
        const auto outcome = m_lookup.refresh(c.id, 1);
        EXPECT_FALSE(outcome.gotValues) << c.says;
        EXPECT_TRUE(outcome.failureShown);
        EXPECT_EQ(m_prompter.shown.value(0), c.says);
    }
    EXPECT_EQ(stored("CDDOTTXT"), "OLD TEXT");
    EXPECT_EQ(stored("CDPLAC"), "OLDPLAC");
    EXPECT_EQ(m_list.cell(1, DotList::DotText), " ");
}

} // namespace
