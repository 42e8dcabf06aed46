#include "NumberFields.h"

#include <algorithm>
#include <climits>

#include "ControlTable.h"
#include "NewNamePipeline.h"

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
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    const size_t digits = i;
    // Past the range of int, how far no longer matters.
    constexpr long long kFar = 1LL << 40;
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
        value = std::min(value * 10 + (text[i] - L'0'), kFar);
    if (i == digits)
        return std::nullopt;
    if (negative)
        value = -value;
    if (value >= range->min && value <= range->max)
        return std::nullopt;
    return std::to_wstring(std::clamp<long long>(value, range->min, range->max));
}

}  // namespace tolvane
