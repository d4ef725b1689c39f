#include "common/AppInfo.h"
#include "common/CommandLine.h"
#include "common/Error.h"
#include "common/OldFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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

TEST(deleteOldFiles, DeletesMatchingFilesStrictlyOlderThanTheDays)
{
    QTemporaryDir dir;
    const QDateTime now = QDateTime::currentDateTime();
    const QString d = dir.path() + "/";
    touch(d + "Agrian.xml", now.addSecs(-(10 * 86400 + 23 * 3600)));
    touch(d + "Agrian123.xml", now.addDays(-11));
    touch(d + "Agrian.xml.bak", now.addDays(-30));
    touch(d + "Other.xml", now.addDays(-30));
    QDir().mkpath(d + "AgrianOld.xml");
    deleteOldFiles(d + "Agrian*.xml", 10, now);
    EXPECT_TRUE(QFile::exists(d + "Agrian.xml"));
    EXPECT_FALSE(QFile::exists(d + "Agrian123.xml"));
    EXPECT_TRUE(QFile::exists(d + "Agrian.xml.bak"));
    EXPECT_TRUE(QFile::exists(d + "Other.xml"));
    EXPECT_TRUE(QFileInfo(d + "AgrianOld.xml").isDir());
    // A folder reached through a symbolic link is not cleaned.
    QTemporaryDir target;
    touch(target.path() + "/Agrian1.xml", now.addDays(-30));
    ASSERT_TRUE(QFile::link(target.path(), d + "Data"));
    deleteOldFiles(d + "Data/Agrian*.xml", 10, now);
    EXPECT_TRUE(QFile::exists(target.path() + "/Agrian1.xml"));
    // A missing folder or one that is a file: silent.
    deleteOldFiles(d + "missing/Agrian*.xml", 10, now);
    deleteOldFiles(d + "Other.xml/Agrian*.xml", 10, now);
}

TEST(DataFolder, IsCreatedWhenMissingButNeverAHome)
{
    QTemporaryDir dir;
    const QString folder = dataFolder(dir.path(), true);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(folder, dir.path() + "/Data");
    // A home that is missing stays missing: nothing is half-created.
    const QString missing = dir.path() + "/no-home";
    EXPECT_EQ(dataFolder(missing, true), missing + "/Data");
    EXPECT_FALSE(QFileInfo::exists(missing));
    // Cleaning only looks.
    QDir(folder).removeRecursively();
    dataFolder(dir.path(), false);
    EXPECT_FALSE(QFileInfo::exists(folder));
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
    // A preview is of a run: never alone, never with a listing.
    EXPECT_TRUE(CommandLine::parse({"p", "UPDATE", "--batch", "--dry-run"}).dryRun);
    EXPECT_TRUE(CommandLine::parse({"p", "UPDATE", "--dry-run"}).error.isEmpty());
    EXPECT_FALSE(CommandLine::parse({"p", "--batch", "--dry-run"}).error.isEmpty());
    EXPECT_FALSE(CommandLine::parse({"p", "--dry-run", "--history"}).error.isEmpty());
}

TEST(AppInfo, ReadsTheStampedVersionStrings)
{
    AppInfo info;
    EXPECT_TRUE(readAppInfo(QStringLiteral(ZELVARO_APP_PATH), info));
    EXPECT_EQ(info.fileVersion, QStringLiteral(ZELVARO_APP_VERSION));
    EXPECT_EQ(info.fileDescription, "CDMS to Zelvaro Interface");
    // This test program carries no version section.
    EXPECT_TRUE(readAppInfo(QCoreApplication::applicationFilePath(), info));
    EXPECT_TRUE(info.fileVersion.isEmpty());
    EXPECT_TRUE(info.fileDescription.isEmpty());
    EXPECT_THROW(readAppInfo("/nonexistent/program", info), Error);
}

} // namespace
