#pragma once

#include "common/RunUi.h"
#include "host/HostSession.h"
#include "sources/DotList.h"
#include "update/HazardUpdate.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTableView;
class QTimer;
class QComboBox;
class QWidget;

namespace zelvaro {

class DataGrid;
class DbEdit;
class DbNavigator;
class DbText;
class Prompter;
class TAboutBox;
class TCDMSSplashForm;
class DotListModel;
class CdmsFileLibrary;
class CdmsRetrieval;
class UpdateRun;

// The main window: menu, four tabs, status bar, busy state, hazard-source
// mode and the unattended run. It owns the host session; each tab's and
// each source's behaviour lives in its own class.
class TCDMSForm1 : public QMainWindow, public RunUi {
    Q_OBJECT
public:
    TCDMSForm1(Prompter& prompter, QStringList arguments, QWidget* parent = nullptr);
    ~TCDMSForm1() override;

    HostSession& session() { return m_session; }
    DotList& dotList() { return m_dotList; }
    QStringList& textBuffer() { return m_textBuffer; }

    // What the retrieval and the update run ask of the window.
    Prompter& prompter() override { return m_prompter; }
    void setStatus(const QString& text) override { setStatusText(1, text); }
    void setUpdateEnabled(bool enabled) override;
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

    // Start-up: connect and open the views (before the window is shown).
    bool newconnect();
    void formwait() override;
    void formready() override;
    void SetHazardSource(bool agrian);
    void FormShow();
    void FormResize();
    void RefreshTables1Click();
    void About1Click();
    void Exit1Click();
    void Timer1Timer();
    void btConnectClick();
    void btUpdateClick();
    void RefreshCDMSData1Click();
    void Help2Click();

    // Sets status panel 0 or 1 and paints it at once.
    void setStatusText(int panel, const QString& text);
    // The batch run: progress texts of status panel 1 go to standard output
    // and nothing is painted (there is no screen to paint on).
    // Without a window to wait for, the run starts at once.
    void setBatchMode(bool on);
    QString statusText(int panel) const;
    // The outer width and height, frame included.
    void setOuterSize(int width, int height);
    int outerWidth() const;

    // Runs a handler under the general error display: an error that escapes
    // shows its text in a message box and the program goes on.
    void guarded(const std::function<void()>& handler);

    // What the unattended run calls for the retrieval and the update; the
    // source and update subsystems install theirs.
    std::function<void()> retrieval;
    std::function<void()> updateRun;

    bool FirstShow = true;
    int DptRowCnt = 0;
    int FLCRowCnt = 0;
    QString Host;
    // HazUpdated, DOTupdcnt, HazAddCnt, HazUpdCnt.
    UpdateCounters counters;

    // Controls, named as the window's design names them.
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet4 = nullptr;
    QLabel* Label7 = nullptr;
    QTableView* sgCDMSDOT = nullptr;
    QLabel* Label8 = nullptr;
    DataGrid* DotGrid1 = nullptr;
    QPushButton* btConnect = nullptr;
    QPushButton* btAgrian = nullptr;
    QPushButton* btUpdate = nullptr;
    QLabel* Label6 = nullptr;
    DbNavigator* DBNavigator3 = nullptr;
    QPushButton* btXrefDelete = nullptr;
    QPushButton* btRefresh = nullptr;
    DataGrid* XrefGrid = nullptr;
    QPushButton* sbXrefAdd = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit2 = nullptr;
    DbEdit* DBEItem = nullptr;
    DbEdit* DBEItemDesc = nullptr;
    DbEdit* DBEDOTID = nullptr;
    DbEdit* DBEDotName = nullptr;
    DbNavigator* DBNavigator1 = nullptr;
    DataGrid* ItemGrid = nullptr;
    DbNavigator* DBNavigator2 = nullptr;
    DataGrid* DotGrid = nullptr;
    QCheckBox* cbxName = nullptr;
    QLineEdit* edName = nullptr;
    QCheckBox* cbxFlc = nullptr;
    QLineEdit* edFLC = nullptr;
    DataGrid* FLCGrid = nullptr;
    DbNavigator* DBNavigator4 = nullptr;
    QPushButton* sbFlcAdd = nullptr;
    QPushButton* sbFlcRmv = nullptr;
    QTableWidget* sgFLcodes = nullptr;
    QLabel* Label13 = nullptr;
    QCheckBox* cbxDept = nullptr;
    QLineEdit* edDept = nullptr;
    DataGrid* DeptGrid = nullptr;
    DbNavigator* DBNavigator5 = nullptr;
    QPushButton* sbDptAdd = nullptr;
    QPushButton* sbDptRmv = nullptr;
    QTableWidget* sgDepts = nullptr;
    QLabel* Label14 = nullptr;
    QPushButton* btFilter = nullptr;
    DbEdit* DBEdit1 = nullptr;
    DbEdit* DBEdit2 = nullptr;
    DbEdit* DBEdit3 = nullptr;
    DbEdit* DBEdit4 = nullptr;
    DbText* DBText1 = nullptr;
    DbText* DBText2 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    DbNavigator* DBNavigator6 = nullptr;
    DataGrid* HzdGrid = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QTimer* Timer1 = nullptr;
    QAction* setup1 = nullptr;
    QAction* RefreshTables1 = nullptr;
    QAction* RefreshCDMSData1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Help2 = nullptr;
    QAction* About1 = nullptr;

Q_SIGNALS:
    // The unattended run has finished (the batch run ends on it).
    void unattendedRunFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class ConnectWindow;
    void buildMenu();
    void buildTabs();
    void buildUpdateTab();
    void buildXrefTab();
    void buildFilterTab();
    void buildHazardTab();
    void bindViews();
    void resetSelectionGrids();
    void cbxNameClick();
    void cbxFlcClick();
    void cbxDeptClick();
    void btFilterClick();
    void FormClose();
    int outerHeightForShow() const;

    Prompter& m_prompter;
    QStringList m_arguments;
    HostSession m_session;
    DotList m_dotList;
    QStringList m_textBuffer;
    DotListModel* m_dotListModel = nullptr;
    std::unique_ptr<CdmsFileLibrary> m_cdmsLibrary;
    std::unique_ptr<CdmsRetrieval> m_cdms;
    std::unique_ptr<UpdateRun> m_update;
    std::unique_ptr<TCDMSSplashForm> m_progress;
    bool m_closing = false;
    bool m_batch = false;
    int m_dotListTopRow = -1;
    TAboutBox* m_about = nullptr;
    QLabel* m_panels[2] = {};
};

} // namespace zelvaro
