#pragma once

#include <QString>
#include <array>

namespace zelvaro {

class HostTables;
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
// into the hazard file. A row is written only when what it holds differs
// from what would be written (compared without trailing blanks), and what
// changed goes to the run's change report. Every failure is reported here.
class HazardUpdate {
public:
    HazardUpdate(HostTables& session, UpdateCounters& counters, Prompter& prompter);

    enum class Outcome {
        Added,       // a hazard row was inserted
        Updated,     // the item's hazard row was changed
        Unchanged,   // the hazard row already held the values: nothing sent
        Failed,      // the host refused; the failure was shown
        DoesNotFit,  // the item number is wider than the hazard file's key: nothing written
        NothingFound // the update found no row to change: nothing counted
    };

    // The EPA number into the item master, the DOT text (without its
    // trailing blanks) as three hazard lines and the placard (cut to the
    // hazard field's width) into the hazard file. A lock time-out (SQL0913)
    // is not shown here: it escapes as HostError and ends the run.
    Outcome apply(const QString& item, const QString& haztxt, const QString& epa,
                  const QString& mfct, const QString& plac);

    // The three 60-character hazard lines of a DOT text (its line breaks
    // as blanks, so text stored before that rule splits as it does now).
    static std::array<QString, 3> splitHazardText(const QString& text);

    // Statements of this object the host refused (item master and hazard).
    int refusedCount() const { return m_refused; }

private:
    HostTables& m_session;
    UpdateCounters& m_counters;
    Prompter& m_prompter;
    int m_refused = 0;
};

} // namespace zelvaro
