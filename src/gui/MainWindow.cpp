#include "gui/MainWindow.h"

#include "common/Error.h"
#include "common/OldFiles.h"
#include "common/Prompter.h"
#include "common/Text.h"
#include "gui/AboutDialog.h"
#include "gui/ConnectStatusWindow.h"
#include "gui/DataGrid.h"
#include "gui/DbField.h"
#include "gui/DbNavigator.h"
#include "gui/DotListModel.h"
#include "gui/PaintPacer.h"
#include "gui/SetupDialog.h"
#include "host/MemoryViewModel.h"
#include "maintenance/HazardView.h"
#include "maintenance/XrefMaintenance.h"
#include "settings/Settings.h"
#include "sources/agrian/AgrianLookup.h"
#include "sources/agrian/AgrianRequest.h"
#include "sources/agrian/AgrianRetrieval.h"
#include "sources/cdms/CdmsFileLibrary.h"
#include "sources/cdms/CdmsRetrieval.h"
#include "sources/cdms/CdmsUpdateProgram.h"
#include "update/RunHistory.h"
#include "update/UpdateRun.h"

#include <QDesktopServices>
#include <QTextStream>
#include <QUrl>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

namespace zelvaro {

// The connect-status window and the window's grids as the connection
// sequence sees them.
// The cross-reference tab's controls as its behaviour sees them.
class MainWindow::XrefTab : public XrefUi {
public:
    explicit XrefTab(MainWindow& form) : m_form(form) {}
    Prompter& prompter() override { return m_form.m_prompter; }
    // Nothing is added while the views are not all of one library.
    void setAddEnabled(bool enabled) override
    {
        m_form.m_xrefAddButton->setEnabled(enabled && m_form.m_session.allViewsOpen());
    }
    bool addEnabled() const override { return m_form.m_xrefAddButton->isEnabled(); }
    void titleXrefGrid() override { m_form.titleGrid(QStringLiteral("U4CDMSXRF"), GridRole::Xref); }

private:
    MainWindow& m_form;
};

class MainWindow::ConnectWindow : public ConnectUi {
public:
    explicit ConnectWindow(MainWindow& form) : m_form(form) {}
    void clearPositionEdits() override
    {
        m_form.m_itemPositionEdit->clear();
        m_form.m_dotPositionEdit->clear();
    }
    void openStatusWindow(const QString& caption, const QString& text) override
    {
        if (m_form.m_batch) return;
        m_splash = std::make_unique<ConnectStatusWindow>();
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
    void hazardViewOpened() override { m_form.m_counters.hazardFileWritten = false; }
    void setGridTitles(const QString& table, GridRole grid) override
    {
        m_form.titleGrid(table, grid);
    }
    bool showSetupDialog() override
    {
        // Nobody answers a dialog in the batch run: connect says what is missing.
        if (m_form.m_batch) return false;
        m_form.m_setup->exec();
        return true;
    }
    void releaseGridTitles() override
    {
        if (!m_form.m_batch) m_form.m_hostLink.deleteListSpace();
    }
    void message(const QString& text) override { m_form.prompter().failure(text); }

private:
    MainWindow& m_form;
    std::unique_ptr<ConnectStatusWindow> m_splash;
};

MainWindow::MainWindow(Prompter& prompter, QStringList arguments, QWidget* parent)
    : QMainWindow(parent), m_countingPrompter(prompter), m_prompter(m_countingPrompter),
      m_arguments(std::move(arguments)), m_hostLink(m_countingPrompter)
{
    setObjectName(QStringLiteral("CDMSForm1"));
    setWindowTitle(QStringLiteral("CDMS / Zelvaro"));
    // The design size is the smallest that shows every control.
    setMinimumSize(968, 490 + 44);
    resize(968, 490 + 44);
    buildMenu();
    buildTabs();
    bindViews();
    m_cdmsLibrary = std::make_unique<CdmsFileLibrary>();
    m_cdms = std::make_unique<CdmsRetrieval>(m_session, m_dotList, m_textBuffer, *m_cdmsLibrary);
    m_agrianRequest = std::make_unique<AgrianRequest>();
    m_agrian = std::make_unique<AgrianRetrieval>(m_dotList, *m_agrianRequest);
    m_agrianLookup =
        std::make_unique<AgrianLookup>(m_session, m_dotList, *m_agrianRequest, m_prompter);
    m_update = std::make_unique<UpdateRun>(m_session, m_dotList, m_counters);
    m_update->setAgrianLookup([this](const QString& productId, int listRow, bool writeDotRow) {
        return m_agrianLookup->refresh(productId, listRow, writeDotRow);
    });
    m_xrefControls = std::make_unique<XrefTab>(*this);
    m_xref = std::make_unique<XrefMaintenance>(m_session, m_counters, *m_xrefControls);
    // The row the user links to: the DOT list's top visible row follows
    // when it shows the same product.
    m_xref->setAgrianLookup([this](const QString& productId) {
        const int row = topDotListRow();
        const bool got = m_agrianLookup->refresh(productId, row).gotValues;
        dotListRowChanged(row);
        return got;
    });
    connectXrefTab();
    m_hazard = std::make_unique<HazardView>(m_session, m_counters, *this, [this] {
        titleGrid(QStringLiteral("U4ITHZD"), GridRole::Hazard);
    });
    m_hazardTab->installEventFilter(this);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (!m_programTabChange) runOperation([this, index] { tabChanged(index); });
    });
    connect(m_hazardItemEdit, &DbEdit::valueChanged, this, [this] {
        guarded([this] { m_hazard->followHazardRow(m_tabs->currentIndex() == 3); });
    });
    m_about = new AboutDialog(this);
    m_setup = new SetupDialog(m_hostLink, m_prompter, this);
    m_unattendedTimer = new QTimer(this);
    m_unattendedTimer->setObjectName(QStringLiteral("Timer1"));
    m_unattendedTimer->setInterval(1000);
    m_unattendedTimer->setSingleShot(true);
    connect(m_unattendedTimer, &QTimer::timeout, this, [this] { runUnattended(); });
    setCurrentTab(1);
}

