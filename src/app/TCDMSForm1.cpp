#include "app/TCDMSForm1.h"

#include "app/DataWidgets.h"
#include "app/OldFiles.h"
#include "app/PaintPacer.h"
#include "app/TAboutBox.h"
#include "app/TCDMSSplashForm.h"
#include "common/Error.h"
#include "common/Prompter.h"
#include "common/Text.h"
#include "host/ClientViewModel.h"
#include "settings/Settings.h"
#include "sources/DotListModel.h"
#include "sources/cdms/CdmsFileLibrary.h"
#include "sources/cdms/CdmsRetrieval.h"
#include "sources/cdms/CdmsUpdateProgram.h"
#include "update/UpdateRun.h"

#include <QDesktopServices>
#include <QTextStream>
#include <QUrl>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

namespace zelvaro {

// The connect-status window and the window's grids as the connection
// sequence sees them.
class TCDMSForm1::ConnectWindow : public ConnectUi {
public:
    explicit ConnectWindow(TCDMSForm1& form) : m_form(form) {}
    void clearPositionEdits() override
    {
        m_form.Edit1->clear();
        m_form.Edit2->clear();
    }
    void openStatusWindow(const QString& caption, const QString& text) override
    {
        if (m_form.m_batch) return;
        m_splash = std::make_unique<TCDMSSplashForm>();
        m_splash->setCaption(caption);
        m_splash->setStatus(text);
        m_splash->showNow();
        m_splash->setProgressVisible(false);
    }
    void setStatusText(const QString& text) override
    {
        if (m_splash) m_splash->setStatus(text);
    }
    void closeStatusWindow() override { m_splash.reset(); }
    void xrefNavigatorFirst() override
    {
        // The first-row press of the cross-reference navigator.
        Q_EMIT m_form.DBNavigator3->clicked(DbNavigator::First);
    }
    void hazardViewOpened() override { m_form.counters.HazUpdated = false; }
    void message(const QString& text) override { m_form.prompter().failure(text); }

private:
    TCDMSForm1& m_form;
    std::unique_ptr<TCDMSSplashForm> m_splash;
};

TCDMSForm1::TCDMSForm1(Prompter& prompter, QStringList arguments, QWidget* parent)
    : QMainWindow(parent), m_prompter(prompter), m_arguments(std::move(arguments))
{
    setObjectName(QStringLiteral("CDMSForm1"));
    setWindowTitle(QStringLiteral("CDMS / Zelvaro"));
    resize(968, 490 + 44);
    buildMenu();
    buildTabs();
    bindViews();
    m_cdmsLibrary = std::make_unique<CdmsFileLibrary>();
    m_cdms = std::make_unique<CdmsRetrieval>(m_session, m_dotList, m_textBuffer, *m_cdmsLibrary);
    m_update = std::make_unique<UpdateRun>(m_session, m_dotList, counters);
    m_about = new TAboutBox(this);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    PageControl1->setCurrentIndex(1);
}

TCDMSForm1::~TCDMSForm1()
{
    // The grids and edits look at the session's views: they go first.
    delete PageControl1;
}

void TCDMSForm1::bindViews()
{
    HostSession& s = m_session;
    DotGrid1->setView(&s.CDMSDOTData);
    DotGrid->setView(&s.CDMSDOTData);
    XrefGrid->setView(&s.CDMSxrefData2);
    ItemGrid->setView(&s.ItemData);
    HzdGrid->setView(&s.HazardData);
    FLCGrid->setView(&s.FLCData);
    DeptGrid->setView(&s.DeptData);
    DBNavigator1->setView(&s.ItemData);
    DBNavigator2->setView(&s.CDMSDOTData);
    DBNavigator3->setView(&s.CDMSxrefData2);
    DBNavigator4->setView(&s.FLCData);
    DBNavigator5->setView(&s.DeptData);
    DBNavigator6->setView(&s.HazardData);
    DBEItem->bind(&s.ItemData, QStringLiteral("IMPROD"));
    DBEItemDesc->bind(&s.ItemData, QStringLiteral("IMDESC"));
    DBEDOTID->bind(&s.CDMSDOTData, QStringLiteral("CDITEM"));
    DBEDotName->bind(&s.CDMSDOTData, QStringLiteral("CDNAME"));
    DBEdit1->bind(&s.HazardData, QStringLiteral("HZPROD"));
    DBEdit2->bind(&s.HazardData, QStringLiteral("HZDS1"));
    DBEdit3->bind(&s.HazardData, QStringLiteral("HZDS2"));
    DBEdit4->bind(&s.HazardData, QStringLiteral("HZDS3"));
    DBText1->bind(&s.ItemData1, QStringLiteral("IMDESC"));
    DBText2->bind(&s.ItemData1, QStringLiteral("IMASUB"));
}

void TCDMSForm1::guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const Error& e) {
        m_prompter.failure(e.text());
    } catch (const std::exception& e) {
        m_prompter.failure(QString::fromLocal8Bit(e.what()));
    }
}

