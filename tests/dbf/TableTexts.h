// Every text a table gives, record by record and field by field, for comparing whole tables.
#pragma once

#include "dbf/DbfTable.h"

#include <string>
#include <vector>

using TableRows = std::vector<std::vector<std::string>>;

// Empty when the table does not open.
inline TableRows tableTexts(const std::string& path) {
    DbfTable table;
    TableRows rows;
    if (!table.open(path.c_str()))
        return rows;
    for (int record = 0; table.selectRecord(record); ++record) {
        rows.emplace_back();
        for (int field = 0; field < table.fieldCount(); ++field)
            rows.back().push_back(table.field(field).text());
    }
    return rows;
}
