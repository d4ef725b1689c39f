#include "host/HostConnection.h"
#include "HostTestRoute.h"
#include "common/Error.h"
#include "common/Text.h"
#include "host/HostSchema.h"
#include "host/SqlLog.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

const QString Items = QStringLiteral("\"CO01DATA\".\"U4ITMMR\"");

QString hostText(const std::function<void()>& f)
{
    try {
        f();
    } catch (const HostError& e) {
        return e.text();
    }
    return QStringLiteral("<no error>");
}

class HostConnectionTest : public RouteTest {};

// The statement log on for one test.
struct ScopedSqlLog {
    explicit ScopedSqlLog(const QString& path) { SqlLog::setPath(path); }
    ~ScopedSqlLog() { SqlLog::setPath(QString()); }
};

TEST_P(HostConnectionTest, CharacterValuesBehaveLikeDb2)
{
    HostConnection c;
    connect(c);
    c.execute("INSERT INTO " + Items +
              " (IMPROD, IMDESC, IMDEPT, IMFLCD, IMASUB, IMSUB#) "
              "VALUES('ABC', 'O''NEIL & SONS', 10, 100, '', 'SUB1')");
    // Blanks beyond the width are dropped without error.
    c.execute("INSERT INTO " + Items + " (IMPROD, IMDESC) VALUES('XYZ" + QString(30, ' ') +
              "', 'B')");

    auto t = c.query("select  IMPROD, IMDESC, IMDEPT, IMFLCD, IMASUB, IMSUB# from " + Items);
    ASSERT_EQ(t->rowCount(), 2);
    EXPECT_EQ(t->fields()[0].width, 14);
    EXPECT_EQ(t->fields()[5].name, "IMSUB#");
    EXPECT_EQ(t->text(0, 0), "ABC           "); // padded to the column width
    EXPECT_EQ(t->text(0, 1), "O'NEIL & SONS" + QString(17, ' '));
    EXPECT_EQ(t->text(0, 4), QString(20, ' '));
    EXPECT_EQ(t->value(0, 2).toInt(), 10);
    EXPECT_EQ(t->text(1, 0), "XYZ           ");

    // Trailing blanks do not count in comparisons.
    c.execute("Update " + Items + " SET IMASUB = '1234-5' Where IMPROD = 'ABC      '");
    c.execute("Update " + Items + " SET IMSUB# = 'S2' Where IMPROD = 'XYZ'");
    t = c.query("Select IMASUB, IMSUB# from " + Items + " Where IMPROD = 'ABC'");
    ASSERT_EQ(t->rowCount(), 1);
    EXPECT_EQ(t->text(0, 0).trimmed(), "1234-5");

    EXPECT_EQ(hostText([&] {
                  c.execute("Update " + Items +
                            " SET IMPROD = '123456789012345' Where IMPROD = 'ABC'");
              }),
              "SQL0404 - Value for column or variable IMPROD too long.");
    EXPECT_EQ(hostText([&] { c.execute("INSERT INTO " + Items + " (IMPROD) VALUES('ABC ')"); }),
              "SQL0803 - Duplicate key value specified in U4ITMMR.");
    EXPECT_EQ(
        hostText([&] { c.execute("Update " + Items + " SET IMDEPT = 'X' Where IMPROD = 'ABC'"); }),
        "SQL0408 - Value for column or variable IMDEPT not compatible.");
}

TEST_P(HostConnectionTest, MissingLibraryTableAndColumnAreHostErrors)
{
    HostConnection c;
    connect(c);
    EXPECT_EQ(hostText([&] { c.query("Select * from \"NOLIB\".\"U4ITMMR\""); }),
              "SQL0204 - U4ITMMR in NOLIB type *FILE not found.");
    EXPECT_EQ(hostText([&] { c.query("Select * from \"CO01DATA\".\"U4NONE\""); }),
              "SQL0204 - U4NONE in CO01DATA type *FILE not found.");
    EXPECT_EQ(hostText([&] { c.query("Select NOPE from " + Items); }),
              "SQL0206 - Column or global variable NOPE not found.");
}

