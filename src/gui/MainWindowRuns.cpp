#include "gui/MainWindow.h"

#include "common/ChangeLog.h"
#include "common/Prompter.h"
#include "settings/Settings.h"
#include "sources/agrian/AgrianLookup.h"
#include "sources/agrian/AgrianRequest.h"
#include "update/DryRun.h"
#include "update/RunHistory.h"
#include "update/UpdateRun.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

// The main window's update runs and what they leave: the run history, the
// change reports, and the preview that writes nothing.

namespace zelvaro {

void MainWindow::recordRun(const QDateTime& started, const QString& startedBy, int failuresBefore)
{
    const UpdateRun::Report& report = m_update->lastReport();
    RunRecord r;
    r.started = started;
    r.ended = QDateTime::currentDateTime();
    r.startedBy = startedBy;
    r.source = agrianMode() ? QStringLiteral("Agrian") : QStringLiteral("CDMS");
    r.dotAdded = report.dotAdded;
    r.dotUpdated = report.dotUpdated;
    r.hazardAdded = report.hazardAdded;
    r.hazardUpdated = report.hazardUpdated;
    r.itemsNotUpdated = report.itemsNotUpdated;
    r.changedRows = report.changedRows;
    r.report = QFileInfo(report.reportPath).fileName();
    // As the batch run's exit status: 1 after any failure shown or write refused.
    const bool failed = m_countingPrompter.failures() > failuresBefore || report.writesRefused > 0;
    r.result = m_lastUpdate == UpdateRun::Outcome::Done
                   ? QStringLiteral("exit %1").arg(failed ? 1 : 0)
                   : QStringLiteral("stopped: ") + report.stopReason;
    if (report.writesRefused > 0)
        r.result +=
            report.writesRefused == 1
                ? QStringLiteral("; 1 write refused by the host")
                : QStringLiteral("; %1 writes refused by the host").arg(report.writesRefused);
    QString error;
    // A history that cannot be written costs the run nothing; it is said.
    if (!RunHistory().append(r, &error)) qWarning().noquote() << error;
}

bool MainWindow::updateHadRefusedWrites() const
{
    if (m_lastDryRun) return m_lastDryRefused > 0;
    return m_update && m_update->lastReport().writesRefused > 0;
}

void MainWindow::showRunHistory()
{
    const RunHistory::Listing listing = RunHistory().readLast(-1);
    if (!listing.error.isEmpty()) {
        m_prompter.failure(listing.error);
        return;
    }
    std::vector<QStringList> rows;
    for (auto it = listing.records.rbegin(); it != listing.records.rend(); ++it)
        rows.push_back(RunHistory::cells(*it));
    const int chosen =
        m_prompter.showTable(QStringLiteral("Run history"), RunHistory::columnTitles(), rows,
                             QStringLiteral("Change report"));
    if (chosen >= 0 && chosen < int(listing.records.size()))
        showReportOf(listing.records[listing.records.size() - 1 - size_t(chosen)]);
}

void MainWindow::showReportOf(const RunRecord& run)
{
    if (run.report.isEmpty()) {
        m_prompter.message(QStringLiteral("The run of %1 has no change report.")
                               .arg(run.started.toString(Qt::ISODate)));
        return;
    }
    const QString path =
        QDir(QDir(Settings::homeDir()).filePath(QStringLiteral("changes"))).filePath(run.report);
    std::vector<ChangeLog::Change> changes;
    QString error;
    if (!ChangeLog::read(path, &changes, &error)) {
        m_prompter.failure(error);
        return;
    }
    showChangeTable(
        QStringLiteral("Change report %1 (%2 rows changed)").arg(run.report).arg(run.changedRows),
        changes);
}

void MainWindow::showChangeReport()
{
    const RunHistory::Listing listing = RunHistory().readLast(-1);
    if (!listing.error.isEmpty()) {
        m_prompter.failure(listing.error);
        return;
    }
    for (auto it = listing.records.rbegin(); it != listing.records.rend(); ++it) {
        if (!it->report.isEmpty()) {
            showReportOf(*it);
            return;
        }
    }
    m_prompter.message(QStringLiteral("No update run with a change report is recorded."));
}

void MainWindow::showChangeTable(const QString& title,
                                 const std::vector<ChangeLog::Change>& changes)
{
    std::vector<QStringList> rows;
    rows.reserve(changes.size());
    for (const ChangeLog::Change& c : changes)
        rows.push_back({c.table, c.key, c.column, c.oldValue, c.newValue});
    m_prompter.showTable(title,
                         {QStringLiteral("table"), QStringLiteral("key"), QStringLiteral("column"),
                          QStringLiteral("old"), QStringLiteral("new")},
                         rows);
}

UpdateRun::Outcome MainWindow::updateOnce()
{
    const int lookups = m_agrianLookup->lookupCount();
    const double lookupSeconds = m_agrianLookup->lookupSeconds();
    const double serviceSeconds = m_agrianRequest->totalSeconds();
    m_lastDryRun = false;
    m_lastUpdate = m_update->run(*this);
    const UpdateRun::Outcome outcome = m_lastUpdate;
    printLookups(m_agrianLookup->lookupCount() - lookups,
                 m_agrianLookup->lookupSeconds() - lookupSeconds,
                 m_agrianRequest->totalSeconds() - serviceSeconds);
    return outcome;
}

void MainWindow::printLookups(int count, double seconds, double serviceSeconds) const
{
    // What the service cost this run, for the night's log.
    if (!m_batch || count <= 0) return;
    QTextStream(stdout) << QStringLiteral("Agrian lookups: %1, %2 s waiting on the service, "
                                          "%3 s own work")
                               .arg(count)
                               .arg(serviceSeconds, 0, 'f', 3)
                               .arg(seconds - serviceSeconds, 0, 'f', 3)
                        << Qt::endl;
}

void MainWindow::previewUpdate()
{
    DryRun dry(m_session, m_dotList);
    const double serviceSeconds = m_agrianRequest->totalSeconds();
    m_lastUpdate = dry.run(*this, agrianMode() ? m_agrianRequest.get() : nullptr);
    printLookups(dry.lookupCount(), dry.lookupSeconds(),
                 m_agrianRequest->totalSeconds() - serviceSeconds);
    m_lastDryRun = true;
    m_lastDryRefused = dry.report().writesRefused;
    const UpdateRun::Report& report = dry.report();
    const QString ending = QStringLiteral("Dry run: nothing was written to the host.");
    if (report.reportPath.isEmpty()) {
        m_prompter.message((report.stopReason.isEmpty()
                                ? QString()
                                : QStringLiteral("The dry run stopped: no plan was written.\n")) +
                           ending);
        return;
    }
    if (!m_batch) {
        std::vector<ChangeLog::Change> changes;
        QString error;
        if (ChangeLog::read(report.reportPath, &changes, &error))
            showChangeTable(QStringLiteral("Plan: %1 rows would change (DOT records added %2, "
                                           "updated %3; hazard file records added %4, updated "
                                           "%5)")
                                .arg(report.changedRows)
                                .arg(report.dotAdded)
                                .arg(report.dotUpdated)
                                .arg(report.hazardAdded)
                                .arg(report.hazardUpdated),
                            changes);
        else
            m_prompter.failure(error);
    }
    m_prompter.message(DryRun::limitsText() + QStringLiteral("\nPlan: ") +
                       QDir::toNativeSeparators(report.reportPath) + QStringLiteral("\n") + ending);
}

} // namespace zelvaro
