#include "update/UpdateRun.h"

#include "common/ChangeLog.h"
#include "common/Error.h"
#include "common/Prompter.h"
#include "common/RunUi.h"
#include "common/StopRequest.h"
#include "common/Text.h"
#include "host/HostTables.h"
#include "settings/Settings.h"
#include "sources/DotList.h"
#include "update/RunLock.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>

namespace zelvaro {

namespace {
const QString Xref = QStringLiteral("CXCDMSPID");
const QString XrefItem = QStringLiteral("CXAGITEM");
} // namespace

void UpdateRun::stopIfAsked()
{
    // Between statements only: every statement sent is whole.
    if (StopRequest::signal() != 0) throw Error(QStringLiteral("stopped by signal"));
}

UpdateRun::UpdateRun(HostTables& session, DotList& dotList, UpdateCounters& counters)
    : m_session(session), m_list(dotList), m_counters(counters)
{
}

QString UpdateRun::summaryText(int dotAdded, const UpdateCounters& c, const QString& notUpdated,
                               const QString& notWritten)
{
    QString text =
        QStringLiteral("DOT Records\n  Added - ") + QString::number(dotAdded) +
        QStringLiteral("\n") + QStringLiteral("  Updated - ") + QString::number(c.dotUpdated) +
        QStringLiteral("\n") + QStringLiteral("Hazard file Records:") + QStringLiteral("\n") +
        QStringLiteral("  Added - ") + QString::number(c.hazardAdded) + QStringLiteral("\n") +
        QStringLiteral("  Updated - ") + QString::number(c.hazardUpdated) + QStringLiteral("\n") +
        QStringLiteral("Items not updated ") + notUpdated;
    if (!notWritten.isEmpty()) text += QStringLiteral("\nProducts not written ") + notWritten;
    return text;
}

bool UpdateRun::isUnresolved(const DotList& list, int row, bool agrianMode)
{
    // The names library filled number, ID and name only: the cells it would
    // have filled next are empty, where a value it found empty is a blank.
    if (list.cell(row, DotList::CommonName).isEmpty() && list.cell(row, DotList::Epa).isEmpty() &&
        list.cell(row, DotList::Manufacturer).isEmpty())
        return true;
    // A CDMS product without a DOT description: its DOT text is unknown, not
    // empty, and writing it would blank the hazard lines of its items. (An
    // Agrian list row carries no DOT text by design: the lookup brings it.)
    return !agrianMode && trimmed(list.cell(row, DotList::DotText)).isEmpty();
}

namespace {

long lookupBudgetSeconds()
{
    bool ok = false;
    const long s = qEnvironmentVariable("ZELVARO_AGRIAN_BUDGET_S").toLong(&ok);
    return ok && s > 0 ? s : 30 * 60;
}

} // namespace

// The Agrian lookups of one run: each through the installed function, and
// none after the service failed 3 times in a row at the connection level,
// after a failure every further lookup would meet too, or after the run's
// budget for lookups is spent. Stopping is said once.
class UpdateRun::Lookups {
public:
    Lookups(const AgrianLookupFn& lookup, Prompter& prompter)
        : m_lookup(lookup), m_prompter(prompter), m_budget(lookupBudgetSeconds())
    {
    }
    bool available() const { return m_lookup && !m_stopped; }
    bool failureShown() const { return m_failureShown; }

