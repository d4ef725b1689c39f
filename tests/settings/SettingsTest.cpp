#include "settings/Settings.h"
#include "common/Error.h"
#include "settings/PasswordCodec.h"
#include "settings/SetupValues.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zelvaro;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void write(const QByteArray& bytes) const
    {
        QFile f(m_settings.path());
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
    QTemporaryDir m_dir;
    Settings m_settings{m_dir.filePath(QStringLiteral("INVSIG.INI"))};
};

TEST_F(SettingsTest, BooleansReadAsIntegersWithTheReadersDefault)
{
    write("[T]\none=1\nzero=0\nhex=0x10\nhexzero=0X0\nneg=-3\nyes=yes\nmixed=1abc\nempty=\n");
    const struct {
        const char* key;
        bool def;
        bool expected;
    } cases[] = {{"one", false, true},     {"zero", true, false},   {"hex", false, true},
                 {"hexzero", true, false}, {"neg", false, true},    {"yes", true, true},
                 {"yes", false, false},    {"mixed", false, false}, {"empty", true, true},
                 {"absent", true, true},   {"absent", false, false}};
    for (const auto& c : cases)
        EXPECT_EQ(m_settings.readBool("T", c.key, c.def), c.expected)
            << c.key << " default " << c.def;
}

TEST_F(SettingsTest, DateTimesRoundTripAndMidnightIsTheDateAlone)
{
    const QDateTime withTime(QDate(2026, 3, 4), QTime(13, 5, 9));
    const QDateTime midnight(QDate(2026, 12, 9), QTime(0, 0));
    m_settings.writeDateTime("Agrian", "A", withTime);
    m_settings.writeDateTime("Agrian", "DownloadDate", midnight);
    EXPECT_EQ(m_settings.readText("Agrian", "DownloadDate"), "2026-12-09");
    const QDateTime def(QDate(2015, 1, 1), QTime(0, 0));
    EXPECT_EQ(m_settings.readDateTime("Agrian", "A", def), withTime);
    EXPECT_EQ(m_settings.readDateTime("Agrian", "DownloadDate", def), midnight);
    m_settings.writeText("Agrian", "Bad", "31/31/2020");
    EXPECT_EQ(m_settings.readDateTime("Agrian", "Bad", def), def);
    EXPECT_EQ(m_settings.readDateTime("Agrian", "Absent", def), def);
}

TEST(PasswordCodec, EncodesAndDecodes)
{
    EXPECT_EQ(encodePassword(""), "");
    EXPECT_EQ(encodePassword("abc"), "YWJj");
    EXPECT_EQ(decodePassword("YWJj"), "abc");
    EXPECT_EQ(decodePassword(encodePassword(QString::fromUtf8("p\xc3\xa4ss"))),
              QString::fromUtf8("p\xc3\xa4ss"));
    // A character of code 256 or more is stored as a question mark.
    const QString typed = QStringLiteral("a") + QChar(0x0152) + QStringLiteral("b");
    EXPECT_EQ(decodePassword(encodePassword(typed)), "a?b");
    EXPECT_EQ(decodeLegacyPassword("hjl"), "abc");
    EXPECT_EQ(decodePassword("not base64!"), "");
    EXPECT_EQ(decodePassword("YWJ"), "");
}

TEST_F(SettingsTest, LegacyPasswordIsMigratedOnRead)
{
    write("[Transfer]\nHost=H\nPWD=hjl\n");
    EXPECT_EQ(readHostPasswordMigrating(m_settings), "abc");
    EXPECT_EQ(m_settings.readText("Transfer", "PWD"), "YWJj");
    EXPECT_EQ(m_settings.readText("Transfer", "Pwdv2"), "1");
    // Current form: used as Base64, left unchanged.
    EXPECT_EQ(readHostPasswordMigrating(m_settings), "abc");
    EXPECT_EQ(m_settings.readText("Transfer", "PWD"), "YWJj");
}