MainWindow::~MainWindow()
{
    // The grids and edits look at the session's views: they go first.
    delete m_tabs;
}

void MainWindow::bindViews()
{
    HostTables& s = m_session;
    m_dotTableGrid->setView(&s.dotView);
    m_dotGrid->setView(&s.dotView);
    m_xrefGrid->setView(&s.xrefItemView);
    m_itemGrid->setView(&s.itemView);
    m_hazardGrid->setView(&s.hazardView);
    m_flcGrid->setView(&s.flcView);
    m_deptGrid->setView(&s.deptView);
    m_itemNavigator->setView(&s.itemView);
    m_dotNavigator->setView(&s.dotView);
    m_xrefNavigator->setView(&s.xrefItemView);
    m_flcNavigator->setView(&s.flcView);
    m_deptNavigator->setView(&s.deptView);
    m_hazardNavigator->setView(&s.hazardView);
    m_itemNumberEdit->bind(&s.itemView, QStringLiteral("IMPROD"));
    m_itemDescriptionEdit->bind(&s.itemView, QStringLiteral("IMDESC"));
    m_dotIdEdit->bind(&s.dotView, QStringLiteral("CDITEM"));
    m_dotNameEdit->bind(&s.dotView, QStringLiteral("CDNAME"));
    m_hazardItemEdit->bind(&s.hazardView, QStringLiteral("HZPROD"));
    m_hazardLine1Edit->bind(&s.hazardView, QStringLiteral("HZDS1"));
    m_hazardLine2Edit->bind(&s.hazardView, QStringLiteral("HZDS2"));
    m_hazardLine3Edit->bind(&s.hazardView, QStringLiteral("HZDS3"));
    m_hazardItemDescription->bind(&s.itemNumberView, QStringLiteral("IMDESC"));
    m_hazardItemEpa->bind(&s.itemNumberView, QStringLiteral("IMASUB"));
}

DataGrid* MainWindow::gridFor(GridRole role) const
{
    switch (role) {
    case GridRole::DotTable:
        return m_dotTableGrid;
    case GridRole::DotLookup:
        return m_dotGrid;
    case GridRole::Xref:
        return m_xrefGrid;
    case GridRole::Items:
        return m_itemGrid;
    case GridRole::Hazard:
        return m_hazardGrid;
    case GridRole::FineLines:
        return m_flcGrid;
    case GridRole::Departments:
        return m_deptGrid;
    }
    return nullptr;
}

