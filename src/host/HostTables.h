#pragma once

// The host tables as the program holds them: the SQL connection, the server
// queries and the in-memory views, opened together by connect (HostTables).

#include "host/HostConnection.h"
#include "host/HostQuery.h"
#include "host/MemoryView.h"

#include <QString>
#include <functional>

namespace zelvaro {

class ChangeLog;

class Settings;

// The grids that show host tables, by role; the window maps each to its
// widget when the host's column headings title them.
enum class GridRole {
    DotTable,   // the DOT table on the update tab
    DotLookup,  // the DOT table beside the item master on the cross-reference tab
    Xref,       // the cross references
    Items,      // the item master
    Hazard,     // the hazard file
    FineLines,  // the fine line codes
    Departments // the departments
};

// What the connection sequence asks of the window around it. The defaults do
// nothing, so a headless caller only answers the messages. The setup dialog
// and the grid titles are seams for the host listing: the window fills them
// once those exist.
class ConnectUi {
public:
    virtual ~ConnectUi() = default;
    // Empties the position-to edits of the cross-reference tab.
    virtual void clearPositionEdits() {}
    // Shows the setup dialog modally; returns when it closes. False when
    // there is no dialog to show (then an empty host or library ends the
    // connection with a message saying so).
    virtual bool showSetupDialog() { return false; }
    virtual void openStatusWindow(const QString& caption, const QString& text)
    {
        Q_UNUSED(caption);
        Q_UNUSED(text);
    }
    // Sets the status window's text and paints it at once.
    virtual void setStatusText(const QString& text) { Q_UNUSED(text); }
    virtual void closeStatusWindow() {}
    // Titles a grid from the host's column headings of a table.
    virtual void setGridTitles(const QString& table, GridRole grid)
    {
        Q_UNUSED(table);
        Q_UNUSED(grid);
    }
    // The titles are done: the host's list space is released.
    virtual void releaseGridTitles() {}
    // The hazard view was (re)opened: the hazard file counts as unchanged.
    virtual void hazardViewOpened() {}
    // A modal message box with an OK button.
    virtual void message(const QString& text) = 0;
};

// The host connection with its server queries and client views, opened and
// closed together. Each view's name() keeps the design's component name
// (messages name it).
class HostTables {
public:
    // `connectionName`: the SQL connection's own name (a second set of
    // tables, a dry run's copy, takes another).
    explicit HostTables(const QString& connectionName = QStringLiteral("WWW400"));

    const QString& hostSystem() const { return m_hostSystem; }
    const QString& hostLibrary() const { return m_hostLibrary; }
    // Sets the host system and library in force (the setup dialog does).
    void setHost(const QString& system, const QString& library);

    // The SQL text of a table's view.
    QString viewSql(const QString& table) const;

    // Closes the views and reconnects with the settings in force, opening
    // the views one after another. Returns false after reporting a failure.
    bool connect(const Settings& settings, ConnectUi& ui);
    // What a run without a window says when the host system or library is
    // not set.
    static QString setupNeededText();
    // The change report of the update run in progress (null outside one):
    // every writer records there what it changed.
    ChangeLog* changeLog = nullptr;

    // Every view is open (all of the library in force).
    bool allViewsOpen() const;
    // An item's EPA number was written to the item master: the item views
    // show it (in place, without reading the item master again).
    void itemEpaWritten(const QString& item, const QString& epa);

    // Closes the views in their fixed order; errors end it silently.
    void closeViews();

    // Widens CDITEM of the DOT table from 14 to 35 characters when the open
    // view shows the older layout. Throws HostError.
    void widenDotItemColumn();

    // How the connection sequence opens a server query; tests put faults in.
    void setQueryOpener(std::function<void(HostQuery&)> opener) { m_opener = std::move(opener); }

    HostConnection connection;
    HostQuery itemQuery;
    HostQuery dotQuery;
    HostQuery xrefQuery;
    HostQuery hazardQuery;
    HostQuery flcQuery;
    HostQuery deptQuery;
    HostQuery constQuery;
    MemoryView itemView;
    MemoryView itemNumberView;
    MemoryView dotView;
    MemoryView xrefView;
    MemoryView xrefItemView;
    MemoryView hazardView;
    MemoryView flcView;
    MemoryView deptView;
    MemoryView constView;

private:
    std::function<void(HostQuery&)> m_opener;
    QString m_hostSystem;
    QString m_hostLibrary;
};

} // namespace zelvaro
