#pragma once

#include "common/ChangeLog.h"

#include "common/Prompter.h"
#include "common/RunUi.h"
#include "host/HostLister.h"
#include "host/HostTables.h"
#include "maintenance/ItemFilter.h"
#include "sources/DotList.h"
#include "update/HazardUpdate.h"
#include "update/RunHistory.h"
#include "update/UpdateRun.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QTableWidget;
class QTimer;

namespace zelvaro {

class AboutDialog;
class AgrianLookup;
class AgrianRequest;
class AgrianRetrieval;
class CdmsFileLibrary;
class CdmsRetrieval;
class ConnectStatusWindow;
class DataGrid;
class DbEdit;
class DbNavigator;
class DbText;
class DotListModel;
class Prompter;

// The main window: menu, four tabs, status bar, busy state, hazard-source
// mode and the unattended run. A thin shell: it owns the host session and
// connects its controls to the core operations (retrieval, update run),
// each of which lives in its own class. Controls keep the design's
// component names as object names; tests find them by those.
class MainWindow : public QMainWindow, public RunUi {
    Q_OBJECT
public:
    MainWindow(Prompter& prompter, QStringList arguments, QWidget* parent = nullptr);
    ~MainWindow() override;

    HostTables& session() { return m_session; }
    DotList& dotList() { return m_dotList; }

    // What the retrieval and the update run ask of the window.
    Prompter& prompter() override { return m_prompter; }
    void beginBusy() override;
    void endBusy() override;
    void setStatus(const QString& text) override { setStatusText(1, text); }
    void setUpdateEnabled(bool enabled) override;
    void stopUnattendedRun() override;
    bool agrianMode() const override;
    void setTabsEnabled(bool enabled) override;
    void dotListChanged() override;
    void dotListRowChanged(int row) override;
    void showDotListRow(int row) override;
    void fitDotListColumns(int fieldCount) override;
    void openProgress(const QString& caption, int maximum) override;
    void setProgress(int position, const QString& text) override;
    void closeProgress() override;
    void repaintDotGrid() override;
    void setDotGridEnabled(bool enabled) override;
    void reconnect() override;
    void retitleDotGrids() override;

    // Connects to the host and opens the views (before the window is shown).
    bool connectHost();
    // The steps of every showing: reset the filter controls, apply the hazard
    // source at the first one, and start the unattended run when asked for.
    void prepareShow();
    // Shows the CDMS or the Agrian buttons and captions.
    void setHazardSource(bool agrian);

    // Sets status panel 0 or 1 and paints it at once.
    void setStatusText(int panel, const QString& text);
    QString statusText(int panel) const;
    // The batch run: progress texts of status panel 1 go to standard output
    // and nothing is painted (there is no screen to paint on). Without a
    // window to wait for, the unattended run starts at once.
    void setBatchMode(bool on);
    // The unattended run previews instead (UPDATE --dry-run): nothing is
    // written to the host, INVSIG.INI or the run history.
    void setDryRun(bool on) { m_dryRun = on; }
    // The outer width and height, frame included.
    void setOuterSize(int width, int height);
    int outerWidth() const;

