#include "sources/agrian/AgrianLookup.h"

#include "common/ChangeLog.h"
#include "common/Error.h"
#include "common/OldFiles.h"
#include "common/Prompter.h"
#include "common/Text.h"
#include "host/HostTables.h"
#include "settings/Settings.h"
#include "sources/DotList.h"
#include "sources/agrian/AgrianRequest.h"
#include "sources/agrian/AgrianText.h"
#include "sources/agrian/AgrianXml.h"
#include "sources/agrian/AnswerFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <pugixml.hpp>

namespace zelvaro {

namespace {

// The stored answer's name must stay a plain name inside Data.
bool safeId(const QString& id)
{
    if (id.isEmpty() || id.contains(QLatin1String(".."))) return false;
    for (const QChar c : id)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            return false;
    return true;
}

} // namespace

AgrianLookup::AgrianLookup(HostTables& session, DotList& dotList, AgrianRequest& request,
                           Prompter& prompter)
    : m_session(session), m_list(dotList), m_request(request), m_prompter(prompter)
{
}

QString AgrianLookup::buildAddress(const QString& productId)
{
    const Settings s;
    const QString agrian = QStringLiteral("Agrian");
    const QString host = s.readText(agrian, QStringLiteral("Host"));
    return (host.isEmpty() ? AgrianRequest::serviceAddress() + QStringLiteral("/webservices")
                           : AgrianRequest::checkedAddress(host, QStringLiteral("Agrian/Host"))) +
           s.readText(agrian, QStringLiteral("RegulatoryMethod"),
                      QStringLiteral("/agrian_products.cfc?method=get_regulatory_data_v2")) +
           QStringLiteral("&username=") + s.readText(agrian, QStringLiteral("UserID")) +
           QStringLiteral("&password=") + s.readText(agrian, QStringLiteral("Password")) +
           QStringLiteral("&product_id=") + productId +
           QStringLiteral("&pdfs=false&returnFormat=plain");
}

std::optional<AgrianLookup::Values> AgrianLookup::parse(const QByteArray& answer, QString* error)
{
    QByteArray document;
    try {
        document = AgrianText::decode(answer).text.toUtf8();
    } catch (const Error& e) {
        *error = e.text();
        return std::nullopt;
    }
    pugi::xml_document doc;
    // The text is UTF-8 now, whatever the declaration says.
    const pugi::xml_parse_result r = doc.load_buffer(document.constData(), size_t(document.size()),
                                                     pugi::parse_default, pugi::encoding_utf8);
    if (!r) {
        *error = QStringLiteral("the answer is not readable: %1 at byte %2")
                     .arg(QString::fromUtf8(r.description()))
                     .arg(r.offset);
        return std::nullopt;
    }
    const pugi::xml_node product = doc.document_element().child("agrian_product");
    if (!product) {
        *error = QStringLiteral("the answer holds no product");
        return std::nullopt;
    }
    Values v;
    const pugi::xml_node chemicals = product.child("chemicals");
    const auto name = chemicals
                          ? agrianElementText(chemicals.first_child().child("chemical_description"))
                          : agrianElementText(product.child("product_name"));
    const pugi::xml_node dot = product.child("dot_description").first_child();
    const auto dotText = agrianElementText(dot.child("description"));
    const auto placard = agrianElementText(dot.child("placard_text"));
    if (!name || !dotText || !placard) {
        *error = QStringLiteral("a value of the answer holds more than text");
        return std::nullopt;
    }
    // Stored as they are split into hazard lines: one rule for every night.
    v.commonName = lineBreaksAsBlanks(chemicals ? upperAscii(*name) : *name);
    v.dotText = trimmed(lineBreaksAsBlanks(*dotText));
    v.placard = lineBreaksAsBlanks(*placard);
    for (const QString* value : {&v.commonName, &v.dotText, &v.placard}) {
        if (value->contains(QChar::ReplacementCharacter)) {
            *error = QStringLiteral("the answer holds characters that could not be decoded");
            return std::nullopt;
        }
    }
    return v;
}

AgrianLookup::Outcome AgrianLookup::refresh(const QString& productId, int listRow, bool writeDotRow)
{
    QElapsedTimer clock;
    clock.start();
    ++m_lookups;
    const Outcome outcome = lookUp(productId, listRow, writeDotRow);
    m_seconds += double(clock.nsecsElapsed()) / 1e9;
    return outcome;
}

AgrianLookup::Outcome AgrianLookup::lookUp(const QString& productId, int listRow, bool writeDotRow)
{
    Outcome outcome;
    const QString id = trimmed(productId);
    auto failed = [&](const QString& why) {
        m_prompter.failure(QStringLiteral("Post failed. ") + why);
        outcome.failureShown = true;
        return outcome;
    };
    if (!safeId(id))
        return failed(
            QStringLiteral("the product ID \"%1\" cannot name an answer file.").arg(printable(id)));
    std::optional<Values> values;
    try {
        const QByteArray body = m_request.get(buildAddress(id));
        // A record of the answer, replaced at the next lookup of the product:
        // written in place, without the sync a safe replacement would cost
        // every lookup.
        writeAnswerFile(QDir(dataFolder(Settings::homeDir(), true))
                            .filePath(QStringLiteral("Agrian") + id + QStringLiteral(".xml")),
                        body, AnswerWrite::InPlace);
        QString why;
        values = parse(body, &why);
        if (!values) throw SourceError(QStringLiteral("product %1: %2").arg(printable(id), why));
    } catch (const ServiceUnreachableError& e) {
        outcome.unreachable = true;
        return failed(e.text());
    } catch (const ServiceAddressError& e) {
        outcome.stopLookups = true;
        return failed(e.text());
    } catch (const Error& e) {
        return failed(e.text());
    }

    MemoryView& dot = m_session.dotView;
    // Descriptive values fit their fields in every case.
    auto fit = [&](const QString& value, const char* field) {
        const int width = dot.isOpen() ? dot.fieldWidth(QString::fromLatin1(field)) : 0;
        return width > 0 ? value.left(width) : value;
    };
    const QString placard = fit(values->placard, "CDPLAC");
    const QString commonName = fit(values->commonName, "CDCNAME");
    if (listRow >= 1 && listRow <= m_list.productCount() &&
        trimmed(m_list.cell(listRow, DotList::Id)) == id) {
        m_list.setCell(listRow, DotList::CommonName, commonName);
        m_list.setCell(listRow, DotList::DotText, values->dotText);
        m_list.setCell(listRow, DotList::Placard, placard);
    }
    if (!writeDotRow) {
        outcome.gotValues = true;
        return outcome;
    }
    // The product's DOT rows as the view holds them: when every one holds
    // the service's values already, nothing is sent (compared as the host
    // compares, without trailing blanks).
    struct Column {
        const char* name;
        QString value;
    };
    const Column columns[] = {
        {"CDCNAME", commonName}, {"CDDOTTXT", values->dotText}, {"CDPLAC", placard}};
    struct Row {
        QString key;
        QString before[3];
    };
    std::vector<Row> rows;
    bool same = dot.isOpen();
    if (dot.isOpen()) {
        const int idCol = dot.fieldIndex(QStringLiteral("CDITEM"));
        const int nameCol = dot.fieldIndex(QStringLiteral("CDNAME"));
        const ResultTable& t = *dot.table();
        for (int i = 0; i < dot.recordCount(); ++i) {
            const int r = dot.rowAt(i);
            if (compareBlankPadded(t.textView(r, idCol), productId) != 0) continue;
            Row row;
            row.key = trimmed(t.text(r, idCol)) + QLatin1Char(';') + trimmed(t.text(r, nameCol));
            for (int c = 0; c < 3; ++c) {
                row.before[c] =
                    t.displayText(r, dot.fieldIndex(QString::fromLatin1(columns[c].name)));
                same = same && rtrimBlanks(row.before[c]) == rtrimBlanks(columns[c].value);
            }
            rows.push_back(row);
        }
    }
    // A product the view holds no row of (written by another program since)
    // is updated as before.
    if (same && !rows.empty()) {
        outcome.gotValues = true;
        return outcome;
    }
    try {
        m_session.connection.execute(QStringLiteral("UPDATE \"") + m_session.hostLibrary() +
                                     QStringLiteral("\".\"U4CDMSDOT\" Set CDCNAME = ") +
                                     sqlQuote(commonName) + QStringLiteral(", CDDOTTXT = ") +
                                     sqlQuote(values->dotText) + QStringLiteral(", CDPLAC = ") +
                                     sqlQuote(placard) + QStringLiteral(" Where CDITEM = ") +
                                     sqlQuote(productId));
        outcome.gotValues = true;
        if (ChangeLog* changes = m_session.changeLog) {
            for (const Row& row : rows)
                for (int c = 0; c < 3; ++c)
                    changes->record(QStringLiteral("U4CDMSDOT"), row.key,
                                    QString::fromLatin1(columns[c].name), row.before[c],
                                    columns[c].value);
        }
        if (dot.isOpen()) {
            // Only the product's rows come back from the host (merged by the
            // view's own key); the view stays on the row it stood on.
            QVariantList current;
            if (dot.hasCurrent())
                current = {dot.value(QStringLiteral("CDNAME")),
                           dot.value(QStringLiteral("CDITEM"))};
            const auto fetched =
                m_session.dotQuery.fetchWhere(QStringLiteral("CDITEM = ") + sqlQuote(productId));
            dot.mergeRows(*fetched, {QStringLiteral("CDNAME"), QStringLiteral("CDITEM")});
            if (!current.isEmpty()) dot.findKey(current);
        }
    } catch (const Error& e) {
        m_prompter.failure(QStringLiteral("Error updating U4CDMSDOT table ") + e.text());
        outcome.failureShown = true;
        outcome.hostRefused = true;
    }
    return outcome;
}

} // namespace zelvaro
