#include "settings/IniFile.h"
#include "common/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using zelvaro::IniFile;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("INVSIG.INI")); }
    void write(const QByteArray& bytes) const
    {
        QFile f(path());
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
    QByteArray contents() const
    {
        QFile f(path());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    QTemporaryDir m_dir;
};

TEST_F(IniFileTest, ReadsWithProfileSemantics)
{
    write("; comment\n"
          "[transfer]\n"
          "host = PROD400 \n"
          "HOST=SECOND\n"
          "line without equals\n"
          "=novalue\n"
          "Quoted=\"abc\"\n"
          "[Empty]\n"
          "[TRANSFER]\n"
          "DataLib=LATER\n"
          "[Other]\n"
          "Host=OTHER\n");
    const IniFile ini(path());
    EXPECT_EQ(ini.readString("Transfer", "Host", "d"), "PROD400"); // case-insensitive, first wins
    EXPECT_EQ(ini.readString("TRANSFER", "quoted", "d"), "abc");
    EXPECT_EQ(ini.readString("Transfer", "DataLib", "d"), "d"); // only the first section counts
    EXPECT_EQ(ini.readString("Empty", "Host", "d"), "d");
    EXPECT_EQ(ini.readString("Other", "Host", "d"), "OTHER");
    EXPECT_EQ(ini.readString("Missing", "Host", "d"), "d");
}

TEST_F(IniFileTest, AbsentEmptyAndGarbageFilesGiveDefaults)
{
    const IniFile ini(path());
    EXPECT_EQ(ini.readString("Transfer", "Host", "def"), "def");
    write("");
    EXPECT_EQ(ini.readString("Transfer", "Host", "def"), "def");
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 37) % 256));
    write(garbage);
    EXPECT_EQ(ini.readString("Transfer", "Host", "def"), "def");
}

TEST_F(IniFileTest, LongValuesAreCutAt2047Characters)
{
    write("[S]\nK=" + QByteArray(5000, 'x') + "\n");
    EXPECT_EQ(IniFile(path()).readString("S", "K", {}).size(), 2047);
}

TEST_F(IniFileTest, WriteReplacesOneKeyInPlaceAndKeepsEverythingElse)
{
    write("; settings\r\n[Transfer]\r\nHost=A\r\n; keep "
          "me\r\nhost=dup\r\nUser=U\r\n\r\n[Agrian]\r\nUserID=x\r\n");
    const IniFile ini(path());
    ini.writeString("transfer", "HOST", "B");
    ini.writeString("Transfer", "Pwdv2", "1");
    ini.writeString("CDMSFilter", "edName", "ABC");
    EXPECT_EQ(
        contents(),
        "; settings\r\n[Transfer]\r\nHOST=B\r\n; keep me\r\nhost=dup\r\nUser=U\r\nPwdv2=1\r\n\r\n"
        "[Agrian]\r\nUserID=x\r\n[CDMSFilter]\r\nedName=ABC\r\n");
}

TEST_F(IniFileTest, FirstWriteCreatesFileAndSection)
{
    const IniFile ini(m_dir.filePath(QStringLiteral("sub/INVSIG.INI")));
    ini.writeString("Transfer", "Host", "X");
    EXPECT_EQ(ini.readString("Transfer", "Host", {}), "X");
}

TEST_F(IniFileTest, FailedWriteNamesTheFile)
{
    write("[S]\nK=1\n");
    // A folder in place of the file cannot be replaced, even by root.
    const QString blocked = m_dir.filePath(QStringLiteral("blocked"));
    QDir().mkpath(blocked + QStringLiteral("/INVSIG.INI"));
    const IniFile ini(blocked + QStringLiteral("/INVSIG.INI"));
    try {
        ini.writeString("S", "K", "2");
        FAIL() << "no error";
    } catch (const zelvaro::SettingsError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("INVSIG.INI"))) << e.text().toStdString();
    }
}

} // namespace
