#pragma once

#include <QString>
#include <functional>

namespace zelvaro {

class HostTables;
class Prompter;
struct UpdateCounters;

// What the cross-reference tab asks of the window.
class XrefUi {
public:
    virtual ~XrefUi() = default;
    virtual Prompter& prompter() = 0;
    virtual void setAddEnabled(bool enabled) = 0;
    virtual bool addEnabled() const = 0;
    // Titles the link grid from the host's headings of U4CDMSXRF.
    virtual void titleXrefGrid() {}
};

// The "Update Cross Reference" tab: links items of the item master to
// products of the DOT table (U4CDMSXRF), writing the item's hazard record
// at once; deletes a link; follows the current item and link; positions the
// item and DOT views by typed text. Typed text never reaches SQL: every
// statement value is a literal of what the views hold.
class XrefMaintenance {
public:
    XrefMaintenance(HostTables& session, UpdateCounters& counters, XrefUi& ui);

    // The Agrian lookup of one product by its ID (Agrian mode only); the
    // window installs the one the update run uses too.
    void setAgrianLookup(std::function<bool(const QString& productId)> lookup)
    {
        m_agrianLookup = std::move(lookup);
    }

    // Whether the link grid stands on a link of the current item.
    bool currentItemLinked() const;
    // "Add": links the current item to the current DOT row.
    void add(bool agrianMode);
    // The delete button: asks, then removes the current link only.
    void deleteCurrent();
    // Reloads the links.
    void refresh();
    // The item view moved: the link grid and the Add button follow.
    void followItem();
    // The link navigator moved: the hazard view follows the linked item.
    void followLink();
    // Typed text positions the item view (by description) or the DOT view
    // (by name) on the first row not below it.
    void positionItem(const QString& text);
    void positionDot(const QString& text);

    // The link name: item description and product name, cut to `width`.
    static QString linkName(const QString& description, const QString& productName, int width);

private:
    HostTables& m_session;
    UpdateCounters& m_counters;
    XrefUi& m_ui;
    std::function<bool(const QString&)> m_agrianLookup;
};

} // namespace zelvaro
