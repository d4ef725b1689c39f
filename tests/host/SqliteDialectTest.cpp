#include "host/SqliteDialect.h"
#include "common/Error.h"
#include "host/HostSchema.h"

#include <gtest/gtest.h>

using namespace zelvaro;

namespace {

SqliteDialect dialect()
{
    SqliteDialect d;
    d.setLibrary(QStringLiteral("CO01DATA"), hostTables());
    return d;
}

TEST(SqliteDialect, QuotesHashColumnsAndLeavesLiteralsAlone)
{
    const auto t =
        dialect().translate(QStringLiteral("Update \"CO01DATA\".\"U4CDMSDOT\" SET CDEPA# = 'A#1 "
                                           "''x'' \"q\"', cdepa#=1 Where CDITEM = 'IMSUB#'"));
    ASSERT_EQ(t.statements.size(), 1);
    EXPECT_EQ(t.statements[0],
              "Update \"CO01DATA\".\"U4CDMSDOT\" SET \"CDEPA#\" = 'A#1 ''x'' \"q\"', \"CDEPA#\"=1 "
              "Where CDITEM = 'IMSUB#'");
}

TEST(SqliteDialect, FindsTheQueriedTableForFieldWidths)
{
    const auto t = dialect().translate(QStringLiteral(
        "select  IMPROD, IMDESC, IMDEPT, IMFLCD, IMASUB, IMSUB# from \"CO01DATA\".\"U4ITMMR\""));
    ASSERT_NE(t.source, nullptr);
    EXPECT_EQ(t.source->name, "U4ITMMR");
    EXPECT_TRUE(t.statements[0].endsWith("IMASUB, \"IMSUB#\" from \"CO01DATA\".\"U4ITMMR\""));
}

TEST(SqliteDialect, LibraryNamesAreCaseSensitive)
{
    try {
        dialect().translate(QStringLiteral("Select * from \"co01data\".\"U4ITHZD\""));
        FAIL() << "no error";
    } catch (const HostError& e) {
        EXPECT_EQ(e.text(), "SQL0204 - U4ITHZD in co01data type *FILE not found.");
    }
}

TEST(SqliteDialect, WideningBecomesATableRebuild)
{
    const auto t = dialect().translate(QStringLiteral(
        "ALTER TABLE \"CO01DATA\".\"U4CDMSDOT\" ALTER COLUMN CDITEM SET DATA TYPE CHARACTER(35) "
        "CCSID 37 NOT NULL WITH DEFAULT"));
    EXPECT_TRUE(t.transaction);
    ASSERT_TRUE(t.alteredColumn.has_value());
    EXPECT_EQ(t.alteredColumn->second.field.width, 35);
    EXPECT_TRUE(t.statements.join("\n").contains("DROP TABLE \"CO01DATA\".\"U4CDMSDOT\""));
    EXPECT_THROW(dialect().translate(QStringLiteral("ALTER TABLE \"CO01DATA\".\"U4CDMSDOT\" ALTER "
                                                    "COLUMN NOPE SET DATA TYPE CHARACTER(35)")),
                 HostError);
}

TEST(SqliteDialect, MessagesReadLikeTheHosts)
{
    const struct {
        const char* sqlite;
        const char* host;
    } cases[] = {
        {"no such table: CO01DATA.U4ITHZD", "SQL0204 - U4ITHZD in CO01DATA type *FILE not found."},
        {"no such column: NOPE", "SQL0206 - Column or global variable NOPE not found."},
        {"CHECK constraint failed: ZH_LEN_IMASUB",
         "SQL0404 - Value for column or variable IMASUB too long."},
        {"UNIQUE constraint failed: U4ITHZD.HZPROD",
         "SQL0803 - Duplicate key value specified in U4ITHZD."},
        {"cannot store TEXT value in INTEGER column U4ITMMR.IMDEPT",
         "SQL0408 - Value for column or variable IMDEPT not compatible."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SqliteDialect::hostMessage(c.sqlite), c.host);
    EXPECT_TRUE(SqliteDialect::hostMessage("database is locked").startsWith("SQL0913"));
}

} // namespace
