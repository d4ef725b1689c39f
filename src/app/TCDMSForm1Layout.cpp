// Builds the main window's controls. Positions follow the window's design
// (client area 968 by 490); the resize rule moves the cross-reference tab's
// lower half.
#include "app/DataWidgets.h"
#include "app/TCDMSForm1.h"
#include "sources/DotListModel.h"

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

namespace zelvaro {

namespace {

template <typename W>
W* make(QWidget* parent, const char* name, int x, int y, int w, int h)
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

QLineEdit* upperEdit(QWidget* parent, const char* name, int x, int y, int w)
{
    auto* e = make<QLineEdit>(parent, name, x, y, w, 21);
    // Typed letters become upper case, as the host's keys are.
    QObject::connect(e, &QLineEdit::textEdited, e, [e](const QString& t) {
        const QString up = t.toUpper();
        if (up != t) {
            const int pos = e->cursorPosition();
            e->setText(up);
            e->setCursorPosition(pos);
        }
    });
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

void TCDMSForm1::buildMenu()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    setup1 = file->addAction(QStringLiteral("&Setup"));
    setup1->setObjectName(QStringLiteral("setup1"));
    RefreshTables1 = file->addAction(QStringLiteral("&Refresh Tables"));
    RefreshTables1->setObjectName(QStringLiteral("RefreshTables1"));
    RefreshCDMSData1 = file->addAction(QStringLiteral("CDMS &Update"));
    RefreshCDMSData1->setObjectName(QStringLiteral("RefreshCDMSData1"));
    file->addSeparator();
    Exit1 = file->addAction(QStringLiteral("E&xit"));
    Exit1->setObjectName(QStringLiteral("Exit1"));
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    Help2 = help->addAction(QStringLiteral("Help"));
    Help2->setObjectName(QStringLiteral("Help2"));
    help->addSeparator();
    About1 = help->addAction(QStringLiteral("&About..."));
    About1->setObjectName(QStringLiteral("About1"));

    connect(RefreshTables1, &QAction::triggered, this, [this] { guarded([this] { RefreshTables1Click(); }); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
    connect(RefreshCDMSData1, &QAction::triggered, this, [this] { guarded([this] { RefreshCDMSData1Click(); }); });
    connect(Help2, &QAction::triggered, this, [this] { guarded([this] { Help2Click(); }); });
    connect(About1, &QAction::triggered, this, [this] { guarded([this] { About1Click(); }); });
}

void TCDMSForm1::buildTabs()
{
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    setCentralWidget(PageControl1);
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    PageControl1->addTab(TabSheet1, QStringLiteral("CDMS Update"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Update Cross Reference"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Item Master Filters"));
    PageControl1->addTab(TabSheet4, QStringLiteral("Hazard File"));
    buildUpdateTab();
    buildXrefTab();
    buildFilterTab();
    buildHazardTab();

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(bar);
    m_panels[0] = new QLabel(bar);
    m_panels[0]->setFixedWidth(90);
    m_panels[1] = new QLabel(bar);
    bar->addWidget(m_panels[0]);
    bar->addWidget(m_panels[1], 1);

    ComboBox1 = make<QComboBox>(this, "ComboBox1", 0, 0, 10, 10);
    ComboBox1->hide();
    ComboBox1->setEnabled(false);
    Label1 = label(this, "Label1", QStringLiteral("CDMS COM Controls"), 0, 0);
    Label1->hide();
}

void TCDMSForm1::buildUpdateTab()
{
    QWidget* t = TabSheet1;
    Label7 = label(t, "Label7", QStringLiteral("CDMS D.O.T. Data"), 8, 6);
    sgCDMSDOT = make<QTableView>(t, "sgCDMSDOT", 8, 24, 944, 196);
    m_dotListModel = new DotListModel(m_dotList, this);
    sgCDMSDOT->setModel(m_dotListModel);
    sgCDMSDOT->horizontalHeader()->hide();
    sgCDMSDOT->verticalHeader()->hide();
    sgCDMSDOT->verticalHeader()->setDefaultSectionSize(20);
    sgCDMSDOT->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const int widths[] = {64, 64, 129, 130, 103, 123, 83, 728};
    for (int c = 0; c < 8; ++c) sgCDMSDOT->setColumnWidth(c, widths[c]);
    Label8 = label(t, "Label8", QStringLiteral("Zelvaro D.O.T. Data"), 8, 226);
    DotGrid1 = make<DataGrid>(t, "DotGrid1", 8, 244, 944, 152);
    btConnect = button(t, "btConnect", QStringLiteral("&CDMS Connect"),
                       QStringLiteral("Retrieve CDMS ChemSearch Data"), 8, 404, 121, 29);
    btAgrian = button(t, "btAgrian", QStringLiteral("Agrian Connect"), QString(), 8, 404, 121, 29);
    btUpdate = button(t, "btUpdate", QStringLiteral("&Update Zelvaro"),
                      QStringLiteral("Update Zelvaro Software database files"), 140, 404, 121, 29);
    btUpdate->setEnabled(false);
    connect(btConnect, &QPushButton::clicked, this, [this] { guarded([this] { btConnectClick(); }); });
    connect(btUpdate, &QPushButton::clicked, this, [this] { guarded([this] { btUpdateClick(); }); });
}

void TCDMSForm1::buildXrefTab()
{
    QWidget* t = TabSheet2;
    Label6 = label(t, "Label6", QStringLiteral("Zelvaro / CDMS Cross Reference"), 8, 6);
    DBNavigator3 = new DbNavigator(false, t);
    DBNavigator3->setObjectName(QStringLiteral("DBNavigator3"));
    DBNavigator3->setGeometry(8, 24, 120, 25);
    btXrefDelete = button(t, "btXrefDelete", QString(), QStringLiteral("Delete"), 132, 24, 25, 25);
    btXrefDelete->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    btXrefDelete->setDefault(true);
    btRefresh = button(t, "btRefresh", QString(), QStringLiteral("Refresh"), 160, 24, 25, 25);
    btRefresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    sbXrefAdd = button(t, "sbXrefAdd", QStringLiteral("Add"), QStringLiteral("Add a cross reference record"),
                       188, 24, 60, 25);
    XrefGrid = make<DataGrid>(t, "XrefGrid", 8, 52, 944, 118);

    Label4 = label(t, "Label4", QStringLiteral("Zelvaro Item Master"), 8, 176);
    Label5 = label(t, "Label5", QStringLiteral("CDMS D.O.T. Data"), 485, 176);
    Label2 = label(t, "Label2", QStringLiteral("Position to Item"), 8, 198);
    Edit1 = upperEdit(t, "Edit1", 102, 195, 200);
    Label3 = label(t, "Label3", QStringLiteral("Position to DOT"), 485, 198);
    Edit2 = upperEdit(t, "Edit2", 579, 195, 200);
    DBEItem = make<DbEdit>(t, "DBEItem", 8, 222, 90, 21);
    DBEItem->setEnabled(false);
    DBEItemDesc = make<DbEdit>(t, "DBEItemDesc", 102, 222, 200, 21);
    DBEItemDesc->setEnabled(false);
    DBEDOTID = make<DbEdit>(t, "DBEDOTID", 485, 222, 90, 21);
    DBEDOTID->setEnabled(false);
    DBEDotName = make<DbEdit>(t, "DBEDotName", 579, 222, 200, 21);
    DBEDotName->setEnabled(false);
    DBNavigator1 = new DbNavigator(true, t);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setGeometry(8, 248, 150, 25);
    DBNavigator2 = new DbNavigator(true, t);
    DBNavigator2->setObjectName(QStringLiteral("DBNavigator2"));
    DBNavigator2->setGeometry(485, 248, 150, 25);
    ItemGrid = make<DataGrid>(t, "ItemGrid", 8, 276, 467, 160);
    DotGrid = make<DataGrid>(t, "DotGrid", 485, 276, 467, 160);
}

void TCDMSForm1::buildFilterTab()
{
    QWidget* t = TabSheet3;
    cbxName = make<QCheckBox>(t, "cbxName", 8, 8, 260, 20);
    cbxName->setText(QStringLiteral("Item Description Containing Characters:"));
    edName = upperEdit(t, "edName", 272, 8, 240);

    cbxFlc = make<QCheckBox>(t, "cbxFlc", 8, 40, 300, 20);
    cbxFlc->setText(QStringLiteral("Filter Item Master By Fine Line code"));
    edFLC = make<QLineEdit>(t, "edFLC", 320, 40, 460, 21);
    edFLC->setEnabled(false);
    FLCGrid = make<DataGrid>(t, "FLCGrid", 8, 94, 300, 100);
    DBNavigator4 = new DbNavigator(false, t);
    DBNavigator4->setObjectName(QStringLiteral("DBNavigator4"));
    DBNavigator4->setGeometry(8, 66, 120, 25);
    sbFlcAdd = button(t, "sbFlcAdd", QStringLiteral(">"), QStringLiteral("Add a fine line code to the filter"), 316, 110, 30, 25);
    sbFlcRmv = button(t, "sbFlcRmv", QStringLiteral("<"), QStringLiteral("Remove a fine line code from the filter"), 316, 140, 30, 25);
    Label13 = label(t, "Label13", QStringLiteral("Fine Line Codes to include"), 354, 74);
    Label13->setEnabled(false);
    sgFLcodes = selectionGrid(t, "sgFLcodes", 354, 94, 250, 100);

    cbxDept = make<QCheckBox>(t, "cbxDept", 8, 204, 300, 20);
    cbxDept->setText(QStringLiteral("Filter Item Master By Department"));
    edDept = make<QLineEdit>(t, "edDept", 320, 204, 460, 21);
    edDept->setEnabled(false);
    DBNavigator5 = new DbNavigator(false, t);
    DBNavigator5->setObjectName(QStringLiteral("DBNavigator5"));
    DBNavigator5->setGeometry(8, 230, 120, 25);
    DeptGrid = make<DataGrid>(t, "DeptGrid", 8, 258, 300, 100);
    sbDptAdd = button(t, "sbDptAdd", QStringLiteral(">"), QStringLiteral("Add a department to the filter"), 316, 274, 30, 25);
    sbDptRmv = button(t, "sbDptRmv", QStringLiteral("<"), QStringLiteral("Remove a department from the filter"), 316, 304, 30, 25);
    Label14 = label(t, "Label14", QStringLiteral("Departments to include"), 354, 238);
    Label14->setEnabled(false);
    sgDepts = selectionGrid(t, "sgDepts", 354, 258, 250, 100);

    btFilter = button(t, "btFilter", QStringLiteral(" Refresh Item table"),
                      QStringLiteral("Refresh item master view using the new filter"), 8, 370, 160, 29);
    btFilter->setDefault(true);
    connect(cbxName, &QCheckBox::clicked, this, [this] { cbxNameClick(); });
    connect(cbxFlc, &QCheckBox::clicked, this, [this] { cbxFlcClick(); });
    connect(cbxDept, &QCheckBox::clicked, this, [this] { cbxDeptClick(); });
}

void TCDMSForm1::buildHazardTab()
{
    QWidget* t = TabSheet4;
    Label9 = label(t, "Label9", QStringLiteral("Product ID"), 8, 10);
    DBEdit1 = make<DbEdit>(t, "DBEdit1", 100, 8, 120, 21);
    DBEdit1->setEnabled(false);
    DBText1 = make<DbText>(t, "DBText1", 230, 10, 260, 17);
    DBText2 = make<DbText>(t, "DBText2", 500, 10, 200, 17);
    DBText2->setToolTip(QStringLiteral("EPA number"));
    Label10 = label(t, "Label10", QStringLiteral("Hazard text 1"), 8, 36);
    DBEdit2 = make<DbEdit>(t, "DBEdit2", 100, 34, 440, 21);
    DBEdit2->setEnabled(false);
    Label11 = label(t, "Label11", QStringLiteral("Hazard text 2"), 8, 62);
    DBEdit3 = make<DbEdit>(t, "DBEdit3", 100, 60, 440, 21);
    DBEdit3->setEnabled(false);
    Label12 = label(t, "Label12", QStringLiteral("Hazard text 3"), 8, 88);
    DBEdit4 = make<DbEdit>(t, "DBEdit4", 100, 86, 440, 21);
    DBEdit4->setEnabled(false);
    DBNavigator6 = new DbNavigator(false, t);
    DBNavigator6->setObjectName(QStringLiteral("DBNavigator6"));
    DBNavigator6->setGeometry(8, 114, 120, 25);
    HzdGrid = make<DataGrid>(t, "HzdGrid", 8, 144, 944, 290);
    Memo1 = make<QPlainTextEdit>(t, "Memo1", 860, 8, 100, 40);
    Memo1->setReadOnly(true);
    Memo1->hide();
}

} // namespace zelvaro
