#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// The numbers a number field of the options (insert and delete position, delete
// count, serial start, increment and digits) can mean. Wider than what its arrows
// step through: a field takes any number typed, up to what the steps that read it
// can use.
struct NumberRange {
    int min = 0;
    int max = 0;
};

// The range of number field `editId`; none for any other control.
std::optional<NumberRange> NumberFieldRange(int editId);

// When `text` (read as ReadDecimalPrefix reads it) stands for a number outside the
// range of field `editId`: the nearest number of the range, as text. None when it is
// within the range, holds no number, or the control is no number field. A field
// shows this instead of its text, so that what it shows is what is used.
std::optional<std::wstring> ClampedNumberText(int editId, std::wstring_view text);

}  // namespace tolvane
