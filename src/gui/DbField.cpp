#include "gui/DbField.h"

#include "host/MemoryView.h"

#include <QMetaMethod>

namespace zelvaro {

void DbField::bind(MemoryView* view, const QString& field)
{
    m_view = view;
    m_field = field;
    QObject::connect(view, &MemoryView::currentChanged, &m_widget, [this] { refresh(); });
    QObject::connect(view, &MemoryView::rowChanged, &m_widget, [this] { refresh(); });
    QObject::connect(view, &MemoryView::valuesChanged, &m_widget, [this] { refresh(); });
    refresh();
}

QString DbField::read() const
{
    return m_view && m_view->isOpen() && m_view->fieldIndex(m_field) >= 0 ? m_view->text(m_field)
                                                                          : QString();
}

const QString& DbField::value() const
{
    if (m_stale) {
        m_value = read();
        m_stale = false;
    }
    return m_value;
}

void DbField::refresh()
{
    if (!m_widget.isVisible() && !valueWatched()) {
        m_stale = true;
        return;
    }
    m_stale = false;
    const QString t = read();
    if (t != m_value) {
        m_value = t;
        onValueChanged();
    }
    if (!m_widget.isVisible() || m_pending) return;
    m_pending = true;
    QMetaObject::invokeMethod(
        &m_widget, [this] { showValue(); }, Qt::QueuedConnection);
}

void DbField::showValue()
{
    m_pending = false;
    display(value());
}

DbEdit::DbEdit(QWidget* parent) : QLineEdit(parent), DbField(static_cast<QWidget&>(*this))
{
    setReadOnly(true);
}

void DbEdit::showEvent(QShowEvent* event)
{
    QLineEdit::showEvent(event);
    refresh();
    showValue();
}

bool DbEdit::valueWatched() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&DbEdit::valueChanged));
}

void DbEdit::display(const QString& value)
{
    if (value == text()) return;
    setText(value);
    setCursorPosition(0); // show the start of padded host values
}

void DbText::showEvent(QShowEvent* event)
{
    QLabel::showEvent(event);
    refresh();
    showValue();
}

} // namespace zelvaro
