// What the update run must never do: blank good data, write a refused
// product's values, skip items, lose text, or run twice at once.
#include "common/Text.h"
#include "host/HostTables.h"
#include "maintenance/XrefMaintenance.h"
#include "settings/Settings.h"
#include "sources/DotList.h"
#include "support/RecordingRunUi.h"
#include "support/TestDoubles.h"
#include "support/TestHome.h"
#include "update/UpdateRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace zelvaro;
using namespace zelvaro::test;

namespace {

const QString C56Abc = QString(56, 'C') + " ABC"; // exactly 60 for the third line
const QString LongText = QString(59, 'A') + " " + QString(59, 'B') + " " + C56Abc;

class UpdateRunMendsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_lib = m_home.createLibrary();
        m_home.writeSettings();
        m_home.insert(m_lib, "U4ITMMR",
                      {{"I1", "ITEM ONE", 10, 100, "1-1", ""},
                       {"I2", "ITEM TWO", 10, 100, "", ""},
                       {"I4", "ITEM FOUR", 10, 100, "", ""}});
        m_home.insert(m_lib, "U4CDMSDOT",
                      {{"P1", "PROD ONE", "old common", "1-1", "OLD MAKER", "OLDPLAC", "OLD TEXT"},
                       {"P3", "PROD THREE", "c3", "3-3", "m3", "KEEP", LongText}});
        m_home.insert(m_lib, "U4CDMSXRF",
                      {{"I1", "PROD ONE", "P1", "ITEM ONE **PROD ONE", "   ", 1.0},
                       {"I2", "PROD ONE", "P1", "ITEM TWO **PROD ONE", "   ", 1.0},
                       {"12345678901234", "PROD ONE", "P1", "TOO WIDE", "   ", 1.0},
                       {"I4", "PROD THREE", "P3", "ITEM FOUR **PROD THREE", "   ", 1.0},
                       {"I9", "GONE", "GONE", "ITEM NINE **GONE", "   ", 1.0}});
        m_home.insert(m_lib, "U4ITHZD", {{"I1", "OLD 1", "OLD 2", "OLD 3", "OLDCLASS", 0.0, " "}});
        connectSession();
    }
    void connectSession()
    {
        SilentConnect ui;
        ASSERT_TRUE(m_session.connect(Settings(m_home.file("INVSIG.INI")), ui));
        m_session.connection.statementObserver = [this](const QString& s) { m_statements << s; };
    }
    void addRow(const QStringList& cells)
    {
        const int n = m_list.addProduct();
        m_list.append(n, QString::number(n));
        for (const QString& c : cells)
            m_list.append(n, c);
    }
    UpdateRun::Outcome run() { return UpdateRun(m_session, m_list, m_counters).run(m_ui); }
    QString value(const QString& sql)
    {
        return trimmed(m_session.connection.query(sql)->text(0, 0));
    }
    QString summary() const
    {
        return m_ui.prompts.shown.isEmpty() ? QString() : m_ui.prompts.shown.last();
    }

    ScopedEnv m_driver{"ZELVARO_HOST_DRIVER", QStringLiteral("embedded")};
    TestHome m_home;
    QString m_lib;
    HostTables m_session;
    DotList m_list;
    UpdateCounters m_counters;
    RecordingRunUi m_ui;
    QStringList m_statements;
};

TEST_F(UpdateRunMendsTest, AProductWithoutLabelDataWritesNothingAndIsNamed)
{
    const struct {
        const char* name;
        QStringList cells;
    } cases[] = {
        {"the names library knew only number, ID and name", {"P1", "PROD ONE"}},
        {"no DOT description (no <dot> element)", {"P1", "PROD ONE", "c", "9-9", "m"}},
        {"an empty DOT description", {"P1", "PROD ONE", "c", "9-9", "m", "", ""}},
    };
    for (const auto& c : cases) {
        m_list.reset();
        m_statements.clear();
        m_ui.prompts.shown.clear();
        addRow(c.cells);
        run();
        EXPECT_TRUE(m_statements.filter("U4CDMSDOT").isEmpty())
            << c.name << m_statements.join("\n").toStdString();
        EXPECT_EQ(value("Select CDEPA# from \"CO01DATA\".\"U4CDMSDOT\" Where CDITEM = 'P1'"), "1-1")
            << c.name;
        EXPECT_EQ(value("Select CDDOTTXT from \"CO01DATA\".\"U4CDMSDOT\" Where CDITEM = 'P1'"),
                  "OLD TEXT")
            << c.name;
        // Its items keep (or get, in the completion pass) the DOT table's values.
        EXPECT_EQ(value("Select IMASUB from \"CO01DATA\".\"U4ITMMR\" Where IMPROD = 'I1'"), "1-1")
            << c.name;
        EXPECT_EQ(value("Select HZDS1 from \"CO01DATA\".\"U4ITHZD\" Where HZPROD = 'I1'"),
                  "OLD TEXT")
            << c.name;
        EXPECT_EQ(m_counters.dotUpdated, 0) << c.name;
        EXPECT_TRUE(summary().endsWith("\nProducts not written 'P1',"))
            << c.name << summary().toStdString();
    }
}

