#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane {

// Where a group matched in the subject; `begin` is npos when it took no part.
struct Capture {
    static constexpr size_t kUnset = static_cast<size_t>(-1);
    size_t begin = kUnset;
    size_t end = kUnset;
};

// What a replacement text may refer to: the whole match, the groups and their names.
struct MatchForSubstitution {
    std::wstring_view subject;
    size_t begin = 0;
    size_t end = 0;
    std::span<const Capture> groups;  // group 1 first
    const std::vector<std::pair<std::wstring, int>>* names = nullptr;
};

// Appends `replacement` expanded as ECMAScript's String.prototype.replace expands it:
// $$, $&, $`, $', $n and $nn (the two-digit group when it exists, else the one-digit
// group, else the text as it stands), and $<name> when the pattern has named groups;
// a group that took no part gives the empty text. Stops once `out` is longer than
// `limit`: a replacement such as "$`$`$`..." must not build megabytes to be cut.
void AppendSubstitution(std::wstring& out, std::wstring_view replacement,
                        const MatchForSubstitution& match, size_t limit = std::wstring::npos - 1);

}  // namespace tolvane
