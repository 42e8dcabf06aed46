#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Glob.h"

namespace tolvane {

// How much matching work a pattern may do, counted in the steps of the matcher itself
// (not in time), so that a name gives the same result on any machine at any load. A
// search that finishes within 128 steps, as every ordinary pattern does on a name, is
// not counted against the pass.
struct PatternBudget {
    // Charged steps: each try of a search after its first counts its whole limit.
    uint64_t nameSteps = 1'000'000;    // one name; a pattern that needs more runs away
    uint64_t passSteps = 100'000'000;  // the costly searches of a whole pass together
};

// The work a pattern did in one pass (or one filtering, one clipboard import), counted
// against its budget. One per pass and thread.
class PatternWork {
  public:
    explicit PatternWork(PatternBudget budget = {}) : budget_(budget) {}

    // Starts the count of the next name.
    void BeginName() { nameSpent_ = 0; }
    // Takes `steps` out of the budgets; false (and from then on given up) when either
    // would be overdrawn.
    bool Charge(uint64_t steps);
    // The steps that may still be charged.
    uint64_t Left() const;
    bool GaveUp() const { return gaveUp_; }

  private:
    PatternBudget budget_;
    uint64_t nameSpent_ = 0;
    uint64_t passSpent_ = 0;
    bool gaveUp_ = false;
};

// A regular expression with the meaning ECMAScript gives it (`new RegExp(p, "gu")`:
// whole code points, no flags), compiled once and applied to many names.
class CompiledRegex {
  public:
    // None when the expression is not valid; `error` then says why.
    static std::shared_ptr<const CompiledRegex> Compile(std::wstring_view expression,
                                                        std::wstring* error = nullptr);

    ~CompiledRegex();
    CompiledRegex(const CompiledRegex&) = delete;
    CompiledRegex& operator=(const CompiledRegex&) = delete;

    // Replaces every match in `subject` as String.prototype.replace does with a global
    // expression: `format` expanded with the ECMAScript '$' rules, an empty match
    // followed by the next search one character further on. False when the work ran
    // past `work`'s budget; `out` is then unspecified. Without `work`, one name's budget.
    // Stops once `out` is longer than `limit`, leaving it cut to `limit` + 1 characters.
    bool ReplaceAll(std::wstring_view subject, std::wstring_view format, std::wstring& out) const;
    bool ReplaceAll(std::wstring_view subject, std::wstring_view format, std::wstring& out,
                    PatternWork& work, size_t limit = std::wstring::npos - 1) const;

    // Whether the expression matches somewhere in `subject`, or the whole of it;
    // none when the work ran past the budget.
    std::optional<bool> Search(std::wstring_view subject, PatternWork& work) const;
    std::optional<bool> Match(std::wstring_view subject, PatternWork& work) const;
    // The same within one name's budget; running away counts as no match.
    bool Search(std::wstring_view subject) const;
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

// The find-and-replace step of one recomputation pass, prepared once: plain text,
// wildcard or regular expression. An invalid pattern leaves every name unchanged.
// One step serves one pass on one thread.
class ReplaceStep {
  public:
    ReplaceStep(std::wstring findText, std::wstring replaceText, bool useRegex,
                PatternBudget budget = {});

    // Applies the step; the name stays unchanged when the pattern is invalid, runs
    // away, or has been given up. A result longer than `limit` is cut to `limit` + 1
    // characters, and no more than that is built.
    void Apply(std::wstring& name, size_t limit = std::wstring::npos - 1) const;

    // Whether the pattern does not compile (every name is then left as it is), and why.
    bool IsInvalid() const { return mode_ == Mode::Invalid; }
    const std::wstring& Error() const { return error_; }
    // Whether the pattern ran away on a name or spent the pass's budget: that name and
    // every later one kept theirs, so the new names of the pass are incomplete.
    bool GaveUp() const { return work_.GaveUp(); }

  private:
    enum class Mode { Skip, Plain, Glob, Regex, Invalid };

    Mode mode_ = Mode::Skip;
    std::wstring find_;
    std::wstring replacement_;
    std::optional<Glob> glob_;
    std::shared_ptr<const CompiledRegex> regex_;
    std::wstring error_;
    mutable PatternWork work_;
};

}  // namespace tolvane
