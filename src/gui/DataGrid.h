#pragma once

#include <QTableView>

namespace zelvaro {

class MemoryView;
class MemoryViewModel;

// A read-only grid on a client view with whole-row selection: the selected
// row follows the view's current row and the other way round.
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
};

} // namespace zelvaro
