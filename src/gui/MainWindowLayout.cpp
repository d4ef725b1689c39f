// Builds the main window's controls. Positions follow the window's design
// (client area 968 by 490); the resize rule moves the cross-reference tab's
// lower half.
#include "gui/DataGrid.h"
#include "gui/DbField.h"
#include "gui/DbNavigator.h"
#include "gui/DotListModel.h"
#include "gui/MainWindow.h"
#include "gui/ScreenReaderNames.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QValidator>

namespace zelvaro {

namespace {

template <typename W> W* make(QWidget* parent, const char* name, int x, int y, int w, int h)
{
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(x, y);
    l->adjustSize();
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                    int x, int y, int w, int h)
{
    auto* b = make<QPushButton>(parent, name, x, y, w, h);
    b->setText(caption);
    b->setToolTip(hint);
    return b;
}

// Typed and pasted text becomes upper case before the edit takes it, so
// that every change the edit reports (and positions on) is upper case.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

QLineEdit* upperEdit(QWidget* parent, const char* name, int x, int y, int w)
{
    auto* e = make<QLineEdit>(parent, name, x, y, w, 21);
    // Letters become upper case, as the host's keys are.
    e->setValidator(new UpperCaseValidator(e));
    return e;
}

QTableWidget* selectionGrid(QWidget* parent, const char* name, int x, int y, int w, int h)
{
    auto* g = make<QTableWidget>(parent, name, x, y, w, h);
    g->setColumnCount(2);
    g->setRowCount(2);
    g->setColumnWidth(0, 64);
    g->setColumnWidth(1, 163);
    g->verticalHeader()->setDefaultSectionSize(18);
    g->verticalHeader()->hide();
    g->horizontalHeader()->hide();
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return g;
}

} // namespace

void MainWindow::buildMenu()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    m_setupAction = file->addAction(QStringLiteral("&Setup"));
    m_setupAction->setObjectName(QStringLiteral("setup1"));
    m_refreshTablesAction = file->addAction(QStringLiteral("&Refresh Tables"));
    m_refreshTablesAction->setObjectName(QStringLiteral("RefreshTables1"));
    m_previewAction = file->addAction(QStringLiteral("Preview update\u2026"));
    m_previewAction->setObjectName(QStringLiteral("PreviewUpdate1"));
    m_cdmsUpdateAction = file->addAction(QStringLiteral("CDMS &Update"));
    m_cdmsUpdateAction->setObjectName(QStringLiteral("RefreshCDMSData1"));
    file->addSeparator();
    m_exitAction = file->addAction(QStringLiteral("E&xit"));
    m_exitAction->setObjectName(QStringLiteral("Exit1"));
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    m_helpAction = help->addAction(QStringLiteral("Help"));
    m_helpAction->setObjectName(QStringLiteral("Help2"));
    m_historyAction = help->addAction(QStringLiteral("Run history\u2026"));
    m_historyAction->setObjectName(QStringLiteral("RunHistory1"));
    m_changeReportAction = help->addAction(QStringLiteral("Change report\u2026"));
    m_changeReportAction->setObjectName(QStringLiteral("ChangeReport1"));
    help->addSeparator();
    m_aboutAction = help->addAction(QStringLiteral("&About..."));
    m_aboutAction->setObjectName(QStringLiteral("About1"));

    connect(m_previewAction, &QAction::triggered, this,
            [this] { runOperation([this] { previewUpdate(); }); });
    connect(m_changeReportAction, &QAction::triggered, this,
            [this] { runOperation([this] { showChangeReport(); }); });
    connect(m_refreshTablesAction, &QAction::triggered, this,
            [this] { runOperation([this] { refreshTables(); }); });
    connect(m_setupAction, &QAction::triggered, this,
            [this] { runOperation([this] { showSetup(); }); });
    connect(m_exitAction, &QAction::triggered, this, [this] { close(); });
    connect(m_cdmsUpdateAction, &QAction::triggered, this,
            [this] { runOperation([this] { runCdmsUpdateProgram(); }); });
    connect(m_helpAction, &QAction::triggered, this,
            [this] { runOperation([this] { showHelp(); }); });
    connect(m_historyAction, &QAction::triggered, this,
            [this] { runOperation([this] { showRunHistory(); }); });
    connect(m_aboutAction, &QAction::triggered, this,
            [this] { runOperation([this] { showAbout(); }); });
}

