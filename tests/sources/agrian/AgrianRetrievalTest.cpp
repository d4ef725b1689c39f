#include "sources/agrian/AgrianRetrieval.h"
#include "settings/Settings.h"
#include "sources/DotList.h"
#include "sources/agrian/AgrianRequest.h"
#include "sources/agrian/AgrianText.h"
#include "support/RecordingRunUi.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

// The service's answer: the product list as escaped text inside <data>.
QByteArray answer(const QString& products, const char* lt = "&lt;", const char* gt = "&gt;")
{
    QString inner = "<products><list>" + products + "</list></products>";
    inner.replace("<", QString::fromLatin1(lt)).replace(">", QString::fromLatin1(gt));
    return ("<?xml version=\"1.0\"?>\n<response><data>" + inner + "</data></response>\n").toUtf8();
}

QString product(const char* id, const char* name, const char* active = "true",
                const char* maker = "Maker &amp; Co")
{
    return QString("<agrian_product active=\"%1\" agrian_product_id=\"%2\"><product_name>%3"
                   "</product_name><epa>100-1</epa><manufacturer_name>%4</manufacturer_name>"
                   "</agrian_product>")
        .arg(active, id, QString::fromUtf8(name), maker);
}

QStringList rows(const DotList& list)
{
    QStringList out;
    for (int r = 1; r <= list.productCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < DotList::Columns; ++c)
            cells << list.cell(r, c);
        out << cells.join('|');
    }
    return out;
}

DotList read(const QByteArray& raw)
{
    DotList list;
    AgrianRetrieval::readProducts(
        AgrianRetrieval::repairMarkup(AgrianText::decode(raw).text).toUtf8(), list);
    return list;
}

TEST(AgrianRetrieval, ActiveProductsAreReadWhateverTheEntitiesCase)
{
    const QString list = product("2", "zeta \u00e9clair") + "<char/>" +
                         product("3", "Off", "True") + product("4", "Gone", "false") +
                         "<agrian_product agrian_product_id=\"5\"/>" + product("6", "alpha");
    const struct {
        const char* name;
        QByteArray raw;
    } cases[] = {
        {"lower case entities, UTF-8 without a mark", answer(product("1", "first") + list)},
        {"upper case entities", answer(product("1", "first") + list, "&LT;", "&Gt;")},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + answer(product("1", "first") + list)},
    };
    for (const auto& c : cases) {
        const DotList l = read(c.raw);
        EXPECT_EQ(rows(l),
                  QStringList({"1|1|FIRST|FIRST|100-1|MAKER & CO| | ",
                               "2|2|ZETA \u00e9CLAIR|ZETA \u00e9CLAIR|100-1|MAKER & CO| | ",
                               "3|6|ALPHA|ALPHA|100-1|MAKER & CO| | "}))
            << c.name;
    }
    // Windows-1252 without a mark: "\xe9" is é.
    const DotList ansi =
        read(answer(product("7", "caf\xc3\xa9")).replace("caf\xc3\xa9", "caf\xe9"));
    EXPECT_EQ(ansi.cell(1, DotList::Name), QString::fromUtf8("CAF\u00e9"));
    // &amp; stays an entity in the stored text, read as "&".
    EXPECT_TRUE(AgrianRetrieval::repairMarkup("a &amp;lt; &AMP; &lt;").contains("&amp;lt;"));
}

TEST(AgrianRetrieval, AReadingFailureKeepsTheRowsSoFarUnsorted)
{
    const QByteArray raw =
        answer(product("9", "Zed") + product("8", "Abe") +
               "<agrian_product active=\"true\" agrian_product_id=\"7\"><product_name>Mixed"
               "<char/>text</product_name></agrian_product>" +
               product("6", "Ann"));
    DotList l;
    QString why;
    EXPECT_FALSE(AgrianRetrieval::readProducts(
        AgrianRetrieval::repairMarkup(QString::fromUtf8(raw)).toUtf8(), l, &why));
    EXPECT_EQ(why, "product 7: a value holds more than text");
    EXPECT_EQ(l.productCount(), 2);
    EXPECT_EQ(l.cell(1, DotList::Id), "9");
    EXPECT_EQ(l.cell(2, DotList::Id), "8");
    EXPECT_EQ(read("not xml").productCount(), 0);
    EXPECT_EQ(read("<response><other/></response>").productCount(), 0);
}

