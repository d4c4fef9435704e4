// The table most load tests use: a C(10) name and five memo fields, a record width of 10,000
// and so batches of 1000 rows.
#pragma once

#include "DbfWriter.h"

#include <string>

// `records` records whose names are clientName(0), clientName(1), ...; no memos.
DbfWriter wideClientTable(int records);
// The name field of record n: "C" and n in nine digits.
std::string clientName(int record);
