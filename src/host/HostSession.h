#pragma once

#include "host/ClientView.h"
#include "host/HostConnection.h"
#include "host/HostQuery.h"

#include <QString>
#include <functional>

namespace zelvaro {

class Settings;

// What the connection sequence asks of the window around it. The defaults do
// nothing, so a headless caller only answers the messages.
class ConnectUi {
public:
    virtual ~ConnectUi() = default;
    // Empties the position-to edits of the cross-reference tab.
    virtual void clearPositionEdits() {}
    // Shows the setup dialog modally; returns when it closes.
    virtual void showSetupDialog() {}
    virtual void openStatusWindow(const QString& caption, const QString& text)
    {
        Q_UNUSED(caption);
        Q_UNUSED(text);
    }
    // Sets the status window's text and paints it at once.
    virtual void setStatusText(const QString& text) { Q_UNUSED(text); }
    virtual void closeStatusWindow() {}
    // Titles a grid from the host's column headings; an empty table name
    // releases the host list space.
    virtual void setGridTitles(const QString& table, const QString& grid)
    {
        Q_UNUSED(table);
        Q_UNUSED(grid);
    }
    // The first-row button of the cross-reference navigator was pressed.
    virtual void xrefNavigatorFirst() {}
    // The hazard view was (re)opened: the hazard file counts as unchanged.
    virtual void hazardViewOpened() {}
    // A modal message box with an OK button.
    virtual void message(const QString& text) = 0;
};

// The host connection with its server queries and client views, opened and
// closed together. The members keep the names the window's code uses.
class HostSession {
public:
    HostSession();

    const QString& hostSystem() const { return m_hostSystem; }
    const QString& hostLibrary() const { return m_hostLibrary; }
    // Sets the host system and library in force (the setup dialog does).
    void setHost(const QString& system, const QString& library);

    // The SQL text of a table's view.
    QString viewSql(const QString& table) const;

    // Closes the views and reconnects with the settings in force, opening
    // the views one after another. Returns false after reporting a failure.
    bool newconnect(const Settings& settings, ConnectUi& ui);

    // Closes the views in their fixed order; errors end it silently.
    void CloseFiles();

    // Widens CDITEM of the DOT table from 14 to 35 characters when the open
    // view shows the older layout. Throws HostError.
    void widenDotItemColumn();

    // How the connection sequence opens a server query; tests put faults in.
    void setQueryOpener(std::function<void(HostQuery&)> opener) { m_opener = std::move(opener); }

    HostConnection connection;
    HostQuery SQLItem;
    HostQuery SQLCDMSDOT;
    HostQuery SQLCDMSxref;
    HostQuery SQLHazard;
    HostQuery SQLFLC;
    HostQuery SQLDept;
    HostQuery SQLConst;
    ClientView ItemData;
    ClientView ItemData1;
    ClientView CDMSDOTData;
    ClientView CDMSxrefData;
    ClientView CDMSxrefData2;
    ClientView HazardData;
    ClientView FLCData;
    ClientView DeptData;
    ClientView ConstData;

private:
    std::function<void(HostQuery&)> m_opener;
    QString m_hostSystem;
    QString m_hostLibrary;
};

} // namespace zelvaro