void MainWindow::buildTabs()
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PageControl1"));
    setCentralWidget(m_tabs);
    m_updateTab = new QWidget;
    m_updateTab->setObjectName(QStringLiteral("TabSheet1"));
    m_xrefTab = new QWidget;
    m_xrefTab->setObjectName(QStringLiteral("TabSheet2"));
    m_filterTab = new QWidget;
    m_filterTab->setObjectName(QStringLiteral("TabSheet3"));
    m_hazardTab = new QWidget;
    m_hazardTab->setObjectName(QStringLiteral("TabSheet4"));
    m_tabs->addTab(m_updateTab, QStringLiteral("CDMS Update"));
    m_tabs->addTab(m_xrefTab, QStringLiteral("Update Cross Reference"));
    m_tabs->addTab(m_filterTab, QStringLiteral("Item Master Filters"));
    m_tabs->addTab(m_hazardTab, QStringLiteral("Hazard File"));
    buildUpdateTab();
    buildXrefTab();
    buildFilterTab();
    buildHazardTab();

    nameControlsForScreenReaders();

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(bar);
    m_panels[0] = new QLabel(bar);
    m_panels[0]->setFixedWidth(90);
    m_panels[1] = new QLabel(bar);
    bar->addWidget(m_panels[0]);
    bar->addWidget(m_panels[1], 1);

    m_systemList = make<QComboBox>(this, "ComboBox1", 0, 0, 10, 10);
    m_systemList->hide();
    m_systemList->setEnabled(false);
    m_sourceControlsLabel = label(this, "Label1", QStringLiteral("CDMS COM Controls"), 0, 0);
    m_sourceControlsLabel->hide();
}

void MainWindow::buildUpdateTab()
{
    QWidget* t = m_updateTab;
    m_sourceDotLabel = label(t, "Label7", QStringLiteral("CDMS D.O.T. Data"), 8, 6);
    m_dotListGrid = make<QTableView>(t, "sgCDMSDOT", 8, 24, 944, 196);
    m_dotListModel = new DotListModel(m_dotList, this);
    m_dotListGrid->setModel(m_dotListModel);
    m_dotListGrid->horizontalHeader()->hide();
    m_dotListGrid->verticalHeader()->hide();
    m_dotListGrid->verticalHeader()->setDefaultSectionSize(20);
    m_dotListGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const int widths[] = {64, 64, 129, 130, 103, 123, 83, 728};
    for (int c = 0; c < 8; ++c)
        m_dotListGrid->setColumnWidth(c, widths[c]);
    m_hostDotLabel = label(t, "Label8", QStringLiteral("Zelvaro D.O.T. Data"), 8, 226);
    m_dotTableGrid = make<DataGrid>(t, "DotGrid1", 8, 244, 944, 152);
    m_cdmsConnectButton = button(t, "btConnect", QStringLiteral("&CDMS Connect"),
                                 QStringLiteral("Retrieve CDMS ChemSearch Data"), 8, 404, 121, 29);
    m_agrianConnectButton =
        button(t, "btAgrian", QStringLiteral("Agrian Connect"), QString(), 8, 404, 121, 29);
    m_updateButton =
        button(t, "btUpdate", QStringLiteral("&Update Zelvaro"),
               QStringLiteral("Update Zelvaro Software database files"), 140, 404, 121, 29);
    setUpdateEnabled(false);
    connect(m_cdmsConnectButton, &QPushButton::clicked, this,
            [this] { runOperation([this] { retrieveDotList(); }); });
    connect(m_agrianConnectButton, &QPushButton::clicked, this,
            [this] { runOperation([this] { retrieveDotList(); }); });
    connect(m_updateButton, &QPushButton::clicked, this,
            [this] { runOperation([this] { runUpdate(); }); });
}

