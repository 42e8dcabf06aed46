#include "FilterPattern.h"

#include <algorithm>

#include "engine/StringOps.h"

namespace tolvane {

FilterPattern::~FilterPattern() = default;

std::unique_ptr<FilterPattern> FilterPattern::Make(std::wstring_view filter, PatternBudget budget) {
    if (filter.empty())
        return nullptr;
    std::unique_ptr<FilterPattern> pattern(new FilterPattern(budget));
    const std::wstring lower = AsciiLower(filter);
    pattern->glob_ = Glob::Parse(lower);
    if (!pattern->glob_) {
        pattern->regex_ = CompiledRegex::Compile(L".*" + WildcardToRegex(lower) + L".*");
        if (!pattern->regex_)
            return nullptr;
    }
    return pattern;
}

std::optional<bool> FilterPattern::Matches(std::wstring_view name) const {
    const std::wstring lower = AsciiLower(name);
    if (regex_) {
        work_.BeginName();
        return regex_->Match(lower, work_);
    }
    // ".*" never matches a line terminator, so a name holding one cannot match whole.
    if (std::any_of(lower.begin(), lower.end(), IsLineTerminator))
        return false;
    size_t begin = 0, end = 0;
    return glob_->Find(lower, 0, begin, end);
}

}  // namespace tolvane
