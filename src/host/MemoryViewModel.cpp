#include "host/MemoryViewModel.h"

#include "common/Text.h"
#include "host/MemoryView.h"

namespace zelvaro {

MemoryViewModel::MemoryViewModel(MemoryView& view, QObject* parent)
    : QAbstractTableModel(parent), m_view(view)
{
    connect(&m_view, &MemoryView::reset, this, &MemoryViewModel::onReset);
    // Reopening titles the columns with field names again; a refresh keeps
    // the titles the host's headings gave.
    connect(&m_view, &MemoryView::opened, this, [this] { m_titles.clear(); });
    connect(&m_view, &MemoryView::rowsAboutToBeInserted, this,
            [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(&m_view, &MemoryView::rowsInserted, this, [this] {
        m_rows = m_view.recordCount();
        endInsertRows();
    });
    connect(&m_view, &MemoryView::valuesChanged, this, [this] {
        if (m_rows > 0 && m_columns > 0)
            Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
    });
    connect(&m_view, &MemoryView::rowChanged, this, [this](int index) {
        Q_EMIT dataChanged(this->index(index, 0), this->index(index, m_columns - 1));
    });
    onReset();
}

void MemoryViewModel::onReset()
{
    beginResetModel();
    m_rows = m_view.isOpen() ? m_view.recordCount() : 0;
    m_columns = m_view.isOpen() ? m_view.fieldCount() : 0;
    endResetModel();
}

int MemoryViewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int MemoryViewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant MemoryViewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_view.isOpen() || index.row() >= m_view.recordCount()) return {};
    const auto& table = *m_view.table();
    // Grids show host values without their padding; the views keep it.
    if (role == Qt::DisplayRole)
        return rtrimBlanks(table.displayText(m_view.rowAt(index.row()), index.column()));
    if (role == Qt::TextAlignmentRole && !table.fields()[index.column()].isText())
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant MemoryViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // Screen readers ask for the titles in their own roles.
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole && role != Qt::ToolTipRole)
        return {};
    if (orientation == Qt::Vertical) return {};
    if (section < m_titles.size() && !m_titles[section].isEmpty()) return m_titles[section];
    if (m_view.isOpen() && section < m_view.fieldCount()) return m_view.field(section).name;
    return {};
}

QStringList MemoryViewModel::titles() const
{
    QStringList t;
    for (int c = 0; c < m_columns; ++c)
        t << headerData(c, Qt::Horizontal).toString();
    return t;
}

void MemoryViewModel::setTitles(const QStringList& titles)
{
    m_titles = titles;
    if (m_columns > 0) Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_columns - 1);
}

} // namespace zelvaro
