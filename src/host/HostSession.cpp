#include "host/HostSession.h"

#include "common/Error.h"
#include "common/Text.h"
#include "settings/PasswordCodec.h"
#include "settings/Settings.h"

#include <functional>

namespace zelvaro {

HostSession::HostSession()
    : SQLItem(connection, QStringLiteral("SQLItem")),
      SQLCDMSDOT(connection, QStringLiteral("SQLCDMSDOT")),
      SQLCDMSxref(connection, QStringLiteral("SQLCDMSxref")),
      SQLHazard(connection, QStringLiteral("SQLHazard")),
      SQLFLC(connection, QStringLiteral("SQLFLC")), SQLDept(connection, QStringLiteral("SQLDept")),
      SQLConst(connection, QStringLiteral("SQLConst")),
      ItemData(QStringLiteral("ItemData"), SQLItem, {QStringLiteral("IMDESC"), QStringLiteral("IMPROD")}),
      ItemData1(QStringLiteral("ItemData1"), SQLItem, {QStringLiteral("IMPROD")}),
      CDMSDOTData(QStringLiteral("CDMSDOTData"), SQLCDMSDOT,
                  {QStringLiteral("CDNAME"), QStringLiteral("CDITEM")}),
      CDMSxrefData(QStringLiteral("CDMSxrefData"), SQLCDMSxref,
                   {QStringLiteral("CXCDMSPID"), QStringLiteral("CXAGITEM")}),
      CDMSxrefData2(QStringLiteral("CDMSxrefData2"), SQLCDMSxref, {QStringLiteral("CXAGITEM")}),
      HazardData(QStringLiteral("HazardData"), SQLHazard, {QStringLiteral("HZPROD")}),
      FLCData(QStringLiteral("FLCData"), SQLFLC, {QStringLiteral("FLFLC")}),
      DeptData(QStringLiteral("DeptData"), SQLDept, {QStringLiteral("DPDEPT")}),
      ConstData(QStringLiteral("ConstData"), SQLConst, {QStringLiteral("C4LC")})
{
}

void HostSession::setHost(const QString& system, const QString& library)
{
    m_hostSystem = system;
    m_hostLibrary = library;
}

QString HostSession::viewSql(const QString& table) const
{
    const QString name = qualifiedName(m_hostLibrary, table);
    if (table == QLatin1String("U4ITMMR"))
        return QStringLiteral("select  IMPROD, IMDESC, IMDEPT, IMFLCD, IMASUB, IMSUB# from ") + name;
    if (table == QLatin1String("U4FLC"))
        return QStringLiteral("Select DISTINCT FLFLC, FLDESC from ") + name;
    if (table == QLatin1String("U4DEPT"))
        return QStringLiteral("Select DISTINCT DPDEPT, DPDESC from ") + name;
    if (table == QLatin1String("U4CONST"))
        return QStringLiteral("SELECT C4LC, C4NAME, C4CITY, C4STAT FROM ") + name;
    return QStringLiteral("Select * from ") + name;
}

void HostSession::CloseFiles()
{
    try {
        SQLCDMSDOT.close();
        CDMSDOTData.close();
        SQLCDMSxref.close();
        CDMSxrefData.close();
        CDMSxrefData2.close();
        SQLHazard.close();
        HazardData.close();
        SQLItem.close();
        ItemData.close();
        ItemData1.close();
        SQLFLC.close();
        FLCData.close();
        SQLDept.close();
        DeptData.close();
    } catch (...) {
        // Closing never reports; the views not reached stay as they were.
    }
}

void HostSession::widenDotItemColumn()
{
    const int pos = CDMSDOTData.fieldIndex(QStringLiteral("CDITEM"));
    if (pos < 0 || CDMSDOTData.field(pos).width != 14) return;
    SQLCDMSDOT.close();
    CDMSDOTData.close();
    connection.execute(QStringLiteral("ALTER TABLE ") +
                       qualifiedName(m_hostLibrary, QStringLiteral("U4CDMSDOT")) +
                       QStringLiteral(" ALTER COLUMN CDITEM SET DATA TYPE CHARACTER(35) CCSID 37 "
                                      "NOT NULL WITH DEFAULT"));
    SQLCDMSDOT.open();
    CDMSDOTData.open();
}

bool HostSession::newconnect(const Settings& settings, ConnectUi& ui)
{
    CloseFiles();
    ui.clearPositionEdits();

    const QString transfer = QStringLiteral("Transfer");
    QString stepText;
    bool statusOpen = false;
    try {
        m_hostSystem = settings.readText(transfer, QStringLiteral("Host"));
        m_hostLibrary = settings.readText(transfer, QStringLiteral("DataLib"));
        if (m_hostSystem.isEmpty() || m_hostLibrary.isEmpty()) {
            ui.showSetupDialog();
            m_hostSystem = settings.readText(transfer, QStringLiteral("Host"));
            m_hostLibrary = settings.readText(transfer, QStringLiteral("DataLib"));
        }
        const QString user = settings.readText(transfer, QStringLiteral("User"));
        const QString password = readHostPasswordMigrating(settings);

        ui.openStatusWindow(QStringLiteral("Connection Status"), QStringLiteral("Connection Status"));
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
            {"Connection Status: Opening Item Master file...", "Item Master file Open\n", &SQLItem,
             "U4ITMMR",
             [&] {
                 ItemData.setFiltered(false);
                 ItemData.setFilter(QString(), {});
                 ItemData.open();
                 ui.setGridTitles(QStringLiteral("U4ITMMR"), QStringLiteral("ItemGrid"));
                 ItemData1.open();
             }},
            {"Connection Status: Opening CDMS DOT file...", "Zelvaro CDMS DOT file Open\n",
             &SQLCDMSDOT, "U4CDMSDOT",
             [&] {
                 CDMSDOTData.open();
                 try {
                     widenDotItemColumn();
                 } catch (const Error&) {
                     ui.message(QStringLiteral("Error updating item master"));
                 }
                 ui.setGridTitles(QStringLiteral("U4CDMSDOT"), QStringLiteral("DotGrid"));
                 ui.setGridTitles(QStringLiteral("U4CDMSDOT"), QStringLiteral("DotGrid1"));
             }},
            {"Connection Status: Opening Zelvaro cross reference file...",
             "Zelvaro CDMS cross reference Open\n", &SQLCDMSxref, "U4CDMSXRF",
             [&] {
                 CDMSxrefData.open();
                 CDMSxrefData2.open();
                 ui.setGridTitles(QStringLiteral("U4CDMSXRF"), QStringLiteral("XrefGrid"));
             }},
            {"Connection Status: Opening Zelvaro Hazard file...", "Zelvaro Hazard file Open\n",
             &SQLHazard, "U4ITHZD",
             [&] {
                 HazardData.open();
                 ui.hazardViewOpened();
                 ui.setGridTitles(QStringLiteral("U4ITHZD"), QStringLiteral("HzdGrid"));
             }},
            {"Connection Status: Opening Fine Line code file...",
             "Zelvaro Fine Line code file Open\n", &SQLFLC, "U4FLC",
             [&] {
                 FLCData.open();
                 ui.setGridTitles(QStringLiteral("U4FLC"), QStringLiteral("FLCGrid"));
             }},
            {"Connection Status: Opening Department file...", "Zelvaro Department file Open\n",
             &SQLDept, "U4DEPT",
             [&] {
                 DeptData.open();
                 ui.setGridTitles(QStringLiteral("U4DEPT"), QStringLiteral("DeptGrid"));
                 ui.setGridTitles(QString(), QString());
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

        CDMSxrefData2.first();
        ui.xrefNavigatorFirst();
        SQLConst.setSql(viewSql(QStringLiteral("U4CONST")));
        ui.closeStatusWindow();
        return true;
    } catch (const Error& e) {
        if (statusOpen) ui.closeStatusWindow();
        QString text = stepText;
        for (const QString& line : connection.parameterLines(true)) text += line + QLatin1Char('\n');
        text += QLatin1Char('\n');
        text += e.text();
        ui.message(text);
        return false;
    }
}

} // namespace zelvaro