TEST_P(HostConnectionTest, WideningTheDotItemColumnKeepsRows)
{
    // An older DOT table: CDITEM 14 wide.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "old-layout");
        db.setDatabaseName(m_library);
        db.open();
        QSqlQuery q(db);
        q.exec("DROP TABLE U4CDMSDOT");
        q.exec("DELETE FROM ZH_SYSTABLES WHERE TABLE_NAME = 'U4CDMSDOT'");
        q.exec("DELETE FROM ZH_SYSCOLUMNS WHERE TABLE_NAME = 'U4CDMSDOT'");
        TableDef def = *hostTable("U4CDMSDOT");
        def.columns[0].field.width = 14;
        for (const QString& s : SqliteDialect::createTableSql("main", def))
            q.exec(s);
        q.exec("INSERT INTO U4CDMSDOT(CDITEM, CDNAME) VALUES('SHORT ID', 'NAME')");
        db.close();
    }
    QSqlDatabase::removeDatabase("old-layout");

    HostConnection c;
    connect(c);
    const QString dot = "\"CO01DATA\".\"U4CDMSDOT\"";
    EXPECT_EQ(c.query("Select * from " + dot)->fields()[0].width, 14);
    EXPECT_TRUE(hostText([&] {
                    c.execute("INSERT INTO " + dot + " (CDITEM, CDNAME) VALUES('" +
                              QString(20, 'X') + "', 'N')");
                }).startsWith("SQL0404"));
    c.execute("ALTER TABLE " + dot +
              " ALTER COLUMN CDITEM SET DATA TYPE CHARACTER(35) CCSID 37 NOT NULL WITH DEFAULT");
    auto t = c.query("Select * from " + dot);
    EXPECT_EQ(t->fields()[0].width, 35);
    ASSERT_EQ(t->rowCount(), 1);
    EXPECT_EQ(t->text(0, 0), padToWidth("SHORT ID", 35));
    c.execute("INSERT INTO " + dot + " (CDITEM, CDNAME) VALUES('" + QString(20, 'X') + "', 'N')");
    // The catalog carries the new width across connections.
    HostConnection again(QStringLiteral("again"));
    connect(again);
    EXPECT_EQ(again.query("Select * from " + dot)->fields()[0].width, 35);
}

TEST_P(HostConnectionTest, LockedLibraryRefusesTheWideningWithoutHalfWriting)
{
    ScopedEnv wait("ZELVARO_LOCK_WAIT_MS", QStringLiteral("50"));
    HostConnection c;
    connect(c);
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "locker");
    db.setDatabaseName(m_library);
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec("BEGIN IMMEDIATE"));
    const QString text = hostText([&] {
        c.execute("ALTER TABLE \"CO01DATA\".\"U4CDMSDOT\" ALTER COLUMN CDITEM SET DATA TYPE "
                  "CHARACTER(40)");
    });
    EXPECT_TRUE(text.startsWith("SQL0913")) << text.toStdString();
    q.exec("ROLLBACK");
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("locker");
    EXPECT_EQ(c.query("Select * from \"CO01DATA\".\"U4CDMSDOT\"")->fields()[0].width, 35);
}

TEST_P(HostConnectionTest, StatementStreamIsAReplayableScript)
{
    const QString log = m_home->file("stream.sql");
    const ScopedSqlLog on(log);
    HostConnection c;
    connect(c);
    c.execute("INSERT INTO \"CO01DATA\".\"U4CDMSDOT\" (CDITEM, CDNAME, CDEPA#) VALUES('A;B', "
              "'it''s', '1')");
    SqlLog::setPath(QString());
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains("-- ATTACH DATABASE")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("INSERT INTO \"CO01DATA\".\"U4CDMSDOT\" (CDITEM, CDNAME, \"CDEPA#\") "
                              "VALUES('A;B', 'it''s', '1');\n"))
        << text.toStdString();
}

TEST_P(HostConnectionTest, AFailingStatementIsInTheScriptBeforeItsFailureIsShown)
{
    const QString log = m_home->file("failing.sql");
    const ScopedSqlLog on(log);
    HostConnection c;
    connect(c);
    EXPECT_THROW(c.execute("Update \"CO01DATA\".\"U4CDMSDOT\" SET NOSUCH = 1"), HostError);
    QFile f(log); // read while the log is still on: nothing flushed it but the failure
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("SET NOSUCH = 1"));
}

TEST_P(HostConnectionTest, ParameterLinesMaskThePasswordAndDropEmptyValues)
{
    HostConnection c;
    c.setHostSystem("TESTSYS");
    c.setLibrary("CO01DATA");
    c.setPassword("secret");
    const QStringList lines = c.parameterLines();
    EXPECT_TRUE(lines.contains("PWD=********"));
    EXPECT_FALSE(lines.join("").contains("secret"));
    EXPECT_FALSE(lines.join("\n").contains("UID="));
    EXPECT_TRUE(c.parameterLines(false).contains("PWD=secret"));
}

INSTANTIATE_TEST_SUITE_P(Routes, HostConnectionTest,
                         ::testing::Values(Route::Embedded, Route::Odbc), routeName);

TEST(HostConnectionEmbedded, MissingSystemFolderIsAConnectionError)
{
    TestHome home;
    ScopedEnv driver("ZELVARO_HOST_DRIVER", "embedded");
    HostConnection c;
    c.setHostSystem("NOSUCH");
    const QString text = hostText([&] { c.connect(); });
    EXPECT_TRUE(text.startsWith("CWBCO1003 - Host system NOSUCH was not found"))
        << text.toStdString();
    EXPECT_FALSE(c.isConnected());
}