bool TCDMSForm1::newconnect()
{
    ConnectWindow ui(*this);
    const bool ok = m_session.newconnect(Settings(), ui);
    Host = m_session.hostSystem();
    return ok;
}

void TCDMSForm1::setStatusText(int panel, const QString& text)
{
    m_panels[panel]->setText(text);
    if (!m_batch) {
        paintNow(m_panels[panel]);
        return;
    }
    // The per-product "Processing" texts would drown the log of a batch run.
    if (panel == 1 && !text.startsWith(QLatin1String("Processing ")))
        QTextStream(stdout) << text << Qt::endl;
}

QString TCDMSForm1::statusText(int panel) const { return m_panels[panel]->text(); }

void TCDMSForm1::formwait()
{
    for (QWidget* w : std::initializer_list<QWidget*>{PageControl1, btConnect, btUpdate, btAgrian, DotGrid1})
        w->setEnabled(false);
    setCursor(Qt::WaitCursor);
    sgCDMSDOT->setCursor(Qt::WaitCursor);
    TabSheet1->setCursor(Qt::WaitCursor);
}

void TCDMSForm1::formready()
{
    PageControl1->setEnabled(true);
    btConnect->setEnabled(true);
    btAgrian->setEnabled(true);
    // More than 6 rows, the title row included, and the DOT table open.
    if (m_dotList.rowCount() > 6 && m_session.CDMSDOTData.isOpen()) btUpdate->setEnabled(true);
    DotGrid1->setEnabled(true);
    unsetCursor();
    sgCDMSDOT->unsetCursor();
    TabSheet1->unsetCursor();
}

void TCDMSForm1::SetHazardSource(bool agrian)
{
    btConnect->setEnabled(!agrian);
    btConnect->setVisible(!agrian);
    btAgrian->setEnabled(agrian);
    btAgrian->setVisible(agrian);
    const QString dot = agrian ? QStringLiteral("Agrian D.O.T. Data") : QStringLiteral("CDMS D.O.T. Data");
    Label7->setText(dot);
    Label7->adjustSize();
    Label5->setText(dot);
    Label5->adjustSize();
    Label6->setText(agrian ? QStringLiteral("Zelvaro / Agrian Cross Reference")
                           : QStringLiteral("Zelvaro / CDMS Cross Reference"));
    Label6->adjustSize();
    PageControl1->setTabText(0, agrian ? QStringLiteral("Agrian Update") : QStringLiteral("CDMS Update"));
    RefreshCDMSData1->setEnabled(!agrian);
}

int TCDMSForm1::outerWidth() const { return frameGeometry().width(); }

