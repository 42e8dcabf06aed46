#pragma once

#include <string_view>

namespace tolvane {

// Natural order on narrow (UTF-8) text: runs of ASCII digits compare by their value,
// other bytes as signed 8-bit values (so non-ASCII text sorts before ASCII). When
// one text runs out, the longer text is the greater: file2 < file10, a1 < a01.
// Returns -1, 0 or 1.
int NaturalCompare(std::string_view a, std::string_view b);

// The same on wide text, compared through its narrow form.
int NaturalCompare(std::wstring_view a, std::wstring_view b);

}  // namespace tolvane
