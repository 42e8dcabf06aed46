#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace tolvane {

// A regular expression compiled once and applied to many names. ECMAScript syntax
// over whole characters; \s, \w and \d keep their ASCII meaning.
class CompiledRegex {
  public:
    // None when the expression does not compile.
    static std::shared_ptr<const CompiledRegex> Compile(std::wstring_view expression);

    ~CompiledRegex();
    CompiledRegex(const CompiledRegex&) = delete;
    CompiledRegex& operator=(const CompiledRegex&) = delete;

    // Replaces every match in `subject` by `format` expanded with the ECMAScript
    // '$' rules ($&, $1..$99, $$, $`, $'). False when matching ran away (the
    // matcher's complexity or stack limit); `out` is then unspecified.
    bool ReplaceAll(std::wstring_view subject, std::wstring_view format, std::wstring& out) const;

    // Whether the expression matches somewhere in `subject`; false when matching runs away.
    bool Search(std::wstring_view subject) const;
    // Whether it matches the whole of `subject`; false when matching runs away.
    bool Match(std::wstring_view subject) const;

    struct Impl;

  private:
    explicit CompiledRegex(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// The wildcard find text as a regular expression: '*' -> ".*", '?' -> ".{1}";
// nothing else is escaped, so '.', '(' and the like keep their meaning.
std::wstring WildcardToRegex(std::wstring_view pattern);

// True when a find text is read as a wildcard pattern (it holds '*' or '?').
bool IsWildcardPattern(std::wstring_view findText);

// How long a pattern may take within one recomputation pass. A name whose
// replacement takes `slowName` or longer counts as a runaway, as does one on which
// the matcher gives up; after `runaways` of them, or once the pass has spent
// `pass` on the pattern, the pattern is given up for the rest of the pass. Ordinary
// patterns take microseconds per name and never come near these limits.
struct PatternBudget {
    std::chrono::nanoseconds slowName = std::chrono::milliseconds(20);
    std::chrono::nanoseconds pass = std::chrono::seconds(5);
    int runaways = 4;
};

// The find-and-replace step of one recomputation pass, prepared once: plain text,
// wildcard or regular expression. An invalid pattern leaves every name unchanged.
// One step serves one pass on one thread.
class ReplaceStep {
  public:
    ReplaceStep(std::wstring findText, std::wstring replaceText, bool useRegex,
                PatternBudget budget = {});

    // Applies the step; the name stays unchanged when the pattern is invalid, runs
    // away, or has been given up.
    void Apply(std::wstring& name) const;

    // Whether the pattern does not compile (every name is then left as it is).
    bool IsInvalid() const { return mode_ == Mode::Invalid; }
    // Whether the pattern was given up during this pass: later names kept theirs.
    bool GaveUp() const { return gaveUp_; }

  private:
    enum class Mode { Skip, Plain, Pattern, Invalid };

    Mode mode_ = Mode::Skip;
    std::wstring find_;
    std::wstring replacement_;
    std::shared_ptr<const CompiledRegex> regex_;
    PatternBudget budget_;
    mutable int runaways_ = 0;
    mutable std::chrono::nanoseconds spent_{0};
    mutable bool gaveUp_ = false;
};

}  // namespace tolvane
