#pragma once

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

// The find-and-replace step of one recomputation pass, prepared once: plain text,
// wildcard or regular expression. An invalid pattern leaves every name unchanged.
class ReplaceStep {
  public:
    ReplaceStep(std::wstring findText, std::wstring replaceText, bool useRegex);

    // Applies the step; the name stays unchanged when the pattern is invalid or
    // runs away. After a few runaways within the pass the pattern is given up for
    // the rest of it, so that a pathological pattern cannot freeze the preview.
    void Apply(std::wstring& name) const;

    bool IsActive() const { return mode_ != Mode::Skip; }

  private:
    enum class Mode { Skip, Plain, Pattern, Invalid };
    static constexpr int kRunawayLimit = 8;

    Mode mode_ = Mode::Skip;
    std::wstring find_;
    std::wstring replacement_;
    std::shared_ptr<const CompiledRegex> regex_;
    mutable int runaways_ = 0;
};

}  // namespace tolvane
