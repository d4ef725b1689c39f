#pragma once

#include "common/ChangeLog.h"
#include "sources/agrian/AgrianLookup.h"
#include "update/HazardUpdate.h"

#include <QString>
#include <functional>
#include <vector>

namespace zelvaro {

class DotList;
class HostTables;
class Prompter;
class RunLock;
class RunUi;

// "&Update Zelvaro": writes every DOT list product into U4CDMSDOT, gives
// every cross-referenced item its product's EPA number and hazard lines,
// reloads the DOT table, runs the completion pass when the pass over the
// list did not reach every cross reference, and shows the summary. No
// item's lines are blanked because a source gave nothing: a CDMS product
// without a DOT text is not written, and in Agrian mode each item's product
// is looked up first, an item whose lookup got nothing is left to the
// completion pass, and a product new to the DOT table is written only with
// the values of a lookup. Lookups stop after 3 unanswered in a row or the
// run's budget (ZELVARO_AGRIAN_BUDGET_S, 30 minutes). The download date
// advances only after a complete retrieval and lookups without a failure.
class UpdateRun {
public:
    UpdateRun(HostTables& session, DotList& dotList, UpdateCounters& counters);

    // The Agrian lookup of one product before each hazard update of its
    // items (Agrian mode only): the product's DOT row key (CDITEM as
    // stored), the DOT list row it may refresh, and whether the DOT row is
    // to be written (not for a product whose row is written after it).
    // Without one, nothing is looked up.
    using AgrianLookupFn = std::function<AgrianLookup::Outcome(const QString& productId,
                                                               int listRow, bool writeDotRow)>;
    void setAgrianLookup(AgrianLookupFn lookup) { m_agrianLookup = std::move(lookup); }

    enum class Outcome {
        Done,    // the summary was shown
        Stopped, // a failure ended the run (shown)
        Busy,    // another run holds the home's lock (shown); nothing was done
        NoLock   // the home cannot take the lock (shown); nothing was done
    };
    Outcome run(RunUi& ui);

    // What the last run did, for the run history.
    // All zero for a run that was refused or stopped.
    struct Report {
        int dotAdded = 0;
        int dotUpdated = 0;
        int hazardAdded = 0;
        int hazardUpdated = 0;
        int itemsNotUpdated = 0;
        int writesRefused = 0; // statements the host refused (DOT, item master, hazard)
        int changedRows = 0;   // rows the run changed or added
        QString reportPath;    // its change report (empty when none was written)
        std::vector<ChangeLog::Change> changes;
        QString stopReason; // why a stopped or refused run ended
    };
    const Report& lastReport() const { return m_report; }

    // Takes the home's run lock for a run or a dry run. When a run is in
    // progress or the home cannot take the lock: false, the message shown,
    // the stop reason in `report` and the outcome (Busy, NoLock) in `*refused`.
    static bool takeLock(RunLock& lock, Prompter& prompter, Report& report, Outcome* refused);

    // Where the change report goes (default: the home's changes/), and
    // whether it is a dry run's plan (<start>-dry-run.csv).
    void setReportFolder(const QString& folder, bool dryRun)
    {
        m_reportFolder = folder;
        m_dryRun = dryRun;
    }
    // The start the report is named by, when the run began before run()
    // (a dry run's copy); otherwise run() takes its own.
    void setReportStart(const QDateTime& start) { m_reportStart = start; }

    // The summary text shown at the end of a run. The line naming the
    // products not written follows only when there are any.
    static QString summaryText(int dotAdded, const UpdateCounters& counters,
                               const QString& notUpdated, const QString& notWritten = {});
    // A list row the source could not resolve: the names library found
    // nothing beyond the name, or (CDMS) the product has no DOT text.
    static bool isUnresolved(const DotList& list, int row, bool agrianMode);

private:
    struct Tally {
        int dotAdded = 0;
        int refused = 0;           // DOT statements the host refused
        QString notWritten;        // quoted IDs, each followed by ","
        std::vector<bool> reached; // by cross-reference table row: written by the pass
        bool lookupFailureShown = false;
    };
    class Lookups;
    // Ends the run (an Error) when a signal asked to stop.
    static void stopIfAsked();
    void passOverList(RunUi& ui, HazardUpdate& hazard, Tally& tally);
    void reloadDotTable(RunUi& ui);
    QString completionPass(HazardUpdate& hazard, int* itemCount);

    HostTables& m_session;
    DotList& m_list;
    UpdateCounters& m_counters;
    AgrianLookupFn m_agrianLookup;
    Report m_report;
    QString m_reportFolder;
    bool m_dryRun = false;
    QDateTime m_reportStart;
};

} // namespace zelvaro
