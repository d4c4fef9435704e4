// Reading bound arrays as Oracle does.
#include "BoundValues.h"

namespace standin {

std::optional<BoundValue> boundValue(const BindHandle& bind, std::size_t row) {
    if (bind.indicators != nullptr && bind.indicators[row] < 0)
        return BoundValue{};
    const auto elementBytes = static_cast<std::size_t>(bind.valueSize);
    std::size_t length = elementBytes;
    if (bind.longLengths != nullptr)
        length = bind.longLengths[row];
    else if (bind.lengths != nullptr)
        length = bind.lengths[row];
    if (length > elementBytes)
        return std::nullopt;
    if (length == 0 || bind.value == nullptr)
        return BoundValue{};
    return BoundValue{bind.value + row * elementBytes, length, false};
}

int checkBinds(const StatementHandle& statement, int placeholderCount) {
    for (int position = 1; position <= placeholderCount; ++position) {
        if (statement.binds.count(static_cast<ub4>(position)) == 0)
            return 1008;
    }
    for (const auto& bind : statement.binds) {
        if (bind.first > static_cast<ub4>(placeholderCount))
            return 1036;
        const ub2 type = bind.second->dataType;
        if (type != SQLT_CHR && type != SQLT_INT && type != SQLT_VNU && type != SQLT_DAT &&
            type != SQLT_BDOUBLE && type != SQLT_BIN)
            return 3115;
    }
    return 0;
}

} // namespace standin
