#pragma once

#include "common/Prompter.h"

#include <QDialog>

class QLabel;
class QListWidget;

namespace zelvaro {

// The "Error Information" window: the help context and text of a failed
// host operation and, for a failed host program call, its return code and
// messages. Created once and reused; every report starts from a clean
// window (a report without a call shows the return code's design text, and
// the message list empties however the window closes).
class ErrorInfoDialog : public QDialog {
    Q_OBJECT
public:
    explicit ErrorInfoDialog(QWidget* parent = nullptr);
    // Fills the window from a report (the design's setD4Info, then
    // setCWBInfo for a call).
    void fill(const ErrorReport& report);
    void done(int result) override;

private:
    QLabel* m_number;
    QLabel* m_description;
    QLabel* m_returnCode;
    QListWidget* m_messages;
};

} // namespace zelvaro
