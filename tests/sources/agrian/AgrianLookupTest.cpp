#include "sources/agrian/AgrianLookup.h"
#include "common/Text.h"
#include "host/HostTables.h"
#include "settings/Settings.h"
#include "sources/DotList.h"
#include "sources/agrian/AgrianRequest.h"
#include "support/ScriptedPrompter.h"
#include "support/TestDoubles.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// A regulatory answer in raw bytes: the declaration and the values as given.
QByteArray answer(const QByteArray& declaration, const QByteArray& name, const QByteArray& dot)
{
    return declaration + "<response><agrian_product><product_name>" + name +
           "</product_name><dot_description><d><description>" + dot +
           "</description><placard_text>P</placard_text></d></dot_description>"
           "</agrian_product></response>";
}

TEST(AgrianLookup, AnswersAreDecodedByWhatTheySayOrWhatTheyAre)
{
    const QByteArray plain = "<?xml version=\"1.0\"?>";
    const struct {
        const char* name;
        QByteArray document;
        const char* common; // UTF-8; empty: unreadable
        const char* dot;
    } cases[] = {
        {"Latin-1 bytes without a declaration", answer(plain, "Caf\xe9", "FL\xc4MMBAR"),
         "Caf\u00e9", "FL\u00c4MMBAR"},
        {"windows-1252 declared",
         answer("<?xml version='1.0' encoding='windows-1252'?>", "Bio \x93Green\x94",
                "UN1993 \x96 LIQUID"),
         "Bio \u201cGreen\u201d", "UN1993 \u2013 LIQUID"},
        {"ISO-8859-1 declared",
         answer("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "\xe9", "X"), "\u00e9", "X"},
        {"ISO-8859-15 declared, through iconv",
         answer("<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>", "\xa4 5", "X"), "\u20ac 5",
         "X"},
        {"UTF-8 declared but Latin-1 bytes",
         answer("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "Caf\xe9", "X"), "Caf\u00e9", "X"},
        {"UTF-8", answer(plain, "Caf\xc3\xa9", "X"), "Caf\u00e9", "X"},
        {"line breaks as blanks, the DOT text trimmed",
         answer(plain, "A\r\nB", "\n UN3082\r\nENV HAZ\rLIQUID \n"), "A B",
         "UN3082 ENV HAZ LIQUID"},
        {"an encoding nobody reads",
         answer("<?xml version=\"1.0\" encoding=\"x-klingon\"?>", "A", "X"), "", ""},
        {"replacement characters sent by the service", answer(plain, "A\xef\xbf\xbd", "X"), "", ""},
    };
    for (const auto& c : cases) {
        QString why;
        const auto v = AgrianLookup::parse(c.document, &why);
        ASSERT_EQ(v.has_value(), *c.common != 0) << c.name << ": " << why.toStdString();
        if (!v) {
            EXPECT_FALSE(why.isEmpty()) << c.name;
            continue;
        }
        EXPECT_EQ(v->commonName, QString::fromUtf8(c.common)) << c.name;
        EXPECT_EQ(v->dotText, QString::fromUtf8(c.dot)) << c.name;
        EXPECT_FALSE(v->commonName.contains(QChar::ReplacementCharacter)) << c.name;
    }
    // A UTF-16 answer with its mark.
    const QString utf16 = QString::fromUtf8(answer(plain, "\xc3\x9c", "X"));
    QByteArray le("\xff\xfe");
    le.append(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2);
    QString why;
    const auto v = AgrianLookup::parse(le, &why);
    ASSERT_TRUE(v.has_value()) << why.toStdString();
    EXPECT_EQ(v->commonName, "\u00dc");
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
    HostTables m_session;
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

TEST_F(AgrianLookupRun, NothingIsSentInClearAndNoAnswerWrittenThroughALink)
{
    serve("A1", regulatory("<product_name>N</product_name>"));
    auto requests = [] {
        QFile log(qEnvironmentVariable("AGRIAN_TEST_LOG"));
        return log.open(QIODevice::ReadOnly) ? log.readAll().count('\n') : 0;
    };
    const Settings s(m_home.file("INVSIG.INI"));
    const struct {
        const char* env; // ZELVARO_AGRIAN_URL
        const char* key; // the setting written
        const char* value;
        const char* says;
    } cases[] = {
        {"http://127.0.0.1:9", "", "", "ZELVARO_AGRIAN_URL is \"http://127.0.0.1:9\""},
        {"", "ServiceAddress", "http://agrian.example",
         "Agrian/ServiceAddress is \"http://agrian.example\""},
        {"", "Host", "HTTP://agrian.example/webservices",
         "Agrian/Host is \"HTTP://agrian.example/webservices\""},
    };
    for (const auto& c : cases) {
        ScopedEnv url("ZELVARO_AGRIAN_URL", QString::fromLatin1(c.env));
        if (*c.key) s.writeText("Agrian", c.key, c.value);
        m_prompter.shown.clear();
        const int before = requests();
        const auto outcome = m_lookup.refresh("A1", 1);
        if (*c.key) s.writeText("Agrian", c.key, "");
        EXPECT_TRUE(outcome.stopLookups) << c.says;
        EXPECT_FALSE(outcome.gotValues) << c.says;
        EXPECT_TRUE(m_prompter.shown.value(0).startsWith(QStringLiteral("Post failed. ") + c.says))
            << m_prompter.shown.value(0).toStdString();
        EXPECT_EQ(requests(), before) << c.says;
    }

    // A link in place of the answer file is left as it is, and so is its target.
    ASSERT_TRUE(QDir(m_home.path()).mkpath("Data"));
    QFile victim(m_home.file("victim.txt"));
    ASSERT_TRUE(victim.open(QIODevice::WriteOnly));
    victim.write("keep");
    victim.close();
    ASSERT_TRUE(QFile::link("../victim.txt", m_home.file("Data/AgrianA1.xml")));
    m_prompter.shown.clear();
    const auto outcome = m_lookup.refresh("A1", 1);
    EXPECT_FALSE(outcome.gotValues);
    EXPECT_TRUE(m_prompter.shown.value(0).contains("is a symbolic link"))
        << m_prompter.shown.value(0).toStdString();
    EXPECT_TRUE(QFileInfo(m_home.file("Data/AgrianA1.xml")).isSymLink());
    ASSERT_TRUE(victim.open(QIODevice::ReadOnly));
    EXPECT_EQ(victim.readAll(), "keep");
    EXPECT_EQ(stored("CDDOTTXT"), "OLD TEXT");
}

} // namespace