void MainWindow::buildXrefTab()
{
    QWidget* t = m_xrefTab;
    m_xrefLabel = label(t, "Label6", QStringLiteral("Zelvaro / CDMS Cross Reference"), 8, 6);
    m_xrefNavigator = new DbNavigator(false, t);
    m_xrefNavigator->setObjectName(QStringLiteral("DBNavigator3"));
    m_xrefNavigator->setGeometry(8, 24, 120, 25);
    m_xrefDeleteButton =
        button(t, "btXrefDelete", QString(), QStringLiteral("Delete"), 132, 24, 25, 25);
    m_xrefDeleteButton->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    m_xrefDeleteButton->setDefault(true);
    m_xrefRefreshButton =
        button(t, "btRefresh", QString(), QStringLiteral("Refresh"), 160, 24, 25, 25);
    m_xrefRefreshButton->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    m_xrefAddButton = button(t, "sbXrefAdd", QStringLiteral("Add"),
                             QStringLiteral("Add a cross reference record"), 188, 24, 60, 25);
    m_xrefGrid = make<DataGrid>(t, "XrefGrid", 8, 52, 944, 118);

    m_itemsLabel = label(t, "Label4", QStringLiteral("Zelvaro Item Master"), 8, 176);
    m_xrefDotLabel = label(t, "Label5", QStringLiteral("CDMS D.O.T. Data"), 485, 176);
    m_itemPositionLabel = label(t, "Label2", QStringLiteral("Position to Item"), 8, 198);
    m_itemPositionEdit = upperEdit(t, "Edit1", 102, 195, 200);
    m_dotPositionLabel = label(t, "Label3", QStringLiteral("Position to DOT"), 485, 198);
    m_dotPositionEdit = upperEdit(t, "Edit2", 579, 195, 200);
    m_itemNumberEdit = make<DbEdit>(t, "DBEItem", 8, 222, 90, 21);
    m_itemNumberEdit->setEnabled(false);
    m_itemDescriptionEdit = make<DbEdit>(t, "DBEItemDesc", 102, 222, 200, 21);
    m_itemDescriptionEdit->setEnabled(false);
    m_dotIdEdit = make<DbEdit>(t, "DBEDOTID", 485, 222, 90, 21);
    m_dotIdEdit->setEnabled(false);
    m_dotNameEdit = make<DbEdit>(t, "DBEDotName", 579, 222, 200, 21);
    m_dotNameEdit->setEnabled(false);
    m_itemNavigator = new DbNavigator(true, t);
    m_itemNavigator->setObjectName(QStringLiteral("DBNavigator1"));
    m_itemNavigator->setGeometry(8, 248, 150, 25);
    m_dotNavigator = new DbNavigator(true, t);
    m_dotNavigator->setObjectName(QStringLiteral("DBNavigator2"));
    m_dotNavigator->setGeometry(485, 248, 150, 25);
    m_itemGrid = make<DataGrid>(t, "ItemGrid", 8, 276, 467, 160);
    m_dotGrid = make<DataGrid>(t, "DotGrid", 485, 276, 467, 160);
}