    // Runs a handler under the general error display: an error that escapes
    // shows its text in a message box and the program goes on.
    void guarded(const std::function<void()>& handler);
    // Runs a user operation (a button, a menu entry, the unattended run)
    // under the general error display, unless another one is running: then
    // a click is dropped (returns false) and the unattended run waits for it.
    bool runOperation(const std::function<void()>& operation);
    // The update run of this window refused because another one holds the
    // home (the batch run ends with its own status then).
    bool updateRefusedBusy() const { return m_lastUpdate == UpdateRun::Outcome::Busy; }
    // The last update run could not take the home's lock at all.
    bool updateHadNoLock() const { return m_lastUpdate == UpdateRun::Outcome::NoLock; }
    // Whether an operation (a retrieval, a run, a connect) is running now.
    bool operationRunning() const { return m_operationRunning; }
    // The host refused a write of the last update run (a batch run then ends with 1).
    bool updateHadRefusedWrites() const;

public Q_SLOTS:
    // "&CDMS Connect" or "Agrian Connect" (the hazard source in force),
    // "&Update Zelvaro" and the two in a row (the unattended run, started by
    // the timer a second after the show).
    void retrieveDotList();
    void runUpdate();
    void runUnattended();
    // File, "Preview update…": the update run on a private copy; its plan
    // as a table (the batch run prints its path).
    void previewUpdate();
    void refreshTables();
    // File, "&Setup": the setup dialog, then the hazard source, and a
    // reconnect when the system or library changed or the connection is
    // closed.
    void showSetup();
    void runCdmsUpdateProgram();
    void showHelp();
    // Help, "Run history…": the history's records, newest first; a run
    // chosen there shows its change report.
    void showRunHistory();
    // Help, "Change report…": the newest run's change report as a table.
    void showChangeReport();
    // A change report (or a dry run's plan) as a table under a title.
    void showChangeTable(const QString& title, const std::vector<ChangeLog::Change>& changes);
    void showAbout();

Q_SIGNALS:
    // The unattended run has finished (the batch run ends on it).
    void unattendedRunFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class ConnectWindow;
    class XrefTab;
    // A run's change report as a table, or why there is none.
    void showReportOf(const RunRecord& run);
    // The batch log's line on a run's Agrian lookups.
    void printLookups(int count, double seconds, double serviceSeconds) const;
    void connectXrefTab();
    // Enter on a tab presses its button (Qt has no default button outside
    // dialogs); a focused button takes Enter itself.
    void pressOnEnter(QWidget* tab, QPushButton* button);
    // The user selected another tab (never the program's own changes).
    void tabChanged(int index);
    void setCurrentTab(int index);
    void buildMenu();
    void buildTabs();
    void buildUpdateTab();
    void buildXrefTab();
    void buildFilterTab();
    void buildHazardTab();
    void bindViews();
    // Enables the maintenance buttons only while every view is open.
    void showViewsState();
    void nameControlsForScreenReaders();
    void anchorHazardGrid();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void applyResizeRule();
    void resetSelectionGrids();
    void updateNameFilterState();
    void updateFlcFilterState();
    void updateDeptFilterState();
    // Applies the filter tab's choice; `byUser` (the Apply button) also
    // saves it, after checking the settings file can hold it.
    void applyFilter(bool byUser = false);
    void restoreFilter();
    void addCode(bool fineLine);
    void removeCode(bool fineLine);
    void showSelection(QTableWidget* grid, const CodeSelection& codes);
    FilterChoice filterChoice() const;
    void closeSession();
    // Titles a grid from its table's field headings (nothing in batch mode:
    // no grid is seen, and no second host job runs at night).
    void titleGrid(const QString& table, GridRole role);
    DataGrid* gridFor(GridRole role) const;
    // One update run and its service figures; the history line is the
    // caller's.
    UpdateRun::Outcome updateOnce();
    // Appends the history line of the update run that started at `started`.
    void recordRun(const QDateTime& started, const QString& startedBy, int failuresBefore);
    // The DOT list's top visible product row (1 when none is scrolled off).
    int topDotListRow() const;

    CountingPrompter m_countingPrompter; // every message of the window goes through it
    Prompter& m_prompter;
    QStringList m_arguments;
    HostTables m_session;
    DotList m_dotList;
    QStringList m_textBuffer;
    UpdateCounters m_counters;
    std::unique_ptr<CdmsFileLibrary> m_cdmsLibrary;
    std::unique_ptr<CdmsRetrieval> m_cdms;
    std::unique_ptr<AgrianRequest> m_agrianRequest; // one connection for the window's requests
    std::unique_ptr<AgrianRetrieval> m_agrian;
    std::unique_ptr<AgrianLookup> m_agrianLookup;
    std::unique_ptr<UpdateRun> m_update;
    std::unique_ptr<XrefTab> m_xrefControls;
    std::unique_ptr<class XrefMaintenance> m_xref;
    std::unique_ptr<class HazardView> m_hazard;
    bool m_programTabChange = false;
    std::unique_ptr<ConnectStatusWindow> m_progress;
    AboutDialog* m_about = nullptr;
    class SetupDialog* m_setup = nullptr;
    DotListModel* m_dotListModel = nullptr;
    QLabel* m_panels[2] = {};
    UpdateRun::Outcome m_lastUpdate = UpdateRun::Outcome::Done;
    bool m_operationRunning = false;
    bool m_unattendedPending = false;
    bool m_firstShow = true;
    bool m_closing = false;
    bool m_batch = false;
    bool m_dryRun = false;
    bool m_lastDryRun = false; // the last run was a preview
    int m_lastDryRefused = 0;  // the preview's writes the copy refused
    int m_dotListTopRow = -1;
    CodeSelection m_flcCodes{QStringLiteral("IMFLCD")};
    CodeSelection m_deptCodes{QStringLiteral("IMDEPT")};
    QString m_hostSystem;
    HostLister m_hostLink;
    ChoiceList m_hiddenSystems; // what m_systemList shows