TEST_F(UpdateRunMendsTest, TheCompletionPassFollowsRecordsNotCounts)
{
    // Listed twice: the counts exceed the cross references, yet I4, I9 and
    // the item too wide for the hazard key were never written by the pass.
    addRow({"P1", "PROD ONE", "c", "1-1", "m", "PLAC", "NEW TEXT"});
    addRow({"P1", "PROD ONE", "c", "1-1", "m", "PLAC", "NEW TEXT"});
    EXPECT_EQ(run(), UpdateRun::Outcome::Done);
    EXPECT_TRUE(summary().endsWith("Items not updated 'I9            ','12345678901234',"))
        << summary().toStdString();
    EXPECT_TRUE(m_statements.filter("HZPROD = '12345678901234'").isEmpty());
    EXPECT_TRUE(m_statements.filter("IMPROD = '12345678901234'").isEmpty());
    // I4's product was not listed: the completion pass wrote it from its DOT row.
    EXPECT_EQ(value("Select HZDS1 from \"CO01DATA\".\"U4ITHZD\" Where HZPROD = 'I4'"),
              QString(59, 'A'));
}

TEST_F(UpdateRunMendsTest, TextIsSplitWithoutTrailingBlanksAndPlacardsFitTheHazardField)
{
    const struct {
        const char* name;
        QString listText;
        QString listPlacard;
        QString hzds3;
        QString hzclas;
    } cases[] = {
        {"DOT text padded by the host keeps its third line", "", "", C56Abc, "KEEP"},
        {"list text with trailing blanks", LongText + "   ", "FLAMMABLE LIQUID", C56Abc,
         "FLAMMABLE LI"},
    };
    for (const auto& c : cases) {
        m_list.reset();
        m_statements.clear();
        if (!c.listText.isEmpty())
            addRow({"P3", "PROD THREE", "c3", "3-3", "m3", c.listPlacard, c.listText});
        addRow({"P1", "PROD ONE", "c", "1-1", "m", "", "T"});
        run();
        EXPECT_EQ(value("Select HZDS3 from \"CO01DATA\".\"U4ITHZD\" Where HZPROD = 'I4'"), c.hzds3)
            << c.name;
        EXPECT_EQ(value("Select HZCLAS from \"CO01DATA\".\"U4ITHZD\" Where HZPROD = 'I4'"),
                  c.hzclas)
            << c.name;
    }
}

struct SilentXrefUi : XrefUi {
    Prompter& prompter() override { return prompts; }
    void setAddEnabled(bool) override {}
    bool addEnabled() const override { return true; }
    ScriptedPrompter prompts;
};

TEST_F(UpdateRunMendsTest, HazardLinesAreTheSameWhicheverWayTheTextCameIn)
{
    // Stored before line breaks were joined where text enters.
    const QString stored = "UN3082, ENVIRONMENTALLY HAZARDOUS SUBSTANCE,\r\nLIQUID, N.O.S. "
                           "(GLYPHOSATE),\r\n9, III, MARINE POLLUTANT";
    TestHome::exec(m_lib,
                   {
                       "UPDATE U4CDMSDOT SET CDDOTTXT = '" + stored + "' WHERE CDITEM = 'P3'",
                   });
    m_home.insert(m_lib, "U4ITHZD", {{"I4", "X", "X", "X", "C", 0.0, " "}});
    connectSession();
    // Every hazard write of I4 (and of I2 after the add), as its three lines.
    auto lineSets = [&](const char* item) {
        QStringList sets;
        for (const QString& sql : std::as_const(m_statements)) {
            if (!sql.contains("U4ITHZD") || !sql.contains(QString("HZPROD = '%1'").arg(item)))
                continue;
            const qsizetype from = sql.indexOf("HZDS1");
            qsizetype to = sql.indexOf(", HZCLAS");
            if (to < 0) to = sql.indexOf(" Where");
            sets << sql.mid(from, to - from);
        }
        return sets;
    };
    const struct {
        const char* night;
        QString listText; // empty: P3 not listed, the completion pass writes I4
    } nights[] = {
        {"completion pass from the stored text", ""},
        {"a list text with line feeds", "UN3082, ENVIRONMENTALLY HAZARDOUS SUBSTANCE,\nLIQUID, "
                                        "N.O.S. (GLYPHOSATE),\n9, III, MARINE POLLUTANT"},
        {"a list text with CR LF", stored},
        {"the completion pass again", ""},
    };
    QStringList all;
    for (const auto& n : nights) {
        m_list.reset();
        m_statements.clear();
        addRow({"P1", "PROD ONE", "c", "1-1", "m", "", "T"});
        if (!n.listText.isEmpty()) addRow({"P3", "PROD THREE", "c3", "3-3", "m3", "", n.listText});
        run();
        // After the first night the row holds the lines already: nothing is
        // written, and nothing flips.
        const QStringList sets = lineSets("I4");
        if (&n == &nights[0]) {
            EXPECT_FALSE(sets.isEmpty()) << n.night;
        }
        all << sets;
        EXPECT_EQ(value("Select HZDS1 from \"CO01DATA\".\"U4ITHZD\" Where HZPROD = 'I4'"),
                  "UN3082, ENVIRONMENTALLY HAZARDOUS SUBSTANCE, LIQUID, N.O.S.")
            << n.night;
    }
    // A link added now writes the item from the stored row.
    m_statements.clear();
    SilentXrefUi ui;
    XrefMaintenance xref(m_session, m_counters, ui);
    ASSERT_TRUE(m_session.itemView.findKey({"ITEM TWO", "I2"}));
    ASSERT_TRUE(m_session.dotView.findKey({"PROD THREE", "P3"}));
    xref.add(false);
    ASSERT_EQ(lineSets("I2").size(), 1) << m_statements.join("\n").toStdString();
    all << lineSets("I2");
    all.removeDuplicates();
    ASSERT_EQ(all.size(), 1) << all.join("\n").toStdString();
    EXPECT_EQ(all[0], "HZDS1 = 'UN3082, ENVIRONMENTALLY HAZARDOUS SUBSTANCE, LIQUID, N.O.S. ', "
                      "HZDS2 = '(GLYPHOSATE), 9, III, MARINE POLLUTANT', HZDS3 = ' '");
}

