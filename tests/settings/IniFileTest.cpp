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

#ifdef Q_OS_UNIX
} // namespace

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The process may write files of at most `bytes` while it lives: a full
// disk, as writes see it, without root or a mount.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small{bytes, m_old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST_F(IniFileTest, AFullDiskLeavesTheOldFileByteForByte)
{
    const QByteArray before = "[Transfer]\r\nHost=PROD400\r\n[Agrian]\r\nUser=a\r\n";
    write(before);
    const IniFile ini(path());
    {
        FileSizeLimit limit(before.size() + 4);
        try {
            ini.writeString("Transfer", "DataLib", QString(200, 'X'));
            ADD_FAILURE() << "the write did not fail";
        } catch (const zelvaro::SettingsError& e) {
            EXPECT_TRUE(e.text().startsWith("Unable to write to " + path() + ": "))
                << e.text().toStdString();
        }
    }
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList({"INVSIG.INI"}));
}

TEST_F(IniFileTest, ByteOfTheAnsiCodePageStayAsTheyAre)
{
    // Latin-1 letters, a legacy password byte 0x8A and an undefined byte 0x81.
    const QByteArray before = "[Transfer]\nName=CAF\xc9\nPWD=\x8a\x81z\n";
    write(before);
    const IniFile ini(path());
    EXPECT_EQ(ini.readString("Transfer", "Name", ""), QString::fromUtf8("CAF\u00c9"));
    EXPECT_EQ(ini.readString("Transfer", "PWD", ""), QString::fromUtf8("\u0160\u0081z"));
    // A character the code page lacks is refused, not written "?".
    EXPECT_THROW(ini.writeString("Transfer", "Host", QString::fromUtf8("\u20ac\u4e2d")),
                 zelvaro::SettingsError);
    EXPECT_EQ(contents(), before);
    ini.writeString("Transfer", "Host", QString::fromUtf8("\u20ac"));
    EXPECT_EQ(contents(), QByteArray(before + "Host=\x80\n"));
}

TEST_F(IniFileTest, SeveralKeysGoInOneReplacement)
{
    write("[Transfer]\nPWD=old\n");
    const IniFile ini(path());
    {
        FileSizeLimit limit(20);
        EXPECT_THROW(ini.writeStrings("Transfer", {{"PWD", "bmV3"}, {"Pwdv2", "1"}}),
                     zelvaro::SettingsError);
    }
    EXPECT_EQ(contents(), "[Transfer]\nPWD=old\n");
    ini.writeStrings("Transfer", {{"PWD", "bmV3"}, {"Pwdv2", "1"}});
    EXPECT_EQ(contents(), "[Transfer]\nPWD=bmV3\nPwdv2=1\n");
}

