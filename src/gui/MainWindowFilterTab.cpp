// The item filter tab's glue: the selection grids, the enable rules, and
// applying, saving and restoring the filter through the core's ItemFilter.
#include "gui/DataGrid.h"
#include "gui/DbNavigator.h"
#include "gui/MainWindow.h"

#include "common/Prompter.h"
#include "common/Text.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace zelvaro {

void MainWindow::resetSelectionGrids()
{
    const struct {
        QTableWidget* grid;
        const char* code;
    } grids[] = {{m_flcSelection, "FL Code"}, {m_deptSelection, "Dept"}};
    for (const auto& g : grids) {
        g.grid->clearContents();
        g.grid->setRowCount(2);
        g.grid->setItem(0, 0, new QTableWidgetItem(QString::fromLatin1(g.code)));
        g.grid->setItem(0, 1, new QTableWidgetItem(QStringLiteral("Description")));
    }
    m_flcCodes.clear();
    m_deptCodes.clear();
}

void MainWindow::updateNameFilterState()
{
    m_nameFilterEdit->setVisible(m_nameFilterCheck->isChecked());
    m_nameFilterEdit->setEnabled(m_nameFilterCheck->isChecked());
    m_filterButton->setEnabled(true);
}

void MainWindow::updateFlcFilterState()
{
    const bool on = m_flcFilterCheck->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_flcAddButton, m_flcRemoveButton, m_flcNavigator,
                                         m_flcGrid, m_flcSelection, m_flcSelectionLabel})
        w->setEnabled(on);
    m_flcGrid->repaint();
    m_filterButton->setEnabled(true);
}

void MainWindow::updateDeptFilterState()
{
    const bool on = m_deptFilterCheck->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_deptAddButton, m_deptRemoveButton, m_deptNavigator,
                                         m_deptGrid, m_deptSelection, m_deptSelectionLabel})
        w->setEnabled(on);
    m_filterButton->setEnabled(true);
}

void MainWindow::showSelection(QTableWidget* grid, const CodeSelection& codes)
{
    const int n = int(codes.entries().size());
    grid->setRowCount(qMax(2, n + 1));
    for (int r = 1; r < grid->rowCount(); ++r) {
        const bool filled = r <= n;
        grid->setItem(r, 0,
                      new QTableWidgetItem(filled ? QString::number(codes.entries()[r - 1].code)
                                                  : QString()));
        grid->setItem(
            r, 1, new QTableWidgetItem(filled ? codes.entries()[r - 1].description : QString()));
    }
}

void MainWindow::addCode(bool fineLine)
{
    MemoryView& view = fineLine ? m_session.flcView : m_session.deptView;
    // Without a current row (an empty table) there is nothing to add.
    if (!view.isOpen() || !view.hasCurrent()) return;
    CodeSelection& codes = fineLine ? m_flcCodes : m_deptCodes;
    const QString codeField = fineLine ? QStringLiteral("FLFLC") : QStringLiteral("DPDEPT");
    const QString descField = fineLine ? QStringLiteral("FLDESC") : QStringLiteral("DPDESC");
    m_filterButton->setEnabled(true);
    codes.add(view.value(codeField).toLongLong(), trimmed(view.text(descField)));
    showSelection(fineLine ? m_flcSelection : m_deptSelection, codes);
    (fineLine ? m_flcFilterEdit : m_deptFilterEdit)->setText(codes.expression());
}

void MainWindow::removeCode(bool fineLine)
{
    QTableWidget* grid = fineLine ? m_flcSelection : m_deptSelection;
    CodeSelection& codes = fineLine ? m_flcCodes : m_deptCodes;
    m_filterButton->setEnabled(true);
    // Row 0 is the title row: nothing selected, nothing removed.
    const int row = grid->currentRow();
    if (row < 1) return;
    codes.removeAt(row - 1);
    showSelection(grid, codes);
    (fineLine ? m_flcFilterEdit : m_deptFilterEdit)->setText(codes.expression());
}