void MainWindow::titleGrid(const QString& table, GridRole role)
{
    if (m_batch) return;
    MemoryViewModel* model = gridFor(role)->viewModel();
    QStringList titles = model->titles();
    // An ODBC host's job signs on as the SQL connection did.
    m_hostLink.setSignOn(m_session.connection.user(), m_session.connection.password());
    m_hostSystem = m_session.hostSystem();
    m_hostLink.setGridTitles(table, m_session.hostLibrary(), titles, m_hiddenSystems, m_hostSystem);
    model->setTitles(titles);
    // The hidden list shows what the link was built with: the next titlings
    // of this connect use the same link (one job, one list space).
    if (m_systemList->count() != m_hiddenSystems.entries.size()) {
        m_systemList->clear();
        m_systemList->addItems(m_hiddenSystems.entries);
    }
}

void MainWindow::tabChanged(int index)
{
    switch (index) {
    case 1:
        applyResizeRule();
        break;
    case 2:
        m_filterButton->setEnabled(false);
        break;
    case 3:
        m_hazard->enter(m_itemNumberEdit->value());
        break;
    default:
        break;
    }
}

void MainWindow::setCurrentTab(int index)
{
    // The program's own tab changes run no tab handler.
    m_programTabChange = true;
    m_tabs->setCurrentIndex(index);
    m_programTabChange = false;
}

void MainWindow::connectXrefTab()
{
    connect(m_xrefAddButton, &QPushButton::clicked, this,
            [this] { runOperation([this] { m_xref->add(agrianMode()); }); });
    connect(m_xrefDeleteButton, &QPushButton::clicked, this,
            [this] { runOperation([this] { m_xref->deleteCurrent(); }); });
    connect(m_xrefRefreshButton, &QPushButton::clicked, this,
            [this] { runOperation([this] { m_xref->refresh(); }); });
    connect(m_xrefNavigator, &DbNavigator::clicked, this, [this](DbNavigator::Button b) {
        if (b != DbNavigator::Refresh) guarded([this] { m_xref->followLink(); });
    });
    connect(m_itemNumberEdit, &DbEdit::valueChanged, this,
            [this] { guarded([this] { m_xref->followItem(); }); });
    connect(m_itemPositionEdit, &QLineEdit::textChanged, this,
            [this](const QString& t) { guarded([this, t] { m_xref->positionItem(t); }); });
    connect(m_dotPositionEdit, &QLineEdit::textChanged, this,
            [this](const QString& t) { guarded([this, t] { m_xref->positionDot(t); }); });
    // Enter on the tab presses the delete button (the design's default
    // button; Qt has none outside dialogs); a focused button takes it itself.
    // The position edits see Enter first when no shortcut is matched.
    for (QLineEdit* edit : {m_itemPositionEdit, m_dotPositionEdit}) {
        // Only the current item's own link is offered for deletion.
        connect(edit, &QLineEdit::returnPressed, this, [this] {
            if (m_xrefDeleteButton->isEnabled() && m_xref->currentItemLinked())
                m_xrefDeleteButton->click();
        });
    }
    pressOnEnter(m_xrefTab, m_xrefDeleteButton);
    // On the filter tab Enter applies the filter while that is enabled.
    pressOnEnter(m_filterTab, m_filterButton);
}

void MainWindow::pressOnEnter(QWidget* tab, QPushButton* button)
{
    for (QKeySequence key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* enter = new QShortcut(key, tab, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(enter, &QShortcut::activated, this, [button] {
            if (auto* b = qobject_cast<QAbstractButton*>(QApplication::focusWidget())) {
                b->click();
                return;
            }
            if (button->isEnabled()) button->click();
        });
    }
}

void MainWindow::guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const Error& e) {
        m_prompter.failure(e.text());
    } catch (const std::exception& e) {
        m_prompter.failure(QString::fromLocal8Bit(e.what()));
    }
}

bool MainWindow::connectHost()
{
    m_hostLink.beginAction();
    ConnectWindow ui(*this);
    const bool ok = m_session.connect(Settings(), ui);
    m_hostSystem = m_session.hostSystem();
    // The link navigator stood on its first row: the hazard view follows.
    if (ok) m_xref->followLink();
    showViewsState();
    return ok;
}

void MainWindow::showViewsState()
{
    // The maintenance buttons write to the library in force: while its
    // views are not all open, none of them acts on another library's rows.
    const bool open = m_session.allViewsOpen();
    for (QWidget* w : std::initializer_list<QWidget*>{m_xrefDeleteButton, m_xrefRefreshButton})
        w->setEnabled(open);
    if (!open) {
        m_xrefAddButton->setEnabled(false);
        setStatusText(1, QStringLiteral("The host tables of %1 are not open: the maintenance "
                                        "buttons wait for File, Refresh Tables or File, Setup.")
                             .arg(m_session.hostLibrary().isEmpty() ? QStringLiteral("the library")
                                                                    : m_session.hostLibrary()));
    }
}