TEST_F(IniFileTest, ANewFileIsForTheGroupAndAReplacementKeepsModeAndGroup)
{
    const IniFile ini(path());
    ini.writeString("Transfer", "PWD", "c2VjcmV0");
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(path()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0660u);

    // Another group than ours: root may give any, others one of their own.
    gid_t other = getegid();
    if (geteuid() == 0) {
        other = 65534;
    } else {
        gid_t groups[64];
        const int n = getgroups(64, groups);
        for (int i = 0; i < n; ++i)
            if (groups[i] != getegid()) other = groups[i];
    }
    ASSERT_EQ(chown(QFile::encodeName(path()).constData(), uid_t(-1), other), 0);
    ASSERT_EQ(chmod(QFile::encodeName(path()).constData(), 0640), 0);
    ini.writeString("Transfer", "Host", "PROD400");
    ASSERT_EQ(stat(QFile::encodeName(path()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(st.st_gid, other);
}

TEST_F(IniFileTest, AWritableFileInAFolderTheUserCannotWriteIsWrittenInPlace)
{
    if (geteuid() == 0) GTEST_SKIP() << "root writes any folder";
    write("[Transfer]\nHost=A\n");
    ASSERT_EQ(chmod(QFile::encodeName(m_dir.path()).constData(), 0555), 0);
    IniFile(path()).writeString("Transfer", "Host", "B");
    chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
    EXPECT_EQ(contents(), "[Transfer]\nHost=B\n");
}
#endif

// The rules a Windows reader of the same file keeps: each case writes keys
// into a file, reads them back, and compares the file's bytes.
TEST_F(IniFileTest, ValuesRoundTripAndTheFileKeepsItsEncodingAndEndings)
{
    auto utf16 = [](const QString& text) {
        return QByteArray("\xFF\xFE") +
               QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    };
    const struct {
        const char* name;
        QByteArray before;
        std::vector<std::pair<const char*, QString>> writes; // [T] key, value
        std::vector<std::pair<const char*, QString>> reads;  // [T] key, value read
        QByteArray after;
    } cases[] = {
        {"values a reader would change get one more pair of quotes",
         "[T]\n",
         {{"A", "'secret'"}, {"B", "\"pw\""}, {"C", "  pw  "}, {"D", "\tx"}, {"E", "plain"}},
         {{"A", "'secret'"}, {"B", "\"pw\""}, {"C", "  pw  "}, {"D", "\tx"}, {"E", "plain"}},
         "[T]\nA=\"'secret'\"\nB=\"\"pw\"\"\nC=\"  pw  \"\nD=\"\tx\"\nE=plain\n"},
        {"a lone CR ends a line; each line keeps its own ending",
         "[T]\r\nA=1\rB=2\nC=3",
         {{"B", "two"}, {"D", "4"}},
         {{"A", "1"}, {"B", "two"}, {"C", "3"}, {"D", "4"}},
         "[T]\r\nA=1\rB=two\nC=3\r\nD=4\r\n"},
        {"only blanks and tabs are trimmed; 0xA0 is data",
         "[T]\n K \t=\t\xA0v\xA0 \n",
         {},
         {{"K", QString::fromUtf8("\u00a0v\u00a0")}},
         "[T]\n K \t=\t\xA0v\xA0 \n"},
        {"a Ctrl-Z at the end is ignored and kept",
         "[T]\nA=1\n\x1A",
         {{"B", "2"}},
         {{"A", "1"}, {"B", "2"}},
         "[T]\nA=1\nB=2\n\x1A"},
        {"a UTF-8 byte-order mark: read and written as UTF-8",
         "\xEF\xBB\xBF[T]\nA=\xC3\xA9\n",
         {{"B", QString::fromUtf8("\u0142")}},
         {{"A", QString::fromUtf8("\u00e9")}, {"B", QString::fromUtf8("\u0142")}},
         "\xEF\xBB\xBF[T]\nA=\xC3\xA9\nB=\xC5\x82\n"},
        {"UTF-16LE (\"Unicode\"): read and written as UTF-16LE",
         utf16("[T]\r\nA=x\r\n"),
         {{"B", QString::fromUtf8("\u20ac\u0142")}},
         {{"A", "x"}, {"B", QString::fromUtf8("\u20ac\u0142")}},
         utf16(QString::fromUtf8("[T]\r\nA=x\r\nB=\u20ac\u0142\r\n"))},
    };
    for (const auto& c : cases) {
        write(c.before);
        const IniFile ini(path());
        for (const auto& [key, value] : c.writes)
            ini.writeString("T", key, value);
        for (const auto& [key, value] : c.reads)
            EXPECT_EQ(ini.readString("T", key, "?"), value) << c.name << " " << key;
        EXPECT_EQ(contents(), c.after) << c.name;
    }
}

TEST_F(IniFileTest, ALineBreakInAValueIsRefusedAndNothingWritten)
{
    write("[Transfer]\nHost=S400\n");
    const IniFile ini(path());
    for (const char* value : {"AS\nDataLib=EVIL", "AS\rX", "AS\r\n"}) {
        try {
            ini.writeString("Transfer", "Host", value);
            ADD_FAILURE() << "written: " << value;
        } catch (const zelvaro::SettingsError& e) {
            EXPECT_TRUE(e.text().contains("Transfer/Host")) << e.text().toStdString();
        }
    }
    EXPECT_EQ(contents(), "[Transfer]\nHost=S400\n");
    EXPECT_EQ(ini.readString("Transfer", "DataLib", "none"), "none");
}

} // namespace
