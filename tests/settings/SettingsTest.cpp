#include "settings/Settings.h"
#include "settings/PasswordCodec.h"

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

} // namespace
