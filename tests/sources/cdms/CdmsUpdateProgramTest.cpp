#include "sources/cdms/CdmsUpdateProgram.h"
#include "support/RecordingRunUi.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

QString script(const QTemporaryDir& dir, int seconds)
{
    const QString path = dir.filePath("CdUpExec");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("#!/bin/sh\nsleep " + QByteArray::number(seconds) + "\nexit 3\n");
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    return path;
}

TEST(CdmsUpdateProgram, WaitsWithEventsProcessedThenReports)
{
    QTemporaryDir dir;
    RecordingRunUi ui;
    bool serviced = false;
    QTimer::singleShot(300, [&] { serviced = ui.busy; });
    QElapsedTimer t;
    t.start();
    CdmsUpdateProgram(script(dir, 2)).run(ui, {});
    EXPECT_GE(t.elapsed(), 1900);
    EXPECT_TRUE(serviced); // the window was answering while busy
    EXPECT_EQ(ui.prompts.shown, QStringList({"CDMS Update Processed"}));
    EXPECT_EQ(ui.events, QStringList({"beginBusy", "endBusy"}));
}

TEST(CdmsUpdateProgram, MissingProgramIsReported)
{
    RecordingRunUi ui;
    CdmsUpdateProgram("/nonexistent/CdUpExec").run(ui, {});
    EXPECT_EQ(ui.prompts.shown, QStringList({"Error starting CDMS Update!"}));
    EXPECT_EQ(ui.events, QStringList({"beginBusy", "endBusy"}));
}

TEST(CdmsUpdateProgram, ClosingTheApplicationEndsTheWait)
{
    QTemporaryDir dir;
    RecordingRunUi ui;
    bool closing = false;
    QTimer::singleShot(200, [&] { closing = true; });
    QElapsedTimer t;
    t.start();
    CdmsUpdateProgram(script(dir, 30)).run(ui, [&] { return closing; });
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_EQ(ui.prompts.shown, QStringList({"CDMS Update Processed"}));
}

} // namespace
