#pragma once

#include "update/HazardUpdate.h"

#include <QString>
#include <functional>

namespace zelvaro {

class DotList;
class HostSession;
class RunUi;

// "&Update Zelvaro": writes every DOT list product into U4CDMSDOT, gives
// every cross-referenced item its product's EPA number and hazard lines,
// reloads the DOT table, runs the completion pass when the pass over the
// list did not reach every cross reference, and shows the summary.
class UpdateRun {
public:
    UpdateRun(HostSession& session, DotList& dotList, UpdateCounters& counters);

    // The Agrian lookup of one product before its hazard updates (Agrian
    // mode only); without one, nothing is looked up.
    void setAgrianLookup(std::function<void(const QString& productId)> lookup)
    {
        m_agrianLookup = std::move(lookup);
    }

    void run(RunUi& ui);

    // The summary text shown at the end of a run.
    static QString summaryText(int dotAdded, const UpdateCounters& counters,
                               const QString& notUpdated);

private:
    void passOverList(RunUi& ui, HazardUpdate& hazard, int& dotAdded);
    void reloadDotTable(RunUi& ui);
    QString completionPass(HazardUpdate& hazard);

    HostSession& m_session;
    DotList& m_list;
    UpdateCounters& m_counters;
    std::function<void(const QString& productId)> m_agrianLookup;
};

} // namespace zelvaro