    AgrianLookup::Outcome refresh(const QString& key, int row, bool writeDotRow)
    {
        QElapsedTimer clock;
        clock.start();
        const AgrianLookup::Outcome o = m_lookup(key, row, writeDotRow);
        m_spent += clock.elapsed();
        if (o.failureShown) m_failureShown = true;
        m_unreachableInARow = o.unreachable ? m_unreachableInARow + 1 : 0;
        if (o.stopLookups)
            stop(QStringLiteral("the service's address is refused"));
        else if (m_unreachableInARow >= UnreachableLimit)
            stop(QStringLiteral("the service did not answer %1 lookups in a row")
                     .arg(UnreachableLimit));
        else if (m_spent >= m_budget * 1000)
            stop(QStringLiteral("the lookups took the run's whole budget of %1 s "
                                "(ZELVARO_AGRIAN_BUDGET_S)")
                     .arg(m_budget));
        return o;
    }

private:
    static constexpr int UnreachableLimit = 3;
    void stop(const QString& why)
    {
        m_stopped = true;
        m_failureShown = true;
        m_prompter.failure(
            QStringLiteral("Agrian lookups stopped: %1. The items not looked up keep their "
                           "hazard lines (or get those of the DOT table); the next run looks "
                           "them up again.")
                .arg(why));
    }

