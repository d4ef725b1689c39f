#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace zelvaro {

// What the error information window shows for a failed host operation: the
// error (help context, 0 for the system's own, and text) and, for a failed
// host program call, its return code and messages.
struct ErrorReport {
    int helpContext = 0;
    QString description;
    bool hasCallInfo = false;
    int returnCode = 0;
    QStringList messages;
};

// The one seam through which the system shows message boxes and asks
// questions. The window shows real dialogs; tests answer from a script; the
// batch run prints and acknowledges.
class Prompter {
public:
    virtual ~Prompter() = default;
    // A modal message box with an OK button; returns when it is closed.
    virtual void message(const QString& text) = 0;
    // The same for a failure; the batch run ends with a non-zero status
    // after one.
    virtual void failure(const QString& text) = 0;
    // A Yes/No question; true for Yes. Enter answers the default button
    // (Yes unless `yesIsDefault` is false); Escape is No.
    virtual bool confirm(const QString& text, bool yesIsDefault = true) = 0;
    // The error information window, modal; returns when it is closed.
    virtual void report(const ErrorReport& report) = 0;
    // A modal, read-only table under a title (the run history); returns
    // when it is closed. With an `openCaption`, a row may be chosen to open
    // (a button of that caption, or a double click): its index is returned;
    // otherwise, and when closed, -1.
    virtual int showTable(const QString& title, const QStringList& headers,
                          const std::vector<QStringList>& rows,
                          const QString& openCaption = QString()) = 0;
    // What lies behind the failure just shown (which item, the host's
    // text), for a log: the batch run prints it on a line of its own; a
    // window, whose message boxes keep their designed texts, shows nothing.
    virtual void detail(const QString& text) { Q_UNUSED(text); }
};

// Passes everything on to another prompter and counts the failures shown
// (failure messages and error reports), so that a run can tell whether it
// ended clean.
class CountingPrompter : public Prompter {
public:
    explicit CountingPrompter(Prompter& target) : m_target(target) {}
    void message(const QString& text) override { m_target.message(text); }
    void failure(const QString& text) override
    {
        ++m_failures;
        m_target.failure(text);
    }
    bool confirm(const QString& text, bool yesIsDefault = true) override
    {
        return m_target.confirm(text, yesIsDefault);
    }
    void report(const ErrorReport& report) override
    {
        ++m_failures;
        m_target.report(report);
    }
    int showTable(const QString& title, const QStringList& headers,
                  const std::vector<QStringList>& rows,
                  const QString& openCaption = QString()) override
    {
        return m_target.showTable(title, headers, rows, openCaption);
    }
    void detail(const QString& text) override { m_target.detail(text); }
    int failures() const { return m_failures; }

private:
    Prompter& m_target;
    int m_failures = 0;
};

// The error information window's texts, as its labels show them.
QString errorHelpContextText(const ErrorReport& report);
QString errorDescriptionText(const ErrorReport& report);
QString returnCodeText(int returnCode);

} // namespace zelvaro
