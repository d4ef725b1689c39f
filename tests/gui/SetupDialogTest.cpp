#include "gui/SetupDialog.h"
#include "gui/ErrorInfoDialog.h"
#include "host/EmbeddedSystem.h"
#include "host/HostLister.h"
#include "host/SignOnGuard.h"
#include "settings/Settings.h"
#include "support/ScriptedPrompter.h"
#include "support/TestDoubles.h"
#include "support/TestHome.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

class SetupDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* lib : {"CO01DATA", "CO02DATA", "COARCHIVE"})
            m_home.createLibrary("TESTSYS", lib);
        m_home.createLibrary("OTHERSYS", "CO09DATA");
    }
    QString ini() const
    {
        QFile f(m_home.file("INVSIG.INI"));
        f.open(QIODevice::ReadOnly);
        return QString::fromLatin1(f.readAll());
    }
    QComboBox* systems() { return child<QComboBox>(m_dialog, "ComboBox1"); }
    QComboBox* libraries() { return child<QComboBox>(m_dialog, "ComboBox2"); }
    QPushButton* ok() { return child<QPushButton>(m_dialog, "BitBtn1"); }

    ScopedEnv m_driver{"ZELVARO_HOST_DRIVER", QStringLiteral("embedded")};
    ScopedEnv m_default{"ZELVARO_DEFAULT_SYSTEM", QStringLiteral("TESTSYS")};
    TestHome m_home;
    ScriptedPrompter m_prompter;
    HostLister m_link{m_prompter};
    SetupDialog m_dialog{m_link, m_prompter};
};

TEST_F(SetupDialogTest, AnEmptySettingsFileShowsTheDefaultSystemAndWaitsForLibraryAndUser)
{
    m_dialog.show();
    m_dialog.prepare();
    EXPECT_EQ(systems()->currentText(), "TESTSYS");
    EXPECT_EQ(systems()->count(), odbcTestHome().isEmpty() ? 2 : 4); // folders, data sources
    EXPECT_EQ(libraries()->count(), 2);                              // CO01DATA, CO02DATA
    EXPECT_EQ(libraries()->currentText(), "");
    EXPECT_EQ(QApplication::focusWidget() == systems() || systems()->hasFocus() ||
                  m_dialog.focusWidget() == systems() ||
                  m_dialog.focusWidget() == systems()->lineEdit(),
              true);
    EXPECT_FALSE(ok()->isEnabled());
    libraries()->setFocus();
    libraries()->lineEdit()->selectAll();
    QTest::keyClicks(libraries()->lineEdit(), "CO02DATA");
    EXPECT_FALSE(ok()->isEnabled()); // no user yet
    QTest::keyClicks(child<QLineEdit>(m_dialog, "Edit1"), "QUSER");
    EXPECT_TRUE(ok()->isEnabled()); // the password plays no part
    EXPECT_TRUE(m_prompter.shown.isEmpty()) << m_prompter.shown.join("\n").toStdString();
}

TEST_F(SetupDialogTest, StoredValuesAreSelectedAndOkWritesEveryKeyInOrder)
{
    m_home.writeSettings("TESTSYS", "CO02DATA");
    Settings(m_home.file("INVSIG.INI")).writeText("Agrian", "DownloadDate", "2024-03-05 14:30:00");
    m_dialog.show();
    m_dialog.prepare();
    EXPECT_EQ(libraries()->currentText(), "CO02DATA");
    EXPECT_EQ(libraries()->currentIndex(), 1);
    EXPECT_TRUE(m_dialog.focusWidget() == child<QLineEdit>(m_dialog, "Edit2"));
    EXPECT_TRUE(ok()->isEnabled());
    auto* password = child<QLineEdit>(m_dialog, "Edit2");
    auto* agrianPassword = child<QLineEdit>(m_dialog, "EdAgrianPwd");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_EQ(agrianPassword->echoMode(), QLineEdit::Password);
    // Agrian enables its fields.
    EXPECT_FALSE(agrianPassword->isEnabled());
    child<QRadioButton>(m_dialog, "RadioAgrian")->click();
    EXPECT_TRUE(agrianPassword->isEnabled());
    EXPECT_TRUE(child<QLabel>(m_dialog, "Label7")->isEnabled());
    QTest::keyClicks(agrianPassword, "a&b=c");
    password->clear();
    QTest::keyClicks(password, "s3cret");
    ok()->click();
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
    const Settings s(m_home.file("INVSIG.INI"));
    EXPECT_EQ(s.readText("Transfer", "DataLib"), "CO02DATA");
    EXPECT_FALSE(s.readBool("Transfer", "CDMSHazard", true));
    EXPECT_EQ(s.readText("Agrian", "Password"), "a&b=c");
    // The date picker kept the stored time of day.
    EXPECT_EQ(s.readText("Agrian", "DownloadDate"), "2024-03-05 14:30:00");
    const QString text = ini();
    EXPECT_LT(text.indexOf("Host="), text.indexOf("DataLib="));
    EXPECT_LT(text.indexOf("DataLib="), text.indexOf("User="));
    EXPECT_LT(text.indexOf("PWD="), text.indexOf("Pwdv2=1"));
}

