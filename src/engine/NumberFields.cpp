#include "NumberFields.h"

#include <algorithm>
#include <climits>

#include "ControlTable.h"
#include "NewNamePipeline.h"
#include "StringOps.h"

namespace tolvane {

std::optional<NumberRange> NumberFieldRange(int editId) {
    switch (editId) {
        // Negative positions count from the end.
        case ctl::kInsertPositionEdit: return NumberRange{INT_MIN, INT_MAX};
        case ctl::kDeletePositionEdit:
        case ctl::kDeleteCountEdit:
        case ctl::kSerialStartEdit:
        case ctl::kSerialIncrementEdit: return NumberRange{0, INT_MAX};
        // More digits than a name can hold pad nothing more.
        case ctl::kSerialDigitsEdit: return NumberRange{0, kMaxSerialDigits};
        default: return std::nullopt;
    }
}

std::optional<std::wstring> ClampedNumberText(int editId, std::wstring_view text) {
    const std::optional<NumberRange> range = NumberFieldRange(editId);
    if (!range)
        return std::nullopt;
    const std::optional<long long> number = LeadingDecimal(text);
    if (!number)
        return std::nullopt;
    const long long value = *number;
    if (value >= range->min && value <= range->max)
        return std::nullopt;
    return std::to_wstring(std::clamp<long long>(value, range->min, range->max));
}

}  // namespace tolvane
