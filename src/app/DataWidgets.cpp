#include "app/DataWidgets.h"

#include "host/ClientView.h"
#include "host/ClientViewModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyle>

namespace zelvaro {

DataGrid::DataGrid(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setFixedWidth(12);
    horizontalHeader()->setHighlightSections(false);
    setWordWrap(false);
}

void DataGrid::setView(ClientView* view)
{
    m_view = view;
    m_model = new ClientViewModel(*view, this);
    setModel(m_model);
    connect(view, &ClientView::currentChanged, this, &DataGrid::followView);
    connect(view, &ClientView::reset, this, &DataGrid::followView, Qt::QueuedConnection);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_syncing || !current.isValid() || !m_view->isOpen()) return;
                m_syncing = true;
                m_view->setCurrentIndex(current.row());
                m_syncing = false;
            });
}

void DataGrid::showEvent(QShowEvent* event)
{
    QTableView::showEvent(event);
    syncSelection();
}

void DataGrid::followView()
{
    // The selection follows once the message loop runs again (or when a
    // hidden grid is shown): long operations move the views thousands of
    // times while nothing is painted anyway.
    if (m_syncing || !m_view || !isVisible() || m_pending) return;
    m_pending = true;
    QMetaObject::invokeMethod(this, [this] { syncSelection(); }, Qt::QueuedConnection);
}

void DataGrid::syncSelection()
{
    m_pending = false;
    if (m_syncing || !m_view || !isVisible()) return;
    const int row = m_view->currentIndex();
    if (row < 0 || row >= m_model->rowCount()) return;
    m_syncing = true;
    const QModelIndex idx = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(idx);
    m_syncing = false;
}

DbNavigator::DbNavigator(bool withRefresh, QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const QStyle::StandardPixmap icons[] = {QStyle::SP_MediaSkipBackward, QStyle::SP_MediaSeekBackward,
                                            QStyle::SP_MediaSeekForward, QStyle::SP_MediaSkipForward,
                                            QStyle::SP_BrowserReload};
    const char* names[] = {"First", "Prior", "Next", "Last", "Refresh"};
    const char* hints[] = {"First record", "Prior record", "Next record", "Last record", "Refresh data"};
    for (int b = 0; b < (withRefresh ? 5 : 4); ++b) {
        auto* button = new QPushButton(this);
        button->setObjectName(QString::fromLatin1(names[b]));
        button->setIcon(style()->standardIcon(icons[b]));
        button->setToolTip(QString::fromLatin1(hints[b]));
        button->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(button);
        m_buttons[b] = button;
        connect(button, &QPushButton::clicked, this, [this, b] { press(Button(b)); });
    }
    updateState();
}

void DbNavigator::setView(ClientView* view)
{
    m_view = view;
    connect(view, &ClientView::currentChanged, this, &DbNavigator::updateState);
    connect(view, &ClientView::reset, this, &DbNavigator::updateState);
    updateState();
}

void DbNavigator::press(Button b)
{
    if (!m_view || !m_view->isOpen()) return;
    switch (b) {
    case First: m_view->first(); break;
    case Prior: m_view->prior(); break;
    case Next: m_view->next(); break;
    case Last: m_view->last(); break;
    case Refresh: m_view->refresh(); break;
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

void DbEdit::bind(ClientView* view, const QString& field)
{
    m_view = view;
    m_field = field;
    setReadOnly(true);
    connect(view, &ClientView::currentChanged, this, &DbEdit::refresh);
    connect(view, &ClientView::rowChanged, this, &DbEdit::refresh);
    refresh();
}

void DbEdit::showEvent(QShowEvent* event)
{
    QLineEdit::showEvent(event);
    refresh();
    showValue();
}

void DbEdit::refresh()
{
    const QString t = m_view && m_view->isOpen() && m_view->fieldIndex(m_field) >= 0
                          ? m_view->text(m_field)
                          : QString();
    if (t != m_value) {
        m_value = t;
        Q_EMIT valueChanged(m_value);
    }
    // The text on screen catches up when the message loop runs or the edit
    // is shown.
    if (!isVisible() || m_pending) return;
    m_pending = true;
    QMetaObject::invokeMethod(this, [this] { showValue(); }, Qt::QueuedConnection);
}

void DbEdit::showValue()
{
    m_pending = false;
    if (m_value != text()) {
        setText(m_value);
        setCursorPosition(0); // show the start of padded host values
    }
}

void DbText::bind(ClientView* view, const QString& field)
{
    m_view = view;
    m_field = field;
    connect(view, &ClientView::currentChanged, this, &DbText::refresh);
    refresh();
}

void DbText::showEvent(QShowEvent* event)
{
    QLabel::showEvent(event);
    refresh();
}

void DbText::refresh()
{
    if (!isVisible()) return; // refreshed when shown

    setText(m_view && m_view->isOpen() && m_view->fieldIndex(m_field) >= 0 ? m_view->text(m_field)
                                                                          : QString());
}

} // namespace zelvaro
