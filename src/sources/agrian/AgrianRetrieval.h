#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

namespace zelvaro {

class AgrianRequest;
class DotList;
class RunUi;

// "Agrian Connect": asks the Agrian service for the products whose approval
// changed since the last download date, stores the answer as Data/Agrian.xml,
// repairs its escaped markup and fills the DOT list with every active
// product, sorted by name.
class AgrianRetrieval {
public:
    AgrianRetrieval(DotList& dotList, AgrianRequest& request);

    // The whole retrieval; a failed request is shown as "Http Post failed. "
    // + its text and leaves the list with its title row. Returns whether the
    // list came from a complete retrieval (request and reading).
    bool run(RunUi& ui);

    // The changed-product address for an approval date.
    static QString changedProductsAddress(const QDate& date);
    // Every "&lt;" and "&gt;", in any letter case, as "<" and ">"; lines
    // ended by CR LF.
    static QString repairMarkup(const QString& text);
    // Fills the list from a repaired document; false when the reading
    // stopped part-way (rows appended so far stay, unsorted; `error` says why).
    static bool readProducts(const QByteArray& document, DotList& list, QString* error = nullptr);
    // Sorts the product rows by a column (case-insensitive, the locale's
    // collation; ties by the other cells, old row number first) and
    // renumbers them.
    static void sort(DotList& list, int column);

private:
    DotList& m_list;
    AgrianRequest& m_request;
};

} // namespace zelvaro