FilterChoice MainWindow::filterChoice() const
{
    return {m_nameFilterCheck->isChecked(), m_flcFilterCheck->isChecked(),
            m_deptFilterCheck->isChecked(), m_nameFilterEdit->text(),
            m_flcFilterEdit->text(),        m_deptFilterEdit->text()};
}

void MainWindow::applyFilter(bool byUser)
{
    // With the code views closed (no host) nothing was restored: saving
    // would put an empty filter over the user's.
    if (!m_session.flcView.isOpen() || !m_session.deptView.isOpen()) return;
    const FilterChoice choice = filterChoice();
    // What the settings file cannot hold is refused before anything changes:
    // the filter saved would not be the one applied.
    if (byUser) {
        const QString text = choice.name;
        if (text.size() > IniFile::MaxValueLength ||
            decodeWindows1252(encodeWindows1252(text)) != text) {
            m_prompter.failure(
                QStringLiteral("The description filter cannot be saved as typed (%1): it was not "
                               "applied.")
                    .arg(text.size() > IniFile::MaxValueLength
                             ? QStringLiteral("longer than %1 characters")
                                   .arg(IniFile::MaxValueLength)
                             : QStringLiteral("a character the settings file cannot hold")));
            return;
        }
    }
    const QString expression = choice.expression();
    MemoryView& items = m_session.itemView;
    const bool needed = expression.isEmpty()
                            ? items.isFiltered()
                            : (!items.isFiltered() || items.filterText() != expression);
    if (needed && items.isOpen()) {
        setStatusText(1, QStringLiteral("Refreshing Zelvaro Item Master file..."));
        beginBusy();
        try {
            // The expression is checked before the view changes: a bad one
            // leaves the view with its filter.
            auto predicate = compileFilter(expression, *items.table());
            items.setFilter(expression, std::move(predicate));
            items.setFiltered(!expression.isEmpty());
        } catch (...) {
            endBusy();
            throw;
        }
        titleGrid(QStringLiteral("U4ITMMR"), GridRole::Items);
        endBusy();
        setStatusText(1, QStringLiteral("Item Data filter completed"));
        setCurrentTab(1);
    }
    // Only the user's Apply saves: the show steps and the night's run apply
    // what they restored (codes not found are left out of what is shown,
    // not out of what is saved).
    if (byUser) choice.write(Settings());
}

void MainWindow::restoreFilter()
{
    if (!m_session.flcView.isOpen() || !m_session.deptView.isOpen()) return;
    const FilterChoice saved = FilterChoice::read(Settings());
    m_nameFilterCheck->setChecked(saved.byName);
    updateNameFilterState();
    m_flcFilterCheck->setChecked(saved.byFineLine);
    updateFlcFilterState();
    m_deptFilterCheck->setChecked(saved.byDepartment);
    updateDeptFilterState();
    m_nameFilterEdit->setText(saved.name);
    m_flcFilterEdit->clear();
    m_deptFilterEdit->clear();
    const struct {
        bool fineLine;
        const char* key;
        QString text;
    } lists[] = {{true, "edFLC", saved.fineLines}, {false, "edDept", saved.departments}};
    for (const auto& l : lists) {
        const auto codes = parseSavedCodes(l.text);
        if (!codes) {
            // Not guessed at: said once, and the rest is restored.
            m_prompter.message(QStringLiteral("The saved item filter CDMSFilter/%1=%2 could not be "
                                              "read; that filter was left empty.")
                                   .arg(QString::fromLatin1(l.key), l.text.left(200)));
            continue;
        }
        MemoryView& view = l.fineLine ? m_session.flcView : m_session.deptView;
        for (const qint64 code : *codes) {
            // Codes that no longer exist are dropped silently.
            if (view.findKey({double(code)})) addCode(l.fineLine);
        }
    }
}

} // namespace zelvaro
