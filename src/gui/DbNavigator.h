#pragma once

#include <QPushButton>
#include <QWidget>

namespace zelvaro {

class MemoryView;

// The first, prior, next, last (and refresh) buttons of a view.
class DbNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Refresh };
    DbNavigator(bool withRefresh, QWidget* parent = nullptr);
    void setView(MemoryView* view);
    QPushButton* button(Button b) const { return m_buttons[b]; }

Q_SIGNALS:
    // After the view has moved.
    void clicked(zelvaro::DbNavigator::Button button);

private:
    void press(Button b);
    void updateState();
    MemoryView* m_view = nullptr;
    QPushButton* m_buttons[5] = {};
};

} // namespace zelvaro
