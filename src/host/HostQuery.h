#pragma once

#include "host/ResultTable.h"

#include <QString>
#include <memory>

namespace zelvaro {

class HostConnection;

// A server query on the host connection: its SQL text and, while active, the
// whole result it delivered.
class HostQuery {
public:
    HostQuery(HostConnection& connection, QString name);

    const QString& name() const { return m_name; }
    void setSql(const QString& sql) { m_sql = sql; }
    const QString& sql() const { return m_sql; }

    // Runs the query (again) and keeps its result. Throws HostError.
    void open();
    void close() { m_result.reset(); }
    bool isActive() const { return m_result != nullptr; }
    std::shared_ptr<const ResultTable> result() const { return m_result; }
    // Writes one value of the result in place, as the host now holds it
    // after a statement of this program: every view over it sees it.
    void setValue(int row, int col, const QVariant& value)
    {
        if (m_result) m_result->setValue(row, col, value);
    }

    // Runs the query narrowed by a condition ("<sql> Where <condition>"),
    // for refreshing single rows without reading the whole table.
    std::shared_ptr<const ResultTable> fetchWhere(const QString& condition) const;

    HostConnection& connection() const { return m_connection; }

private:
    HostConnection& m_connection;
    QString m_name;
    QString m_sql;
    std::shared_ptr<ResultTable> m_result;
};

} // namespace zelvaro
