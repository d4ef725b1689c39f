#pragma once

#include <QAbstractTableModel>

namespace zelvaro {

class DotList;

// Shows the DOT list in a grid: the title row and the number column in the
// fixed-cell style, every cell as plain text.
class DotListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DotListModel(DotList& list, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // After the list was reset or refilled.
    void reload();
    void rowChanged(int row);

private:
    DotList& m_list;
    int m_rows = 0;
};

} // namespace zelvaro
