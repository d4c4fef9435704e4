// What a load makes of a table, decided once when the table is opened: the code page its
// text is read in, the converter for it, the columns and their kinds, typed or not. The load
// and marlin-load --describe both read it from here, so that what one shows is what the other
// does.
#pragma once

#include "dbf/DbfTable.h"
#include "dbf/TextConverter.h"
#include "load/CodePageChoice.h"
#include "load/ColumnList.h"
#include "load/LoadState.h"

#include <memory>
#include <vector>

struct LoadPlan {
    CodePageChoice codePage;
    // Converts the file's text into UTF-8; null when this system cannot decode the code page
    // chosen, nor the machine's OEM one (the columns are then empty).
    std::unique_ptr<TextConverter> converter;
    // One per field but the system fields, in descriptor order, their names made loadable
    // with the options' fixNames.
    std::vector<Column> columns;
    // Each column takes the type of its field's values, and the INSERT names its columns.
    bool typed = false;
};

// The plan of a load of the open `table` with `options`.
LoadPlan planLoad(DbfTable& table, const LoadOptions& options);
