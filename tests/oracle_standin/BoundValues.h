// The values bound to a statement, as Oracle reads them row by row.
#pragma once

#include "Handles.h"

#include <optional>

namespace standin {

// One bound value of one row: its bytes, or NULL.
struct BoundValue {
    const char* bytes = nullptr;
    std::size_t length = 0;
    bool isNull = true;
};

// Row r of a bind: value_sz bytes at value + r * value_sz, or the row's actual length when a
// length array was given (4-byte ones through OCIBindByPos2). An indicator of -1 is NULL, and
// so is a text or bytes of length 0. Nothing when a length exceeds value_sz (ORA-01459).
std::optional<BoundValue> boundValue(const BindHandle& bind, std::size_t row);

// ORA-01008 when a placeholder has no bind, ORA-01036 for a bind past the placeholders,
// ORA-03115 for an external type the stand-in does not read (SQLT_CHR, SQLT_INT, SQLT_VNU,
// SQLT_DAT, SQLT_BDOUBLE and SQLT_BIN it does); 0 when the binds are sound.
int checkBinds(const StatementHandle& statement, int placeholderCount);

} // namespace standin
