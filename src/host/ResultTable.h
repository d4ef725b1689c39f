#pragma once

#include "host/ColumnBuffer.h"
#include "host/FieldDef.h"

#include <QString>
#include <QStringView>
#include <QVariant>
#include <vector>

namespace zelvaro {

// The whole result of a query held in memory, column by column: character
// fields as text (trailing blanks kept), numeric fields as numbers.
class ResultTable {
public:
    explicit ResultTable(std::vector<FieldDef> fields = {});
    // A copy with room for spareRows more rows, so that appending a few rows
    // to a large table does not copy every column again.
    ResultTable(const ResultTable& other, qint64 spareRows);

    const std::vector<FieldDef>& fields() const { return m_fields; }
    int fieldCount() const { return int(m_fields.size()); }
    int rowCount() const { return m_rows; }
    // Position of a field by name without regard to case; -1 when absent.
    int fieldIndex(const QString& name) const;

    // A character value; a view into the table, valid while it lives.
    QStringView textView(int row, int col) const
    {
        const int w = m_width[col];
        if (w >= 0) return QStringView(m_fixed[col].data() + size_t(row) * size_t(w), w);
        return m_text[col][row];
    }
    QString text(int row, int col) const { return textView(row, col).toString(); }
    // A fixed-width character column as one buffer, row after row, each
    // row `*width` characters; null for a column of another kind.
    const char16_t* fixedColumn(int col, int* width) const
    {
        *width = m_width[col];
        return *width >= 0 ? m_fixed[col].data() : nullptr;
    }
    double number(int row, int col) const { return m_num[col][row]; }
    QVariant value(int row, int col) const;
    // The value as a grid shows it (numbers with their scale).
    QString displayText(int row, int col) const;

    void setValue(int row, int col, const QVariant& value);
    // Cell-by-cell filling: one appendCell per field, then endRow.
    void appendCell(int col, const QVariant& value)
    {
        if (m_fields[col].isText())
            appendText(col, value.toString());
        else
            m_num[col].push_back(value.toDouble());
    }
    void appendText(int col, QStringView text)
    {
        const int w = m_width[col];
        if (w < 0) {
            m_text[col].push_back(text.toString());
            return;
        }
        TextColumn& buf = m_fixed[col];
        const qsizetype n = qMin<qsizetype>(text.size(), w);
        buf.append(text.utf16(), size_t(n));
        buf.appendFill(u' ', size_t(w - n));
    }
    void endRow() { ++m_rows; }
    // Room for this many rows in every column, so that filling never moves
    // the column buffers.
    void reserveRows(qint64 rows);

private:
    using TextColumn = ColumnBuffer<char16_t>;
    using NumberColumn = ColumnBuffer<double>;

    std::vector<FieldDef> m_fields;
    std::vector<int> m_width;                 // per column: fixed width, or -1
    std::vector<TextColumn> m_fixed;          // fixed-width character columns
    std::vector<std::vector<QString>> m_text; // other character columns
    std::vector<NumberColumn> m_num;          // per column; empty for character fields
    int m_rows = 0;
};

} // namespace zelvaro
