#include "gui/DataGrid.h"

#include "host/ClientView.h"
#include "host/ClientViewModel.h"

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

void DataGrid::setView(ClientView* view)
{
    m_view = view;
    m_model = new ClientViewModel(*view, this);
    setModel(m_model);
    connect(view, &ClientView::currentChanged, this, &DataGrid::followView);
    connect(view, &ClientView::reset, this, &DataGrid::followView, Qt::QueuedConnection);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_syncing || !current.isValid() || !m_view->isOpen()) return;
                m_syncing = true;
                m_view->setCurrentIndex(current.row());
                m_syncing = false;
            });
}

void DataGrid::showEvent(QShowEvent* event)
{
    QTableView::showEvent(event);
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
