#include "maintenance/XrefMaintenance.h"

#include "common/Error.h"
#include "common/Prompter.h"
#include "common/Text.h"
#include "host/HostTables.h"
#include "update/HazardUpdate.h"

namespace zelvaro {

namespace {
const QString ItemNumber = QStringLiteral("IMPROD");
const QString ItemDescription = QStringLiteral("IMDESC");
const QString ProductName = QStringLiteral("CDNAME");
const QString ProductId = QStringLiteral("CDITEM");
const QString LinkItem = QStringLiteral("CXAGITEM");
const QString LinkProductName = QStringLiteral("CXCDMSID");
const QString LinkProductId = QStringLiteral("CXCDMSPID");
} // namespace

XrefMaintenance::XrefMaintenance(HostTables& session, UpdateCounters& counters, XrefUi& ui)
    : m_session(session), m_counters(counters), m_ui(ui)
{
}

QString XrefMaintenance::linkName(const QString& description, const QString& productName, int width)
{
    const QString name = trimmed(description) + QStringLiteral(" **") + trimmed(productName);
    return width > 0 && name.size() > width ? padToWidth(name, width) : name;
}

void XrefMaintenance::add(bool agrianMode)
{
    m_ui.setAddEnabled(false);
    MemoryView& items = m_session.itemView;
    MemoryView& dot = m_session.dotView;
    if (!items.hasCurrent() || !dot.hasCurrent()) return;
    // The item and the product are taken once, here: later steps move views.
    const QString item = items.text(ItemNumber);
    const QString description = items.text(ItemDescription);
    const QString name = dot.text(ProductName);
    const QString id = dot.text(ProductId);
    if (trimmed(item).isEmpty() || trimmed(id).isEmpty()) return;

    try {
        if (agrianMode && m_agrianLookup) {
            const bool looked = m_agrianLookup(id);
            // A reopened DOT view stands on its first row: find the product
            // the user picked again, or write nothing.
            if (!dot.isOpen() || !dot.findKey({name, id})) {
                m_ui.prompter().failure(
                    QStringLiteral("The product %1 (%2) is no longer in the DOT table; no cross "
                                   "reference was added.")
                        .arg(printable(trimmed(name)), printable(trimmed(id))));
                m_ui.setAddEnabled(true);
                return;
            }
            // A product never looked up has no DOT text yet: a link now would
            // blank the item's hazard lines, here and at every completion pass.
            if (!looked && trimmed(dot.text(QStringLiteral("CDDOTTXT"))).isEmpty()) {
                m_ui.prompter().failure(
                    QStringLiteral("The Agrian service gave no DOT description for %1 (%2) and "
                                   "the DOT table holds none yet; no cross reference was added, "
                                   "and the item keeps its hazard lines.")
                        .arg(printable(trimmed(name)), printable(trimmed(id))));
                m_ui.setAddEnabled(true);
                return;
            }
        }
        const QString sql =
            QStringLiteral("INSERT INTO \"") + m_session.hostLibrary() +
            QStringLiteral("\".\"U4CDMSXRF\" ") + QStringLiteral(" VALUES(") +
            sqlQuote(trimmed(item)) + QStringLiteral(", ") + sqlQuote(name) + QStringLiteral(", ") +
            sqlQuote(id) + QStringLiteral(", ") +
            sqlQuote(linkName(description, name,
                              m_session.xrefItemView.fieldWidth(QStringLiteral("CXNAME")))) +
            QStringLiteral(", ") + sqlQuote(QStringLiteral("   ")) + QStringLiteral(", ") +
            QStringLiteral("1.0") + QStringLiteral(")");
        try {
            m_session.connection.execute(sql);
        } catch (const Error& e) {
            // Refused: nothing else is written; the user may try again.
            m_ui.prompter().failure(QStringLiteral("Error updating Cross Reference table\n") +
                                    e.text());
            refresh();
            m_ui.setAddEnabled(true);
            return;
        }
        refresh();
        // Stand on the linked item and let the link grid follow it.
        items.findKey({description, item});
        followItem();
        m_ui.setAddEnabled(false);
        // The DOT row still is the product (the lookup's refresh keeps it).
        HazardUpdate(m_session, m_counters, m_ui.prompter())
            .apply(item, dot.text(QStringLiteral("CDDOTTXT")), dot.text(QStringLiteral("CDEPA#")),
                   dot.text(QStringLiteral("CDMANF")), dot.text(QStringLiteral("CDPLAC")));
    } catch (const Error& e) {
        m_ui.prompter().failure(e.text());
    }
}

bool XrefMaintenance::currentItemLinked() const
{
    const MemoryView& links = m_session.xrefItemView;
    const MemoryView& items = m_session.itemView;
    return links.isOpen() && links.hasCurrent() && items.isOpen() && items.hasCurrent() &&
           trimmed(links.text(LinkItem)) == trimmed(items.text(ItemNumber));
}

void XrefMaintenance::deleteCurrent()
{
    MemoryView& links = m_session.xrefItemView;
    if (!links.isOpen() || !links.hasCurrent()) return;
    const QString item = trimmed(links.text(LinkItem));
    const QString productName = trimmed(links.text(LinkProductName));
    const QString productId = trimmed(links.text(LinkProductId));
    // No is the default: a second press of Enter never deletes.
    if (!m_ui.prompter().confirm(QStringLiteral("Delete cross reference record for ") + item +
                                     QLatin1Char(' ') + productName,
                                 false))
        return;
    try {
        // The link the question named, not every link of the item.
        m_session.connection.execute(QStringLiteral("Delete from \"") + m_session.hostLibrary() +
                                     QStringLiteral("\".\"U4CDMSXRF\" Where CXAGITEM = ") +
                                     sqlQuote(item) + QStringLiteral(" and CXCDMSPID = ") +
                                     sqlQuote(productId));
    } catch (const Error& e) {
        m_ui.prompter().failure(QStringLiteral("Error deleting Cross Reference record\n") +
                                e.text());
        return;
    }
    refresh();
    followItem();
}

void XrefMaintenance::refresh()
{
    m_session.xrefQuery.close();
    m_session.xrefItemView.close();
    m_session.xrefView.close();
    m_session.xrefQuery.open();
    m_session.xrefItemView.open();
    m_session.xrefView.open();
    m_ui.titleXrefGrid();
}

void XrefMaintenance::followItem()
{
    MemoryView& links = m_session.xrefItemView;
    if (!links.isOpen()) return;
    MemoryView& items = m_session.itemView;
    if (!items.hasCurrent()) {
        m_ui.setAddEnabled(false);
        return;
    }
    const QString key = padToWidth(items.text(ItemNumber), items.fieldWidth(ItemNumber));
    const bool linked = links.findKey({key});
    m_ui.setAddEnabled(!linked);
}

void XrefMaintenance::followLink()
{
    MemoryView& links = m_session.xrefItemView;
    if (!links.hasCurrent() || !m_session.hazardView.isOpen()) return;
    m_session.hazardView.findNearest({links.text(LinkItem)});
}

void XrefMaintenance::positionItem(const QString& text)
{
    if (m_session.itemView.isOpen()) m_session.itemView.findNearest({text});
}

void XrefMaintenance::positionDot(const QString& text)
{
    if (m_session.dotView.isOpen()) m_session.dotView.findNearest({text});
}

} // namespace zelvaro
