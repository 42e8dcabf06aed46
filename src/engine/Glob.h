#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// A wildcard find text that uses nothing of regular expressions but '*' (any run of
// characters), '?' and '.' (any one character). It matches exactly as its translation
// to a regular expression (".*", ".{1}", ".") would: the leftmost match, each star as
// long as the rest allows, never across a line terminator. Matching takes time linear
// in name x pattern, without backtracking, whatever the pattern.
class Glob {
  public:
    // None when the text holds any other syntax of regular expressions or a line
    // terminator; it is then matched as the regular expression it translates to.
    static std::optional<Glob> Parse(std::wstring_view wildcardText);

    // The first match that starts at or after `from`.
    bool Find(std::wstring_view subject, size_t from, size_t& begin, size_t& end) const;

    // Replaces every match as a global regular expression would (an empty match is
    // followed by the next search one character further on), `format` expanded with
    // the ECMAScript '$' rules.
    // Stops once `out` is longer than `limit`, leaving it cut to `limit` + 1 characters.
    void ReplaceAll(std::wstring_view subject, std::wstring_view format, std::wstring& out,
                    size_t limit = std::wstring::npos - 1) const;

  private:
    // The literal pieces between the stars; kAny stands for '?' and '.'.
    std::vector<std::wstring> segments_;
};

// Whether '.' cannot match `c`: line feed, carriage return, U+2028, U+2029.
bool IsLineTerminator(wchar_t c);

}  // namespace tolvane