void MainWindow::setStatusText(int panel, const QString& text)
{
    // The per-product "Processing" texts would drown the log of a batch run,
    // whose window is never shown: they go nowhere (laying each out in the
    // hidden status bar was a measurable part of a large run).
    if (m_batch && panel == 1 && text.startsWith(QLatin1String("Processing "))) return;
    m_panels[panel]->setText(text);
    if (!m_batch) {
        paintNow(m_panels[panel]);
        return;
    }
    if (panel == 1) QTextStream(stdout) << text << Qt::endl;
}

QString MainWindow::statusText(int panel) const
{
    return m_panels[panel]->text();
}

void MainWindow::beginBusy()
{
    for (QWidget* w : std::initializer_list<QWidget*>{m_tabs, m_cdmsConnectButton, m_updateButton,
                                                      m_agrianConnectButton, m_dotTableGrid})
        w->setEnabled(false);
    setCursor(Qt::WaitCursor);
    m_dotListGrid->setCursor(Qt::WaitCursor);
    m_updateTab->setCursor(Qt::WaitCursor);
}

void MainWindow::endBusy()
{
    m_tabs->setEnabled(true);
    m_cdmsConnectButton->setEnabled(true);
    m_agrianConnectButton->setEnabled(true);
    // More than 6 rows, the title row included, and the DOT table open.
    if (m_dotList.rowCount() > 6 && m_session.dotView.isOpen()) setUpdateEnabled(true);
    m_dotTableGrid->setEnabled(true);
    unsetCursor();
    m_dotListGrid->unsetCursor();
    m_updateTab->unsetCursor();
}

void MainWindow::setHazardSource(bool agrian)
{
    m_cdmsConnectButton->setEnabled(!agrian);
    m_cdmsConnectButton->setVisible(!agrian);
    m_agrianConnectButton->setEnabled(agrian);
    m_agrianConnectButton->setVisible(agrian);
    const QString dot =
        agrian ? QStringLiteral("Agrian D.O.T. Data") : QStringLiteral("CDMS D.O.T. Data");
    m_sourceDotLabel->setText(dot);
    m_sourceDotLabel->adjustSize();
    m_xrefDotLabel->setText(dot);
    m_xrefDotLabel->adjustSize();
    m_xrefLabel->setText(agrian ? QStringLiteral("Zelvaro / Agrian Cross Reference")
                                : QStringLiteral("Zelvaro / CDMS Cross Reference"));
    m_xrefLabel->adjustSize();
    m_tabs->setTabText(0, agrian ? QStringLiteral("Agrian Update") : QStringLiteral("CDMS Update"));
    m_cdmsUpdateAction->setEnabled(!agrian);
}

int MainWindow::outerWidth() const
{
    return frameGeometry().width();
}

void MainWindow::setOuterSize(int width, int height)
{
    const int frameW = frameGeometry().width() - geometry().width();
    const int frameH = frameGeometry().height() - geometry().height();
    resize(width - frameW, height - frameH);
    applyResizeRule(); // the rule runs at every change of size, also before a show
}

void MainWindow::applyResizeRule()
{
    if (!m_itemGrid) return;
    const int w = outerWidth();
    m_itemGrid->resize(w / 2 - 20, m_itemGrid->height());
    m_dotGrid->setGeometry(m_itemGrid->x() + m_itemGrid->width() + 10, m_dotGrid->y(),
                           m_itemGrid->width(), m_dotGrid->height());
    for (QWidget* c : std::initializer_list<QWidget*>{m_dotNavigator, m_dotPositionLabel,
                                                      m_xrefDotLabel, m_dotIdEdit})
        c->move(m_dotGrid->x(), c->y());
    m_xrefDotLabel->move(m_xrefDotLabel->x(), m_itemsLabel->y());
    // The DOT ID shows its whole 35 characters; the name takes the rest.
    const int idWidth = qMin(fontMetrics().averageCharWidth() * 35 + 10, m_dotGrid->width() / 2);
    m_dotIdEdit->resize(idWidth, m_dotIdEdit->height());
    m_dotNameEdit->setGeometry(m_dotIdEdit->x() + idWidth + 4, m_dotNameEdit->y(),
                               qMax(120, m_dotGrid->width() - idWidth - 4),
                               m_dotNameEdit->height());
    m_dotPositionEdit->move(m_dotNameEdit->x(), m_dotPositionEdit->y());
    anchorHazardGrid();
}