void TCDMSForm1::setOuterSize(int width, int height)
{
    const int frameW = frameGeometry().width() - geometry().width();
    const int frameH = frameGeometry().height() - geometry().height();
    resize(width - frameW, height - frameH);
    FormResize(); // the rule runs at every change of size, also before a show
}

void TCDMSForm1::FormResize()
{
    if (!ItemGrid) return;
    const int w = outerWidth();
    ItemGrid->resize(w / 2 - 20, ItemGrid->height());
    DotGrid->setGeometry(ItemGrid->x() + ItemGrid->width() + 10, DotGrid->y(), ItemGrid->width(),
                         DotGrid->height());
    for (QWidget* c : std::initializer_list<QWidget*>{DBNavigator2, Label3, Label5, DBEDOTID})
        c->move(DotGrid->x(), c->y());
    Label5->move(Label5->x(), Label4->y());
    DBEDotName->move(DBEDOTID->x() + 94, DBEDotName->y());
    Edit2->move(DBEDotName->x(), Edit2->y());
}

void TCDMSForm1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TCDMSForm1::resetSelectionGrids()
{
    const struct {
        QTableWidget* grid;
        const char* code;
    } grids[] = {{sgFLcodes, "FL Code"}, {sgDepts, "Dept"}};
    for (const auto& g : grids) {
        g.grid->clearContents();
        g.grid->setRowCount(2);
        g.grid->setItem(0, 0, new QTableWidgetItem(QString::fromLatin1(g.code)));
        g.grid->setItem(0, 1, new QTableWidgetItem(QStringLiteral("Description")));
    }
    FLCRowCnt = 0;
    DptRowCnt = 0;
}

void TCDMSForm1::cbxNameClick()
{
    edName->setVisible(cbxName->isChecked());
    edName->setEnabled(cbxName->isChecked());
    btFilter->setEnabled(true);
}

void TCDMSForm1::cbxFlcClick()
{
    const bool on = cbxFlc->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{sbFlcAdd, sbFlcRmv, DBNavigator4, FLCGrid, sgFLcodes, Label13})
        w->setEnabled(on);
    FLCGrid->repaint();
    btFilter->setEnabled(true);
}

void TCDMSForm1::cbxDeptClick()
{
    const bool on = cbxDept->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{sbDptAdd, sbDptRmv, DBNavigator5, DeptGrid, sgDepts, Label14})
        w->setEnabled(on);
    btFilter->setEnabled(true);
}

void TCDMSForm1::btFilterClick()
{
    // Applying and saving the item filter belongs to the filter tab's class.
}

void TCDMSForm1::FormShow()
{
    ComboBox1->clear();
    resetSelectionGrids();
    if (FirstShow) {
        FirstShow = false;
        setOuterSize(700, outerHeightForShow());
        setOuterSize(975, outerHeightForShow());
        Memo1->resize(100, Memo1->height());
        setOuterSize(975, 550);
        SetHazardSource(!Settings().readBool(QStringLiteral("Transfer"), QStringLiteral("CDMSHazard"), true));
        PageControl1->resize(outerWidth() - 2, PageControl1->height());
        PageControl1->setCurrentIndex(1);
    } else {
        cbxFlc->setChecked(false);
        cbxName->setChecked(false);
        cbxDept->setChecked(false);
        edName->clear();
        edFLC->clear();
        edDept->clear();
    }
    btFilterClick();
    cbxFlcClick();
    cbxNameClick();
    cbxDeptClick();
    setStatusText(0, m_session.hostLibrary());
    if (!m_arguments.isEmpty() && upperAscii(m_arguments.first()) == QLatin1String("UPDATE")) Timer1->start();
}

int TCDMSForm1::outerHeightForShow() const { return frameGeometry().height(); }

void TCDMSForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) guarded([this] { FormShow(); });
}

void TCDMSForm1::RefreshTables1Click()
{
    newconnect();
    FirstShow = true;
    FormShow();
}

void TCDMSForm1::About1Click() { m_about->exec(); }

