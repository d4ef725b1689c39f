#include "update/UpdateRun.h"

#include "common/Error.h"
#include "common/Prompter.h"
#include "common/RunUi.h"
#include "common/Text.h"
#include "host/HostSession.h"
#include "settings/Settings.h"
#include "sources/DotList.h"

#include <QDate>

namespace zelvaro {

namespace {
const QString Xref = QStringLiteral("CXCDMSPID");
const QString XrefItem = QStringLiteral("CXAGITEM");
} // namespace

UpdateRun::UpdateRun(HostSession& session, DotList& dotList, UpdateCounters& counters)
    : m_session(session), m_list(dotList), m_counters(counters)
{
}

QString UpdateRun::summaryText(int dotAdded, const UpdateCounters& c, const QString& notUpdated)
{
    return QStringLiteral("DOT Records\n  Added - ") + QString::number(dotAdded) +
           QStringLiteral("\n") + QStringLiteral("  Updated - ") + QString::number(c.dotUpdated) +
           QStringLiteral("\n") + QStringLiteral("Hazard file Records:") + QStringLiteral("\n") +
           QStringLiteral("  Added - ") + QString::number(c.hazardAdded) + QStringLiteral("\n") +
           QStringLiteral("  Updated - ") + QString::number(c.hazardUpdated) +
           QStringLiteral("\n") + QStringLiteral("Items not updated ") + notUpdated;
}

void UpdateRun::passOverList(RunUi& ui, HazardUpdate& hazard, int& dotAdded)
{
    ClientView& dot = m_session.dotView;
    ClientView& xref = m_session.xrefView;
    const QString table = qualifiedName(m_session.hostLibrary(), QStringLiteral("U4CDMSDOT"));
    const int nameWidth = dot.fieldWidth(QStringLiteral("CDNAME"));
    const int idWidth = dot.fieldWidth(QStringLiteral("CDITEM"));
    const int placardWidth = dot.fieldWidth(5);
    const int xrefIdWidth = xref.fieldWidth(2);
    const bool agrian = ui.agrianMode();

    const int n = m_list.productCount();
    for (int r = 1; r <= n; ++r) {
        ui.setProgress(r, QString());
        ui.showDotListRow(r);

        QString dotText = m_list.cell(r, DotList::DotText);
        const qsizetype lf = dotText.indexOf(QLatin1Char('\n'));
        if (lf >= 0) {
            dotText.remove(lf, 1);
            m_list.setCell(r, DotList::DotText, dotText);
        }
        const qsizetype cr = dotText.indexOf(QLatin1Char('\r'));
        if (cr >= 0) {
            dotText.remove(cr, 1);
            m_list.setCell(r, DotList::DotText, dotText);
        }
        if (lf >= 0 || cr >= 0) ui.dotListRowChanged(r);

        const QString id = m_list.cell(r, DotList::Id);
        const QString name = m_list.cell(r, DotList::Name);
        const QString processing = QStringLiteral("Processing ") + trimmed(name) +
                                   QStringLiteral("-") + m_list.cell(r, DotList::CommonName);
        ui.setStatus(processing);
        ui.setProgress(r, processing);

        const QString placard = m_list.cell(r, DotList::Placard);
        if (dot.findKey({padToWidth(name, nameWidth), padToWidth(id, idWidth)})) {
            QString sql = QStringLiteral("Update ") + table + QStringLiteral(" SET CDEPA# = ") +
                          sqlQuote(m_list.cell(r, DotList::Epa)) + QStringLiteral(", CDDOTTXT = ") +
                          sqlQuote(dotText) + QStringLiteral(", CDITEM = ") + sqlQuote(id);
            if (!trimmed(placard).isEmpty())
                sql += QStringLiteral(", CDPLAC = ") + sqlQuote(padToWidth(placard, placardWidth));
            sql += QStringLiteral(" Where CDITEM = ") + sqlQuote(trimmed(id)) +
                   QStringLiteral(" and CDNAME = ") + sqlQuote(trimmed(name));
            try {
                m_session.connection.execute(sql);
                ++m_counters.dotUpdated;
                ui.repaintDotGrid();
            } catch (const Error&) {
                // Not counted and not shown; the connection has logged it.
            }
        } else {
            const QString sql =
                QStringLiteral("INSERT INTO ") + table + QLatin1Char(' ') +
                QStringLiteral("(CDITEM, CDNAME, CDCNAME, CDEPA#, CDMANF, CDPLAC, CDDOTTXT)") +
                QStringLiteral(" VALUES(") + sqlQuote(id) + QStringLiteral(", ") + sqlQuote(name) +
                QStringLiteral(", ") + sqlQuote(m_list.cell(r, DotList::CommonName)) +
                QStringLiteral(", ") + sqlQuote(m_list.cell(r, DotList::Epa)) +
                QStringLiteral(", ") + sqlQuote(m_list.cell(r, DotList::Manufacturer)) +
                QStringLiteral(", ") + sqlQuote(padToWidth(placard, placardWidth)) +
                QStringLiteral(", ") + sqlQuote(dotText) + QStringLiteral(")");
            try {
                m_session.connection.execute(sql);
                ++dotAdded;
            } catch (const Error&) {
                m_list.append(r, QStringLiteral("U4VITEM"));
                ui.dotListRowChanged(r);
            }
        }

        // The product's cross-referenced items, in CXCDMSPID order.
        xref.findNearest({padToWidth(id, xrefIdWidth)});
        const QString trimmedId = trimmed(id);
        while (xref.hasCurrent() && !xref.eof() && trimmed(xref.text(Xref)) == trimmedId) {
            if (agrian && m_agrianLookup) m_agrianLookup(dot.text(QStringLiteral("CDITEM")));
            const QString item = xref.text(XrefItem);
            const QString productId = xref.text(Xref);
            hazard.apply(item, m_list.cell(r, DotList::DotText), m_list.cell(r, DotList::Epa),
                         m_list.cell(r, DotList::Manufacturer),
                         padToWidth(m_list.cell(r, DotList::Placard), placardWidth));
            // Consecutive records of the same product and item are handled once.
            xref.next();
            while (!xref.eof() && trimmed(xref.text(Xref)) == trimmed(productId) &&
                   trimmed(xref.text(XrefItem)) == trimmed(item))
                xref.next();
        }
    }
    xref.first();
}

void UpdateRun::reloadDotTable(RunUi& ui)
{
    m_session.dotQuery.close();
    m_session.dotView.close();
    ui.setStatus(QStringLiteral("Refreshing the AS400 CDMS data..."));
    ui.setDotGridEnabled(false);
    try {
        m_session.dotQuery.open();
        m_session.dotView.open();
        ui.retitleDotGrids();
    } catch (const Error&) {
        ui.reconnect();
    }
}

QString UpdateRun::completionPass(HazardUpdate& hazard)
{
    QString notUpdated;
    m_counters.hazardAdded = 0;
    m_counters.hazardUpdated = 0;
    ClientView& xref = m_session.xrefView;
    ClientView& dot = m_session.dotView;
    const int placardWidth = dot.fieldWidth(5);
    for (int i = 0; i < xref.recordCount(); ++i) {
        xref.setCurrentIndex(i);
        if (dot.findKey({xref.text(QStringLiteral("CXCDMSID")), xref.text(Xref)})) {
            hazard.apply(xref.text(XrefItem), dot.text(QStringLiteral("CDDOTTXT")),
                         dot.text(QStringLiteral("CDEPA#")), dot.text(QStringLiteral("CDMANF")),
                         padToWidth(dot.text(QStringLiteral("CDPLAC")), placardWidth));
        } else {
            notUpdated += sqlQuote(xref.text(XrefItem)) + QLatin1Char(',');
        }
    }
    return notUpdated;
}

void UpdateRun::run(RunUi& ui)
{
    HazardUpdate hazard(m_session, m_counters, ui.prompter());
    int dotAdded = 0;
    QString notUpdated;
    try {
        QStringList closed;
        for (const ClientView* v : {&m_session.dotView, &m_session.xrefView, &m_session.hazardView,
                                    &m_session.itemView}) {
            if (!v->isOpen()) closed << v->name();
        }
        if (!closed.isEmpty())
            throw HostError(
                QStringLiteral(
                    "the host tables are not open (%1); connect to the host and try again")
                    .arg(closed.join(QStringLiteral(", "))));
        m_session.xrefView.setIndexFields({Xref});
        m_counters.dotUpdated = m_counters.hazardAdded = m_counters.hazardUpdated = 0;
        ui.beginBusy();
        ui.setTabsEnabled(false);
        ui.openProgress(QStringLiteral("Updating Zelvaro CDMS D.O.T Table"), m_list.productCount());

        passOverList(ui, hazard, dotAdded);

        ui.closeProgress();
        reloadDotTable(ui);
        m_session.xrefView.setIndexFields({Xref, XrefItem});
        ui.endBusy();
        ui.setTabsEnabled(true);
        ui.setStatus(QStringLiteral("AS400 CDMS data has been updated"));

        if (m_session.xrefView.recordCount() > m_counters.hazardAdded + m_counters.hazardUpdated)
            notUpdated = completionPass(hazard);
    } catch (const Error& e) {
        // Outside the guarded statements (views closed, no connection): the
        // run ends here with the window usable again.
        ui.closeProgress();
        m_session.xrefView.setIndexFields({Xref, XrefItem});
        ui.endBusy();
        ui.setTabsEnabled(true);
        ui.prompter().failure(QStringLiteral("The update run stopped: ") + e.text());
        return;
    }

    ui.prompter().message(summaryText(dotAdded, m_counters, notUpdated));
    if (ui.agrianMode())
        Settings().writeDateTime(QStringLiteral("Agrian"), QStringLiteral("DownloadDate"),
                                 QDateTime(QDate::currentDate(), QTime(0, 0)));
}

} // namespace zelvaro