void MainWindow::anchorHazardGrid()
{
    // The hazard grid is anchored on all four sides of its page.
    if (m_hazardTab->width() > 0)
        m_hazardGrid->setGeometry(8, m_hazardGrid->y(), qMax(200, m_hazardTab->width() - 16),
                                  qMax(100, m_hazardTab->height() - m_hazardGrid->y() - 8));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_hazardTab && event->type() == QEvent::Resize) anchorHazardGrid();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    applyResizeRule();
}

void MainWindow::prepareShow()
{
    m_systemList->clear();
    m_hiddenSystems.clearEntries(); // the next titling builds the host link anew
    resetSelectionGrids();
    if (m_firstShow) {
        m_firstShow = false;
        // The design's sizing steps, in their order: each runs the resize rule.
        setOuterSize(700, frameGeometry().height());
        setOuterSize(975, frameGeometry().height());
        m_memo->resize(100, m_memo->height());
        setOuterSize(975, 550);
        setHazardSource(
            !Settings().readBool(QStringLiteral("Transfer"), QStringLiteral("CDMSHazard"), true));
        m_tabs->resize(outerWidth() - 2, m_tabs->height());
        setCurrentTab(1);
        // The saved filter; nothing here may keep the later steps from running.
        guarded([this] { restoreFilter(); });
    } else {
        m_flcFilterCheck->setChecked(false);
        m_nameFilterCheck->setChecked(false);
        m_deptFilterCheck->setChecked(false);
        m_nameFilterEdit->clear();
        m_flcFilterEdit->clear();
        m_deptFilterEdit->clear();
    }
    guarded([this] { applyFilter(); });
    updateFlcFilterState();
    updateNameFilterState();
    updateDeptFilterState();
    setStatusText(0, m_session.hostLibrary());
    if (!m_arguments.isEmpty() && upperAscii(m_arguments.first()) == QLatin1String("UPDATE"))
        m_unattendedTimer->start();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) guarded([this] { prepareShow(); });
}

void MainWindow::refreshTables()
{
    // The user's own request: a refused sign-on may be tried again.
    m_hostLink.forgetFailures();
    connectHost();
    m_firstShow = true;
    prepareShow();
}

void MainWindow::showSetup()
{
    const QString system = m_session.hostSystem();
    const QString library = m_session.hostLibrary();
    m_hostLink.deleteListSpace();
    m_setup->exec(); // OK or Cancel: the file says what is in force
    const Settings settings;
    const QString newSystem = settings.readText(QStringLiteral("Transfer"), QStringLiteral("Host"));
    const QString newLibrary =
        settings.readText(QStringLiteral("Transfer"), QStringLiteral("DataLib"));
    setHazardSource(
        !settings.readBool(QStringLiteral("Transfer"), QStringLiteral("CDMSHazard"), true));
    if (newSystem == system && newLibrary == library && m_session.connection.isConnected()) return;
    beginBusy();
    connectHost();
    prepareShow();
    endBusy();
    setUpdateEnabled(false);
    setStatusText(1, QStringLiteral("Ready"));
}

void MainWindow::showAbout()
{
    m_about->showFor(QCoreApplication::applicationFilePath(), m_prompter);
}

bool MainWindow::runOperation(const std::function<void()>& operation)
{
    // Long operations let the message loop run (status windows, the wait for
    // the CDMS update program): a click or the unattended timer arriving
    // there must not start a second operation inside the first one.
    if (m_operationRunning) return false;
    m_operationRunning = true;
    guarded(operation);
    m_operationRunning = false;
    if (m_unattendedPending) {
        m_unattendedPending = false;
        m_unattendedTimer->start(0);
    }
    return true;
}

void MainWindow::runUnattended()
{
    m_unattendedTimer->stop();
    if (m_operationRunning) {
        m_unattendedPending = true; // runs as soon as the operation ends
        return;
    }
    runOperation([this] {
        const QDateTime started = QDateTime::currentDateTime();
        retrieveDotList();
        if (m_dryRun) {
            previewUpdate();
            return;
        }
        updateOnce();
        // The night's job is the whole process: failures before the run
        // (the connection) count as well.
        recordRun(started, m_batch ? QStringLiteral("batch") : QStringLiteral("unattended"), 0);
    });
    Q_EMIT unattendedRunFinished();
}

