#pragma once

#include <QDate>
#include <QString>
#include <array>
#include <vector>

namespace zelvaro {

// The DOT list: a title row and one row per retrieved product, 8 columns
// (number, ID, Name, Common Name, EPA Number, Manufacturer, Placard, DOT
// Text). Rows are filled by appending values into their first empty cell.
class DotList {
public:
    static constexpr int Columns = 8;
    enum Column { Number, Id, Name, CommonName, Epa, Manufacturer, Placard, DotText };

    DotList() { reset(); }

    // Every cell cleared, two rows, no product, no retrieval date.
    void reset();
    // Adds a product row and returns its number N (rows 1..N hold products).
    int addProduct();
    int productCount() const { return m_products; }
    // N + 1, and at least 2 (the title row and one empty row).
    int rowCount() const { return int(m_rows.size()); }

    // Appends a value to the row's first empty cell; an empty value is
    // stored as one blank so that it still takes its cell; a full row drops
    // the value.
    void append(int row, const QString& value);
    const QString& cell(int row, int column) const { return m_rows[row][column]; }
    void setCell(int row, int column, const QString& value) { m_rows[row][column] = value; }

    // The day of the complete retrieval (request and reading) that filled
    // the list; null when the list came from none. The Agrian download date
    // advances to it only.
    const QDate& retrievalDate() const { return m_retrievalDate; }
    void setRetrievalDate(const QDate& date) { m_retrievalDate = date; }

private:
    std::vector<std::array<QString, Columns>> m_rows;
    int m_products = 0;
    QDate m_retrievalDate;
};

} // namespace zelvaro
