#include "host/MemoryView.h"

#include "common/Error.h"
#include "common/Text.h"
#include "host/HostQuery.h"
#include "host/LargeBlockAllocator.h"

#include <algorithm>

namespace zelvaro {

namespace {
const FieldDef NoField;

int compareCell(const ResultTable& t, int row, int col, const QVariant& v)
{
    if (t.fields()[col].isText()) return compareBlankPadded(t.textView(row, col), v.toString());
    const double a = t.number(row, col);
    const double b = v.toDouble();
    return a < b ? -1 : (a > b ? 1 : 0);
}
} // namespace

MemoryView::MemoryView(QString name, HostQuery& source, QStringList indexFields, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_source(source),
      m_indexFields(std::move(indexFields))
{
}

void MemoryView::open()
{
    if (!m_source.isActive()) m_source.open();
    m_table = m_source.result();
    m_owned.reset();
    m_orderValid = false;
    resolveIndex();
    Q_EMIT opened();
    rebuild();
    setCurrent(m_visible.empty() ? -1 : 0);
}

void MemoryView::close()
{
    m_table.reset();
    m_owned.reset();
    m_visible.clear();
    m_current = -1;
    m_eof = m_bof = true;
    Q_EMIT reset();
    Q_EMIT currentChanged();
}

void MemoryView::refresh()
{
    QVariantList key;
    const int row = currentRow();
    if (row >= 0) {
        for (int c : m_indexCols)
            key << m_table->value(row, c);
    }
    m_source.open();
    m_table = m_source.result();
    m_owned.reset();
    m_orderValid = false;
    resolveIndex();
    rebuild();
    m_current = ForcedChange; // the rows changed: the current row is news
    if (key.isEmpty() || m_visible.empty()) {
        setCurrent(m_visible.empty() ? -1 : 0);
    } else if (!findKey(key)) {
        findNearest(key);
    }
}

void MemoryView::resolveIndex()
{
    m_indexCols.clear();
    if (!m_table) return;
    for (const QString& f : m_indexFields) {
        const int c = m_table->fieldIndex(f);
        if (c < 0) throw HostError(QStringLiteral("Field '%1' not found in %2").arg(f, m_name));
        m_indexCols.push_back(c);
    }
}

bool MemoryView::rowLess(int a, int b) const
{
    const ResultTable& t = *m_table;
    for (int c : m_indexCols) {
        int r;
        if (t.fields()[c].isText()) {
            r = compareBlankPadded(t.textView(a, c), t.textView(b, c));
        } else {
            const double x = t.number(a, c), y = t.number(b, c);
            r = x < y ? -1 : (x > y ? 1 : 0);
        }
        if (r != 0) return r < 0;
    }
    return a < b;
}

void MemoryView::rebuild()
{
    m_visible.clear();
    if (!m_table) {
        Q_EMIT reset();
        return;
    }
    // The whole table's order is sorted once; a filter only picks from it,
    // in one pass, so switching filters never sorts again.
    if (!m_orderValid) {
        const int n = m_table->rowCount();
        m_visible.resize(size_t(n));
        for (int r = 0; r < n; ++r)
            m_visible[size_t(r)] = r;
        if (!m_indexCols.empty()) sortVisible();
        m_order.swap(m_visible);
        m_orderValid = true;
    }
    if (!m_filtered || !m_filter) {
        m_visible = m_order;
    } else {
        m_visible.clear();
        for (const int r : m_order) {
            if (m_filter(*m_table, r)) m_visible.push_back(r);
        }
    }
    Q_EMIT reset();
}

void MemoryView::sortVisible()
{
    // Hosts often deliver rows in key order already.
    if (std::is_sorted(m_visible.begin(), m_visible.end(),
                       [this](int a, int b) { return rowLess(a, b); }))
        return;
    const ResultTable& t = *m_table;
    if (!t.fields()[m_indexCols.front()].isText()) {
        std::sort(m_visible.begin(), m_visible.end(),
                  [this](int a, int b) { return rowLess(a, b); });
        return;
    }

    // Sorting moves small records holding the start of the key, so most
    // comparisons never touch the table: far fewer cache misses on large
    // tables. Fixed-width character fields are laid end to end (their order
    // is then the order of the whole key); Latin-1 text, as host text mostly
    // is, takes 8 bits a character, anything else 16.
    constexpr int Words = 6;
    struct Entry {
        quint64 prefix[Words];
        int row;
    };
    std::vector<int> cols;
    int total = 0;
    for (int c : m_indexCols) {
        const FieldDef& f = t.fields()[c];
        if (!f.isText() || !f.fixedWidth) break;
        cols.push_back(c);
        total += f.width;
    }
    const bool fixedKey = !cols.empty();
    if (!fixedKey) cols.push_back(m_indexCols.front());
    bool latin1 = true;
    for (size_t i = 0; i < m_visible.size() && latin1; ++i) {
        for (int c : cols) {
            for (QChar ch : t.textView(m_visible[i], c))
                latin1 = latin1 && ch.unicode() <= 0xFF;
        }
    }
    const int bits = latin1 ? 8 : 16;
    const int perWord = 64 / bits;
    const int capacity = Words * perWord;
    // The prefix holds the whole key: equal prefixes are equal keys.
    const bool complete = fixedKey && cols.size() == m_indexCols.size() && total <= capacity;

    std::vector<Entry, LargeBlockAllocator<Entry>> entries(m_visible.size());
    std::vector<char16_t> chars(static_cast<size_t>(capacity));
    for (size_t i = 0; i < m_visible.size(); ++i) {
        Entry& e = entries[i];
        e.row = m_visible[i];
        int n = 0;
        for (int c : cols) {
            const QStringView v = t.textView(e.row, c);
            for (qsizetype k = 0; k < v.size() && n < capacity; ++k)
                chars[size_t(n++)] = v[k].unicode();
            if (n >= capacity) break;
        }
        while (n < capacity)
            chars[size_t(n++)] = u' ';
        for (int w = 0; w < Words; ++w) {
            quint64 k = 0;
            for (int j = 0; j < perWord; ++j)
                k = (k << bits) | quint64(chars[size_t(w * perWord + j)]);
            e.prefix[w] = k;
        }
    }
    std::sort(entries.begin(), entries.end(), [this, complete](const Entry& a, const Entry& b) {
        for (int w = 0; w < Words; ++w) {
            if (a.prefix[w] != b.prefix[w]) return a.prefix[w] < b.prefix[w];
        }
        return complete ? a.row < b.row : rowLess(a.row, b.row);
    });
    for (size_t i = 0; i < entries.size(); ++i)
        m_visible[i] = entries[i].row;
}

void MemoryView::setIndexFields(const QStringList& fields)
{
    const int row = currentRow();
    m_indexFields = fields;
    m_orderValid = false;
    if (!m_table) return;
    resolveIndex();
    rebuild();
    int index = -1;
    if (row >= 0) {
        const auto it = std::find(m_visible.begin(), m_visible.end(), row);
        if (it != m_visible.end()) index = int(it - m_visible.begin());
    }
    m_current = ForcedChange; // the rows changed: the current row is news
    setCurrent(index >= 0 ? index : (m_visible.empty() ? -1 : 0));
}

void MemoryView::setCurrent(int index)
{
    m_bof = m_eof = m_visible.empty();
    if (index == m_current) return;
    m_current = index;
    Q_EMIT currentChanged();
}

bool MemoryView::setCurrentIndex(int index)
{
    if (index < 0 || index >= recordCount()) return false;
    setCurrent(index);
    return true;
}

void MemoryView::first()
{
    setCurrent(m_visible.empty() ? -1 : 0);
}

void MemoryView::last()
{
    setCurrent(m_visible.empty() ? -1 : recordCount() - 1);
}

void MemoryView::next()
{
    if (m_visible.empty()) {
        m_eof = true;
        return;
    }
    if (m_current >= recordCount() - 1) {
        m_eof = true;
        return;
    }
    setCurrent(m_current + 1);
}

void MemoryView::prior()
{
    if (m_visible.empty()) {
        m_bof = true;
        return;
    }
    if (m_current <= 0) {
        m_bof = true;
        return;
    }
    setCurrent(m_current - 1);
}

int MemoryView::compareRowToKey(int row, const QVariantList& values) const
{
    const int k = qMin(int(values.size()), int(m_indexCols.size()));
    for (int i = 0; i < k; ++i) {
        const int r = compareCell(*m_table, row, m_indexCols[i], values[i]);
        if (r != 0) return r;
    }
    return 0;
}

namespace {
// A key converted once, so that a search compares without converting.
struct Key {
    std::vector<QString> text;
    std::vector<double> num;
};
} // namespace

bool MemoryView::findKey(const QVariantList& values)
{
    const int index = lowerBound(values);
    if (index < 0 || index >= recordCount() || compareRowToKey(m_visible[index], values) != 0)
        return false;
    setCurrent(index);
    return true;
}

bool MemoryView::setFieldOfKey(const QVariantList& key, const QString& field, const QVariant& value)
{
    const int index = lowerBound(key);
    const int col = fieldIndex(field);
    if (index < 0 || index >= recordCount() || col < 0 ||
        compareRowToKey(m_visible[index], key) != 0)
        return false;
    if (m_owned)
        m_owned->setValue(m_visible[index], col, value);
    else
        m_source.setValue(m_visible[index], col, value);
    Q_EMIT rowChanged(index);
    return true;
}

bool MemoryView::textOfKey(const QVariantList& key, const QString& field, QString* text) const
{
    const int index = lowerBound(key);
    const int col = fieldIndex(field);
    if (index < 0 || index >= recordCount() || col < 0 ||
        compareRowToKey(m_visible[index], key) != 0)
        return false;
    *text = m_table->displayText(m_visible[index], col);
    return true;
}

void MemoryView::findNearest(const QVariantList& values)
{
    if (!m_table || m_visible.empty()) return;
    const int index = lowerBound(values);
    setCurrent(index >= recordCount() ? recordCount() - 1 : index);
}

int MemoryView::lowerBound(const QVariantList& values) const
{
    if (!m_table || m_visible.empty()) return -1;
    const ResultTable& t = *m_table;
    const int k = qMin(int(values.size()), int(m_indexCols.size()));
    Key key;
    key.text.resize(k);
    key.num.resize(k);
    for (int i = 0; i < k; ++i) {
        if (t.fields()[m_indexCols[i]].isText())
            key.text[i] = values[i].toString();
        else
            key.num[i] = values[i].toDouble();
    }
    auto less = [&](int row, const Key& key) {
        for (int i = 0; i < k; ++i) {
            const int c = m_indexCols[i];
            int r;
            if (t.fields()[c].isText()) {
                r = compareBlankPadded(t.textView(row, c), key.text[i]);
            } else {
                const double a = t.number(row, c);
                r = a < key.num[i] ? -1 : (a > key.num[i] ? 1 : 0);
            }
            if (r != 0) return r < 0;
        }
        return false;
    };
    return int(std::lower_bound(m_visible.begin(), m_visible.end(), key, less) - m_visible.begin());
}

int MemoryView::fieldCount() const
{
    return m_table ? m_table->fieldCount() : 0;
}

int MemoryView::fieldIndex(const QString& name) const
{
    return m_table ? m_table->fieldIndex(name) : -1;
}

const FieldDef& MemoryView::field(int position) const
{
    if (!m_table || position < 0 || position >= m_table->fieldCount())
        throw HostError(QStringLiteral("%1: field index out of range").arg(m_name));
    return m_table->fields()[position];
}

int MemoryView::fieldWidth(const QString& name) const
{
    const int c = fieldIndex(name);
    if (c < 0) throw HostError(QStringLiteral("%1: Field '%2' not found").arg(m_name, name));
    return m_table->fields()[c].width;
}

QVariant MemoryView::value(const QString& fieldName) const
{
    const int c = fieldIndex(fieldName);
    if (c < 0) throw HostError(QStringLiteral("%1: Field '%2' not found").arg(m_name, fieldName));
    const int row = currentRow();
    return row < 0 ? QVariant() : m_table->value(row, c);
}

QString MemoryView::text(const QString& fieldName) const
{
    const int c = fieldIndex(fieldName);
    if (c < 0) throw HostError(QStringLiteral("%1: Field '%2' not found").arg(m_name, fieldName));
    const int row = currentRow();
    return row < 0 ? QString() : m_table->displayText(row, c);
}

void MemoryView::setFilter(const QString& text, Predicate predicate)
{
    m_filterText = text;
    m_filter = std::move(predicate);
    if (m_filtered && m_table) {
        rebuild();
        m_current = ForcedChange; // the rows changed: the current row is news
        first();
    }
}

void MemoryView::setFiltered(bool on)
{
    if (on == m_filtered) return;
    m_filtered = on;
    if (!m_table) return;
    rebuild();
    m_current = ForcedChange; // the rows changed: the current row is news
    first();
}

void MemoryView::mergeRows(const ResultTable& rows, const QStringList& keyFields)
{
    if (!m_table || rows.rowCount() == 0) return;
    if (!m_owned) {
        // Room for an eighth more rows: rows are added one at a time
        // through the run.
        m_owned =
            std::make_shared<ResultTable>(*m_table, rows.rowCount() + m_table->rowCount() / 8);
        m_table = m_owned;
    }
    std::vector<int> keyCols, srcKeyCols;
    for (const QString& k : keyFields) {
        keyCols.push_back(m_owned->fieldIndex(k));
        srcKeyCols.push_back(rows.fieldIndex(k));
    }
    bool keyIsIndexPrefix = keyFields.size() <= m_indexFields.size();
    for (int k = 0; keyIsIndexPrefix && k < keyFields.size(); ++k)
        keyIsIndexPrefix = keyFields[k].compare(m_indexFields[k], Qt::CaseInsensitive) == 0;
    std::vector<int> mapCols(m_owned->fieldCount(), -1);
    for (int c = 0; c < m_owned->fieldCount(); ++c)
        mapCols[c] = rows.fieldIndex(m_owned->fields()[c].name);

    int firstIndex = -1;
    for (int r = 0; r < rows.rowCount(); ++r) {
        // An existing row with the same key is replaced in place.
        int existing = -1;
        if (keyIsIndexPrefix) {
            QVariantList key;
            for (int c : srcKeyCols)
                key << rows.value(r, c);
            const auto it = std::lower_bound(
                m_visible.begin(), m_visible.end(), key,
                [this](int row, const QVariantList& v) { return compareRowToKey(row, v) < 0; });
            if (it != m_visible.end() && compareRowToKey(*it, key) == 0)
                existing = int(it - m_visible.begin());
        } else {
            for (int i = 0; i < int(m_visible.size()) && existing < 0; ++i) {
                bool same = true;
                for (size_t k = 0; k < keyCols.size() && same; ++k) {
                    const int c = keyCols[k];
                    same = m_owned->fields()[c].isText()
                               ? compareBlankPadded(m_owned->textView(m_visible[i], c),
                                                    rows.textView(r, srcKeyCols[k])) == 0
                               : m_owned->number(m_visible[i], c) == rows.number(r, srcKeyCols[k]);
                }
                if (same) existing = i;
            }
        }
        if (existing >= 0) {
            for (int c = 0; c < m_owned->fieldCount(); ++c) {
                if (mapCols[c] >= 0)
                    m_owned->setValue(m_visible[existing], c, rows.value(r, mapCols[c]));
            }
            Q_EMIT rowChanged(existing);
            if (firstIndex < 0) firstIndex = existing;
            continue;
        }
        for (int c = 0; c < m_owned->fieldCount(); ++c)
            m_owned->appendCell(c, mapCols[c] >= 0 ? rows.value(r, mapCols[c]) : QVariant());
        m_owned->endRow();
        const int newRow = m_owned->rowCount() - 1;
        if (m_orderValid) {
            m_order.insert(std::upper_bound(m_order.begin(), m_order.end(), newRow,
                                            [this](int a, int b) { return rowLess(a, b); }),
                           newRow);
        }
        if (m_filtered && m_filter && !m_filter(*m_owned, newRow)) continue;
        const auto pos = std::upper_bound(m_visible.begin(), m_visible.end(), newRow,
                                          [this](int a, int b) { return rowLess(a, b); });
        const int index = int(pos - m_visible.begin());
        // Models must hear of an insertion before it happens.
        Q_EMIT rowsAboutToBeInserted(index, index);
        m_visible.insert(m_visible.begin() + index, newRow);
        if (m_current >= index) ++m_current;
        Q_EMIT rowsInserted(index, index);
        if (firstIndex < 0) firstIndex = index;
    }
    if (firstIndex >= 0) setCurrent(firstIndex);
}

} // namespace zelvaro
