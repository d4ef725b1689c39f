#pragma once

#include <QString>

namespace zelvaro {

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
    // A Yes/No question (Yes the default); true for Yes.
    virtual bool confirm(const QString& text) = 0;
};

} // namespace zelvaro
