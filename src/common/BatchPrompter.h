#pragma once

#include "common/Prompter.h"

#include <QTextStream>
#include <cstdio>

namespace zelvaro {

// Answers the system's messages without a window: each text goes to
// standard output (or the stream given: the listings keep standard output
// for their results) as it stands, message boxes are acknowledged at once
// and questions answered No.
class BatchPrompter : public Prompter {
public:
    explicit BatchPrompter(FILE* stream = stdout) : m_stream(stream) {}
    void message(const QString& text) override;
    void failure(const QString& text) override;
    bool confirm(const QString& text, bool yesIsDefault = true) override;
    // Printed as the window would show it; a report is a failure.
    void report(const ErrorReport& report) override;
    // Printed as a text table.
    int showTable(const QString& title, const QStringList& headers,
                  const std::vector<QStringList>& rows,
                  const QString& openCaption = QString()) override;
    // Printed on a line of its own, indented.
    void detail(const QString& text) override;
    bool failed() const { return m_failed; }

private:
    FILE* m_stream;
    bool m_failed = false;
};

} // namespace zelvaro
