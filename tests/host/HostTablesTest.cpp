#include "host/HostTables.h"
#include "HostTestRoute.h"
#include "common/Error.h"
#include "settings/Settings.h"

#include <QMap>
#include <QSqlDatabase>
#include <QSqlQuery>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

struct RecordingUi : ConnectUi {
    void openStatusWindow(const QString& caption, const QString& text) override
    {
        events << "open:" + caption + "|" + text;
    }
    void setStatusText(const QString& text) override { events << "status:" + text; }
    void closeStatusWindow() override { events << "close"; }
    void setGridTitles(const QString& table, GridRole grid) override
    {
        // The grids by the object names the window gives them.
        static const QMap<GridRole, QString> names = {
            {GridRole::DotTable, "DotGrid1"},   {GridRole::DotLookup, "DotGrid"},
            {GridRole::Xref, "XrefGrid"},       {GridRole::Items, "ItemGrid"},
            {GridRole::Hazard, "HzdGrid"},      {GridRole::FineLines, "FLCGrid"},
            {GridRole::Departments, "DeptGrid"}};
        events << "titles:" + table + "|" + names.value(grid);
    }
    void releaseGridTitles() override { events << "release"; }
    bool showSetupDialog() override
    {
        events << "setup";
        return hasSetupDialog;
    }
    bool hasSetupDialog = true;
    void message(const QString& text) override { messages << text; }
    QStringList events;
    QStringList messages;
};

class HostTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_library = m_home.createLibrary();
        m_home.writeSettings();
    }
    Settings settings() const { return Settings(m_home.file("INVSIG.INI")); }
    ScopedEnv m_driver{"ZELVARO_HOST_DRIVER", QStringLiteral("embedded")};
    TestHome m_home;
    QString m_library;
    HostTables m_session;
    RecordingUi m_ui;
};

TEST_F(HostTablesTest, OpensEveryViewInOrder)
{
    ASSERT_TRUE(m_session.connect(settings(), m_ui));
    EXPECT_TRUE(m_ui.messages.isEmpty()) << m_ui.messages.join("\n").toStdString();
    EXPECT_EQ(
        m_ui.events,
        QStringList(
            {"open:Connection Status|Connection Status",
             "status:Connection Status: Opening Item Master file...", "titles:U4ITMMR|ItemGrid",
             "status:Connection Status: Opening CDMS DOT file...", "titles:U4CDMSDOT|DotGrid",
             "titles:U4CDMSDOT|DotGrid1",
             "status:Connection Status: Opening Zelvaro cross reference file...",
             "titles:U4CDMSXRF|XrefGrid",
             "status:Connection Status: Opening Zelvaro Hazard file...", "titles:U4ITHZD|HzdGrid",
             "status:Connection Status: Opening Fine Line code file...", "titles:U4FLC|FLCGrid",
             "status:Connection Status: Opening Department file...", "titles:U4DEPT|DeptGrid",
             "release", "close"}));
    for (MemoryView* v :
         {&m_session.itemView, &m_session.itemNumberView, &m_session.dotView, &m_session.xrefView,
          &m_session.xrefItemView, &m_session.hazardView, &m_session.flcView, &m_session.deptView})
        EXPECT_TRUE(v->isOpen()) << v->name().toStdString();
    EXPECT_FALSE(m_session.constView.isOpen());
    EXPECT_EQ(m_session.constQuery.sql(),
              "SELECT C4LC, C4NAME, C4CITY, C4STAT FROM \"CO01DATA\".\"U4CONST\"");
    EXPECT_EQ(
        m_session.itemQuery.sql(),
        "select  IMPROD, IMDESC, IMDEPT, IMFLCD, IMASUB, IMSUB# from \"CO01DATA\".\"U4ITMMR\"");

    m_session.closeViews();
    EXPECT_FALSE(m_session.itemView.isOpen());
    EXPECT_FALSE(m_session.hazardQuery.isActive());
}

