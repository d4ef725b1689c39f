#pragma once

#include "host/FieldDef.h"

#include <vector>

namespace zelvaro {

// The ERP tables the system reads and writes, as the reference database lays
// them out: columns in order with type and width, record format, unique key
// and column headings.
const std::vector<TableDef>& hostTables();
const TableDef* hostTable(const QString& name);

} // namespace zelvaro
