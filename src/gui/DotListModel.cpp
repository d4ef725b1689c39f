#include "gui/DotListModel.h"

#include "sources/DotList.h"

#include <QBrush>
#include <QColor>

namespace zelvaro {

DotListModel::DotListModel(DotList& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list), m_rows(list.rowCount())
{
}

int DotListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DotListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : DotList::Columns;
}

QVariant DotListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_list.rowCount()) return {};
    if (role == Qt::DisplayRole) return m_list.cell(index.row(), index.column());
    if (role == Qt::BackgroundRole && (index.row() == 0 || index.column() == 0))
        return QBrush(QColor(0xe8, 0xe8, 0xe8));
    return {};
}

void DotListModel::reload()
{
    beginResetModel();
    m_rows = m_list.rowCount();
    endResetModel();
}

void DotListModel::rowChanged(int row)
{
    Q_EMIT dataChanged(index(row, 0), index(row, DotList::Columns - 1));
}

} // namespace zelvaro
