#pragma once

#include <QLabel>
#include <QLineEdit>

namespace zelvaro {

class MemoryView;

// One field of a view's current row, shown by a text widget. The value
// follows the row at once when a handler hangs on it; a hidden field nobody
// listens to reads it only when asked or shown. The text on screen catches
// up when the message loop runs or the widget is shown, so long operations
// that move the view thousands of times lay out no text (and, unattended,
// read none).
class DbField {
public:
    virtual ~DbField() = default;
    void bind(MemoryView* view, const QString& field);
    const QString& value() const;

protected:
    explicit DbField(QWidget& widget) : m_widget(widget) {}
    // Reads the field and schedules the display; called on every row move.
    void refresh();
    // Puts the value on screen now (the widget was shown).
    void showValue();
    virtual void display(const QString& value) = 0;
    virtual void onValueChanged() {}
    // Someone handles the value's changes: it must follow every row move.
    virtual bool valueWatched() const { return false; }

private:
    QString read() const;

    QWidget& m_widget;
    MemoryView* m_view = nullptr;
    QString m_field;
    mutable QString m_value;
    mutable bool m_stale = false;
    bool m_pending = false;
};

// A read-only edit showing one field.
class DbEdit : public QLineEdit, public DbField {
    Q_OBJECT
public:
    explicit DbEdit(QWidget* parent = nullptr);

Q_SIGNALS:
    void valueChanged(const QString& value);

protected:
    void showEvent(QShowEvent* event) override;
    void display(const QString& value) override;
    void onValueChanged() override { Q_EMIT valueChanged(value()); }
    bool valueWatched() const override;
};

// A label showing one field.
class DbText : public QLabel, public DbField {
    Q_OBJECT
public:
    explicit DbText(QWidget* parent = nullptr)
        : QLabel(parent), DbField(static_cast<QWidget&>(*this))
    {
    }

protected:
    void showEvent(QShowEvent* event) override;
    void display(const QString& value) override { setText(value); }
};

} // namespace zelvaro
