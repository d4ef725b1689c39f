#pragma once

#include "host/ResultTable.h"

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

namespace zelvaro {

class HostQuery;

// The in-memory copy (core logic, no widget) of a server query's whole result, kept in the order
// of its index fields, with a current row and an optional filter. Grids,
// navigators and data-bound controls follow it through its signals.
// Two copies may share one query in different orders.
class MemoryView : public QObject {
    Q_OBJECT
public:
    using Predicate = std::function<bool(const ResultTable&, int row)>;

    MemoryView(QString name, HostQuery& source, QStringList indexFields, QObject* parent = nullptr);

    const QString& name() const { return m_name; }
    HostQuery& source() const { return m_source; }

    // Takes the query's result (running the query first when it is not
    // active) and stands on the first row. Throws HostError.
    void open();
    void close();
    bool isOpen() const { return m_table != nullptr; }
    // Runs the query again and stands on the same row (by its key) or, when
    // it is gone, on the nearest one.
    void refresh();

    void setIndexFields(const QStringList& fields);
    const QStringList& indexFields() const { return m_indexFields; }

    int recordCount() const { return int(m_visible.size()); }
    int currentIndex() const { return m_current; }
    // The row of the underlying table at a visible position.
    int rowAt(int index) const { return m_visible[index]; }
    int currentRow() const { return m_current >= 0 ? m_visible[m_current] : -1; }
    bool setCurrentIndex(int index);
    void first();
    void prior();
    // Moves forward; at the last row it sets eof() and stays.
    void next();
    void last();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool hasCurrent() const { return m_current >= 0; }

    // Exact lookup on the first values.size() index fields; the row found
    // becomes current. Character values compare as the host does (trailing
    // blanks do not count).
    bool findKey(const QVariantList& values);
    // Writes one field of the row with this key (the view's index key) in
    // place, as the host now holds it, without moving the current row;
    // other views over the same result see it too (announce it to them with
    // announceValuesChanged). False when no row has the key.
    bool setFieldOfKey(const QVariantList& key, const QString& field, const QVariant& value);
    // The text of one field of the row with this key (the view's index
    // key), without moving the current row; false when no row has the key.
    bool textOfKey(const QVariantList& key, const QString& field, QString* text) const;
    // Values of rows changed in place: grids and fields show them again.
    void announceValuesChanged() { Q_EMIT valuesChanged(); }
    // The first row whose key is not below the values becomes current (the
    // last row when none is).
    void findNearest(const QVariantList& values);

    int fieldCount() const;
    int fieldIndex(const QString& name) const;
    const FieldDef& field(int position) const;
    int fieldWidth(int position) const { return field(position).width; }
    int fieldWidth(const QString& name) const;
    // Values of the current row; empty when there is none.
    QVariant value(const QString& fieldName) const;
    QString text(const QString& fieldName) const;

    void setFilter(const QString& text, Predicate predicate);
    const QString& filterText() const { return m_filterText; }
    void setFiltered(bool on);
    bool isFiltered() const { return m_filtered; }

    std::shared_ptr<const ResultTable> table() const { return m_table; }

    // Brings rows fetched from the host into the copy: a row whose key
    // fields match an existing row replaces it, any other is inserted in
    // order. The first merged row becomes current.
    void mergeRows(const ResultTable& rows, const QStringList& keyFields);

Q_SIGNALS:
    // The view was (re)opened: grids show field names as titles again.
    void opened();
    void currentChanged();
    // The whole content or its order changed.
    void reset();
    void rowsAboutToBeInserted(int first, int last);
    void rowsInserted(int first, int last);
    void rowChanged(int index);
    void valuesChanged();

private:
    // Set just before a row is made current after the rows changed, so that
    // the change is signalled even when no row is current before or after.
    static constexpr int ForcedChange = -2;
    int compareRowToKey(int row, const QVariantList& values) const;
    // The first visible position whose key is not below the values.
    int lowerBound(const QVariantList& values) const;
    bool rowLess(int a, int b) const;
    void resolveIndex();
    void rebuild();
    void sortVisible();
    void setCurrent(int index);

    QString m_name;
    HostQuery& m_source;
    QStringList m_indexFields;
    std::vector<int> m_indexCols;
    std::shared_ptr<const ResultTable> m_table;
    std::shared_ptr<ResultTable> m_owned; // set once rows were merged into a private copy
    std::vector<int> m_visible;
    std::vector<int> m_order; // every row of the table in index order
    bool m_orderValid = false;
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    QString m_filterText;
    Predicate m_filter;
    bool m_filtered = false;
};

} // namespace zelvaro