TEST_F(SetupDialogTest, AnotherSystemEmptiesTheLibraryAndListsItsOwn)
{
    m_home.writeSettings("TESTSYS", "CO01DATA");
    m_dialog.show();
    m_dialog.prepare();
    ASSERT_TRUE(ok()->isEnabled());
    const int other = systems()->findText("OTHERSYS");
    ASSERT_GE(other, 0);
    systems()->setCurrentIndex(other);
    Q_EMIT systems()->activated(other); // as a user's choice
    EXPECT_EQ(libraries()->currentText(), "");
    EXPECT_EQ(libraries()->count(), 1);
    EXPECT_EQ(libraries()->itemText(0), "CO09DATA");
    EXPECT_FALSE(ok()->isEnabled());
    libraries()->setCurrentIndex(0);
    Q_EMIT libraries()->activated(0);
    EXPECT_TRUE(ok()->isEnabled());
    // Cancel writes nothing.
    const QString before = ini();
    child<QPushButton>(m_dialog, "BitBtn2")->click();
    EXPECT_EQ(m_dialog.result(), QDialog::Rejected);
    EXPECT_EQ(ini(), before);
}

TEST_F(SetupDialogTest, ATypedSystemIsListedWhenTheBoxIsLeftAndAFailureIsShownOnce)
{
    // OTHERSYS knows QUSER with another password: every sign-on is recorded.
    QFile users(m_home.file("hosts/OTHERSYS/users.ini"));
    ASSERT_TRUE(users.open(QIODevice::WriteOnly));
    users.write("[System]\r\nQMAXSIGN=3\r\n[Users]\r\nQUSER=other\r\n");
    users.close();
    auto attempts = [&] {
        QFile log(m_home.file("hosts/OTHERSYS/signon.log"));
        return log.open(QIODevice::ReadOnly) ? int(log.readAll().count('\n')) : 0;
    };
    m_home.writeSettings("TESTSYS", "CO01DATA");
    m_dialog.show();
    m_dialog.prepare();
    systems()->setFocus();
    systems()->lineEdit()->selectAll();
    QTest::keyClicks(systems()->lineEdit(), "OTHERSYS");
    EXPECT_EQ(attempts(), 0); // typing lists nothing
    EXPECT_FALSE(ok()->isEnabled());
    QTest::keyClick(systems()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(attempts(), 1);
    ASSERT_EQ(m_prompter.reports.size(), 1u) << m_prompter.shown.join("\n").toStdString();
    EXPECT_EQ(m_prompter.shown.size(), 2); // one error window, one message
    EXPECT_TRUE(m_prompter.reports[0].description.startsWith("CWBSY1002"));
    // Leaving the box after Enter lists nothing again.
    child<QLineEdit>(m_dialog, "Edit1")->setFocus();
    EXPECT_EQ(attempts(), 1);
    // The right password: the next listing signs on.
    auto* password = child<QLineEdit>(m_dialog, "Edit2");
    password->clear();
    QTest::keyClicks(password, "other");
    Q_EMIT systems()->activated(systems()->findText("OTHERSYS"));
    EXPECT_EQ(attempts(), 2);
    EXPECT_EQ(libraries()->count(), 1);
    EXPECT_FALSE(EmbeddedSystem(m_home.file("hosts/OTHERSYS")).disabled("QUSER"));
    SignOnGuard::forgetAll();
}

TEST_F(SetupDialogTest, AStoredSystemThatCannotBeTakenIsShownWithItsReason)
{
    m_home.writeSettings("BAD/SYS", "CO01DATA");
    m_dialog.show();
    m_dialog.prepare();
    EXPECT_EQ(systems()->currentText(), "BAD/SYS"); // never replaced by a listed one
    auto* problem = child<QLabel>(m_dialog, "lbSystemProblem");
    EXPECT_FALSE(problem->isHidden());
    EXPECT_TRUE(problem->text().contains("is not a host system name"))
        << problem->text().toStdString();
    EXPECT_FALSE(ok()->isEnabled());
    const int good = systems()->findText("TESTSYS");
    ASSERT_GE(good, 0);
    systems()->setCurrentIndex(good);
    Q_EMIT systems()->activated(good);
    EXPECT_TRUE(problem->isHidden());
    libraries()->setCurrentIndex(0);
    Q_EMIT libraries()->activated(0);
    EXPECT_TRUE(ok()->isEnabled());
}

TEST(ErrorInfoDialog, ShowsTheReportAndForgetsTheMessagesHoweverItCloses)
{
    ErrorInfoDialog dialog;
    ErrorReport call;
    call.helpContext = 0;
    call.description = "abc";
    call.hasCallInfo = true;
    call.returnCode = -443;
    call.messages = {"CPF9801 - one", "CPF0001 - two", "CPF0002 - three"};
    dialog.fill(call);
    EXPECT_EQ(child<QLabel>(dialog, "errNumber")->text(), "Error help context:  0");
    EXPECT_EQ(child<QLabel>(dialog, "errDesc")->text(), "Error description: abc");
    EXPECT_EQ(child<QLabel>(dialog, "caRC")->text(), "Client Access return code:  -443");
    auto* list = child<QListWidget>(dialog, "caMessages");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(2)->text(), "CPF0002 - three");
    dialog.show();
    dialog.reject(); // the title bar's close box
    EXPECT_EQ(list->count(), 0);
    ErrorReport alone;
    alone.description = "no call";
    dialog.fill(alone);
    EXPECT_EQ(child<QLabel>(dialog, "caRC")->text(), "Client Access return code:");
    EXPECT_EQ(list->count(), 0);
}

} // namespace
