#pragma once

#include <QHash>
#include <QTableView>

namespace zelvaro {

class MemoryView;
class MemoryViewModel;

// A read-only grid on a memory view with whole-row selection: the selected
// row follows the view's current row and the other way round. Columns are
// sized once (host field, content, title) and keep their widths, by field,
// when the view is closed and reopened.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);
    void setView(MemoryView* view);
    MemoryView* clientView() const { return m_view; }
    MemoryViewModel* viewModel() const { return m_model; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void followView();
    void sizeColumns();
    void syncSelection();
    MemoryView* m_view = nullptr;
    MemoryViewModel* m_model = nullptr;
    bool m_syncing = false;
    bool m_pending = false;
    bool m_sized = false;
    QHash<QString, int> m_widths; // by field name, kept across reopens
};

} // namespace zelvaro
