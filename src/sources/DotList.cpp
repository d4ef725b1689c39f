#include "sources/DotList.h"

namespace zelvaro {

void DotList::reset()
{
    m_rows.assign(2, {});
    m_products = 0;
    m_retrievalDate = QDate();
}

int DotList::addProduct()
{
    ++m_products;
    if (int(m_rows.size()) < m_products + 1) m_rows.resize(m_products + 1);
    return m_products;
}

void DotList::append(int row, const QString& value)
{
    if (row < 0 || row >= rowCount()) return;
    for (QString& cell : m_rows[row]) {
        if (cell.isEmpty()) {
            cell = value.isEmpty() ? QStringLiteral(" ") : value;
            return;
        }
    }
}

} // namespace zelvaro
