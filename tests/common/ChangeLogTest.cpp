#include "common/ChangeLog.h"

#include "support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zelvaro;

namespace {

// What a report holds is what an auditor reads in a spreadsheet: every value
// must come back exactly, whatever it contains.
TEST(ChangeLog, ReportsRoundTripEveryValueAsRfc4180)
{
    const struct {
        const char* name;
        QString oldValue;
        QString newValue;
        QByteArray line; // the record as written
    } cases[] = {
        {"plain", "UN3082", "UN1993", "U4CDMSDOT,P1,CDDOTTXT,UN3082,UN1993\r\n"},
        {"comma", "A, B", "A", "U4CDMSDOT,P1,CDDOTTXT,\"A, B\",A\r\n"},
        {"quote", "2.5\" NOZZLE", "", "U4CDMSDOT,P1,CDDOTTXT,\"2.5\"\" NOZZLE\",\r\n"},
        {"line break", "A\r\nB", "A B", "U4CDMSDOT,P1,CDDOTTXT,\"A\r\nB\",A B\r\n"},
        {"non-ASCII", "Bio Grün", "Bio Grüne €", "U4CDMSDOT,P1,CDDOTTXT,Bio Grün,Bio Grüne €\r\n"},
        {"trailing blanks dropped", "ABC   ", " ABD  ", "U4CDMSDOT,P1,CDDOTTXT,ABC, ABD\r\n"},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        ChangeLog log;
        log.record("U4CDMSDOT", "P1   ", "CDDOTTXT", c.oldValue, c.newValue);
        ASSERT_EQ(log.changedRows(), 1) << c.name;
        EXPECT_EQ(log.csv(), "table,key,column,old,new\r\n" + c.line) << c.name;

        QString error;
        ASSERT_TRUE(log.write(dir.filePath("changes"), "r.csv", &error)) << error.toStdString();
        std::vector<ChangeLog::Change> back;
        ASSERT_TRUE(ChangeLog::read(dir.filePath("changes/r.csv"), &back, &error))
            << error.toStdString();
        ASSERT_EQ(back.size(), 1u) << c.name;
        EXPECT_EQ(back[0].key, "P1") << c.name;
        EXPECT_EQ(back[0].oldValue, log.changes()[0].oldValue) << c.name;
        EXPECT_EQ(back[0].newValue, log.changes()[0].newValue) << c.name;
    }
}

TEST(ChangeLog, CountsChangedRowsNotColumnsAndSkipsEqualValues)
{
    ChangeLog log;
    log.record("U4ITMMR", "I1", "IMEPA", "123-45", "123-45   "); // equal as the host compares
    EXPECT_EQ(log.changedRows(), 0);
    log.record("U4ITMMR", "I1", "IMEPA", "123-45", "123-46");
    log.record("U4ITMMR", "I1", "IMDESC", "A", "B");
    log.record("U4ITHZD", "I1", "HZLINE1", "A", "B"); // same key, another table
    EXPECT_EQ(log.changedRows(), 2);
    EXPECT_EQ(log.changes().size(), 3u);
}

TEST(ChangeLog, NamesItsFileByTheStartAndRefusesWhatIsNotAReport)
{
    const QDateTime start(QDate(2026, 12, 11), QTime(2, 5, 9));
    EXPECT_EQ(ChangeLog::fileName(start, false), "20261211-020509.csv");
    EXPECT_EQ(ChangeLog::fileName(start, true), "20261211-020509-dry-run.csv");

    QTemporaryDir dir;
    const struct {
        const char* name;
        QByteArray bytes;
    } bad[] = {{"another header", "a,b,c\r\n"},
               {"short record", "table,key,column,old,new\r\nT,K,C,O\r\n"},
               {"open quote", "table,key,column,old,new\r\nT,K,C,\"O,N\r\n"}};
    for (const auto& b : bad) {
        QFile f(dir.filePath("x.csv"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(b.bytes);
        f.close();
        std::vector<ChangeLog::Change> back;
        QString error;
        EXPECT_FALSE(ChangeLog::read(f.fileName(), &back, &error)) << b.name;
        EXPECT_TRUE(error.contains("is not a change report")) << b.name << error.toStdString();
    }
    // A folder that cannot be made is said with the file system's reason.
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    ChangeLog empty;
    QString error;
    EXPECT_FALSE(empty.write(dir.filePath("plain/changes"), "r.csv", &error));
    EXPECT_TRUE(error.endsWith(": Not a directory")) << error.toStdString();
    ASSERT_TRUE(empty.write(dir.path(), "empty.csv", &error));
    std::vector<ChangeLog::Change> back{{}};
    EXPECT_TRUE(ChangeLog::read(dir.filePath("empty.csv"), &back, &error)) << error.toStdString();
    EXPECT_TRUE(back.empty());
}

} // namespace