TEST_F(SettingsTest, AbsentPasswordMigratesToEmptyCurrentForm)
{
    EXPECT_EQ(readHostPasswordMigrating(m_settings), "");
    EXPECT_EQ(m_settings.readText("Transfer", "PWD", "x"), "");
    EXPECT_TRUE(m_settings.readBool("Transfer", "Pwdv2", false));
}

TEST_F(SettingsTest, InvalidBase64WithPwdv2GivesEmptyPassword)
{
    write("[Transfer]\nPWD=%%%\nPwdv2=1\n");
    EXPECT_EQ(readHostPasswordMigrating(m_settings), "");
}

TEST(SettingsHome, ZelvaroHomeOverridesTheMachineFolder)
{
    qputenv("ZELVARO_HOME", "/tmp/some-home");
    EXPECT_EQ(Settings::defaultPath(), "/tmp/some-home/INVSIG.INI");
    qunsetenv("ZELVARO_HOME");
    EXPECT_EQ(Settings::defaultPath(), "/var/lib/zelvaro-hazmat/INVSIG.INI");
}

TEST_F(SettingsTest, AnUnreadablePwdv2NeitherReadsNorRewritesThePassword)
{
    for (const char* flag : {"yes", "1 ; migrated"}) {
        const QByteArray text = QByteArray("[Transfer]\nPWD=") +
                                encodePassword("right").toLatin1() + "\nPwdv2=" + flag + "\n";
        QFile f(m_settings.path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        f.close();
        try {
            readHostPasswordMigrating(m_settings);
            ADD_FAILURE() << flag << ": read";
        } catch (const SettingsError& e) {
            EXPECT_TRUE(
                e.text().startsWith(QString("Transfer/Pwdv2 is \"%1\", not a number").arg(flag)))
                << e.text().toStdString();
        }
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), text) << flag; // nothing written over it
        f.close();
        const SetupValues v = SetupValues::read(m_settings);
        EXPECT_EQ(v.password, "right") << flag;
        EXPECT_TRUE(v.problem.contains("Transfer/Pwdv2")) << flag;
    }
}

TEST(SetupValuesCheck, NothingIsStoredOtherThanItWasTyped)
{
    const struct {
        const char* field;
        QString value;
        const char* says; // empty: accepted
    } cases[] = {
        {"user", " ab ", "User ID \" ab \" has blanks at its start or end"},
        {"host", "S400\nDataLib=EVIL", "AS/400 holds a line break"},
        {"password", QString::fromUtf8("pw\u0142\u20ac"), "Password holds \"\u0142\""},
        {"password", QString::fromUtf8("  p\u00e9 \"x\" "), ""}, // blanks and quotes: kept as typed
        {"agrianPassword", "\"pw\"", ""},
        {"agrianPassword", QString::fromUtf8("\u4e2d"), "Agrian Password holds"},
    };
    for (const auto& c : cases) {
        SetupValues v;
        v.host = "S400";
        v.library = "CO01DATA";
        v.user = "QUSER";
        const QString field = c.field;
        if (field == "user") v.user = c.value;
        if (field == "host") v.host = c.value;
        if (field == "password") v.password = c.value;
        if (field == "agrianPassword") v.agrianPassword = c.value;
        const QString problem = v.check();
        if (*c.says == 0)
            EXPECT_TRUE(problem.isEmpty()) << c.field << ": " << problem.toStdString();
        else
            EXPECT_TRUE(problem.startsWith(QString::fromUtf8(c.says)))
                << c.field << ": " << problem.toStdString();
    }
    // What passes the check comes back exactly.
    QTemporaryDir dir;
    const Settings s(dir.filePath("INVSIG.INI"));
    SetupValues v;
    v.host = "S400";
    v.library = "CO01DATA";
    v.user = "QUSER";
    v.password = QString::fromUtf8("  p\u00e9 \"x\" ");
    v.agrianPassword = "\"pw\"";
    ASSERT_TRUE(v.check().isEmpty());
    v.write(s);
    const SetupValues back = SetupValues::read(s);
    EXPECT_EQ(back.password, v.password);
    EXPECT_EQ(back.agrianPassword, "\"pw\"");
}

} // namespace
