// The load tests' client table.
#include "ClientTable.h"

#include <cstdio>

DbfWriter wideClientTable(int records) {
    DbfWriter table;
    table.addField("NAME", 'C', 10);
    for (int memo = 1; memo <= 5; ++memo)
        table.addField("NOTE" + std::to_string(memo), 'M', 10);
    for (int record = 0; record < records; ++record)
        table.addRecord({clientName(record)});
    return table;
}

std::string clientName(int record) {
    char name[11];
    std::snprintf(name, sizeof name, "C%09d", record);
    return name;
}
