#pragma once

#include "host/FieldDef.h"

#include <QString>
#include <QVariant>
#include <vector>

namespace zelvaro {

// The whole result of a query held in memory, column by column: character
// fields as text (trailing blanks kept), numeric fields as numbers.
class ResultTable {
public:
    explicit ResultTable(std::vector<FieldDef> fields = {});

    const std::vector<FieldDef>& fields() const { return m_fields; }
    int fieldCount() const { return int(m_fields.size()); }
    int rowCount() const { return m_rows; }
    // Position of a field by name without regard to case; -1 when absent.
    int fieldIndex(const QString& name) const;

    const QString& text(int row, int col) const { return m_text[col][row]; }
    double number(int row, int col) const { return m_num[col][row]; }
    QVariant value(int row, int col) const;
    // The value as a grid shows it (numbers with their scale).
    QString displayText(int row, int col) const;

    void reserve(int rows);
    // Appends a row; values are taken in field order and converted to the
    // field's kind.
    void appendRow(const QVariantList& values);
    void setValue(int row, int col, const QVariant& value);
    // Cell-by-cell filling: one appendCell per field, then endRow.
    void appendCell(int col, const QVariant& value)
    {
        if (m_fields[col].isText())
            m_text[col].push_back(value.toString());
        else
            m_num[col].push_back(value.toDouble());
    }
    void appendText(int col, QString text) { m_text[col].push_back(std::move(text)); }
    void endRow() { ++m_rows; }

private:
    std::vector<FieldDef> m_fields;
    std::vector<std::vector<QString>> m_text; // per column; empty for numeric fields
    std::vector<std::vector<double>> m_num;   // per column; empty for character fields
    int m_rows = 0;
};

} // namespace zelvaro
