#include "Pattern.h"

#include <boost/regex.hpp>

#include "StringOps.h"

namespace tolvane {

struct CompiledRegex::Impl {
    boost::wregex regex;
};

namespace {

using Iterator = std::wstring_view::const_iterator;
using MatchResults = boost::match_results<Iterator>;

// ECMAScript GetSubstitution: $$, $&, $`, $', $n and $nn (a two-digit group when
// it exists, else a one-digit group when that exists, else the text literally).
void AppendSubstitution(std::wstring& out, const MatchResults& match, std::wstring_view format,
                        Iterator subjectBegin, Iterator subjectEnd) {
    const size_t groups = match.size() - 1;
    auto isDigit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
    for (size_t i = 0; i < format.size(); ++i) {
        const wchar_t c = format[i];
        if (c != L'$' || i + 1 == format.size()) {
            out.push_back(c);
            continue;
        }
        const wchar_t next = format[i + 1];
        if (next == L'$') {
            out.push_back(L'$');
            ++i;
        } else if (next == L'&') {
            out.append(match[0].first, match[0].second);
            ++i;
        } else if (next == L'`') {
            out.append(subjectBegin, match[0].first);
            ++i;
        } else if (next == L'\'') {
            out.append(match[0].second, subjectEnd);
            ++i;
        } else if (isDigit(next)) {
            const size_t one = static_cast<size_t>(next - L'0');
            size_t group = 0;
            size_t used = 0;
            if (i + 2 < format.size() && isDigit(format[i + 2])) {
                const size_t two = one * 10 + static_cast<size_t>(format[i + 2] - L'0');
                if (two >= 1 && two <= groups) {
                    group = two;
                    used = 2;
                }
            }
            if (used == 0 && one >= 1 && one <= groups) {
                group = one;
                used = 1;
            }
            if (used == 0) {
                out.push_back(L'$');
                continue;
            }
            if (match[group].matched)
                out.append(match[group].first, match[group].second);
            i += used;
        } else {
            out.push_back(L'$');
        }
    }
}

}  // namespace

CompiledRegex::CompiledRegex(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CompiledRegex::~CompiledRegex() = default;

std::shared_ptr<const CompiledRegex> CompiledRegex::Compile(std::wstring_view expression) {
    try {
        auto impl = std::make_unique<Impl>();
        // no_mod_m / no_mod_s: '^', '$' and '.' behave as in ECMAScript, not per line.
        impl->regex.assign(expression.begin(), expression.end(),
                           boost::regex_constants::ECMAScript | boost::regex_constants::no_mod_m |
                               boost::regex_constants::no_mod_s);
        return std::shared_ptr<const CompiledRegex>(new CompiledRegex(std::move(impl)));
    } catch (const std::exception&) {
        return nullptr;
    }
}

bool CompiledRegex::ReplaceAll(std::wstring_view subject, std::wstring_view format,
                               std::wstring& out) const {
    out.clear();
    try {
        const Iterator begin = subject.begin();
        const Iterator end = subject.end();
        Iterator last = begin;
        boost::regex_iterator<Iterator> it(begin, end, impl_->regex);
        const boost::regex_iterator<Iterator> done;
        if (it == done) {
            out.assign(subject);
            return true;
        }
        out.reserve(subject.size() + format.size());
        for (; it != done; ++it) {
            const MatchResults& match = *it;
            out.append(last, match[0].first);
            AppendSubstitution(out, match, format, begin, end);
            last = match[0].second;
        }
        out.append(last, end);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool CompiledRegex::Search(std::wstring_view subject) const {
    try {
        return boost::regex_search(subject.begin(), subject.end(), impl_->regex);
    } catch (const std::exception&) {
        return false;
    }
}

bool CompiledRegex::Match(std::wstring_view subject) const {
    try {
        return boost::regex_match(subject.begin(), subject.end(), impl_->regex);
    } catch (const std::exception&) {
        return false;
    }
}

std::wstring WildcardToRegex(std::wstring_view pattern) {
    return ReplaceAll(ReplaceAll(pattern, L"*", L".*"), L"?", L".{1}");
}

bool IsWildcardPattern(std::wstring_view findText) {
    return findText.find_first_of(L"*?") != std::wstring_view::npos;
}

ReplaceStep::ReplaceStep(std::wstring findText, std::wstring replaceText, bool useRegex,
                         PatternBudget budget)
    : find_(std::move(findText)), replacement_(std::move(replaceText)), budget_(budget) {
    if (find_.empty()) {
        mode_ = Mode::Skip;
    } else if (!useRegex && !IsWildcardPattern(find_)) {
        mode_ = Mode::Plain;
    } else {
        regex_ = CompiledRegex::Compile(useRegex ? find_ : WildcardToRegex(find_));
        mode_ = regex_ ? Mode::Pattern : Mode::Invalid;
    }
}

void ReplaceStep::Apply(std::wstring& name) const {
    switch (mode_) {
        case Mode::Skip:
        case Mode::Invalid: return;
        case Mode::Plain:
            if (name.find(find_) != std::wstring::npos)
                name = ReplaceAll(name, find_, replacement_);
            return;
        case Mode::Pattern: {
            if (gaveUp_)
                return;
            std::wstring out;
            const auto start = std::chrono::steady_clock::now();
            const bool finished = regex_->ReplaceAll(name, replacement_, out);
            const auto took = std::chrono::steady_clock::now() - start;
            spent_ += took;
            if (finished)
                name.swap(out);
            if (!finished || took >= budget_.slowName)
                ++runaways_;
            gaveUp_ = runaways_ >= budget_.runaways || spent_ >= budget_.pass;
            return;
        }
    }
}

}  // namespace tolvane