    const AgrianLookupFn& m_lookup;
    Prompter& m_prompter;
    const long m_budget;
    qint64 m_spent = 0; // ms
    int m_unreachableInARow = 0;
    bool m_stopped = false;
    bool m_failureShown = false;
};

void UpdateRun::passOverList(RunUi& ui, HazardUpdate& hazard, Tally& tally)
{
    MemoryView& dot = m_session.dotView;
    MemoryView& xref = m_session.xrefView;
    const QString table = qualifiedName(m_session.hostLibrary(), QStringLiteral("U4CDMSDOT"));
    const int nameWidth = dot.fieldWidth(QStringLiteral("CDNAME"));
    const int idWidth = dot.fieldWidth(QStringLiteral("CDITEM"));
    const int commonWidth = dot.fieldWidth(QStringLiteral("CDCNAME"));
    const int makerWidth = dot.fieldWidth(QStringLiteral("CDMANF"));
    const int placardWidth = dot.fieldWidth(5);
    const int xrefIdWidth = xref.fieldWidth(2);
    const bool agrian = ui.agrianMode();
    Lookups lookups(m_agrianLookup, ui.prompter());
    auto notWritten = [&](const QString& id) {
        tally.notWritten += quotedForMessage(id) + QLatin1Char(',');
    };
    // Descriptive values are cut to their columns; keys and the DOT text never.
    auto fit = [](const QString& value, int width) {
        return width > 0 && value.size() > width ? value.left(width) : value;
    };

    const int n = m_list.productCount();
    for (int r = 1; r <= n; ++r) {
        stopIfAsked();
        ui.setProgress(r, QString());
        ui.showDotListRow(r);

        const QString dotText = lineBreaksAsBlanks(m_list.cell(r, DotList::DotText));
        if (dotText != m_list.cell(r, DotList::DotText)) {
            m_list.setCell(r, DotList::DotText, dotText);
            ui.dotListRowChanged(r);
        }

        const QString id = m_list.cell(r, DotList::Id);
        const QString name = m_list.cell(r, DotList::Name);
        const QString processing = QStringLiteral("Processing ") + trimmed(name) +
                                   QStringLiteral("-") + m_list.cell(r, DotList::CommonName);
        ui.setStatus(processing);
        ui.setProgress(r, processing);

        // A row the source could not resolve holds no label data: writing it
        // would blank the product's good data.
        if (isUnresolved(m_list, r, agrian)) {
            notWritten(id);
            continue;
        }

        const QString trimmedId = trimmed(id);
        xref.findNearest({padToWidth(id, xrefIdWidth)});
        const bool hasItems =
            xref.hasCurrent() && !xref.eof() && trimmed(xref.text(Xref)) == trimmedId;
        const bool exists = dot.findKey({padToWidth(name, nameWidth), padToWidth(id, idWidth)});
        // The key the lookups of the product update: its DOT row's CDITEM as
        // stored, or, for a product inserted now, the list's ID.
        const QString lookupKey = exists ? dot.text(QStringLiteral("CDITEM")) : id;
        // A product new to the DOT table whose items wait for it is looked up
        // before its row is written: a row kept without the service's values
        // would carry a blank DOT text into its items at the completion pass.
        bool lookedUpFirst = false;
        if (agrian && !exists && hasItems) {
            bool got = false;
            if (lookups.available()) {
                const AgrianLookup::Outcome o = lookups.refresh(id, r, false);
                got = o.gotValues;
                if (got) ui.dotListRowChanged(r);
            }
            if (!got) { // its items keep their lines and are named at the completion pass
                notWritten(id);
                continue;
            }
            lookedUpFirst = true;
        }

        const QString placard = m_list.cell(r, DotList::Placard);
        const QString rowText = m_list.cell(r, DotList::DotText);
        bool written = true;
        if (exists) {
            // What the update would write, column by column, against what
            // the row holds: nothing is sent for a row that holds it already.
            const bool writesText = !agrian || !trimmed(rowText).isEmpty();
            const bool writesPlacard = !trimmed(placard).isEmpty();
            struct Column {
                const char* name;
                QString value;
            };
            std::vector<Column> columns{{"CDEPA#", m_list.cell(r, DotList::Epa)}};
            if (writesText) columns.push_back({"CDDOTTXT", rowText});
            columns.push_back({"CDITEM", id});
            if (writesPlacard) columns.push_back({"CDPLAC", padToWidth(placard, placardWidth)});
            std::vector<QString> before;
            bool same = true;
            for (const Column& c : columns) {
                before.push_back(dot.text(QString::fromLatin1(c.name)));
                same = same && rtrimBlanks(before.back()) == rtrimBlanks(c.value);
            }
            if (!same) {
                QString sql = QStringLiteral("Update ") + table + QStringLiteral(" SET CDEPA# = ") +
                              sqlQuote(m_list.cell(r, DotList::Epa));
                // An Agrian list row carries no DOT text: the lookup brings
                // it, and a blank cell must not wipe the stored text meanwhile.
                if (writesText) sql += QStringLiteral(", CDDOTTXT = ") + sqlQuote(rowText);
                sql += QStringLiteral(", CDITEM = ") + sqlQuote(id);
                if (writesPlacard)
                    sql +=
                        QStringLiteral(", CDPLAC = ") + sqlQuote(padToWidth(placard, placardWidth));
                sql += QStringLiteral(" Where CDITEM = ") + sqlQuote(trimmedId) +
                       QStringLiteral(" and CDNAME = ") + sqlQuote(trimmed(name));
                try {
                    m_session.connection.execute(sql);
                    ++m_counters.dotUpdated;
                    const QString key = trimmed(lookupKey) + QLatin1Char(';') + trimmed(name);
                    const QVariantList viewKey{dot.value(QStringLiteral("CDNAME")),
                                               dot.value(QStringLiteral("CDITEM"))};
                    for (size_t i = 0; i < columns.size(); ++i) {
                        if (ChangeLog* changes = m_session.changeLog)
                            changes->record(QStringLiteral("U4CDMSDOT"), key,
                                            QString::fromLatin1(columns[i].name), before[i],
                                            columns[i].value);
                        // The view holds what the host now holds (the key
                        // columns stay: they order it).
                        if (qstrcmp(columns[i].name, "CDITEM") != 0)
                            dot.setFieldOfKey(viewKey, QString::fromLatin1(columns[i].name),
                                              columns[i].value);
                    }
                    ui.repaintDotGrid();
                } catch (const Error& e) {
                    if (isLockTimeout(e)) throw;
                    written = false; // the connection has logged it
                }
            }
        } else {
            const QString sql =
                QStringLiteral("INSERT INTO ") + table + QLatin1Char(' ') +
                QStringLiteral("(CDITEM, CDNAME, CDCNAME, CDEPA#, CDMANF, CDPLAC, CDDOTTXT)") +
                QStringLiteral(" VALUES(") + sqlQuote(id) + QStringLiteral(", ") + sqlQuote(name) +
                QStringLiteral(", ") +
                sqlQuote(fit(m_list.cell(r, DotList::CommonName), commonWidth)) +
                QStringLiteral(", ") + sqlQuote(m_list.cell(r, DotList::Epa)) +
                QStringLiteral(", ") +
                sqlQuote(fit(m_list.cell(r, DotList::Manufacturer), makerWidth)) +
                QStringLiteral(", ") + sqlQuote(padToWidth(placard, placardWidth)) +
                QStringLiteral(", ") + sqlQuote(rowText) + QStringLiteral(")");
            try {
                m_session.connection.execute(sql);
                ++tally.dotAdded;
                if (ChangeLog* changes = m_session.changeLog) {
                    const QString key = trimmed(id) + QLatin1Char(';') + trimmed(name);
                    const QString values[] = {
                        id,
                        name,
                        fit(m_list.cell(r, DotList::CommonName), commonWidth),
                        m_list.cell(r, DotList::Epa),
                        fit(m_list.cell(r, DotList::Manufacturer), makerWidth),
                        padToWidth(placard, placardWidth),
                        rowText};
                    const char* const names[] = {"CDITEM", "CDNAME", "CDCNAME", "CDEPA#",
                                                 "CDMANF", "CDPLAC", "CDDOTTXT"};
                    for (int i = 0; i < 7; ++i)
                        changes->record(QStringLiteral("U4CDMSDOT"), key,
                                        QString::fromLatin1(names[i]), QString(), values[i]);
                }
            } catch (const Error& e) {
                if (isLockTimeout(e)) throw;
                written = false;
                m_list.append(r, QStringLiteral("U4VITEM"));
                ui.dotListRowChanged(r);
            }
        }
        // A product whose DOT statement the host refused drives no hazard
        // update: its items keep what agrees with the DOT table, and the
        // completion pass writes them from it.
        if (!written) {
            ++tally.refused;
            notWritten(id);
            continue;
        }

        // The product's cross-referenced items, in CXCDMSPID order; the
        // list row's values are read after each lookup, which may rewrite
        // them.
        xref.findNearest({padToWidth(id, xrefIdWidth)});
        bool productNamed = false;
        while (xref.hasCurrent() && !xref.eof() && trimmed(xref.text(Xref)) == trimmedId) {
            stopIfAsked();
            bool looked = true;
            if (agrian && m_agrianLookup) {
                if (lookedUpFirst) {
                    lookedUpFirst = false; // the values of the lookup before the insert
                } else if (!lookups.available()) {
                    looked = false; // left to the completion pass, from the DOT row
                } else {
                    const AgrianLookup::Outcome o = lookups.refresh(lookupKey, r, true);
                    // Without the service's values the item keeps its hazard
                    // lines here; the completion pass writes it from the DOT row.
                    looked = o.gotValues;
                    if (o.gotValues) ui.dotListRowChanged(r);
                    if (o.hostRefused) {
                        ++tally.refused;
                        if (!productNamed) notWritten(id);
                        productNamed = true;
                    }
                }
            }
            const QString item = xref.text(XrefItem);
            const int first = xref.currentRow();
            bool reached = false;
            if (looked) {
                const HazardUpdate::Outcome done = hazard.apply(
                    item, m_list.cell(r, DotList::DotText), m_list.cell(r, DotList::Epa),
                    m_list.cell(r, DotList::Manufacturer),
                    padToWidth(m_list.cell(r, DotList::Placard), placardWidth));
                reached = done == HazardUpdate::Outcome::Added ||
                          done == HazardUpdate::Outcome::Updated ||
                          done == HazardUpdate::Outcome::Unchanged;
            }
            if (reached) tally.reached[first] = true;
            // Consecutive records of the same product and item are handled once.
            xref.next();
            while (!xref.eof() && trimmed(xref.text(Xref)) == trimmedId &&
                   trimmed(xref.text(XrefItem)) == trimmed(item)) {
                if (reached) tally.reached[xref.currentRow()] = true;
                xref.next();
            }
        }
    }
    xref.first();
    if (lookups.failureShown()) tally.lookupFailureShown = true;
}

void UpdateRun::reloadDotTable(RunUi& ui)
{
    m_session.dotQuery.close();
    m_session.dotView.close();
    ui.setStatus(QStringLiteral("Refreshing the AS400 CDMS data..."));
    ui.setDotGridEnabled(false);
    try {
        m_session.dotQuery.open();
        m_session.dotView.open();
        ui.retitleDotGrids();
    } catch (const Error&) {
        ui.reconnect();
    }
}

QString UpdateRun::completionPass(HazardUpdate& hazard, int* itemCount)
{
    QString notUpdated;
    QSet<QString> named;
    auto name = [&](const QString& item) {
        if (!named.contains(item)) {
            named.insert(item);
            notUpdated += quotedForMessage(item) + QLatin1Char(',');
        }
    };
    m_counters.hazardAdded = 0;
    m_counters.hazardUpdated = 0;
    MemoryView& xref = m_session.xrefView;
    MemoryView& dot = m_session.dotView;
    const int placardWidth = dot.fieldWidth(5);
    for (int i = 0; i < xref.recordCount(); ++i) {
        stopIfAsked();
        xref.setCurrentIndex(i);
        const QString item = xref.text(XrefItem);
        if (dot.findKey({xref.text(QStringLiteral("CXCDMSID")), xref.text(Xref)})) {
            const HazardUpdate::Outcome done =
                hazard.apply(item, dot.text(QStringLiteral("CDDOTTXT")),
                             dot.text(QStringLiteral("CDEPA#")), dot.text(QStringLiteral("CDMANF")),
                             padToWidth(dot.text(QStringLiteral("CDPLAC")), placardWidth));
            if (done == HazardUpdate::Outcome::DoesNotFit) name(item);
        } else {
            name(item);
        }
    }
    *itemCount = int(named.size());
    return notUpdated;
}

bool UpdateRun::takeLock(RunLock& lock, Prompter& prompter, Report& report, Outcome* refused)
{
    switch (lock.acquire()) {
    case RunLock::Result::Taken:
        return true;
    case RunLock::Result::Busy:
        report.stopReason = QStringLiteral("another update run is in progress");
        *refused = Outcome::Busy;
        break;
    case RunLock::Result::CannotCreate:
        report.stopReason = QStringLiteral("no lock file");
        *refused = Outcome::NoLock;
        break;
    }
    prompter.failure(lock.message());
    return false;
}

UpdateRun::Outcome UpdateRun::run(RunUi& ui)
{
    m_report = Report();
    // One run at a time on a home: a second start (an overlapping nightly
    // start, a second user) would write the same rows at once.
    RunLock lock(Settings::homeDir());
    Outcome refused = Outcome::Done;
    if (!takeLock(lock, ui.prompter(), m_report, &refused)) return refused;

    // What the run changes, for its change report.
    const QDateTime started =
        m_reportStart.isValid() ? m_reportStart : QDateTime::currentDateTime();
    ChangeLog changes;
    m_session.changeLog = &changes;
    struct Detach {
        HostTables& session;
        ~Detach() { session.changeLog = nullptr; }
    } detach{m_session};
    auto writeReport = [&] {
        const QString folder = m_reportFolder.isEmpty()
                                   ? QDir(Settings::homeDir()).filePath(QStringLiteral("changes"))
                                   : m_reportFolder;
        QString name = ChangeLog::fileName(started, m_dryRun);
        // Two runs in one second keep a report each.
        for (int n = 2; QFileInfo::exists(QDir(folder).filePath(name)); ++n)
            name = ChangeLog::fileName(started, m_dryRun)
                       .replace(QStringLiteral(".csv"), QStringLiteral("-%1.csv").arg(n));
        QString error;
        m_report.changedRows = changes.changedRows();
        m_report.changes = changes.changes();
        if (changes.write(folder, name, &error))
            m_report.reportPath = QDir(folder).filePath(name);
        else
            ui.prompter().failure(error);
    };
    HazardUpdate hazard(m_session, m_counters, ui.prompter());
    Tally tally;
    QString notUpdated;
    try {
        stopIfAsked(); // a signal that came while the run waited to start
        QStringList closed;
        for (const MemoryView* v : {&m_session.dotView, &m_session.xrefView, &m_session.hazardView,
                                    &m_session.itemView}) {
            if (!v->isOpen()) closed << v->name();
        }
        if (!closed.isEmpty())
            throw HostError(QStringLiteral("the host tables are not open (%1); connect to the "
                                           "host and try again")
                                .arg(closed.join(QStringLiteral(", "))));
        m_session.xrefView.setIndexFields({Xref});
        tally.reached.assign(size_t(m_session.xrefView.table()->rowCount()), false);
        m_counters.dotUpdated = m_counters.hazardAdded = m_counters.hazardUpdated = 0;
        ui.beginBusy();
        ui.setTabsEnabled(false);
        ui.openProgress(QStringLiteral("Updating Zelvaro CDMS D.O.T Table"), m_list.productCount());

        passOverList(ui, hazard, tally);

        ui.closeProgress();
        reloadDotTable(ui);
        m_session.xrefView.setIndexFields({Xref, XrefItem});
        ui.endBusy();
        ui.setTabsEnabled(true);
        ui.setStatus(QStringLiteral("AS400 CDMS data has been updated"));

        // Every record of the cross reference the pass did not write.
        bool missed = false;
        for (int i = 0; i < m_session.xrefView.recordCount() && !missed; ++i)
            missed = !tally.reached[size_t(m_session.xrefView.rowAt(i))];
        if (missed) notUpdated = completionPass(hazard, &m_report.itemsNotUpdated);
    } catch (const Error& e) {
        // Outside the guarded statements (views closed, no connection, a
        // library locked by another job): the run ends here with the window
        // usable again.
        ui.closeProgress();
        if (m_session.xrefView.isOpen()) m_session.xrefView.setIndexFields({Xref, XrefItem});
        ui.endBusy();
        ui.setTabsEnabled(true);
        m_report.stopReason = e.text();
        // What it changed before it stopped; a stopped dry run's plan would
        // be incomplete, so it writes none.
        if (!m_dryRun) writeReport();
        // The message may wait for OK all night: the lock goes first.
        lock.release();
        ui.prompter().failure(QStringLiteral("The update run stopped: ") + e.text());
        return Outcome::Stopped;
    }

    m_report.writesRefused = tally.refused + hazard.refusedCount();
    m_report.dotAdded = tally.dotAdded;
    m_report.dotUpdated = m_counters.dotUpdated;
    m_report.hazardAdded = m_counters.hazardAdded;
    m_report.hazardUpdated = m_counters.hazardUpdated;
    writeReport();
    // The next retrieval starts from the day of this one only when every
    // change it listed got through (written and looked up): otherwise the
    // next run asks again.
    if (ui.agrianMode() && m_list.retrievalDate().isValid() && !tally.lookupFailureShown &&
        tally.notWritten.isEmpty())
        Settings().writeDateTime(QStringLiteral("Agrian"), QStringLiteral("DownloadDate"),
                                 QDateTime(m_list.retrievalDate(), QTime(0, 0)));
    // The summary may wait for OK all night (a window's unattended run): the
    // next run, the nightly service's, need not wait for it.
    lock.release();
    ui.prompter().message(summaryText(tally.dotAdded, m_counters, notUpdated, tally.notWritten));
    return Outcome::Done;
}

} // namespace zelvaro
