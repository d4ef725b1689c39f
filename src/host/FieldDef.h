#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace zelvaro {

enum class FieldType { Char, Integer, Decimal };

// One field of a result or one column of a host table.
struct FieldDef {
    QString name;
    FieldType type = FieldType::Char;
    int width = 0; // characters, or digits for numbers
    int scale = 0;
    // Character values all exactly `width` long (host CHAR columns): kept
    // in one contiguous buffer per column.
    bool fixedWidth = false;
    bool isText() const { return type == FieldType::Char; }
};

// A host table as the embedded host creates it and the catalog describes it.
struct ColumnDef {
    FieldDef field;
    QString headings[3]; // the three 20-character column headings
};

struct TableDef {
    QString name;
    QString recordFormat;
    std::vector<ColumnDef> columns;
    QStringList uniqueKey; // empty: no unique key

    const ColumnDef* column(const QString& name) const;
};

} // namespace zelvaro
