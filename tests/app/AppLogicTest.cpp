#include "app/AppInfo.h"
#include "common/Error.h"
#include "app/CommandLine.h"
#include "app/OldFiles.h"
#include "app/TAboutBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/time.h>
#include <utime.h>

using namespace zelvaro;

namespace {

void touch(const QString& path, const QDateTime& when)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("x");
    f.close();
    utimbuf t{when.toSecsSinceEpoch(), when.toSecsSinceEpoch()};
    utime(path.toLocal8Bit().constData(), &t);
}

TEST(DeleteOldFiles, DeletesMatchingFilesStrictlyOlderThanTheDays)
{
    QTemporaryDir dir;
    const QDateTime now = QDateTime::currentDateTime();
    const QString d = dir.path() + "/";
    touch(d + "Agrian.xml", now.addSecs(-(10 * 86400 + 23 * 3600)));
    touch(d + "Agrian123.xml", now.addDays(-11));
    touch(d + "Agrian.xml.bak", now.addDays(-30));
    touch(d + "Other.xml", now.addDays(-30));
    QDir().mkpath(d + "AgrianOld.xml");
    DeleteOldFiles(d + "Agrian*.xml", 10, now);
    EXPECT_TRUE(QFile::exists(d + "Agrian.xml"));
    EXPECT_FALSE(QFile::exists(d + "Agrian123.xml"));
    EXPECT_TRUE(QFile::exists(d + "Agrian.xml.bak"));
    EXPECT_TRUE(QFile::exists(d + "Other.xml"));
    EXPECT_TRUE(QFileInfo(d + "AgrianOld.xml").isDir());
    // A missing folder or one that is a file: silent.
    DeleteOldFiles(d + "missing/Agrian*.xml", 10, now);
    DeleteOldFiles(d + "Other.xml/Agrian*.xml", 10, now);
}

TEST(DataFolder, IsCreatedWhenMissing)
{
    QTemporaryDir dir;
    qputenv("ZELVARO_HOME", dir.path().toLocal8Bit());
    const QString folder = dataFolder();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(folder, dir.path() + "/Data");
    qunsetenv("ZELVARO_HOME");
}

TEST(CommandLine, UpdateOnlyAsFirstArgumentAndOptionsDoNotCount)
{
    const struct {
        QStringList args;
        bool unattended;
        bool batch;
    } cases[] = {{{"p", "update"}, true, false},
                 {{"p", "--batch", "Update"}, true, true},
                 {{"p", "x", "UPDATE"}, false, false},
                 {{"p", "--sql-log", "f.sql", "UPDATE"}, true, false},
                 {{"p"}, false, false}};
    for (const auto& c : cases) {
        const CommandLine cl = CommandLine::parse(c.args);
        EXPECT_EQ(cl.unattended(), c.unattended) << c.args.join(" ").toStdString();
        EXPECT_EQ(cl.batch, c.batch);
        EXPECT_TRUE(cl.error.isEmpty());
    }
    EXPECT_EQ(CommandLine::parse({"p", "--sql-log", "f.sql"}).sqlLog, "f.sql");
    EXPECT_FALSE(CommandLine::parse({"p", "--frobnicate"}).error.isEmpty());
    EXPECT_FALSE(CommandLine::parse({"p", "--sql-log"}).error.isEmpty());
}

TEST(AppInfo, ReadsTheStampedVersionStrings)
{
    tAppInfo info;
    EXPECT_TRUE(GetAppInfo(QStringLiteral(ZELVARO_APP_PATH), info));
    EXPECT_EQ(info.strFileVersion, QStringLiteral(ZELVARO_APP_VERSION));
    EXPECT_EQ(info.strFileDesc, "CDMS to Zelvaro Interface");
    // This test program carries no version section.
    EXPECT_TRUE(GetAppInfo(QCoreApplication::applicationFilePath(), info));
    EXPECT_TRUE(info.strFileVersion.isEmpty());
    EXPECT_TRUE(info.strFileDesc.isEmpty());
    EXPECT_THROW(GetAppInfo("/nonexistent/program", info), Error);
}

TEST(AboutBox, ShowsVersionCentredAndKeepsTheDesignNameWithoutStrings)
{
    TAboutBox box;
    box.fill(QStringLiteral(ZELVARO_APP_PATH));
    auto* version = box.findChild<QLabel*>("Version");
    auto* product = box.findChild<QLabel*>("ProductName");
    auto* panel = box.findChild<QWidget*>("Panel1");
    EXPECT_EQ(version->text(), "Version " ZELVARO_APP_VERSION);
    EXPECT_EQ(version->x(), (panel->width() - version->width()) / 2);
    EXPECT_EQ(product->x(), (panel->width() - product->width()) / 2);
    box.fill(QCoreApplication::applicationFilePath());
    EXPECT_EQ(version->text(), "Version ");
    EXPECT_EQ(product->text(), "CDMS to Zelvaro Interface");
    EXPECT_EQ(version->x(), (panel->width() - version->width()) / 2);
}

} // namespace
