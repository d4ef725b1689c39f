#include "gui/DbField.h"

#include "host/ClientView.h"

namespace zelvaro {

void DbField::bind(ClientView* view, const QString& field)
{
    m_view = view;
    m_field = field;
    QObject::connect(view, &ClientView::currentChanged, &m_widget, [this] { refresh(); });
    QObject::connect(view, &ClientView::rowChanged, &m_widget, [this] { refresh(); });
    refresh();
}

void DbField::refresh()
{
    const QString t = m_view && m_view->isOpen() && m_view->fieldIndex(m_field) >= 0
                          ? m_view->text(m_field)
                          : QString();
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
    display(m_value);
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
