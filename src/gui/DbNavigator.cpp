#include "gui/DbNavigator.h"

#include "host/MemoryView.h"

#include <QHBoxLayout>
#include <QStyle>

namespace zelvaro {

DbNavigator::DbNavigator(bool withRefresh, QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const QStyle::StandardPixmap icons[] = {
        QStyle::SP_MediaSkipBackward, QStyle::SP_MediaSeekBackward, QStyle::SP_MediaSeekForward,
        QStyle::SP_MediaSkipForward, QStyle::SP_BrowserReload};
    const char* names[] = {"First", "Prior", "Next", "Last", "Refresh"};
    const char* hints[] = {"First record", "Prior record", "Next record", "Last record",
                           "Refresh data"};
    for (int b = 0; b < (withRefresh ? 5 : 4); ++b) {
        auto* button = new QPushButton(this);
        button->setObjectName(QString::fromLatin1(names[b]));
        button->setIcon(style()->standardIcon(icons[b]));
        button->setToolTip(QString::fromLatin1(hints[b]));
        layout->addWidget(button);
        m_buttons[b] = button;
        connect(button, &QPushButton::clicked, this, [this, b] { press(Button(b)); });
    }
    updateState();
}

void DbNavigator::setView(MemoryView* view)
{
    m_view = view;
    connect(view, &MemoryView::currentChanged, this, &DbNavigator::updateState);
    connect(view, &MemoryView::reset, this, &DbNavigator::updateState);
    updateState();
}

void DbNavigator::press(Button b)
{
    if (!m_view || !m_view->isOpen()) return;
    switch (b) {
    case First:
        m_view->first();
        break;
    case Prior:
        m_view->prior();
        break;
    case Next:
        m_view->next();
        break;
    case Last:
        m_view->last();
        break;
    case Refresh:
        m_view->refresh();
        break;
    }
    Q_EMIT clicked(b);
}

void DbNavigator::updateState()
{
    const bool open = m_view && m_view->isOpen() && m_view->recordCount() > 0;
    const int cur = open ? m_view->currentIndex() : -1;
    const int last = open ? m_view->recordCount() - 1 : -1;
    if (m_buttons[First]) m_buttons[First]->setEnabled(open && cur > 0);
    if (m_buttons[Prior]) m_buttons[Prior]->setEnabled(open && cur > 0);
    if (m_buttons[Next]) m_buttons[Next]->setEnabled(open && cur < last);
    if (m_buttons[Last]) m_buttons[Last]->setEnabled(open && cur < last);
    if (m_buttons[Refresh]) m_buttons[Refresh]->setEnabled(m_view && m_view->isOpen());
}

} // namespace zelvaro
