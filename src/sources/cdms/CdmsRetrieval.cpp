#include "sources/cdms/CdmsRetrieval.h"

#include "common/Error.h"
#include "common/Prompter.h"
#include "common/RunUi.h"
#include "common/Text.h"
#include "host/HostTables.h"
#include "sources/DotList.h"
#include "sources/cdms/CdmsLibrary.h"
#include "sources/cdms/CdmsListText.h"

namespace zelvaro {

CdmsRetrieval::CdmsRetrieval(HostTables& session, DotList& dotList, QStringList& textBuffer,
                             CdmsLibraryFactory& libraries)
    : m_session(session), m_list(dotList), m_buffer(textBuffer), m_libraries(libraries)
{
}

QString CdmsRetrieval::stateCode()
{
    try {
        if (!m_session.constQuery.isActive()) m_session.constQuery.open();
        if (!m_session.constView.isOpen()) m_session.constView.open();
        if (m_session.constView.findKey({1}))
            return m_session.constView.text(QStringLiteral("C4STAT"));
    } catch (...) {
        // The state code never stops the retrieval.
    }
    return QStringLiteral("MN");
}

void CdmsRetrieval::run(RunUi& ui)
{
    ui.beginBusy();
    m_buffer.clear();
    const QString state = stateCode();

    std::unique_ptr<CdmsNames> names;
    std::unique_ptr<CdmsDot> dot;
    auto release = [&] {
        for (auto disconnect : {std::function<void()>([&] {
                                    if (names) names->Disconnect();
                                }),
                                std::function<void()>([&] {
                                    if (dot) dot->Disconnect();
                                })}) {
            try {
                disconnect();
            } catch (...) {
            }
        }
        names.reset();
        dot.reset();
    };

    CdmsPlacards placards;
    try {
        names = m_libraries.createNames();
        names->Connect();
        dot = m_libraries.createDot();
        dot->Connect();
        placards = dot->Placards();

        ui.setStatus(QStringLiteral("Retrieving CDMS DOT xml list..."));
        bool useFilter = false;
        const QString patterns = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
        for (QChar pattern : patterns) {
            const QString text = names->ListXML(15, 1, 4, 0, useFilter, pattern, state, QVariant());
            splitListText(text, m_buffer);
        }
    } catch (const std::exception&) {
        ui.prompter().failure(QStringLiteral("Unable to connect to CDMS System"));
        ui.endBusy();
        ui.setUpdateEnabled(false);
        release();
        return;
    }

    m_list.reset();
    ui.fitDotListColumns(m_session.dotView.isOpen() ? m_session.dotView.fieldCount() : 0);
    for (const char* title :
         {"", "ID", "Name", "Common Name", "EPA Number", "Manufacturer", "Placard", "DOT Text"})
        m_list.append(0, QString::fromLatin1(title));
    ui.setStatus(QStringLiteral("Parsing CDMS DOT xml list..."));

    for (const QString& raw : std::as_const(m_buffer)) {
        if (!raw.contains(QLatin1String("<row"))) continue;
        const QString line = replaceListEntities(raw);
        const QString product = listAttribute(line, QStringLiteral("Product"));
        const int n = m_list.addProduct();
        m_list.append(n, QString::number(n));
        m_list.append(n, product);
        m_list.append(n, product);
        try {
            const std::shared_ptr<CdmsNameEntry> entry = names->Item(QVariant(product));
            m_list.append(n, entry->commonName());
            m_list.append(n, listAttribute(line, QStringLiteral("EPA")));
            m_list.append(n, listAttribute(line, QStringLiteral("Manufacturer")));
            const std::shared_ptr<CdmsProductDot> record = dot->Item(*entry);
            const CdmsDotDescription& first = record->description(QVariant(1));
            QString placard = first.placardText(placards);
            if (upperAscii(placard) == QLatin1String("NONE OFFERED")) placard.clear();
            const qsizetype comma = placard.indexOf(QLatin1Char(','));
            if (comma >= 0) placard.truncate(comma);
            m_list.append(n, placard);
            m_list.append(n, first.dotText());
        } catch (const std::exception&) {
            // The row ends here; its later cells stay empty.
        }
    }
    ui.dotListChanged();
    ui.setStatus(QStringLiteral("CDMS DOT list completed"));
    ui.endBusy();
    release();
}

} // namespace zelvaro