TEST_F(HostTablesTest, AViewThatFailsOnceIsOpenedAgainSilently)
{
    int attempts = 0;
    m_session.setQueryOpener([&](HostQuery& q) {
        if (q.name() == "SQLHazard" && attempts++ == 0) throw HostError("SQL0913 - busy");
        q.open();
    });
    EXPECT_TRUE(m_session.connect(settings(), m_ui));
    EXPECT_EQ(attempts, 2);
    EXPECT_TRUE(m_ui.messages.isEmpty());
    EXPECT_TRUE(m_session.hazardView.isOpen());
}

TEST_F(HostTablesTest, AViewThatFailsTwiceEndsTheSequenceWithTheMessage)
{
    TestHome::exec(m_library, {"DROP TABLE U4ITHZD"});
    EXPECT_FALSE(m_session.connect(settings(), m_ui));
    ASSERT_EQ(m_ui.messages.size(), 1);
    EXPECT_EQ(m_ui.messages[0],
              "Zelvaro Hazard file Open\nDRIVER=Embedded host\nSYSTEM=TESTSYS\nUID=QUSER\n"
              "PWD=********\nDBQ=CO01DATA\n\nSQL0204 - U4ITHZD in CO01DATA type *FILE not found.");
    // The views are of one library or none: those opened before go too.
    EXPECT_FALSE(m_session.itemView.isOpen());
    EXPECT_FALSE(m_session.dotView.isOpen());
    EXPECT_FALSE(m_session.xrefItemView.isOpen());
    EXPECT_FALSE(m_session.allViewsOpen());
    EXPECT_FALSE(m_session.hazardView.isOpen());
    EXPECT_FALSE(m_session.flcView.isOpen());
    EXPECT_FALSE(m_session.deptView.isOpen());
    EXPECT_EQ(m_ui.events.last(), "close");
}

TEST_F(HostTablesTest, EmptyHostShowsSetupFirstAndFailsWhileConnecting)
{
    Settings s = settings();
    s.writeText("Transfer", "Host", "");
    EXPECT_FALSE(m_session.connect(s, m_ui));
    EXPECT_EQ(m_ui.events.first(), "setup");
    ASSERT_EQ(m_ui.messages.size(), 1);
    EXPECT_TRUE(m_ui.messages[0].startsWith("Connecting\n")) << m_ui.messages[0].toStdString();
}

TEST_F(HostTablesTest, EmptyHostWithoutASetupDialogSaysWhatIsMissing)
{
    Settings s = settings();
    s.writeText("Transfer", "DataLib", "");
    m_ui.hasSetupDialog = false;
    EXPECT_FALSE(m_session.connect(s, m_ui));
    EXPECT_EQ(m_ui.messages, QStringList({"Setup needed: the host system or library is empty in "
                                          "INVSIG.INI. Run zelvaro-hazmat with its window and "
                                          "choose File, Setup."}));
    EXPECT_FALSE(m_session.connection.isConnected());
}

TEST_F(HostTablesTest, NamesThatAreNotHostNamesAreRefusedBeforeAnythingIsAttached)
{
    const struct {
        const char* key;
        QString value;
        const char* says;
    } cases[] = {
        {"Host", "../TESTSYS", "Transfer/Host \"../TESTSYS\" is not a host system name"},
        {"Host", "TEST SYS", "Transfer/Host \"TEST SYS\""},
        {"Host", QString("TEST") + QChar(7), "Transfer/Host"},
        {"DataLib", "CO01\"DATA", "Transfer/DataLib \"CO01\"DATA\" is not a library name"},
        {"DataLib", "1CO01DATA", "Transfer/DataLib"},
        {"DataLib", "CO01DATAXYZ", "Transfer/DataLib"},
        {"DataLib", "../CO01DATA", "Transfer/DataLib"},
    };
    for (const auto& c : cases) {
        m_home.writeSettings();
        Settings s = settings();
        s.writeText("Transfer", c.key, c.value);
        m_ui.messages.clear();
        EXPECT_FALSE(m_session.connect(s, m_ui)) << c.value.toStdString();
        ASSERT_EQ(m_ui.messages.size(), 1);
        EXPECT_TRUE(m_ui.messages[0].startsWith(c.says)) << m_ui.messages[0].toStdString();
        EXPECT_FALSE(m_session.connection.isConnected());
    }
    // The name rules let every valid name through.
    for (const char* name : {"CO01DATA", "$LIB#@_9", "Q"})
        EXPECT_TRUE(HostRoute::checkLibraryName(name, "k").isEmpty()) << name;
}

