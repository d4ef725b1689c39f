#include "host/HostQuery.h"

#include "host/HostConnection.h"

namespace zelvaro {

HostQuery::HostQuery(HostConnection& connection, QString name)
    : m_connection(connection), m_name(std::move(name))
{
}

void HostQuery::open()
{
    m_result.reset();
    m_result = m_connection.query(m_sql, true);
}

std::shared_ptr<const ResultTable> HostQuery::fetchWhere(const QString& condition) const
{
    return m_connection.query(m_sql + QStringLiteral(" Where ") + condition);
}

} // namespace zelvaro
