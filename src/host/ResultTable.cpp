#include "host/ResultTable.h"

namespace zelvaro {

ResultTable::ResultTable(std::vector<FieldDef> fields)
    : m_fields(std::move(fields)), m_text(m_fields.size()), m_num(m_fields.size())
{
}

int ResultTable::fieldIndex(const QString& name) const
{
    for (int i = 0; i < fieldCount(); ++i) {
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

QVariant ResultTable::value(int row, int col) const
{
    const FieldDef& f = m_fields[col];
    switch (f.type) {
    case FieldType::Char: return m_text[col][row];
    case FieldType::Integer: return qint64(m_num[col][row]);
    case FieldType::Decimal: return m_num[col][row];
    }
    return {};
}

QString ResultTable::displayText(int row, int col) const
{
    const FieldDef& f = m_fields[col];
    switch (f.type) {
    case FieldType::Char: return m_text[col][row];
    case FieldType::Integer: return QString::number(qint64(m_num[col][row]));
    case FieldType::Decimal: return QString::number(m_num[col][row], 'f', f.scale);
    }
    return {};
}

void ResultTable::reserve(int rows)
{
    for (int c = 0; c < fieldCount(); ++c) {
        if (m_fields[c].isText())
            m_text[c].reserve(rows);
        else
            m_num[c].reserve(rows);
    }
}

void ResultTable::appendRow(const QVariantList& values)
{
    for (int c = 0; c < fieldCount(); ++c) {
        const QVariant v = c < values.size() ? values[c] : QVariant();
        if (m_fields[c].isText())
            m_text[c].push_back(v.toString());
        else
            m_num[c].push_back(v.toDouble());
    }
    ++m_rows;
}

void ResultTable::setValue(int row, int col, const QVariant& value)
{
    if (m_fields[col].isText())
        m_text[col][row] = value.toString();
    else
        m_num[col][row] = value.toDouble();
}

} // namespace zelvaro