void MainWindow::retrieveDotList()
{
    if (agrianMode())
        m_agrian->run(*this);
    else
        m_cdms->run(*this);
}

void MainWindow::stopUnattendedRun()
{
    m_unattendedTimer->stop();
    m_unattendedPending = false;
}

int MainWindow::topDotListRow() const
{
    // The title row is the list's row 0; a list scrolled past nothing shows
    // row 1 on top.
    const int top = m_dotListGrid->rowAt(0);
    return top < 1 ? 1 : top;
}

void MainWindow::runCdmsUpdateProgram()
{
    CdmsUpdateProgram().run(*this, [this] { return m_closing; });
}

void MainWindow::showHelp()
{
    // Nothing is shown, whether the browser starts or not.
    QDesktopServices::openUrl(QUrl(helpPageAddress()));
}

void MainWindow::setBatchMode(bool on)
{
    m_batch = on;
    m_unattendedTimer->setInterval(on ? 0 : 1000);
}

void MainWindow::setUpdateEnabled(bool enabled)
{
    // File, "Preview update…" previews what the button would do: there when it is.
    m_updateButton->setEnabled(enabled);
    m_previewAction->setEnabled(enabled);
}

bool MainWindow::agrianMode() const
{
    return !m_agrianConnectButton->isHidden();
}

void MainWindow::setTabsEnabled(bool enabled)
{
    for (QWidget* t : {m_xrefTab, m_filterTab, m_hazardTab})
        t->setEnabled(enabled);
}

void MainWindow::dotListChanged()
{
    m_dotListModel->reload();
}

void MainWindow::dotListRowChanged(int row)
{
    m_dotListModel->rowChanged(row);
}

void MainWindow::showDotListRow(int row)
{
    if (m_batch) return;
    // Scrolled when the list is next painted; the row in force then wins.
    const bool pending = m_dotListTopRow >= 0;
    m_dotListTopRow = row;
    if (pending) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_dotListTopRow >= 0 && m_dotListTopRow < m_dotListModel->rowCount())
                m_dotListGrid->scrollTo(m_dotListModel->index(m_dotListTopRow, 0),
                                        QAbstractItemView::PositionAtTop);
            m_dotListTopRow = -1;
        },
        Qt::QueuedConnection);
}

void MainWindow::fitDotListColumns(int fieldCount)
{
    for (int i = 1; i < fieldCount && i < DotList::Columns; ++i)
        m_dotListGrid->setColumnWidth(i, m_dotTableGrid->columnWidth(i));
}

void MainWindow::openProgress(const QString& caption, int maximum)
{
    if (m_batch) return;
    m_progress = std::make_unique<ConnectStatusWindow>();
    m_progress->setCaption(caption);
    m_progress->setProgressRange(0, maximum);
    m_progress->setProgressPosition(0);
    m_progress->showNow();
}

void MainWindow::setProgress(int position, const QString& text)
{
    if (!m_progress) return;
    m_progress->setProgressPosition(position);
    if (!text.isNull()) m_progress->setStatus(text);
}

void MainWindow::closeProgress()
{
    m_progress.reset();
}

void MainWindow::repaintDotGrid()
{
    if (!m_batch) paintNow(m_dotTableGrid->viewport());
}

void MainWindow::setDotGridEnabled(bool enabled)
{
    m_dotTableGrid->setEnabled(enabled);
}

void MainWindow::retitleDotGrids()
{
    titleGrid(QStringLiteral("U4CDMSDOT"), GridRole::DotLookup);
    titleGrid(QStringLiteral("U4CDMSDOT"), GridRole::DotTable);
}

void MainWindow::reconnect()
{
    m_session.closeViews();
    connectHost();
}

void MainWindow::runUpdate()
{
    const QDateTime started = QDateTime::currentDateTime();
    const int failuresBefore = m_countingPrompter.failures();
    updateOnce();
    recordRun(started, QStringLiteral("window"), failuresBefore);
}

void MainWindow::closeSession()
{
    m_session.closeViews();
    deleteOldFiles(
        QDir(dataFolder(Settings::homeDir(), false)).filePath(QStringLiteral("Agrian*.xml")), 10);
    // Change reports are kept for an auditor's year and a bit.
    deleteOldFiles(QDir(QDir(Settings::homeDir()).filePath(QStringLiteral("changes")))
                       .filePath(QStringLiteral("*.csv")),
                   400);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    m_closing = true;
    closeSession();
    event->accept();
}

} // namespace zelvaro
