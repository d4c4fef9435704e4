// A load's plan, made from the table and the options alone.
#include "load/LoadPlan.h"

#include "load/BatchBuffers.h"

LoadPlan planLoad(DbfTable& table, const LoadOptions& options) {
    LoadPlan plan;
    plan.codePage = chooseCodePage(table, options);
    plan.typed = options.typedColumns;
    // One converter per load: the file's code page and the system's do not change.
    plan.converter = converterFor(table, plan.codePage.codePage);
    if (plan.converter)
        plan.columns = buildColumns(table, *plan.converter, options.fixNames, plan.typed);
    return plan;
}