TEST_F(HostTablesTest, ALibraryWithoutItsCatalogIsNotOpened)
{
    TestHome::exec(m_library, {"DELETE FROM ZH_SYSCOLUMNS", "DELETE FROM ZH_SYSTABLES"});
    EXPECT_FALSE(m_session.connect(settings(), m_ui));
    ASSERT_EQ(m_ui.messages.size(), 1);
    EXPECT_TRUE(m_ui.messages[0].endsWith("Library CO01DATA has no catalog (ZH_SYSTABLES and "
                                          "ZH_SYSCOLUMNS are missing or empty); it cannot be "
                                          "opened."))
        << m_ui.messages[0].toStdString();
    EXPECT_FALSE(m_session.itemView.isOpen());
}

namespace {
QStringList g_logged;
void recordLog(QtMsgType, const QMessageLogContext&, const QString& text)
{
    g_logged << text;
}
} // namespace

TEST_F(HostTablesTest, AFailedConnectionLogsWhatFailedAndNothingElse)
{
    Settings s = settings();
    s.writeText("Transfer", "DataLib", "NOLIB");
    g_logged.clear();
    QtMessageHandler old = qInstallMessageHandler(recordLog);
    EXPECT_FALSE(m_session.connect(s, m_ui));
    // A query whose view the sequence never reached has no text to run.
    EXPECT_THROW(m_session.constView.open(), HostError);
    qInstallMessageHandler(old);
    ASSERT_FALSE(g_logged.isEmpty());
    for (const QString& line : g_logged) {
        EXPECT_FALSE(line.contains("SQL0901")) << line.toStdString();
        EXPECT_TRUE(line.contains("SQL0204")) << line.toStdString();
    }
}

TEST_F(HostTablesTest, OlderDotLayoutIsWidenedOnceAndRefusalIsReported)
{
    const QString narrow = "UPDATE ZH_SYSCOLUMNS SET LENGTH = 14 WHERE TABLE_NAME = 'U4CDMSDOT' "
                           "AND COLUMN_NAME = 'CDITEM'";
    TestHome::exec(m_library, {narrow});
    ASSERT_TRUE(m_session.connect(settings(), m_ui));
    EXPECT_TRUE(m_ui.messages.isEmpty());
    EXPECT_EQ(m_session.dotView.fieldWidth("CDITEM"), 35);

    // Refused: the message, and the DOT views stay closed.
    TestHome::exec(m_library, {narrow});
    ScopedEnv wait("ZELVARO_LOCK_WAIT_MS", "50");
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "locker");
    db.setDatabaseName(m_library);
    db.open();
    QSqlQuery lock(db);
    int widenings = 0;
    m_session.setQueryOpener([&](HostQuery& q) {
        q.open();
        // Lock the library once the DOT table is read, before the widening.
        if (q.name() == "SQLCDMSDOT" && widenings++ == 0) lock.exec("BEGIN IMMEDIATE");
    });
    m_session.connect(settings(), m_ui);
    lock.exec("ROLLBACK");
    EXPECT_EQ(m_ui.messages, QStringList({"Error updating item master"}));
    EXPECT_FALSE(m_session.dotView.isOpen());
    EXPECT_TRUE(m_session.deptView.isOpen());
    db.close();
}

} // namespace
