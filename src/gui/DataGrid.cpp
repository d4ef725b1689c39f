#include "gui/DataGrid.h"

#include "host/MemoryView.h"
#include "host/MemoryViewModel.h"

#include <QHeaderView>
#include <QItemSelectionModel>

namespace zelvaro {

DataGrid::DataGrid(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setFixedWidth(12);
    horizontalHeader()->setHighlightSections(false);
    setWordWrap(false);
}

void DataGrid::setView(MemoryView* view)
{
    m_view = view;
    m_model = new MemoryViewModel(*view, this);
    setModel(m_model);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DataGrid::sizeColumns);
    // Each column's width, by its field, outlives the view's reopening
    // (every Add, Delete, Refresh and update run closes and reopens views).
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) {
                if (m_view && m_view->isOpen() && column < m_view->fieldCount() && width > 0)
                    m_widths.insert(m_view->field(column).name, width);
            });
    // Titles from the host's headings arrive after the data: a column
    // grows to show its title whole (up to the cap).
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, [this] {
        const QFontMetrics fm(font());
        for (int c = 0; m_sized && c < m_model->columnCount(); ++c) {
            const int title =
                fm.horizontalAdvance(m_model->headerData(c, Qt::Horizontal).toString().trimmed()) +
                2 * fm.averageCharWidth();
            if (columnWidth(c) < title) setColumnWidth(c, qMin(320, title));
        }
    });
    connect(view, &MemoryView::currentChanged, this, &DataGrid::followView);
    connect(view, &MemoryView::reset, this, &DataGrid::followView, Qt::QueuedConnection);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_syncing || !current.isValid() || !m_view->isOpen()) return;
                m_syncing = true;
                m_view->setCurrentIndex(current.row());
                m_syncing = false;
            });
}

void DataGrid::sizeColumns()
{
    // Once, when there is data: each column as wide as its host field or its
    // content (the first rows), whichever is smaller, but never narrower than
    // its title and never wider than the cap; the user may resize after.
    if (m_model->columnCount() == 0) return;
    if (m_sized) {
        // Reopened: each column as it was.
        for (int c = 0; c < m_model->columnCount(); ++c) {
            const auto width = m_widths.constFind(m_view->field(c).name);
            if (width != m_widths.constEnd()) setColumnWidth(c, *width);
        }
        return;
    }
    if (m_model->rowCount() == 0) return;
    // A hidden grid (another tab, the unattended batch run) sizes when shown.
    if (!isVisible()) return;
    m_sized = true;
    constexpr int Cap = 320;
    constexpr int SampleRows = 50;
    const QFontMetrics fm(font());
    const int pad = 2 * fm.averageCharWidth();
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const int fieldWidth = fm.averageCharWidth() * qMax(1, m_view->field(c).width) + pad;
        int content = 0;
        for (int r = 0; r < qMin(SampleRows, m_model->rowCount()); ++r)
            content = qMax(content, fm.horizontalAdvance(m_model->index(r, c).data().toString()));
        const int title =
            fm.horizontalAdvance(m_model->headerData(c, Qt::Horizontal).toString()) + pad;
        setColumnWidth(c, qMin(Cap, qMax(title, qMin(fieldWidth, content + pad))));
    }
}

void DataGrid::showEvent(QShowEvent* event)
{
    QTableView::showEvent(event);
    sizeColumns();
    syncSelection();
}

void DataGrid::followView()
{
    // The selection follows once the message loop runs again (or when a
    // hidden grid is shown): long operations move the views thousands of
    // times while nothing is painted anyway.
    if (m_syncing || !m_view || !isVisible() || m_pending) return;
    m_pending = true;
    QMetaObject::invokeMethod(
        this, [this] { syncSelection(); }, Qt::QueuedConnection);
}

void DataGrid::syncSelection()
{
    m_pending = false;
    if (m_syncing || !m_view || !isVisible()) return;
    const int row = m_view->currentIndex();
    if (row < 0 || row >= m_model->rowCount()) return;
    m_syncing = true;
    const QModelIndex idx = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect |
                                               QItemSelectionModel::Rows);
    scrollTo(idx);
    m_syncing = false;
}

} // namespace zelvaro
