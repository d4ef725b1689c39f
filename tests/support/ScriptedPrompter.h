#pragma once

#include "common/Prompter.h"
#include "support/QtPrinters.h"

#include <QStringList>

namespace zelvaro::test {

// Records every text shown, in order, and answers questions from a script
// (Yes when the script is empty).
class ScriptedPrompter : public Prompter {
public:
    void message(const QString& text) override { shown << text; }
    void failure(const QString& text) override { shown << text; }
    bool confirm(const QString& text) override
    {
        shown << text;
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    QStringList shown;
    QList<bool> answers;
};

} // namespace zelvaro::test
