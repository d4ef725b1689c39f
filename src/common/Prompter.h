#pragma once

#include <QString>
#include <QStringList>

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
};

// The error information window's texts, as its labels show them.
QString errorHelpContextText(const ErrorReport& report);
QString errorDescriptionText(const ErrorReport& report);
QString returnCodeText(int returnCode);

} // namespace zelvaro
