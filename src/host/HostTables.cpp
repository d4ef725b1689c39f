#include "host/HostTables.h"

#include "common/Error.h"
#include "common/Text.h"
#include "settings/PasswordCodec.h"
#include "settings/Settings.h"

#include <functional>

namespace zelvaro {

HostTables::HostTables(const QString& connectionName)
    : connection(connectionName), itemQuery(connection, QStringLiteral("SQLItem")),
      dotQuery(connection, QStringLiteral("SQLCDMSDOT")),
      xrefQuery(connection, QStringLiteral("SQLCDMSxref")),
      hazardQuery(connection, QStringLiteral("SQLHazard")),
      flcQuery(connection, QStringLiteral("SQLFLC")),
      deptQuery(connection, QStringLiteral("SQLDept")),
      constQuery(connection, QStringLiteral("SQLConst")),
      itemView(QStringLiteral("ItemData"), itemQuery,
               {QStringLiteral("IMDESC"), QStringLiteral("IMPROD")}),
      itemNumberView(QStringLiteral("ItemData1"), itemQuery, {QStringLiteral("IMPROD")}),
      dotView(QStringLiteral("CDMSDOTData"), dotQuery,
              {QStringLiteral("CDNAME"), QStringLiteral("CDITEM")}),
      xrefView(QStringLiteral("CDMSxrefData"), xrefQuery,
               {QStringLiteral("CXCDMSPID"), QStringLiteral("CXAGITEM")}),
      xrefItemView(QStringLiteral("CDMSxrefData2"), xrefQuery, {QStringLiteral("CXAGITEM")}),
      hazardView(QStringLiteral("HazardData"), hazardQuery, {QStringLiteral("HZPROD")}),
      flcView(QStringLiteral("FLCData"), flcQuery, {QStringLiteral("FLFLC")}),
      deptView(QStringLiteral("DeptData"), deptQuery, {QStringLiteral("DPDEPT")}),
      constView(QStringLiteral("ConstData"), constQuery, {QStringLiteral("C4LC")})
{
}

void HostTables::setHost(const QString& system, const QString& library)
{
    m_hostSystem = system;
    m_hostLibrary = library;
}

QString HostTables::viewSql(const QString& table) const
{
    const QString name = qualifiedName(m_hostLibrary, table);
    if (table == QLatin1String("U4ITMMR"))
        return QStringLiteral("select  IMPROD, IMDESC, IMDEPT, IMFLCD, IMASUB, IMSUB# from ") +
               name;
    if (table == QLatin1String("U4FLC"))
        return QStringLiteral("Select DISTINCT FLFLC, FLDESC from ") + name;
    if (table == QLatin1String("U4DEPT"))
        return QStringLiteral("Select DISTINCT DPDEPT, DPDESC from ") + name;
    if (table == QLatin1String("U4CONST"))
        return QStringLiteral("SELECT C4LC, C4NAME, C4CITY, C4STAT FROM ") + name;
    return QStringLiteral("Select * from ") + name;
}

void HostTables::closeViews()
{
    try {
        dotQuery.close();
        dotView.close();
        xrefQuery.close();
        xrefView.close();
        xrefItemView.close();
        hazardQuery.close();
        hazardView.close();
        itemQuery.close();
        itemView.close();
        itemNumberView.close();
        flcQuery.close();
        flcView.close();
        deptQuery.close();
        deptView.close();
    } catch (...) {
        // Closing never reports; the views not reached stay as they were.
    }
}

void HostTables::widenDotItemColumn()
{
    const int pos = dotView.fieldIndex(QStringLiteral("CDITEM"));
    if (pos < 0 || dotView.field(pos).width != 14) return;
    dotQuery.close();
    dotView.close();
    connection.execute(QStringLiteral("ALTER TABLE ") +
                       qualifiedName(m_hostLibrary, QStringLiteral("U4CDMSDOT")) +
                       QStringLiteral(" ALTER COLUMN CDITEM SET DATA TYPE CHARACTER(35) CCSID 37 "
                                      "NOT NULL WITH DEFAULT"));
    dotQuery.open();
    dotView.open();
}

bool HostTables::allViewsOpen() const
{
    for (const MemoryView* v : {&itemView, &itemNumberView, &dotView, &xrefView, &xrefItemView,
                                &hazardView, &flcView, &deptView})
        if (!v->isOpen()) return false;
    return true;
}

void HostTables::itemEpaWritten(const QString& item, const QString& epa)
{
    if (!itemNumberView.isOpen()) return;
    const int width = itemNumberView.fieldWidth(QStringLiteral("IMPROD"));
    // Both item views share the item master's result: one write shows in both.
    if (itemNumberView.setFieldOfKey({padToWidth(item, width)}, QStringLiteral("IMASUB"), epa))
        itemView.announceValuesChanged();
}

QString HostTables::setupNeededText()
{
    return QStringLiteral("Setup needed: the host system or library is empty in INVSIG.INI. Run "
                          "zelvaro-hazmat with its window and choose File, Setup.");
}

bool HostTables::connect(const Settings& settings, ConnectUi& ui)
{
    closeViews();
    ui.clearPositionEdits();

    const QString transfer = QStringLiteral("Transfer");
    QString stepText;
    bool statusOpen = false;
    try {
        // A file that cannot be read is not an empty one.
        if (const QString problem = settings.readProblem(); !problem.isEmpty()) {
            ui.message(problem);
            return false;
        }
        m_hostSystem = settings.readText(transfer, QStringLiteral("Host"));
        m_hostLibrary = settings.readText(transfer, QStringLiteral("DataLib"));
        if (m_hostSystem.isEmpty() || m_hostLibrary.isEmpty()) {
            if (!ui.showSetupDialog()) {
                // Nobody to ask (the batch run): say what is missing, connect nothing.
                ui.message(setupNeededText());
                return false;
            }
            m_hostSystem = settings.readText(transfer, QStringLiteral("Host"));
            m_hostLibrary = settings.readText(transfer, QStringLiteral("DataLib"));
        }
        // Names become folder and file names and SQL identifiers: a name
        // that is not one is refused before anything is attached or sent.
        for (const QString& problem :
             {HostRoute::checkSystemName(m_hostSystem, QStringLiteral("Transfer/Host")),
              HostRoute::checkLibraryName(m_hostLibrary, QStringLiteral("Transfer/DataLib"))}) {
            if (!problem.isEmpty()) {
                ui.message(problem);
                return false;
            }
        }
        const QString user = settings.readText(transfer, QStringLiteral("User"));
        const QString password = readHostPasswordMigrating(settings);

        ui.openStatusWindow(QStringLiteral("Connection Status"),
                            QStringLiteral("Connection Status"));
        statusOpen = true;

        connection.disconnect();
        connection.setHostSystem(m_hostSystem);
        connection.setUser(user);
        connection.setPassword(password);
        connection.setLibrary(m_hostLibrary);

        stepText = QStringLiteral("Connecting\n");
        connection.connect();

        struct Step {
            const char* status;
            const char* step;
            HostQuery* query;
            const char* table;
            std::function<void()> followUp;
        };
        const Step steps[] = {
            {"Connection Status: Opening Item Master file...", "Item Master file Open\n",
             &itemQuery, "U4ITMMR",
             [&] {
                 itemView.setFiltered(false);
                 itemView.setFilter(QString(), {});
                 itemView.open();
                 ui.setGridTitles(QStringLiteral("U4ITMMR"), GridRole::Items);
                 itemNumberView.open();
             }},
            {"Connection Status: Opening CDMS DOT file...", "Zelvaro CDMS DOT file Open\n",
             &dotQuery, "U4CDMSDOT",
             [&] {
                 dotView.open();
                 try {
                     widenDotItemColumn();
                 } catch (const Error&) {
                     ui.message(QStringLiteral("Error updating item master"));
                 }
                 ui.setGridTitles(QStringLiteral("U4CDMSDOT"), GridRole::DotLookup);
                 ui.setGridTitles(QStringLiteral("U4CDMSDOT"), GridRole::DotTable);
             }},
            {"Connection Status: Opening Zelvaro cross reference file...",
             "Zelvaro CDMS cross reference Open\n", &xrefQuery, "U4CDMSXRF",
             [&] {
                 xrefView.open();
                 xrefItemView.open();
                 ui.setGridTitles(QStringLiteral("U4CDMSXRF"), GridRole::Xref);
             }},
            {"Connection Status: Opening Zelvaro Hazard file...", "Zelvaro Hazard file Open\n",
             &hazardQuery, "U4ITHZD",
             [&] {
                 hazardView.open();
                 ui.hazardViewOpened();
                 ui.setGridTitles(QStringLiteral("U4ITHZD"), GridRole::Hazard);
             }},
            {"Connection Status: Opening Fine Line code file...",
             "Zelvaro Fine Line code file Open\n", &flcQuery, "U4FLC",
             [&] {
                 flcView.open();
                 ui.setGridTitles(QStringLiteral("U4FLC"), GridRole::FineLines);
             }},
            {"Connection Status: Opening Department file...", "Zelvaro Department file Open\n",
             &deptQuery, "U4DEPT",
             [&] {
                 deptView.open();
                 ui.setGridTitles(QStringLiteral("U4DEPT"), GridRole::Departments);
                 ui.releaseGridTitles();
             }},
        };
        for (const Step& s : steps) {
            ui.setStatusText(QString::fromLatin1(s.status));
            stepText = QString::fromLatin1(s.step);
            const QString sql = viewSql(QString::fromLatin1(s.table));
            s.query->setSql(sql);
            try {
                m_opener ? m_opener(*s.query) : s.query->open();
            } catch (const Error&) {
                s.query->setSql(sql);
                m_opener ? m_opener(*s.query) : s.query->open();
            }
            s.followUp();
        }

        xrefItemView.first();
        constQuery.setSql(viewSql(QStringLiteral("U4CONST")));
        ui.closeStatusWindow();
        return true;
    } catch (const Error& e) {
        // The views are of one library or none: those already opened on the
        // new library go too.
        closeViews();
        if (statusOpen) ui.closeStatusWindow();
        QString text = stepText;
        for (const QString& line : connection.parameterLines(true))
            text += line + QLatin1Char('\n');
        text += QLatin1Char('\n');
        text += e.text();
        ui.message(text);
        return false;
    }
}

} // namespace zelvaro
