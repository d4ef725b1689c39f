#pragma once

#include <QTableView>

namespace zelvaro {

class ClientView;
class ClientViewModel;

// A read-only grid on a client view with whole-row selection: the selected
// row follows the view's current row and the other way round.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);
    void setView(ClientView* view);
    ClientView* clientView() const { return m_view; }
    ClientViewModel* viewModel() const { return m_model; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void followView();
    void sizeColumns();
    void syncSelection();
    ClientView* m_view = nullptr;
    ClientViewModel* m_model = nullptr;
    bool m_syncing = false;
    bool m_pending = false;
    bool m_sized = false;
};

} // namespace zelvaro
