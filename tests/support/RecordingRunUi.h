#pragma once

#include "common/RunUi.h"
#include "support/ScriptedPrompter.h"

#include <QStringList>

namespace zelvaro::test {

// Records what a run asks of the window.
class RecordingRunUi : public RunUi {
public:
    Prompter& prompter() override { return prompts; }
    void beginBusy() override
    {
        events << "beginBusy";
        busy = true;
    }
    void endBusy() override
    {
        events << "endBusy";
        busy = false;
    }
    void setStatus(const QString& text) override { statuses << text; }
    void setUpdateEnabled(bool enabled) override
    {
        events << (enabled ? "update-on" : "update-off");
    }
    bool agrianMode() const override { return agrian; }
    void setTabsEnabled(bool enabled) override { events << (enabled ? "tabs-on" : "tabs-off"); }
    void openProgress(const QString& caption, int maximum) override
    {
        events << "progress:" + caption + ":" + QString::number(maximum);
    }
    void closeProgress() override { events << "progress-closed"; }
    void reconnect() override { events << "reconnect"; }
    void stopUnattendedRun() override { events << "unattended-off"; }

    ScriptedPrompter prompts;
    QStringList events;
    QStringList statuses;
    bool busy = false;
    bool agrian = false;
};

} // namespace zelvaro::test
