#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/Glob.h"
#include "engine/Pattern.h"

namespace tolvane {

// The pattern of the filter box, built once per filtering: the lower-cased filter
// with '*' as ".*" and '?' as ".{1}", between ".*" and ".*", matched against the
// whole lower-cased name, so it finds the filter anywhere in the name. Filters that
// use nothing of regular expressions but '*', '?' and '.' are matched by the linear
// wildcard matcher, with the same result. The work of one filtering is bounded as a
// pass of the find pattern is.
class FilterPattern {
  public:
    // None when the filter is empty or does not compile.
    static std::unique_ptr<FilterPattern> Make(std::wstring_view filter, PatternBudget budget = {});
    ~FilterPattern();

    // None once the pattern has run past its budget.
    std::optional<bool> Matches(std::wstring_view name) const;

  private:
    explicit FilterPattern(PatternBudget budget) : work_(budget) {}

    std::optional<Glob> glob_;
    std::shared_ptr<const CompiledRegex> regex_;
    mutable PatternWork work_;
};

}  // namespace tolvane
