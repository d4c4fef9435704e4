// Where a load that resumes into its existing table goes on: after the records whose rows the
// table holds already.
#pragma once

#include "dbf/DbfTable.h"

#include <cstdint>
#include <string>

// The point is found from the table's row count alone: it trusts that only Marlin wrote to the
// table, one row for each loadable record of this file, in record order.
struct ResumePoint {
    std::int64_t rowsInTable = 0;
    // The file's records a load loads: every one, or with skipDeleted those not marked as
    // deleted.
    std::int64_t loadableRecords = 0;
    // The first record the table does not hold: the one after the rowsInTable-th loadable
    // record (0 for an empty table).
    int firstRecord = 0;

    bool tableComplete() const { return rowsInTable == loadableRecords; }
    bool tooManyRows() const { return rowsInTable > loadableRecords; }
};

// Reads the deletion flags of the open table when `skipDeleted` asks for it; leaves some
// record selected.
ResumePoint findResumePoint(DbfTable& table, std::int64_t rowsInTable, bool skipDeleted);

// "Table CLIENTS holds 1000 rows; loading the file from record 1001.": the line of a load that
// goes on.
std::string resumeLine(const std::string& tableName, const ResumePoint& point);
// The last line of a load whose table holds every loadable record already.
std::string completeTableLine(const std::string& tableName, const ResumePoint& point);
// Why a table with more rows than the file loads is refused.
std::string tooManyRowsText(const std::string& tableName, const ResumePoint& point,
                            bool skipDeleted);
