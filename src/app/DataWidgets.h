#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QWidget>

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
    void syncSelection();
    ClientView* m_view = nullptr;
    ClientViewModel* m_model = nullptr;
    bool m_syncing = false;
    bool m_pending = false;
};

// The first, prior, next, last (and refresh) buttons of a view.
class DbNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Refresh };
    DbNavigator(bool withRefresh, QWidget* parent = nullptr);
    void setView(ClientView* view);
    QPushButton* button(Button b) const { return m_buttons[b]; }

Q_SIGNALS:
    // After the view has moved.
    void clicked(zelvaro::DbNavigator::Button button);

private:
    void press(Button b);
    void updateState();
    ClientView* m_view = nullptr;
    QPushButton* m_buttons[5] = {};
};

// An edit showing one field of a view's current row. The value follows the
// row at once (handlers hang on valueChanged); the text on screen catches up
// when the edit is visible.
class DbEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DbEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}
    void bind(ClientView* view, const QString& field);
    const QString& value() const { return m_value; }

Q_SIGNALS:
    void valueChanged(const QString& value);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void showValue();
    ClientView* m_view = nullptr;
    QString m_field;
    QString m_value;
    bool m_pending = false;
};

// A label showing one field of a view's current row.
class DbText : public QLabel {
    Q_OBJECT
public:
    explicit DbText(QWidget* parent = nullptr) : QLabel(parent) {}
    void bind(ClientView* view, const QString& field);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    ClientView* m_view = nullptr;
    QString m_field;
};

} // namespace zelvaro