void MainWindow::buildFilterTab()
{
    QWidget* t = m_filterTab;
    m_nameFilterCheck = make<QCheckBox>(t, "cbxName", 8, 8, 260, 20);
    m_nameFilterCheck->setText(QStringLiteral("Item Description Containing Characters:"));
    m_nameFilterEdit = upperEdit(t, "edName", 272, 8, 240);

    m_flcFilterCheck = make<QCheckBox>(t, "cbxFlc", 8, 40, 300, 20);
    m_flcFilterCheck->setText(QStringLiteral("Filter Item Master By Fine Line code"));
    m_flcFilterEdit = make<QLineEdit>(t, "edFLC", 320, 40, 460, 21);
    m_flcFilterEdit->setEnabled(false);
    m_flcGrid = make<DataGrid>(t, "FLCGrid", 8, 94, 300, 100);
    m_flcNavigator = new DbNavigator(false, t);
    m_flcNavigator->setObjectName(QStringLiteral("DBNavigator4"));
    m_flcNavigator->setGeometry(8, 66, 120, 25);
    m_flcAddButton = button(t, "sbFlcAdd", QStringLiteral(">"),
                            QStringLiteral("Add a fine line code to the filter"), 316, 110, 30, 25);
    m_flcRemoveButton =
        button(t, "sbFlcRmv", QStringLiteral("<"),
               QStringLiteral("Remove a fine line code from the filter"), 316, 140, 30, 25);
    m_flcSelectionLabel =
        label(t, "Label13", QStringLiteral("Fine Line Codes to include"), 354, 74);
    m_flcSelectionLabel->setEnabled(false);
    m_flcSelection = selectionGrid(t, "sgFLcodes", 354, 94, 250, 100);

    m_deptFilterCheck = make<QCheckBox>(t, "cbxDept", 8, 204, 300, 20);
    m_deptFilterCheck->setText(QStringLiteral("Filter Item Master By Department"));
    m_deptFilterEdit = make<QLineEdit>(t, "edDept", 320, 204, 460, 21);
    m_deptFilterEdit->setEnabled(false);
    m_deptNavigator = new DbNavigator(false, t);
    m_deptNavigator->setObjectName(QStringLiteral("DBNavigator5"));
    m_deptNavigator->setGeometry(8, 230, 120, 25);
    m_deptGrid = make<DataGrid>(t, "DeptGrid", 8, 258, 300, 100);
    m_deptAddButton = button(t, "sbDptAdd", QStringLiteral(">"),
                             QStringLiteral("Add a department to the filter"), 316, 274, 30, 25);
    m_deptRemoveButton =
        button(t, "sbDptRmv", QStringLiteral("<"),
               QStringLiteral("Remove a department from the filter"), 316, 304, 30, 25);
    m_deptSelectionLabel = label(t, "Label14", QStringLiteral("Departments to include"), 354, 238);
    m_deptSelectionLabel->setEnabled(false);
    m_deptSelection = selectionGrid(t, "sgDepts", 354, 258, 250, 100);

    m_filterButton =
        button(t, "btFilter", QStringLiteral(" Refresh Item table"),
               QStringLiteral("Refresh item master view using the new filter"), 8, 370, 160, 29);
    m_filterButton->setDefault(true);
    connect(m_nameFilterCheck, &QCheckBox::clicked, this, [this] { updateNameFilterState(); });
    connect(m_nameFilterEdit, &QLineEdit::textEdited, this,
            [this] { m_filterButton->setEnabled(true); });
    connect(m_flcAddButton, &QPushButton::clicked, this,
            [this] { guarded([this] { addCode(true); }); });
    connect(m_deptAddButton, &QPushButton::clicked, this,
            [this] { guarded([this] { addCode(false); }); });
    connect(m_flcRemoveButton, &QPushButton::clicked, this,
            [this] { guarded([this] { removeCode(true); }); });
    connect(m_deptRemoveButton, &QPushButton::clicked, this,
            [this] { guarded([this] { removeCode(false); }); });
    connect(m_filterButton, &QPushButton::clicked, this,
            [this] { runOperation([this] { applyFilter(true); }); });
    connect(m_flcFilterCheck, &QCheckBox::clicked, this, [this] { updateFlcFilterState(); });
    connect(m_deptFilterCheck, &QCheckBox::clicked, this, [this] { updateDeptFilterState(); });
}

