#include "sources/agrian/AgrianRetrieval.h"

#include "common/Error.h"
#include "common/OldFiles.h"
#include "common/Prompter.h"
#include "common/RunUi.h"
#include "common/Text.h"
#include "settings/Settings.h"
#include "sources/DotList.h"
#include "sources/agrian/AgrianRequest.h"
#include "sources/agrian/AgrianText.h"
#include "sources/agrian/AgrianXml.h"
#include "sources/agrian/AnswerFile.h"

#include <QCollator>
#include <QDir>
#include <algorithm>
#include <pugixml.hpp>

namespace zelvaro {

namespace {

// The text of a child element; false when it cannot be read.
bool childText(const pugi::xml_node& node, const char* name, QString* value)
{
    const std::optional<QString> text = agrianElementText(node.child(name));
    *value = text.value_or(QString());
    return text.has_value();
}

} // namespace

AgrianRetrieval::AgrianRetrieval(DotList& dotList, AgrianRequest& request)
    : m_list(dotList), m_request(request)
{
}

QString AgrianRetrieval::changedProductsAddress(const QDate& date)
{
    return AgrianRequest::serviceAddress() +
           QStringLiteral(
               "/webservices/agrian_products.cfc?method=get_product_changes&approval_date=") +
           date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString AgrianRetrieval::repairMarkup(const QString& text)
{
    QString s = text;
    s.replace(QLatin1String("&lt;"), QLatin1String("<"), Qt::CaseInsensitive);
    s.replace(QLatin1String("&gt;"), QLatin1String(">"), Qt::CaseInsensitive);
    // Every line ended by CR LF.
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (!s.isEmpty() && !s.endsWith(QLatin1Char('\n'))) s += QLatin1Char('\n');
    s.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return s;
}

// `document` is UTF-8: run() converts what the service sent.
bool AgrianRetrieval::readProducts(const QByteArray& document, DotList& list, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    pugi::xml_document doc;
    // Whitespace between elements is never a node.
    const pugi::xml_parse_result parsed = doc.load_buffer(
        document.constData(), size_t(document.size()), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed)
        return fail(QStringLiteral("%1 at byte %2")
                        .arg(QString::fromUtf8(parsed.description()))
                        .arg(parsed.offset));
    const pugi::xml_node root = doc.document_element();
    const pugi::xml_node data = root.child("data");
    const pugi::xml_node level3 = data.first_child();
    const pugi::xml_node products = level3.first_child();
    if (!root || !data || !level3 || !products)
        return fail(QStringLiteral("the product list is missing from the answer"));
    // Every child is examined, the first one too.
    for (pugi::xml_node p = products.first_child(); p; p = p.next_sibling()) {
        if (std::string_view(p.name()) != "agrian_product") continue;
        if (std::string_view(p.attribute("active").value()) != "true") continue;
        QString name, epa, maker;
        if (!childText(p, "product_name", &name) || !childText(p, "epa", &epa) ||
            !childText(p, "manufacturer_name", &maker))
            return fail(QStringLiteral("product %1: a value holds more than text")
                            .arg(QString::fromUtf8(p.attribute("agrian_product_id").value())));
        const int row = list.addProduct();
        list.append(row, QString::number(row));
        list.append(row, QString::fromUtf8(p.attribute("agrian_product_id").value()));
        list.append(row, upperAscii(name));
        list.append(row, upperAscii(name));
        list.append(row, epa);
        list.append(row, upperAscii(maker));
        list.append(row, QString()); // placard and DOT text: from the lookup
        list.append(row, QString());
    }
    return true;
}

void AgrianRetrieval::sort(DotList& list, int column)
{
    const int n = list.productCount();
    std::vector<std::array<QString, DotList::Columns>> rows;
    rows.reserve(size_t(n));
    for (int r = 1; r <= n; ++r) {
        std::array<QString, DotList::Columns> cells;
        for (int c = 0; c < DotList::Columns; ++c)
            cells[size_t(c)] = list.cell(r, c);
        rows.push_back(cells);
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
        const int byColumn = collator.compare(a[size_t(column)], b[size_t(column)]);
        if (byColumn != 0) return byColumn < 0;
        for (int c = 0; c < DotList::Columns; ++c) {
            if (c == column) continue;
            const int t = collator.compare(a[size_t(c)], b[size_t(c)]);
            if (t != 0) return t < 0;
        }
        return false;
    });
    for (int r = 1; r <= n; ++r) {
        for (int c = 1; c < DotList::Columns; ++c)
            list.setCell(r, c, rows[size_t(r - 1)][size_t(c)]);
        list.setCell(r, 0, QString::number(r));
    }
}

bool AgrianRetrieval::run(RunUi& ui)
{
    ui.beginBusy();
    m_list.reset();
    ui.dotListChanged();
    ui.setUpdateEnabled(false);
    const QDate date = Settings()
                           .readDateTime(QStringLiteral("Agrian"), QStringLiteral("DownloadDate"),
                                         QDateTime(QDate(2015, 1, 1), QTime(0, 0)))
                           .date();
    // Taken before the request: a change approved while it runs is asked
    // for again next time.
    const QDate today = QDate::currentDate();
    ui.openProgress(QStringLiteral("Retrieving Agrian Products list"), 100);
    bool complete = false;
    QByteArray repaired;
    QString fixed; // the repaired text, read as it was stored
    try {
        ui.setProgress(0, QStringLiteral("Retrieving Agrian Changed Product list..."));
        const QByteArray body = m_request.get(changedProductsAddress(date));
        const QString path =
            QDir(dataFolder(Settings::homeDir(), true)).filePath(QStringLiteral("Agrian.xml"));
        const AgrianText answer = AgrianText::decode(body);
        ui.setProgress(33, QStringLiteral("Fixing Product list - Replacing \"&lt;\" with < ..."));
        fixed = repairMarkup(answer.text);
        ui.setProgress(66, QStringLiteral("Fixing Product list - Replacing \"&gt;\" with > ..."));
        // Written back in the encoding it came in.
        repaired = AgrianText::encode(fixed, answer.form);
        writeAnswerFile(path, repaired, AnswerWrite::Replace);
        ui.setProgress(100, QString());
        complete = true;
    } catch (const Error& e) {
        ui.prompter().failure(QStringLiteral("Http Post failed. ") + e.text());
    }
    ui.stopUnattendedRun();
    if (complete) {
        // The parser gets the repaired text as UTF-8, whatever it was stored in.
        QString why;
        complete = readProducts(fixed.toUtf8(), m_list, &why);
        if (complete) {
            sort(m_list, DotList::Name);
            m_list.setRetrievalDate(today);
        } else // silently, a night run would write a truncated list and skip the rest
            ui.prompter().failure(QStringLiteral("Error reading Agrian product list ") + why);
    }
    ui.dotListChanged();
    ui.closeProgress();
    ui.setUpdateEnabled(true);
    ui.endBusy();
    return complete;
}

} // namespace zelvaro
