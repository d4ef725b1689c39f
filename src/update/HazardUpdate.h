#pragma once

#include <QString>
#include <array>

namespace zelvaro {

class HostSession;
class Prompter;

// Counters and flags of the update run that the window keeps.
struct UpdateCounters {
    bool hazardFileWritten = false; // the hazard file was written since the views were opened
    int dotUpdated = 0;
    int hazardAdded = 0;
    int hazardUpdated = 0;
};

// Brings one item up to date with its product's label data: the EPA number
// into the item master, the DOT text (as three hazard lines) and the placard
// into the hazard file. Every failure is reported here.
class HazardUpdate {
public:
    HazardUpdate(HostSession& session, UpdateCounters& counters, Prompter& prompter);

    void apply(const QString& item, const QString& haztxt, const QString& epa, const QString& mfct,
               const QString& plac);

    // The three 60-character hazard lines of a DOT text.
    static std::array<QString, 3> splitHazardText(const QString& text);

private:
    HostSession& m_session;
    UpdateCounters& m_counters;
    Prompter& m_prompter;
};

} // namespace zelvaro
