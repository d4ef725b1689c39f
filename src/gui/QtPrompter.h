#pragma once

#include "common/Prompter.h"

class QWidget;

namespace zelvaro {

// Real message boxes, owned by the main window.
class QtPrompter : public Prompter {
public:
    void setParent(QWidget* parent) { m_parent = parent; }
    void message(const QString& text) override;
    void failure(const QString& text) override;
    bool confirm(const QString& text, bool yesIsDefault = true) override;
    void report(const ErrorReport& report) override;
    int showTable(const QString& title, const QStringList& headers,
                  const std::vector<QStringList>& rows,
                  const QString& openCaption = QString()) override;

private:
    QWidget* m_parent = nullptr;
    class ErrorInfoDialog* m_errorInfo = nullptr; // made once, reused
};

} // namespace zelvaro
