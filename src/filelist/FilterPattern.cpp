#include "FilterPattern.h"

#include "engine/Pattern.h"
#include "engine/StringOps.h"

namespace tolvane {

namespace {

// Characters that give a filter a meaning of regular expressions beyond wildcards.
bool NeedsRegex(std::wstring_view filter) {
    return filter.find_first_of(L"\\^$|()[]{}+\n\r") != std::wstring_view::npos;
}

bool MatchesOne(wchar_t pattern, wchar_t c) {
    // '?' and '.' stand for any one character, as ".{1}" and "." do.
    return pattern == L'?' || pattern == L'.' || pattern == c;
}

// Whether `glob` matches some part of `name` ('*' any run, '?' and '.' any one
// character). Greedy with one backtrack point per star: O(length of name x glob).
bool GlobFound(std::wstring_view glob, std::wstring_view name) {
    for (size_t start = 0; start <= name.size(); ++start) {
        size_t g = 0, n = start;
        size_t starG = std::wstring_view::npos, starN = 0;
        while (true) {
            if (g == glob.size())
                return true;  // the rest of the name is ".*"
            if (glob[g] == L'*') {
                starG = g++;
                starN = n;
                continue;
            }
            if (n < name.size() && MatchesOne(glob[g], name[n])) {
                ++g;
                ++n;
                continue;
            }
            if (starG == std::wstring_view::npos || starN >= name.size())
                break;
            g = starG + 1;
            n = ++starN;
        }
        // A glob that starts with a star already tried every start.
        if (!glob.empty() && glob.front() == L'*')
            return false;
    }
    return false;
}

}  // namespace

FilterPattern::~FilterPattern() = default;

std::unique_ptr<FilterPattern> FilterPattern::Make(std::wstring_view filter) {
    if (filter.empty())
        return nullptr;
    std::unique_ptr<FilterPattern> pattern(new FilterPattern);
    pattern->glob_ = AsciiLower(filter);
    if (NeedsRegex(pattern->glob_)) {
        pattern->regex_ = CompiledRegex::Compile(L".*" + WildcardToRegex(pattern->glob_) + L".*");
        if (!pattern->regex_)
            return nullptr;
    }
    return pattern;
}

bool FilterPattern::Matches(std::wstring_view name) const {
    const std::wstring lower = AsciiLower(name);
    if (regex_)
        return regex_->Match(lower);
    // ".*" never matches a line break, so a name holding one cannot match whole.
    if (lower.find(L'\n') != std::wstring::npos)
        return false;
    return GlobFound(glob_, lower);
}

}  // namespace tolvane
