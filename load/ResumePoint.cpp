// The record a resumed load starts from, and the lines that say where it stands.
#include "load/ResumePoint.h"

#include <algorithm>

ResumePoint findResumePoint(DbfTable& table, std::int64_t rowsInTable, bool skipDeleted) {
    ResumePoint point;
    point.rowsInTable = rowsInTable;
    const int records = table.recordCount();
    if (!skipDeleted) {
        point.loadableRecords = records;
        point.firstRecord = static_cast<int>(std::min<std::int64_t>(rowsInTable, records));
        return point;
    }
    // Deleted records between the last row held and the next loadable record are passed over
    // by the transfer itself.
    for (int record = 0; record < records; ++record) {
        table.selectRecord(record);
        if (table.isDeleted())
            continue;
        if (point.loadableRecords++ < rowsInTable)
            point.firstRecord = record + 1;
    }
    return point;
}

std::string resumeLine(const std::string& tableName, const ResumePoint& point) {
    return "Table " + tableName + " holds " + std::to_string(point.rowsInTable) +
           " rows; loading the file from record " + std::to_string(point.firstRecord + 1) + ".";
}

std::string completeTableLine(const std::string& tableName, const ResumePoint& point) {
    return "Table " + tableName + " is complete: it holds the " +
           std::to_string(point.rowsInTable) + " rows the file loads; nothing was loaded.";
}

std::string tooManyRowsText(const std::string& tableName, const ResumePoint& point,
                            bool skipDeleted) {
    // A load without --skip-deleted may have made the table: its rows count the deleted records.
    return "Cannot resume the load into table " + tableName + ": it holds " +
           std::to_string(point.rowsInTable) + " rows, more than the " +
           std::to_string(point.loadableRecords) + " records the file loads" +
           (skipDeleted ? " (records marked as deleted left out)." : ".");
}
