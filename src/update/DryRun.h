#pragma once

#include "update/UpdateRun.h"

#include <QString>

namespace zelvaro {

class AgrianRequest;
class DotList;
class HostTables;
class RunUi;

// A dry run: everything an update run does, written nowhere that counts.
// The real run's code decides, not a second copy of its rules: the tables
// the run reads and writes are copied from the views already read, with
// the host's column widths, into an embedded library of a private
// temporary home, and the same UpdateRun runs there over a copy of the DOT
// list (Agrian lookups included: they only read the service). Its change
// report is the plan: <home>/changes/<start>-dry-run.csv. Nothing is
// written to the host, INVSIG.INI (no download date) or the run history.
class DryRun {
public:
    DryRun(HostTables& real, const DotList& list);

    // `request`: the Agrian service in Agrian mode (null: no lookups).
    UpdateRun::Outcome run(RunUi& ui, AgrianRequest* request);
    const UpdateRun::Report& report() const { return m_report; }
    // The Agrian lookups it made and the seconds they took in all.
    int lookupCount() const { return m_lookups; }
    double lookupSeconds() const { return m_lookupSeconds; }

    // What a copy cannot foresee, said at the end of every dry run.
    static QString limitsText();

private:
    HostTables& m_real;
    const DotList& m_list;
    UpdateRun::Report m_report;
    int m_lookups = 0;
    double m_lookupSeconds = 0;
};

} // namespace zelvaro
