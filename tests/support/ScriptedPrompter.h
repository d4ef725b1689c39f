#pragma once

#include "common/Prompter.h"
#include "support/QtPrinters.h"

#include <QStringList>
#include <vector>

namespace zelvaro::test {

// Records every text shown, in order, and answers questions from a script
// (Yes when the script is empty).
class ScriptedPrompter : public Prompter {
public:
    void message(const QString& text) override { shown << text; }
    void failure(const QString& text) override { shown << text; }
    bool confirm(const QString& text, bool yesIsDefault = true) override
    {
        shown << text;
        noDefaults << !yesIsDefault;
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    void report(const ErrorReport& r) override
    {
        reports.push_back(r);
        shown << "report: " + r.description;
    }
    int showTable(const QString& title, const QStringList& headers,
                  const std::vector<QStringList>& rows,
                  const QString& openCaption = QString()) override
    {
        shown << "table: " + title;
        tableHeaders = headers;
        tableRows = rows;
        tableOpenCaptions << openCaption;
        return tableChoices.isEmpty() ? -1 : tableChoices.takeFirst();
    }
    void detail(const QString& text) override { details << text; }
    QStringList shown;
    QStringList details;
    std::vector<ErrorReport> reports;
    QStringList tableHeaders;
    std::vector<QStringList> tableRows;
    QList<bool> answers;
    QStringList tableOpenCaptions; // per table shown
    QList<int> tableChoices;       // rows to open, in order; then none
    QList<bool> noDefaults;        // per question: No was the default
};

} // namespace zelvaro::test
