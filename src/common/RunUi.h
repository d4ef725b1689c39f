#pragma once

#include <QString>

namespace zelvaro {

class Prompter;

// What the retrieval and the update run ask of the main window: the busy
// state, the status bar, the DOT list's view, the progress window and the
// message seam. The window implements it; tests record the calls.
class RunUi {
public:
    virtual ~RunUi() = default;
    virtual Prompter& prompter() = 0;
    virtual void beginBusy() = 0;
    virtual void endBusy() = 0;
    // Status panel 1, painted at once.
    virtual void setStatus(const QString& text) = 0;
    virtual void setUpdateEnabled(bool enabled) = 0;
    // Agrian is the hazard source (the Agrian connect button is shown).
    virtual bool agrianMode() const = 0;
    // The tabs of the cross reference, filters and hazard file.
    virtual void setTabsEnabled(bool enabled) { (void)enabled; }
    // The DOT list was reset or refilled, or one row changed.
    virtual void dotListChanged() {}
    virtual void dotListRowChanged(int row) { (void)row; }
    // Scrolls the DOT list so that the row is the top visible data row.
    virtual void showDotListRow(int row) { (void)row; }
    // Columns 1 .. fieldCount-1 of the DOT list take the widths of the DOT
    // table grid's columns of the same index.
    virtual void fitDotListColumns(int fieldCount) { (void)fieldCount; }
    // The connect-status window with a ranged progress bar.
    virtual void openProgress(const QString& caption, int maximum)
    {
        (void)caption;
        (void)maximum;
    }
    virtual void setProgress(int position, const QString& text)
    {
        (void)position;
        (void)text;
    }
    virtual void closeProgress() {}
    virtual void repaintDotGrid() {}
    virtual void setDotGridEnabled(bool enabled) { (void)enabled; }
    // Titles the DOT table's grids again after a reload (a seam: see
    // ConnectUi::setGridTitles).
    virtual void retitleDotGrids() {}
    // Switches the pending unattended run off (a retrieval started by hand
    // replaces it).
    virtual void stopUnattendedRun() {}
    // closeViews and connect, as after a failed reload.
    virtual void reconnect() {}
};

} // namespace zelvaro