void MainWindow::buildHazardTab()
{
    QWidget* t = m_hazardTab;
    m_hazardItemLabel = label(t, "Label9", QStringLiteral("Product ID"), 8, 10);
    m_hazardItemEdit = make<DbEdit>(t, "DBEdit1", 100, 8, 120, 21);
    m_hazardItemEdit->setEnabled(false);
    m_hazardItemDescription = make<DbText>(t, "DBText1", 230, 10, 260, 17);
    m_hazardItemEpa = make<DbText>(t, "DBText2", 500, 10, 200, 17);
    m_hazardItemEpa->setToolTip(QStringLiteral("EPA number"));
    m_hazardLine1Label = label(t, "Label10", QStringLiteral("Hazard text 1"), 8, 36);
    m_hazardLine1Edit = make<DbEdit>(t, "DBEdit2", 100, 34, 440, 21);
    m_hazardLine1Edit->setEnabled(false);
    m_hazardLine2Label = label(t, "Label11", QStringLiteral("Hazard text 2"), 8, 62);
    m_hazardLine2Edit = make<DbEdit>(t, "DBEdit3", 100, 60, 440, 21);
    m_hazardLine2Edit->setEnabled(false);
    m_hazardLine3Label = label(t, "Label12", QStringLiteral("Hazard text 3"), 8, 88);
    m_hazardLine3Edit = make<DbEdit>(t, "DBEdit4", 100, 86, 440, 21);
    m_hazardLine3Edit->setEnabled(false);
    m_hazardNavigator = new DbNavigator(false, t);
    m_hazardNavigator->setObjectName(QStringLiteral("DBNavigator6"));
    m_hazardNavigator->setGeometry(8, 114, 120, 25);
    m_hazardGrid = make<DataGrid>(t, "HzdGrid", 8, 144, 944, 290);
    m_memo = make<QPlainTextEdit>(t, "Memo1", 860, 8, 100, 40);
    m_memo->setReadOnly(true);
    m_memo->hide();
}

void MainWindow::nameControlsForScreenReaders()
{
    // Each control by the words a user sees next to it, so that a screen
    // reader reads the window and tools find a control without coordinates.
    static const struct {
        const char* object;
        const char* name;
    } names[] = {
        {"sgCDMSDOT", "CDMS D.O.T. Data"},
        {"DotGrid1", "Zelvaro D.O.T. Data"},
        {"XrefGrid", "Zelvaro / CDMS Cross Reference"},
        {"Edit1", "Position to Item"},
        {"Edit2", "Position to DOT"},
        {"DBEItem", "Item Number"},
        {"DBEItemDesc", "Item Description"},
        {"DBEDOTID", "DOT Product ID"},
        {"DBEDotName", "DOT Product Name"},
        {"ItemGrid", "Zelvaro Item Master"},
        {"DotGrid", "CDMS D.O.T. Data to link"},
        {"edName", "Item description contains"},
        {"edFLC", "Fine line code filter"},
        {"FLCGrid", "Fine Line Codes"},
        {"sgFLcodes", "Fine Line Codes to include"},
        {"edDept", "Department filter"},
        {"DeptGrid", "Departments"},
        {"sgDepts", "Departments to include"},
        {"DBEdit1", "Product ID"},
        {"DBText1", "Item Description"},
        {"DBText2", "EPA number"},
        {"DBEdit2", "Hazard text 1"},
        {"DBEdit3", "Hazard text 2"},
        {"DBEdit4", "Hazard text 3"},
        {"HzdGrid", "Hazard File"},
        {"DBNavigator1", "Item Master navigation"},
        {"DBNavigator2", "D.O.T. Data navigation"},
        {"DBNavigator3", "Cross Reference navigation"},
        {"DBNavigator4", "Fine Line Codes navigation"},
        {"DBNavigator5", "Departments navigation"},
        {"DBNavigator6", "Hazard File navigation"},
    };
    for (const auto& n : names) {
        if (auto* w = findChild<QWidget*>(QString::fromLatin1(n.object)))
            w->setAccessibleName(QString::fromLatin1(n.name));
    }
    // A navigator's buttons by their hint and the navigator's name; the
    // other buttons and check boxes by their caption, else their hint.
    for (DbNavigator* nav : findChildren<DbNavigator*>()) {
        for (QAbstractButton* b : nav->findChildren<QAbstractButton*>())
            b->setAccessibleName(b->toolTip() + QStringLiteral(" (") + nav->accessibleName() +
                                 QLatin1Char(')'));
    }
    nameForScreenReaders(this);
}

} // namespace zelvaro
