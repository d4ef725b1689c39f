// What a real IBM i and its operator meet: a host that counts failed
// sign-ons and disables a profile, a program that signs on at most once a
// user action, lists in the host's own code page and says what is wrong.
#include "common/Error.h"
#include "host/EmbeddedSystem.h"
#include "host/HostConnection.h"
#include "host/HostLister.h"
#include "host/ListingCommands.h"
#include "host/SignOnGuard.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

class SignOnTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SignOnGuard::forgetAll();
        m_library = m_home.createLibrary();
        users("[System]\r\nQMAXSIGN=3\r\n[Users]\r\nQUSER=right\r\n");
    }
    void TearDown() override { SignOnGuard::forgetAll(); }
    void users(const QByteArray& text)
    {
        QFile f(m_home.file("hosts/TESTSYS/users.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    // Sign-on attempts the host recorded, and how many it refused.
    int attempts(const char* result = nullptr) const
    {
        QFile log(m_home.file("hosts/TESTSYS/signon.log"));
        if (!log.open(QIODevice::ReadOnly)) return 0;
        int n = 0;
        for (const QByteArray& line : log.readAll().split('\n'))
            if (!line.isEmpty() && (!result || line.endsWith(result))) ++n;
        return n;
    }
    EmbeddedSystem system() const { return EmbeddedSystem(m_home.file("hosts/TESTSYS")); }
    QString signOn(const QString& user, const QString& password) const
    {
        try {
            system().signOn(user, password, "test");
            return "signed on";
        } catch (const HostError& e) {
            return e.text();
        }
    }

    ScopedEnv m_driver{"ZELVARO_HOST_DRIVER", QStringLiteral("embedded")};
    TestHome m_home;
    QString m_library;
};

TEST_F(SignOnTest, TheHostCountsWrongPasswordsAndDisablesTheProfileAtQmaxsign)
{
    const struct {
        const char* user;
        const char* password;
        const char* says;
        int failedAfter;
    } steps[] = {
        {"quser", "wrong", "CWBSY1002 - Password for user QUSER on system TESTSYS is not correct.",
         1},
        {"QUSER", "right", "signed on", 0}, // a good sign-on clears the count
        {"NOBODY", "x", "CWBSY1001 - User ID NOBODY is not known on system TESTSYS.", 0},
        {"QUSER", "wrong", "CWBSY1002", 1},
        {"QUSER", "wrong", "CWBSY1002", 2},
        {"QUSER", "wrong",
         "CPF1393 - User profile QUSER has been disabled because maximum "
         "number of sign-on attempts reached.",
         3},
        {"QUSER", "right", "CPF1393", 3}, // disabled: even the right password is refused
    };
    for (const auto& s : steps) {
        const QString said = signOn(s.user, s.password);
        EXPECT_TRUE(said.startsWith(s.says))
            << s.user << "/" << s.password << ": " << said.toStdString();
        EXPECT_EQ(system().failedAttempts("QUSER"), s.failedAfter) << s.user << "/" << s.password;
    }
    EXPECT_EQ(attempts(), 7);
    EXPECT_TRUE(system().disabled("QUSER"));
    // An administrator edits the count: the profile signs on again.
    users("[System]\r\nQMAXSIGN=3\r\n[Users]\r\nQUSER=right\r\n[Attempts]\r\nQUSER=0\r\n");
    EXPECT_EQ(signOn("QUSER", "right"), "signed on");
    // Without users.ini any user signs on and nothing is recorded.
    QFile::remove(m_home.file("hosts/TESTSYS/users.ini"));
    QFile::remove(m_home.file("hosts/TESTSYS/signon.log"));
    EXPECT_EQ(signOn("ANYONE", "anything"), "signed on");
    EXPECT_EQ(attempts(), 0);
}

TEST_F(SignOnTest, ARefusedSignOnIsTriedOnceForTheConnectionAndTheListingAlike)
{
    HostConnection c;
    c.setHostSystem("TESTSYS");
    c.setUser("quser");
    c.setPassword("wrong");
    c.setLibrary("CO01DATA");
    QString first;
    try {
        c.connect();
    } catch (const HostError& e) {
        first = e.text();
    }
    EXPECT_TRUE(first.startsWith("CWBSY1002")) << first.toStdString();
    EXPECT_TRUE(first.contains("The sign-on of user QUSER to TESTSYS failed"));
    EXPECT_TRUE(first.contains("can disable the user profile"));
    EXPECT_THROW(c.connect(), HostError); // the reconnect of a failed run
    // The window's listings sign on with the same values: nothing is tried.
    ScriptedPrompter prompter;
    HostLister link(prompter);
    link.setSignOn("QUSER", "wrong");
    ChoiceList systems, libraries;
    link.loadSystemNames(systems, "TESTSYS");
    link.loadLibraryList(libraries, "");
    EXPECT_EQ(attempts(), 1);
    EXPECT_EQ(system().failedAttempts("QUSER"), 1);
    EXPECT_FALSE(system().disabled("QUSER"));
    ASSERT_EQ(prompter.reports.size(), 1u); // one window, one message
    EXPECT_EQ(prompter.shown.size(), 2);
    // Another password is another sign-on; the user's Refresh forgets.
    link.setSignOn("QUSER", "right");
    link.loadLibraryList(libraries, "");
    EXPECT_EQ(libraries.entries, QStringList({"CO01DATA"}));
    SignOnGuard::forgetAll();
    EXPECT_THROW(c.connect(), HostError);
    EXPECT_EQ(attempts("wrong password"), 2);
    EXPECT_EQ(attempts("signed on"), 1);
}

TEST_F(SignOnTest, ListsAreReadInTheCcsidTheHostWritesThem)
{
    TestHome::exec(m_library, {"UPDATE ZH_SYSCOLUMNS SET HEADING1 = 'Größe', HEADING2 = "
                               "'Äpfel Öl Übel' WHERE COLUMN_NAME = 'IMPROD'"});
    const struct {
        const char* ccsid;
        const char* says; // the line of IMPROD, or the failure
    } cases[] = {
        {"273", "IMPROD=Größe Äpfel Öl Übel "},
        {"1141", "IMPROD=Größe Äpfel Öl Übel "},
        {"37", "IMPROD=Größe Äpfel Öl Übel "},
        {"4242", "CCSID 4242"},
    };
    for (const auto& c : cases) {
        users(QByteArray("[System]\r\nCCSID=") + c.ccsid + "\r\n[Users]\r\nQUSER=right\r\n");
        ScriptedPrompter prompter;
        HostLister link(prompter);
        link.setSignOn("QUSER", "right");
        ChoiceList systems;
        link.loadSystemNames(systems, "TESTSYS");
        link.createListSpace();
        link.listFields("U4ITMMR", "CO01DATA", "U4IMREC");
        QStringList lines;
        link.readFieldList(lines);
        const QString result = lines.isEmpty() ? prompter.shown.join("\n") : lines.value(0);
        EXPECT_TRUE(result.contains(QString::fromUtf8(c.says)))
            << c.ccsid << ": " << result.toStdString();
    }
}

TEST_F(SignOnTest, ListingsCheckTheLibraryAndSayWhatIsWrongWithIt)
{
    QFile::remove(m_home.file("hosts/TESTSYS/users.ini"));
    QFile empty(m_home.file("hosts/TESTSYS/CO02DATA.db"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    QFile junk(m_home.file("hosts/TESTSYS/CO03DATA.db"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    const struct {
        const char* library;
        const char* says;
    } cases[] = {
        {"../../x", "Transfer/DataLib \"../../x\" is not a library name"},
        {"/x", "Transfer/DataLib \"/x\" is not a library name"},
        {"", "Setup needed: "},
        {"CO02DATA", "CO02DATA is not a readable library: the file is empty"},
        {"CO03DATA", "CO03DATA is not a readable library: file is not a database"},
        {"CO09DATA", "Library CO09DATA not found."},
    };
    for (const auto& c : cases) {
        m_home.writeSettings("TESTSYS", c.library);
        ScriptedPrompter prompter;
        EXPECT_TRUE(listHostFields("U4ITMMR", prompter).isEmpty()) << c.library;
        ASSERT_FALSE(prompter.reports.empty()) << c.library;
        EXPECT_TRUE(prompter.reports[0].description.contains(c.says))
            << c.library << ": " << prompter.reports[0].description.toStdString();
    }
}

TEST(OdbcNames, AConfiguredDataSourceIsASystemWhateverItsName)
{
    if (odbcTestHome().isEmpty()) GTEST_SKIP() << "no SQLite ODBC driver here";
    for (const char* name : {"Prod Host 7.5", "TESTSYS"})
        EXPECT_TRUE(HostRoute::checkSystemName(name, "Transfer/Host").isEmpty()) << name;
    // Not configured: still checked as a name that could be a folder.
    EXPECT_FALSE(HostRoute::checkSystemName("Other Host", "Transfer/Host").isEmpty());
    EXPECT_FALSE(HostRoute::checkSystemName("../up", "Transfer/Host").isEmpty());
}

TEST(OdbcListing, AFailedJobShowsTheDriversStateCodeAndTextOnce)
{
    if (odbcTestHome().isEmpty()) GTEST_SKIP() << "no SQLite ODBC driver here";
    SignOnGuard::forgetAll();
    TestHome home;
    ScopedEnv route("ZELVARO_HOST_DRIVER", "odbc");
    ScriptedPrompter prompter;
    HostLister link(prompter);
    link.setSignOn("QUSER", "pw");
    ChoiceList systems, libraries;
    link.loadSystemNames(systems, "BROKEN");
    link.loadLibraryList(libraries, "");
    ASSERT_EQ(prompter.reports.size(), 1u) << prompter.shown.join("\n").toStdString();
    const ErrorReport& r = prompter.reports[0];
    EXPECT_TRUE(r.hasCallInfo);
    ASSERT_FALSE(r.messages.isEmpty());
    for (const QString& m : r.messages) {
        EXPECT_TRUE(m.startsWith("SQLSTATE ")) << m.toStdString();
        EXPECT_FALSE(m.contains(QChar(0))) << m.toStdString();
    }
    EXPECT_TRUE(r.description.contains("The sign-on of user QUSER to BROKEN failed"));
    EXPECT_EQ(prompter.shown.size(), 2); // the window, then one message
    SignOnGuard::forgetAll();
}

} // namespace