    // Menu.
    QAction* m_setupAction = nullptr;
    QAction* m_refreshTablesAction = nullptr;
    QAction* m_previewAction = nullptr;
    QAction* m_cdmsUpdateAction = nullptr;
    QAction* m_exitAction = nullptr;
    QAction* m_helpAction = nullptr;
    QAction* m_historyAction = nullptr;
    QAction* m_changeReportAction = nullptr;
    QAction* m_aboutAction = nullptr;
    QTimer* m_unattendedTimer = nullptr;
    QTabWidget* m_tabs = nullptr;

    // The update tab: the DOT list from the source and the host's DOT table.
    QWidget* m_updateTab = nullptr;
    QLabel* m_sourceDotLabel = nullptr;
    QTableView* m_dotListGrid = nullptr;
    QLabel* m_hostDotLabel = nullptr;
    DataGrid* m_dotTableGrid = nullptr;
    QPushButton* m_cdmsConnectButton = nullptr;
    QPushButton* m_agrianConnectButton = nullptr;
    QPushButton* m_updateButton = nullptr;

    // The cross-reference tab.
    QWidget* m_xrefTab = nullptr;
    QLabel* m_xrefLabel = nullptr;
    DbNavigator* m_xrefNavigator = nullptr;
    QPushButton* m_xrefDeleteButton = nullptr;
    QPushButton* m_xrefRefreshButton = nullptr;
    QPushButton* m_xrefAddButton = nullptr;
    DataGrid* m_xrefGrid = nullptr;
    QLabel* m_itemsLabel = nullptr;
    QLabel* m_xrefDotLabel = nullptr;
    QLabel* m_itemPositionLabel = nullptr;
    QLineEdit* m_itemPositionEdit = nullptr;
    QLabel* m_dotPositionLabel = nullptr;
    QLineEdit* m_dotPositionEdit = nullptr;
    DbEdit* m_itemNumberEdit = nullptr;
    DbEdit* m_itemDescriptionEdit = nullptr;
    DbEdit* m_dotIdEdit = nullptr;
    DbEdit* m_dotNameEdit = nullptr;
    DbNavigator* m_itemNavigator = nullptr;
    DataGrid* m_itemGrid = nullptr;
    DbNavigator* m_dotNavigator = nullptr;
    DataGrid* m_dotGrid = nullptr;

    // The item filter tab.
    QWidget* m_filterTab = nullptr;
    QCheckBox* m_nameFilterCheck = nullptr;
    QLineEdit* m_nameFilterEdit = nullptr;
    QCheckBox* m_flcFilterCheck = nullptr;
    QLineEdit* m_flcFilterEdit = nullptr;
    DataGrid* m_flcGrid = nullptr;
    DbNavigator* m_flcNavigator = nullptr;
    QPushButton* m_flcAddButton = nullptr;
    QPushButton* m_flcRemoveButton = nullptr;
    QTableWidget* m_flcSelection = nullptr;
    QLabel* m_flcSelectionLabel = nullptr;
    QCheckBox* m_deptFilterCheck = nullptr;
    QLineEdit* m_deptFilterEdit = nullptr;
    DataGrid* m_deptGrid = nullptr;
    DbNavigator* m_deptNavigator = nullptr;
    QPushButton* m_deptAddButton = nullptr;
    QPushButton* m_deptRemoveButton = nullptr;
    QTableWidget* m_deptSelection = nullptr;
    QLabel* m_deptSelectionLabel = nullptr;
    QPushButton* m_filterButton = nullptr;

    // The hazard file tab.
    QWidget* m_hazardTab = nullptr;
    QLabel* m_hazardItemLabel = nullptr;
    DbEdit* m_hazardItemEdit = nullptr;
    DbText* m_hazardItemDescription = nullptr;
    DbText* m_hazardItemEpa = nullptr;
    QLabel* m_hazardLine1Label = nullptr;
    DbEdit* m_hazardLine1Edit = nullptr;
    QLabel* m_hazardLine2Label = nullptr;
    DbEdit* m_hazardLine2Edit = nullptr;
    QLabel* m_hazardLine3Label = nullptr;
    DbEdit* m_hazardLine3Edit = nullptr;
    DbNavigator* m_hazardNavigator = nullptr;
    DataGrid* m_hazardGrid = nullptr;
    QPlainTextEdit* m_memo = nullptr;

    // Hidden: the host system list the host link fills and the source's
    // control label.
    QComboBox* m_systemList = nullptr;
    QLabel* m_sourceControlsLabel = nullptr;
};

} // namespace zelvaro