TEST(HostConnectionEmbedded, OnlyItsLibraryIsAttachedAndADamagedCatalogIsRefused)
{
    TestHome home;
    ScopedEnv driver("ZELVARO_HOST_DRIVER", "embedded");
    const QString lib = home.createLibrary();
    // More libraries than SQLite attaches at once, a stray file, an odd name.
    for (int i = 2; i <= 12; ++i)
        home.createLibrary("TESTSYS", QString("CO%1DATA").arg(i, 2, 10, QLatin1Char('0')));
    for (const char* stray : {"NOTES.db", "CO\"X.db"}) {
        QFile f(home.file(QString("hosts/TESTSYS/") + stray));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a library");
    }
    HostConnection c;
    c.setHostSystem("TESTSYS");
    c.setLibrary("CO01DATA");
    c.connect();
    EXPECT_EQ(c.query("Select count(*) from \"CO01DATA\".\"U4ITMMR\"")->value(0, 0).toInt(), 0);
    c.disconnect();
    // A width no Db2 for i column has: refused by name, not allocated.
    TestHome::exec(lib,
                   {"UPDATE ZH_SYSCOLUMNS SET LENGTH = 2000000000 WHERE COLUMN_NAME = 'IMDESC'"});
    const QString text = hostText([&] { c.connect(); });
    EXPECT_TRUE(text.contains("column IMDESC of table U4ITMMR has a width of 2000000000"))
        << text.toStdString();
    EXPECT_FALSE(c.isConnected());
}

#ifdef Q_OS_UNIX
TEST(HostConnectionEmbedded, LibrariesOfASharedHomeStayWritableForTheGroup)
{
    TestHome home;
    ScopedEnv driver("ZELVARO_HOST_DRIVER", "embedded");
    const QString lib = home.createLibrary();
    // A home shared by a group (setgid), a library as SQLite made it.
    ASSERT_EQ(::chmod(QFile::encodeName(home.path()).constData(), 02770), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(lib).constData(), 0644), 0);
    HostConnection c;
    c.setHostSystem("TESTSYS");
    c.setLibrary("CO01DATA");
    c.connect();
    c.execute("INSERT INTO \"CO01DATA\".\"U4DEPT\" (DPDEPT) VALUES(1)");
    for (const char* suffix : {"", "-wal", "-shm"}) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(lib + suffix).constData(), &st), 0) << suffix;
        EXPECT_EQ(st.st_mode & 0060, 0060) << suffix << " mode " << std::oct << (st.st_mode & 0777);
    }
    c.disconnect();
}
#endif

TEST(HostConnectionOdbc, UnknownSystemUsesTheIbmDriverKeywords)
{
    TestHome home;
    ScopedEnv driver("ZELVARO_HOST_DRIVER", "odbc");
    HostConnection c;
    c.setHostSystem("PROD400");
    c.setUser("QUSER");
    c.setPassword("pw");
    c.setLibrary("co01data");
    EXPECT_EQ(c.parameterLines().join("\n"),
              "DRIVER=IBM i Access ODBC Driver\nSYSTEM=PROD400\nUID=QUSER\nPWD=********\nCMT=2\n"
              "NAM=0\nDBQ=co01data\nTRUEAUTOCOMMIT=0");
    try {
        c.connect(); // no such driver here
        ADD_FAILURE() << "connected without the driver";
    } catch (const HostError& e) {
        EXPECT_TRUE(e.text().contains("set ZELVARO_ODBC_DRIVER to an IBM i Access ODBC driver "
                                      "that `odbcinst -q -d` lists (installed here: none)"))
            << e.text().toStdString();
    }
}

TEST(HostConnectionOdbc, TheHostPasswordGoesToNoDriverButAnIbmiOne)
{
    // The SQLite driver would take the connection string for a database
    // file name: the password would land in the working folder.
    TestHome home;
    ScopedEnv route("ZELVARO_HOST_DRIVER", "odbc");
    ScopedEnv driver("ZELVARO_ODBC_DRIVER", "SQLite3");
    QTemporaryDir work;
    const QString before = QDir::currentPath();
    QDir::setCurrent(work.path());
    HostConnection c;
    c.setHostSystem("PROD400");
    c.setUser("QUSER");
    c.setPassword("secret");
    c.setLibrary("CO01DATA");
    const QString text = hostText([&] { c.connect(); });
    QDir::setCurrent(before);
    EXPECT_TRUE(text.startsWith("ZELVARO_ODBC_DRIVER \"SQLite3\" is not an IBM i Access ODBC "
                                "driver"))
        << text.toStdString();
    EXPECT_FALSE(text.contains("secret"));
    EXPECT_TRUE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    for (const char* ibmi : {"IBM i Access ODBC Driver", "iSeries Access ODBC Driver",
                             "Client Access ODBC Driver (32-bit)"})
        EXPECT_TRUE(HostRoute::isIbmiDriver(ibmi)) << ibmi;
}

} // namespace