void TCDMSForm1::Exit1Click() { close(); }

void TCDMSForm1::Timer1Timer()
{
    Timer1->stop();
    guarded([this] {
        btConnectClick();
        btUpdateClick();
    });
    Q_EMIT unattendedRunFinished();
}

void TCDMSForm1::btConnectClick()
{
    if (retrieval) {
        retrieval();
        return;
    }
    m_cdms->btConnectClick(*this);
}

void TCDMSForm1::RefreshCDMSData1Click()
{
    CdmsUpdateProgram().RefreshCDMSData1Click(*this, [this] { return m_closing; });
}

void TCDMSForm1::Help2Click()
{
    // Nothing is shown, whether the browser starts or not.
    QDesktopServices::openUrl(QUrl(helpPageAddress()));
}

void TCDMSForm1::setBatchMode(bool on)
{
    m_batch = on;
    Timer1->setInterval(on ? 0 : 1000);
}

void TCDMSForm1::setUpdateEnabled(bool enabled) { btUpdate->setEnabled(enabled); }

bool TCDMSForm1::agrianMode() const { return !btAgrian->isHidden(); }

void TCDMSForm1::setTabsEnabled(bool enabled)
{
    for (QWidget* t : {TabSheet2, TabSheet3, TabSheet4}) t->setEnabled(enabled);
}

void TCDMSForm1::dotListChanged() { m_dotListModel->reload(); }

void TCDMSForm1::dotListRowChanged(int row) { m_dotListModel->rowChanged(row); }

void TCDMSForm1::showDotListRow(int row)
{
    if (m_batch) return;
    // Scrolled when the list is next painted; the row in force then wins.
    const bool pending = m_dotListTopRow >= 0;
    m_dotListTopRow = row;
    if (pending) return;
    QMetaObject::invokeMethod(this, [this] {
        if (m_dotListTopRow >= 0 && m_dotListTopRow < m_dotListModel->rowCount())
            sgCDMSDOT->scrollTo(m_dotListModel->index(m_dotListTopRow, 0), QAbstractItemView::PositionAtTop);
        m_dotListTopRow = -1;
    }, Qt::QueuedConnection);
}

void TCDMSForm1::fitDotListColumns(int fieldCount)
{
    for (int i = 1; i < fieldCount && i < DotList::Columns; ++i)
        sgCDMSDOT->setColumnWidth(i, DotGrid1->columnWidth(i));
}

void TCDMSForm1::openProgress(const QString& caption, int maximum)
{
    if (m_batch) return;
    m_progress = std::make_unique<TCDMSSplashForm>();
    m_progress->setCaption(caption);
    m_progress->setProgressRange(0, maximum);
    m_progress->setProgressPosition(0);
    m_progress->showNow();
}

void TCDMSForm1::setProgress(int position, const QString& text)
{
    if (!m_progress) return;
    m_progress->setProgressPosition(position);
    if (!text.isNull()) m_progress->setStatus(text);
}

void TCDMSForm1::closeProgress() { m_progress.reset(); }

void TCDMSForm1::repaintDotGrid()
{
    if (!m_batch) paintNow(DotGrid1->viewport());
}

void TCDMSForm1::setDotGridEnabled(bool enabled) { DotGrid1->setEnabled(enabled); }

void TCDMSForm1::reconnect()
{
    m_session.CloseFiles();
    newconnect();
}

void TCDMSForm1::btUpdateClick()
{
    if (updateRun) {
        updateRun();
        return;
    }
    m_update->btUpdateClick(*this);
}

void TCDMSForm1::FormClose()
{
    m_session.CloseFiles();
    DeleteOldFiles(QDir(dataFolder()).filePath(QStringLiteral("Agrian*.xml")), 10);
}

void TCDMSForm1::closeEvent(QCloseEvent* event)
{
    m_closing = true;
    FormClose();
    event->accept();
}

} // namespace zelvaro
