// Every text a table gives, record by record and field by field, for comparing whole tables.
#pragma once

#include "TempFolder.h"
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

// The texts of a one-field table that `writer` describes, with one record for each stored
// value added; empty when the table cannot be written.
template <class Writer>
std::vector<std::string> oneFieldTexts(Writer writer, const std::vector<std::string>& stored) {
    TempFolder folder;
    for (const std::string& value : stored)
        writer.addRecord({value});
    std::vector<std::string> texts;
    if (!writer.writeTo(folder.path("x.dbf")))
        return texts;
    for (const auto& row : tableTexts(folder.path("x.dbf")))
        texts.push_back(row.at(0));
    return texts;
}