TEST_F(UpdateRunMendsTest, ARefusedItemWriteIsCountedAndNamesTheItemAndTheHostsReason)
{
    // The hazard file is gone behind the program's back: every hazard write fails.
    TestHome::exec(m_lib, {"DROP TABLE U4ITHZD"});
    addRow({"P1", "PROD ONE", "c", "1-1", "m", "", "T"});
    UpdateRun update(m_session, m_list, m_counters);
    EXPECT_EQ(update.run(m_ui), UpdateRun::Outcome::Done);
    EXPECT_TRUE(m_ui.prompts.shown.contains("error updating item hazard file"));
    ASSERT_FALSE(m_ui.prompts.details.isEmpty());
    EXPECT_TRUE(m_ui.prompts.details[0].startsWith("item I1: SQL0204"))
        << m_ui.prompts.details[0].toStdString();
    EXPECT_GE(update.lastReport().writesRefused, 2); // the batch run ends with 1
}

TEST(UpdateRunText, EachLineBreakBecomesOneBlank)
{
    const struct {
        const char* text;
        const char* joined;
    } cases[] = {{"Non-Regulated\nKeep from freezing", "Non-Regulated Keep from freezing"},
                 {"A\r\nB", "A B"},
                 {"A\rB\nC\r\n\r\nD", "A B C  D"},
                 {"no break", "no break"}};
    for (const auto& c : cases)
        EXPECT_EQ(lineBreaksAsBlanks(QString::fromLatin1(c.text)), QString::fromLatin1(c.joined));
}

TEST_F(UpdateRunMendsTest, ALockTimeOutEndsTheRunAtTheFirstStatement)
{
    ScopedEnv wait{"ZELVARO_LOCK_WAIT_MS", QStringLiteral("50")};
    connectSession();
    for (int i = 0; i < 5; ++i)
        addRow({"P1", "PROD ONE", "c", "1-1", "m", "", "T"});
    QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-job");
    other.setDatabaseName(m_lib);
    ASSERT_TRUE(other.open());
    QSqlQuery(other).exec("BEGIN IMMEDIATE");
    EXPECT_EQ(run(), UpdateRun::Outcome::Stopped);
    QSqlQuery(other).exec("ROLLBACK");
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase("other-job");
    ASSERT_EQ(m_ui.prompts.shown.size(), 1) << m_ui.prompts.shown.join("\n").toStdString();
    EXPECT_TRUE(m_ui.prompts.shown[0].startsWith("The update run stopped: SQL0913"))
        << m_ui.prompts.shown[0].toStdString();
    EXPECT_EQ(m_statements.size(), 1);
    EXPECT_FALSE(m_ui.busy);
}

TEST_F(UpdateRunMendsTest, ASecondRunOnTheHomeIsRefusedAtOnce)
{
    QLockFile held(QDir(m_home.path()).filePath("update-run.lock"));
    ASSERT_TRUE(held.tryLock(0));
    addRow({"P1", "PROD ONE", "c", "1-1", "m", "", "T"});
    m_counters.dotUpdated = 7; // an earlier run's: not this one's
    UpdateRun refused(m_session, m_list, m_counters);
    EXPECT_EQ(refused.run(m_ui), UpdateRun::Outcome::Busy);
    EXPECT_EQ(refused.lastReport().dotUpdated, 0);
    EXPECT_EQ(refused.lastReport().stopReason, "another update run is in progress");
    ASSERT_EQ(m_ui.prompts.shown.size(), 1);
    EXPECT_TRUE(m_ui.prompts.shown[0].startsWith(
        QString("Another update run is in progress (process %1 on ")
            .arg(QCoreApplication::applicationPid())))
        << m_ui.prompts.shown[0].toStdString();
    EXPECT_TRUE(m_statements.isEmpty());
    held.unlock();
    EXPECT_EQ(run(), UpdateRun::Outcome::Done);
}

} // namespace
