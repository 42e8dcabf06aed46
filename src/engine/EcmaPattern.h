#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane {

// A pattern read as ECMAScript reads `new RegExp(pattern, "u")` (whole code points, no
// flags) and written out again in the syntax of PCRE2's 32-bit library, so that PCRE2
// matches exactly what the pattern means there. The output relies on PCRE2 running
// without UTF mode (names may hold lone surrogates) and with unset back-references
// matching the empty text; every literal is written as a code point, so nothing in it
// can reach PCRE2 as syntax of its own.
struct TranslatedPattern {
    std::wstring pcre2;                               // one PCRE2 code unit per wchar_t
    int groups = 0;                                   // capturing groups
    std::vector<std::pair<std::wstring, int>> names;  // named groups and their numbers
};

// None when the text is not a valid pattern; `error` then says why.
std::optional<TranslatedPattern> TranslateEcmaPattern(std::wstring_view pattern,
                                                      std::wstring* error = nullptr);

}  // namespace tolvane
