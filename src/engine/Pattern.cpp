#include "Pattern.h"

#define PCRE2_CODE_UNIT_WIDTH 32
#include <pcre2.h>

#include <algorithm>
#include <vector>

#include "EcmaPattern.h"
#include "StringOps.h"
#include "Substitution.h"

namespace tolvane {

static_assert(sizeof(wchar_t) == sizeof(PCRE2_UCHAR32), "names are searched in place");

namespace {

// The steps of a search's first try, which is free: an ordinary pattern needs a few
// dozen on a name. Every later try is charged its limit. A replacement searches at
// most once per character of a name, so the free tries of a name are bounded by its
// length; with a larger first try, a pattern that matches an empty text at every
// place, each search just within it, ran for minutes on a long list.
constexpr uint64_t kFirstSteps = 128;
// Each further try may take this many times the steps of the one before.
constexpr uint64_t kStepGrowth = 8;
// Memory of one search's backtracking.
constexpr uint32_t kHeapLimitKiB = 64 * 1024;

PCRE2_SPTR32 Units(std::wstring_view text) {
    return reinterpret_cast<PCRE2_SPTR32>(text.data());
}

struct MatchContext {
    pcre2_match_context* context = pcre2_match_context_create(nullptr);
    MatchContext() { pcre2_set_heap_limit(context, kHeapLimitKiB); }
    ~MatchContext() { pcre2_match_context_free(context); }
    MatchContext(const MatchContext&) = delete;
    MatchContext& operator=(const MatchContext&) = delete;
};

// The match data of this thread, grown to the largest expression it met.
pcre2_match_data* MatchDataFor(uint32_t pairs) {
    struct Holder {
        pcre2_match_data* data = nullptr;
        uint32_t pairs = 0;
        ~Holder() { pcre2_match_data_free(data); }
    };
    thread_local Holder holder;
    if (holder.pairs < pairs) {
        pcre2_match_data_free(holder.data);
        holder.data = pcre2_match_data_create(pairs, nullptr);
        holder.pairs = pairs;
    }
    return holder.data;
}

enum class Outcome { Found, NotFound, RanAway };

}  // namespace

bool PatternWork::Charge(uint64_t steps) {
    if (gaveUp_ || steps > budget_.nameSteps - nameSpent_ ||
        steps > budget_.passSteps - passSpent_) {
        gaveUp_ = true;
        return false;
    }
    nameSpent_ += steps;
    passSpent_ += steps;
    return true;
}

uint64_t PatternWork::Left() const {
    if (gaveUp_)
        return 0;
    return std::min(budget_.nameSteps - nameSpent_, budget_.passSteps - passSpent_);
}

struct CompiledRegex::Impl {
    pcre2_code* code = nullptr;
    uint32_t pairs = 1;  // the whole match and each group
    std::vector<std::pair<std::wstring, int>> names;
    ~Impl() { pcre2_code_free(code); }

    // One search from `from`, in rising step limits: a search that needs more than its
    // first try's steps is tried again with more, and every limit tried is charged.
    Outcome Find(std::wstring_view subject, size_t from, uint32_t options, pcre2_match_data* data,
                 PatternWork& work) const {
        thread_local MatchContext context;
        uint64_t limit = kFirstSteps;
        while (true) {
            pcre2_set_match_limit(context.context, static_cast<uint32_t>(limit));
            pcre2_set_depth_limit(context.context, static_cast<uint32_t>(limit));
            const int rc = pcre2_match(code, Units(subject), subject.size(), from, options, data,
                                       context.context);
            if (rc >= 0)
                return Outcome::Found;
            if (rc == PCRE2_ERROR_NOMATCH)
                return Outcome::NotFound;
            if (rc != PCRE2_ERROR_MATCHLIMIT && rc != PCRE2_ERROR_DEPTHLIMIT)
                return Outcome::RanAway;  // out of memory for backtracking, or worse
            const uint64_t next = std::min(limit * kStepGrowth, work.Left());
            if (next <= limit || !work.Charge(next)) {
                work.Charge(work.Left() + 1);  // gives up
                return Outcome::RanAway;
            }
            limit = next;
        }
    }

