#pragma once

#include <QString>
#include <functional>

namespace zelvaro {

class HostTables;
class RunUi;
struct UpdateCounters;

// The "Hazard File" tab: reopens the hazard view on the first visit after
// the update run wrote the hazard file, and keeps the tab's item view on
// the item of the current hazard row.
class HazardView {
public:
    // `titleGrid` titles the hazard grid from the host's headings.
    HazardView(HostTables& session, UpdateCounters& counters, RunUi& ui,
               std::function<void()> titleGrid);

    // The user entered the tab. `currentItem` is the cross-reference tab's
    // item number (may be empty). Reopens the view only when the hazard
    // file was written since it was opened; a failed reopen ends the busy
    // state and rethrows (the flag stays set, so the next visit retries).
    // Either way the item view then follows the current hazard row once.
    void enter(const QString& currentItem);
    // The current hazard row changed; `tabActive`: the hazard tab is shown.
    void followHazardRow(bool tabActive);

private:
    HostTables& m_session;
    UpdateCounters& m_counters;
    RunUi& m_ui;
    std::function<void()> m_titleGrid;
};

} // namespace zelvaro
