#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

inline constexpr uint32_t kMaxCodePoint = 0x10FFFF;

struct CodeRange {
    uint32_t lo;
    uint32_t hi;
};

// The sets behind \d, \w and \s of ECMAScript (\s: white space and line terminators),
// and the line terminators that '.' does not match.
inline constexpr CodeRange kDigitRanges[] = {{'0', '9'}};
inline constexpr CodeRange kWordRanges[] = {{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}};
inline constexpr CodeRange kSpaceRanges[] = {
    {0x09, 0x0D},     {0x20, 0x20},     {0xA0, 0xA0},     {0x1680, 0x1680}, {0x2000, 0x200A},
    {0x2028, 0x2029}, {0x202F, 0x202F}, {0x205F, 0x205F}, {0x3000, 0x3000}, {0xFEFF, 0xFEFF}};
inline constexpr CodeRange kLineTerminatorRanges[] = {{0x0A, 0x0A}, {0x0D, 0x0D}, {0x2028, 0x2029}};

// One code point as PCRE2 pattern text: ASCII letters and digits as they are, all
// else as \x{...}, so that no character reaches PCRE2 as syntax.
void AppendCodePoint(std::wstring& out, uint32_t c);

// The members of a character class, written out as one PCRE2 class.
class ClassSet {
  public:
    void Add(uint32_t lo, uint32_t hi) { ranges_.push_back({lo, hi}); }
    // A set, or everything outside it.
    void Add(std::span<const CodeRange> set, bool complement);
    // \p{body} or \P{body} as ECMAScript names Unicode properties; false when `body`
    // is not such a name.
    bool AddProperty(std::wstring_view body, bool negated);

    // An empty class matches nothing, its negation everything.
    void AppendTo(std::wstring& out, bool negated) const;

  private:
    std::vector<CodeRange> ranges_;
    std::wstring properties_;  // PCRE2 property items
};

}  // namespace tolvane
