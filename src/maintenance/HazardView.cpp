#include "maintenance/HazardView.h"

#include "common/Error.h"
#include "common/RunUi.h"
#include "common/Text.h"
#include "host/HostTables.h"
#include "update/HazardUpdate.h"

namespace zelvaro {

HazardView::HazardView(HostTables& session, UpdateCounters& counters, RunUi& ui,
                       std::function<void()> titleGrid)
    : m_session(session), m_counters(counters), m_ui(ui), m_titleGrid(std::move(titleGrid))
{
}

void HazardView::enter(const QString& currentItem)
{
    if (m_counters.hazardFileWritten) {
        m_ui.setStatus(QStringLiteral("Refreshing hazard file view..."));
        m_ui.beginBusy();
        try {
            m_session.hazardQuery.close();
            m_session.hazardView.close();
            m_session.hazardQuery.open();
            m_session.hazardView.open();
        } catch (...) {
            // The window stays usable; the next visit tries again.
            m_ui.endBusy();
            throw;
        }
        if (m_titleGrid) m_titleGrid();
        m_counters.hazardFileWritten = false;
        m_ui.setStatus(QStringLiteral("Hazard file Refreshed"));
        if (!currentItem.isEmpty()) m_session.hazardView.findNearest({currentItem});
        m_ui.endBusy();
    }
    // Rows moved on other tabs: the item view catches up, without the host.
    followHazardRow(true);
}

void HazardView::followHazardRow(bool tabActive)
{
    MemoryView& hazard = m_session.hazardView;
    MemoryView& items = m_session.itemNumberView;
    if (!tabActive || !hazard.isOpen() || !hazard.hasCurrent() || !items.isOpen()) return;
    const QString product = hazard.text(QStringLiteral("HZPROD"));
    if (items.findKey({padToWidth(product, hazard.fieldWidth(0))})) return;
    items.findNearest({padToWidth(product, hazard.fieldWidth(0))});
    m_ui.setStatus(product + QStringLiteral(" Item not in Item Master"));
}

} // namespace zelvaro
