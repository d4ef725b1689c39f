#pragma once

#include <QAbstractTableModel>
#include <QStringList>

namespace zelvaro {

class MemoryView;

// Feeds a grid from a memory view (no widget here: a Qt Core item model): one row per visible
// record, one column per field. Column titles start as the field names.
class MemoryViewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MemoryViewModel(MemoryView& view, QObject* parent = nullptr);

    MemoryView& view() const { return m_view; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Titles by field position; an empty list goes back to field names.
    void setTitles(const QStringList& titles);
    // The titles the columns show now.
    QStringList titles() const;

private:
    void onReset();

    MemoryView& m_view;
    QStringList m_titles;
    int m_rows = 0;
    int m_columns = 0;
};

} // namespace zelvaro
