// The run history: one whole line per run, read back past malformed lines.
#include "update/RunHistory.h"
#include "support/TestHome.h"

#include <QFile>
#include <QRegularExpression>
#include <QTimeZone>
#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

RunRecord sample(int dotAdded = 3)
{
    RunRecord r;
    const QTimeZone chicago(-6 * 3600);
    r.started = QDateTime(QDate(2026, 12, 9), QTime(23, 30, 5), chicago);
    r.ended = r.started.addSecs(125);
    r.startedBy = QStringLiteral("batch");
    r.source = QStringLiteral("Agrian");
    r.dotAdded = dotAdded;
    r.dotUpdated = 40;
    r.hazardAdded = 2;
    r.hazardUpdated = 37;
    r.itemsNotUpdated = 1;
    r.result = QStringLiteral("exit 0");
    return r;
}

TEST(RunHistory, ALineHoldsItsFieldsWithLocalOffsetsAndReadsBack)
{
    RunRecord r = sample();
    r.changedRows = 79;
    r.report = QStringLiteral("20261209-233005.csv");
    r.result = QStringLiteral("stopped: the host\ttables are not open\r\n(CO01DATA)");
    const QByteArray line = RunHistory::formatLine(r);
    EXPECT_EQ(
        line,
        "2026-12-09T23:30:05-06:00\t2026-12-09T23:32:10-06:00\tbatch\tAgrian\t3\t40\t2\t37\t1\t"
        "79\t20261209-233005.csv\tstopped: the host tables are not open  (CO01DATA)\n");
    // A line written before the change report (ten fields) reads too.
    const auto old = RunHistory::parseLine("2026-12-09T23:30:05-06:00\t2026-12-09T23:32:10-06:"
                                           "00\tbatch\tCDMS\t1\t2\t3\t4\t5\texit 0\n");
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(old->changedRows, 0);
    EXPECT_EQ(old->report, "");
    EXPECT_EQ(old->result, "exit 0");
    const auto back = RunHistory::parseLine(line);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->started, r.started);
    EXPECT_EQ(back->started.offsetFromUtc(), -6 * 3600);
    EXPECT_EQ(back->hazardUpdated, 37);
    EXPECT_EQ(back->changedRows, 79);
    EXPECT_EQ(back->report, "20261209-233005.csv");
    EXPECT_EQ(back->result, "stopped: the host tables are not open  (CO01DATA)");
}

TEST(RunHistory, MalformedLinesAreSkippedWithANote)
{
    const QByteArray good = RunHistory::formatLine(sample());
    const struct {
        const char* name;
        QByteArray line;
    } bad[] = {
        {"nine fields", good.left(good.lastIndexOf('\t')) + "\n"},
        {"a date that is none", QByteArray(good).replace("2026-12-09T23:30:05", "yesterday")},
        {"a negative count", QByteArray(good).replace("\t40\t", "\t-40\t")},
        {"no result", good.left(good.lastIndexOf('\t') + 1) + "\n"},
        {"plain text", "half a line"},
    };
    TestHome home;
    QFile file(home.file("history.log"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(RunHistory::formatLine(sample(1)));
    for (const auto& b : bad) {
        EXPECT_FALSE(RunHistory::parseLine(b.line).has_value()) << b.name;
        file.write(b.line.endsWith('\n') ? b.line : b.line + "\n");
    }
    file.write(RunHistory::formatLine(sample(2)));
    file.write(RunHistory::formatLine(sample(3)));
    file.close();

    const RunHistory history(home.file("history.log"));
    const RunHistory::Listing last2 = history.readLast(2);
    ASSERT_EQ(last2.records.size(), 2u);
    EXPECT_EQ(last2.records[0].dotAdded, 2);
    EXPECT_EQ(last2.records[1].dotAdded, 3);
    ASSERT_EQ(last2.notes.size(), qsizetype(std::size(bad)));
    EXPECT_TRUE(last2.notes[0].endsWith("line 2: not a run record, skipped"))
        << last2.notes[0].toStdString();
    EXPECT_EQ(history.readLast(-1).records.size(), 3u);
    EXPECT_FALSE(RunHistory(home.file("none.log")).readLast(5).exists);

    const QStringList table = RunHistory::table(last2.records).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(table.size(), 3);
    EXPECT_TRUE(table[0].startsWith("Started "));
    EXPECT_EQ(table[1].size(), table[2].size()); // columns aligned
}

TEST(RunHistory, AWriterKilledMidRunLeavesOnlyWholeLines)
{
#ifndef Q_OS_UNIX
    GTEST_SKIP() << "forks a writer";
#else
    TestHome home;
    const QString path = home.file("history.log");
    RunRecord r = sample();
    r.result =
        QStringLiteral("stopped: ") + QString(3990, QLatin1Char('x')); // always across a page
    for (int round = 0; round < 30; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const RunHistory history(path);
            for (;;)
                history.append(r);
        }
        usleep(useconds_t(300 + 397 * round)); // killed at a different point each round
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    // The next run's line follows whole lines only.
    RunRecord next = sample(77);
    ASSERT_TRUE(RunHistory(path).append(next));
    const RunHistory::Listing all = RunHistory(path).readLast(-1);
    EXPECT_TRUE(all.notes.isEmpty()) << all.notes.join("\n").toStdString();
    ASSERT_GT(all.records.size(), 1u);
    EXPECT_EQ(all.records.back().dotAdded, 77);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().endsWith('\n'));
#endif
}

} // namespace
