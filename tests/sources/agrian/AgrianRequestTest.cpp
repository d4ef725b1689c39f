#include "sources/agrian/AgrianRequest.h"
#include "common/Error.h"
#include "support/TestHome.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

QString env(const char* name)
{
    return qEnvironmentVariable(name);
}

// The requests the server recorded, in order.
QList<QJsonObject> requests()
{
    QList<QJsonObject> list;
    QFile f(env("AGRIAN_TEST_LOG"));
    if (!f.open(QIODevice::ReadOnly)) return list;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.isEmpty()) list << QJsonDocument::fromJson(line).object();
    return list;
}

QStringList headerValues(const QJsonObject& request, const QString& name)
{
    QStringList values;
    for (const QJsonValue& h : request["headers"].toArray())
        if (h.toArray()[0].toString().compare(name, Qt::CaseInsensitive) == 0)
            values << h.toArray()[1].toString();
    return values;
}

class AgrianRequestTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (env("AGRIAN_TEST_GOOD").isEmpty()) GTEST_SKIP() << "run by agrian_request.sh";
    }
    QString good(const QString& path) const { return env("AGRIAN_TEST_GOOD") + path; }
    AgrianRequest m_request;
};

TEST_F(AgrianRequestTest, SendsTheServicesHeadersAndAddressesAsBuilt)
{
    const QString address =
        good("/webservices/x.cfc?method=m&user_name=a&b=c&password=p w#1\u00e9");
    const QByteArray body = m_request.get(address);
    // Only what a request line cannot carry is encoded.
    EXPECT_EQ(body, "/webservices/x.cfc?method=m&user_name=a&b=c&password=p%20w%231%C3%A9");
    const QJsonObject r = requests().last();
    EXPECT_EQ(r["line"].toString(),
              "GET /webservices/x.cfc?method=m&user_name=a&b=c&password=p%20w%231%C3%A9 HTTP/1.1");
    EXPECT_EQ(headerValues(r, "Content-Type"),
              QStringList({"Content-type: text/plain; charset=us-ascii"}));
    EXPECT_EQ(headerValues(r, "Accept"),
              QStringList({"text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"}));
    EXPECT_EQ(headerValues(r, "User-Agent"),
              QStringList({"Mozilla/3.0 (compatible; Indy Library)"}));
    EXPECT_EQ(headerValues(r, "Connection"), QStringList({"Keep-Alive"}));
    EXPECT_TRUE(headerValues(r, "Authorization").isEmpty());
}

TEST_F(AgrianRequestTest, CookiesComeBackAndOneConnectionServesARun)
{
    m_request.get(good("/cookie"));
    m_request.get(good("/ok"));
    const QList<QJsonObject> all = requests();
    ASSERT_GE(all.size(), 2);
    const QJsonObject second = all.last();
    EXPECT_EQ(headerValues(second, "Cookie"), QStringList({"session=abc123"}));
    EXPECT_EQ(all[all.size() - 2]["client"], second["client"]);
    EXPECT_EQ(m_request.requestCount(), 2);
}

TEST_F(AgrianRequestTest, ErrorStatusRedirectSlowAndRefusedCertificatesFail)
{
    const struct {
        QString address;
        const char* says;
    } cases[] = {
        {good("/status500"), "HTTP/1.1 500 Internal Server Error"},
        {good("/redirect"), "HTTP/1.1 302 Found"},
        {good("/slow"), "too slow"},                  // against the 1 s test time-out
        {good("/trickle"), "too slow"},               // 2 bytes a second is no answer either
        {env("AGRIAN_TEST_DEAD") + "/ok", "timeout"}, // no TLS handshake
        {env("AGRIAN_TEST_FOREIGN") + "/ok", "certificate"},
        {env("AGRIAN_TEST_WRONGNAME") + "/ok", "127.0.0.1"},
    };
    for (const auto& c : cases) {
        try {
            m_request.get(c.address);
            ADD_FAILURE() << c.address.toStdString() << ": no failure";
        } catch (const SourceError& e) {
            EXPECT_TRUE(e.text().contains(c.says))
                << c.address.toStdString() << ": " << e.text().toStdString();
        }
    }
}

TEST_F(AgrianRequestTest, OnlyAnUnreachableServiceIsUnreachable)
{
    EXPECT_THROW(m_request.get(env("AGRIAN_TEST_DEAD") + "/ok"), ServiceUnreachableError);
    EXPECT_THROW(m_request.get("https://127.0.0.1:1/ok"), ServiceUnreachableError); // refused
    try {
        m_request.get(good("/status500"));
        ADD_FAILURE() << "no failure";
    } catch (const ServiceUnreachableError&) {
        ADD_FAILURE() << "an answer with an error status is an answer";
    } catch (const SourceError&) {
    }
    // Plain http is never spoken, whatever address reaches the request.
    EXPECT_THROW(m_request.get("http://127.0.0.1:1/ok"), SourceError);
}

TEST_F(AgrianRequestTest, AnUnreadableCaBundleIsATransferFailure)
{
    ScopedEnv ca("ZELVARO_CA_FILE", "/nonexistent/ca.pem");
    AgrianRequest request;
    EXPECT_THROW(request.get(good("/ok")), SourceError);
}

TEST(AgrianRequest, ServiceAddressFromTheEnvironmentTheSettingOrBuiltIn)
{
    TestHome home;
    {
        ScopedEnv url("ZELVARO_AGRIAN_URL", "");
        EXPECT_EQ(AgrianRequest::serviceAddress(), "https://services.agrian.example");
    }
    EXPECT_EQ(AgrianRequest::requestAddress("a b#\x01\u00e9&="), QByteArray("a%20b%23%01%C3%A9&="));
}

} // namespace