TEST(AgrianRetrieval, SortingIsByNameThenTheOtherCellsAndRenumbers)
{
    DotList l;
    for (const auto& [id, name] :
         {std::pair{"10", "beta"}, {"11", "Alpha"}, {"12", "beta"}, {"2", "beta"}}) {
        const int r = l.addProduct();
        l.append(r, QString::number(r));
        l.append(r, id);
        l.append(r, name);
    }
    AgrianRetrieval::sort(l, DotList::Name);
    QStringList order;
    for (int r = 1; r <= l.productCount(); ++r)
        order << l.cell(r, 0) + ":" + l.cell(r, DotList::Id);
    EXPECT_EQ(order, QStringList({"1:11", "2:10", "3:12", "4:2"}));
}

class AgrianRetrievalRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("AGRIAN_TEST_GOOD"))
            GTEST_SKIP() << "run by agrian_request.sh";
        m_home.writeSettings();
    }
    void serve(const QByteArray& body)
    {
        QFile f(qEnvironmentVariable("AGRIAN_CHANGES"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(body);
    }
    TestHome m_home;
    ScopedEnv m_url{"ZELVARO_AGRIAN_URL", qEnvironmentVariable("AGRIAN_TEST_GOOD")};
    AgrianRequest m_request;
    DotList m_list;
    RecordingRunUi m_ui;
};

TEST_F(AgrianRetrievalRun, FetchesStoresRepairsAndFillsTheList)
{
    serve(answer(product("2", "zed") + product("1", "abe")));
    EXPECT_TRUE(AgrianRetrieval(m_list, m_request).run(m_ui));
    EXPECT_EQ(rows(m_list), QStringList({"1|1|ABE|ABE|100-1|MAKER & CO| | ",
                                         "2|2|ZED|ZED|100-1|MAKER & CO| | "}));
    QFile stored(m_home.file("Data/Agrian.xml"));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    const QByteArray text = stored.readAll();
    EXPECT_TRUE(text.contains("<agrian_product active=\"true\""));
    EXPECT_TRUE(text.contains("\r\n"));
    EXPECT_FALSE(m_ui.busy);
    EXPECT_TRUE(m_ui.events.contains("update-on"));
    EXPECT_TRUE(m_ui.events.contains("unattended-off"));
    EXPECT_EQ(m_list.retrievalDate(), QDate::currentDate()); // the download date's next value
}

TEST_F(AgrianRetrievalRun, TheDefaultDateIsAskedForAndAFailureIsShown)
{
    EXPECT_TRUE(AgrianRetrieval::changedProductsAddress(QDate(2015, 1, 1))
                    .endsWith("method=get_product_changes&approval_date=2015-01-01"));
    ScopedEnv url{"ZELVARO_AGRIAN_URL", qEnvironmentVariable("AGRIAN_TEST_GOOD") + "/status500?x="};
    m_list.setRetrievalDate(QDate(2020, 1, 1)); // of an earlier list
    EXPECT_FALSE(AgrianRetrieval(m_list, m_request).run(m_ui));
    EXPECT_FALSE(m_list.retrievalDate().isValid());
    EXPECT_TRUE(m_ui.events.contains("unattended-off"));
    ASSERT_EQ(m_ui.prompts.shown.size(), 1);
    EXPECT_EQ(m_ui.prompts.shown[0], "Http Post failed. HTTP/1.1 500 Internal Server Error");
    EXPECT_EQ(m_list.productCount(), 0);
    EXPECT_FALSE(m_ui.busy);
}

TEST_F(AgrianRetrievalRun, ALinkInPlaceOfTheStoredAnswerIsLeftAsItIs)
{
    serve(answer(product("1", "abe")));
    ASSERT_TRUE(QDir(m_home.path()).mkpath("Data"));
    ASSERT_TRUE(QFile::link("../victim.txt", m_home.file("Data/Agrian.xml")));
    EXPECT_FALSE(AgrianRetrieval(m_list, m_request).run(m_ui));
    ASSERT_EQ(m_ui.prompts.shown.size(), 1);
    EXPECT_TRUE(m_ui.prompts.shown[0].startsWith("Http Post failed. "));
    EXPECT_TRUE(m_ui.prompts.shown[0].contains("is a symbolic link"));
    EXPECT_TRUE(QFileInfo(m_home.file("Data/Agrian.xml")).isSymLink());
    EXPECT_FALSE(QFile::exists(m_home.file("victim.txt")));
    EXPECT_EQ(m_list.productCount(), 0);
}

} // namespace
