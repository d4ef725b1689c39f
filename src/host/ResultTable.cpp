#include "host/ResultTable.h"

namespace zelvaro {

ResultTable::ResultTable(std::vector<FieldDef> fields)
    : m_fields(std::move(fields)), m_width(m_fields.size(), -1), m_fixed(m_fields.size()),
      m_text(m_fields.size()), m_num(m_fields.size())
{
    for (size_t c = 0; c < m_fields.size(); ++c) {
        if (m_fields[c].isText() && m_fields[c].fixedWidth && m_fields[c].width > 0)
            m_width[c] = m_fields[c].width;
    }
}

ResultTable::ResultTable(const ResultTable& other, qint64 spareRows)
    : m_fields(other.m_fields), m_width(other.m_width), m_fixed(m_fields.size()),
      m_text(other.m_text), m_num(m_fields.size()), m_rows(other.m_rows)
{
    const auto rows = size_t(m_rows) + size_t(qMax<qint64>(0, spareRows));
    for (size_t c = 0; c < m_fields.size(); ++c) {
        if (m_width[c] >= 0) {
            m_fixed[c] = TextColumn(other.m_fixed[c], rows * size_t(m_width[c]));
        } else if (m_fields[c].isText()) {
            m_text[c].reserve(rows);
        } else {
            m_num[c] = NumberColumn(other.m_num[c], rows);
        }
    }
}

void ResultTable::reserveRows(qint64 rows)
{
    for (size_t c = 0; c < m_fields.size(); ++c) {
        if (m_width[c] >= 0) {
            m_fixed[c].reserve(size_t(rows) * size_t(m_width[c]));
        } else if (m_fields[c].isText()) {
            m_text[c].reserve(size_t(rows));
        } else {
            m_num[c].reserve(size_t(rows));
        }
    }
}

int ResultTable::fieldIndex(const QString& name) const
{
    // Names mostly come as the host spells them: an exact match is cheap.
    for (int i = 0; i < fieldCount(); ++i) {
        if (m_fields[i].name == name) return i;
    }
    for (int i = 0; i < fieldCount(); ++i) {
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

QVariant ResultTable::value(int row, int col) const
{
    const FieldDef& f = m_fields[col];
    switch (f.type) {
    case FieldType::Char:
        return text(row, col);
    case FieldType::Integer:
        return qint64(m_num[col][row]);
    case FieldType::Decimal:
        return m_num[col][row];
    }
    return {};
}

QString ResultTable::displayText(int row, int col) const
{
    const FieldDef& f = m_fields[col];
    switch (f.type) {
    case FieldType::Char:
        return text(row, col);
    case FieldType::Integer:
        return QString::number(qint64(m_num[col][row]));
    case FieldType::Decimal:
        return QString::number(m_num[col][row], 'f', f.scale);
    }
    return {};
}

void ResultTable::setValue(int row, int col, const QVariant& value)
{
    if (m_width[col] >= 0) {
        const QString t = value.toString();
        const int w = m_width[col];
        char16_t* dst = m_fixed[col].data() + size_t(row) * size_t(w);
        for (int i = 0; i < w; ++i)
            dst[i] = i < t.size() ? t.at(i).unicode() : u' ';
    } else if (m_fields[col].isText())
        m_text[col][row] = value.toString();
    else
        m_num[col][row] = value.toDouble();
}

} // namespace zelvaro
