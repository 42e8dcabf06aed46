#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tolvane {

class CompiledRegex;

// The pattern of the filter box, built once per filtering: the lower-cased filter
// with '*' as ".*" and '?' as ".{1}", between ".*" and ".*", matched against the
// whole lower-cased name, so it finds the filter anywhere in the name. Filters that
// use nothing of regular expressions but '*', '?' and '.' are matched without the
// regular-expression engine, with the same result.
class FilterPattern {
  public:
    // None when the filter is empty or does not compile.
    static std::unique_ptr<FilterPattern> Make(std::wstring_view filter);
    ~FilterPattern();

    bool Matches(std::wstring_view name) const;

  private:
    FilterPattern() = default;

    std::wstring glob_;  // the lower-cased filter, for the fast path
    std::shared_ptr<const CompiledRegex> regex_;
};

}  // namespace tolvane