    std::optional<bool> Found(std::wstring_view subject, uint32_t options,
                              PatternWork& work) const {
        switch (Find(subject, 0, options, MatchDataFor(pairs), work)) {
            case Outcome::Found: return true;
            case Outcome::NotFound: return false;
            case Outcome::RanAway: break;
        }
        return std::nullopt;
    }
};

CompiledRegex::CompiledRegex(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CompiledRegex::~CompiledRegex() = default;

std::shared_ptr<const CompiledRegex> CompiledRegex::Compile(std::wstring_view expression,
                                                            std::wstring* error) {
    std::optional<TranslatedPattern> translated = TranslateEcmaPattern(expression, error);
    if (!translated)
        return nullptr;
    int code = 0;
    PCRE2_SIZE offset = 0;
    auto impl = std::make_unique<Impl>();
    impl->code = pcre2_compile(
        Units(translated->pcre2), translated->pcre2.size(),
        PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_UTF | PCRE2_NEVER_UCP | PCRE2_NEVER_BACKSLASH_C,
        &code, &offset, nullptr);
    if (impl->code == nullptr) {
        // Valid in ECMAScript but beyond the matcher: a look-behind whose length varies.
        if (error) {
            PCRE2_UCHAR32 message[256];
            pcre2_get_error_message(code, message, 256);
            error->clear();
            for (const PCRE2_UCHAR32* c = message; *c != 0; ++c)
                *error += static_cast<wchar_t>(*c);
        }
        return nullptr;
    }
    impl->pairs = static_cast<uint32_t>(translated->groups) + 1;
    impl->names = std::move(translated->names);
    return std::shared_ptr<const CompiledRegex>(new CompiledRegex(std::move(impl)));
}

bool CompiledRegex::ReplaceAll(std::wstring_view subject, std::wstring_view format,
                               std::wstring& out) const {
    PatternWork work;
    return ReplaceAll(subject, format, out, work);
}

bool CompiledRegex::ReplaceAll(std::wstring_view subject, std::wstring_view format,
                               std::wstring& out, PatternWork& work, size_t limit) const {
    out.clear();
    pcre2_match_data* data = MatchDataFor(impl_->pairs);
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
    std::vector<Capture> groups(impl_->pairs - 1);
    size_t copied = 0;
    for (size_t from = 0; from <= subject.size();) {
        const Outcome outcome = impl_->Find(subject, from, 0, data, work);
        if (outcome == Outcome::RanAway)
            return false;
        if (outcome == Outcome::NotFound)
            break;
        const size_t begin = ovector[0], end = ovector[1];
        for (size_t g = 0; g < groups.size(); ++g) {
            const PCRE2_SIZE b = ovector[2 * (g + 1)], e = ovector[2 * (g + 1) + 1];
            groups[g] = b == PCRE2_UNSET ? Capture{} : Capture{b, e};
        }
        if (!AppendWithin(out, subject.substr(copied, begin - copied), limit))
            return true;
        AppendSubstitution(out, format, {subject, begin, end, groups, &impl_->names}, limit);
        if (out.size() > limit) {
            out.resize(limit + 1);
            return true;
        }
        copied = end;
        from = end == begin ? end + 1 : end;
    }
    AppendWithin(out, subject.substr(copied), limit);
    return true;
}

std::optional<bool> CompiledRegex::Search(std::wstring_view subject, PatternWork& work) const {
    return impl_->Found(subject, 0, work);
}

std::optional<bool> CompiledRegex::Match(std::wstring_view subject, PatternWork& work) const {
    return impl_->Found(subject, PCRE2_ANCHORED | PCRE2_ENDANCHORED, work);
}

bool CompiledRegex::Search(std::wstring_view subject) const {
    PatternWork work;
    return Search(subject, work).value_or(false);
}

bool CompiledRegex::Match(std::wstring_view subject) const {
    PatternWork work;
    return Match(subject, work).value_or(false);
}

std::wstring WildcardToRegex(std::wstring_view pattern) {
    return ReplaceAll(ReplaceAll(pattern, L"*", L".*"), L"?", L".{1}");
}

bool IsWildcardPattern(std::wstring_view findText) {
    return findText.find_first_of(L"*?") != std::wstring_view::npos;
}

ReplaceStep::ReplaceStep(std::wstring findText, std::wstring replaceText, bool useRegex,
                         PatternBudget budget)
    : find_(std::move(findText)), replacement_(std::move(replaceText)), work_(budget) {
    if (find_.empty()) {
        mode_ = Mode::Skip;
    } else if (!useRegex && !IsWildcardPattern(find_)) {
        mode_ = Mode::Plain;
    } else if (!useRegex && (glob_ = Glob::Parse(find_))) {
        mode_ = Mode::Glob;
    } else {
        regex_ = CompiledRegex::Compile(useRegex ? find_ : WildcardToRegex(find_), &error_);
        mode_ = regex_ ? Mode::Regex : Mode::Invalid;
    }
}

namespace {

// ReplaceAll of StringOps that stops once `out` is past `limit`.
void ReplacePlainWithin(std::wstring_view text, std::wstring_view find,
                        std::wstring_view replacement, std::wstring& out, size_t limit) {
    out.reserve(std::min(text.size() + replacement.size(), limit + 1));
    size_t start = 0;
    for (size_t pos = text.find(find); pos != std::wstring_view::npos;
         pos = text.find(find, start)) {
        if (!AppendWithin(out, text.substr(start, pos - start), limit) ||
            !AppendWithin(out, replacement, limit))
            return;
        start = pos + find.size();
    }
    AppendWithin(out, text.substr(start), limit);
}

}  // namespace

void ReplaceStep::Apply(std::wstring& name, size_t limit) const {
    switch (mode_) {
        case Mode::Skip:
        case Mode::Invalid: return;
        case Mode::Plain: {
            if (name.find(find_) == std::wstring::npos)
                return;
            std::wstring out;
            ReplacePlainWithin(name, find_, replacement_, out, limit);
            name.swap(out);
            return;
        }
        case Mode::Glob: {
            std::wstring out;
            glob_->ReplaceAll(name, replacement_, out, limit);
            name.swap(out);
            return;
        }
        case Mode::Regex: {
            if (work_.GaveUp())
                return;
            work_.BeginName();
            std::wstring out;
            if (regex_->ReplaceAll(name, replacement_, out, work_, limit))
                name.swap(out);
            return;
        }
    }
}

}  // namespace tolvane
