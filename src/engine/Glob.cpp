#include "Glob.h"

#include "StringOps.h"
#include "Substitution.h"

namespace tolvane {

namespace {

// Never a character of a name: names hold code points up to U+10FFFF.
constexpr wchar_t kAny = static_cast<wchar_t>(0x7FFFFFFF);

bool MatchesAt(std::wstring_view segment, std::wstring_view subject, size_t at) {
    for (size_t j = 0; j < segment.size(); ++j) {
        const wchar_t c = subject[at + j];
        if (segment[j] == kAny ? IsLineTerminator(c) : segment[j] != c)
            return false;
    }
    return true;
}

// The largest start in [low, high] where `segment` matches, or npos.
size_t RightmostMatch(std::wstring_view segment, std::wstring_view subject, size_t low,
                      size_t high) {
    for (size_t at = high + 1; at-- > low;) {
        if (MatchesAt(segment, subject, at))
            return at;
    }
    return std::wstring_view::npos;
}

}  // namespace

bool IsLineTerminator(wchar_t c) {
    return c == L'\n' || c == L'\r' || c == 0x2028 || c == 0x2029;
}

std::optional<Glob> Glob::Parse(std::wstring_view wildcardText) {
    Glob glob;
    glob.segments_.emplace_back();
    for (const wchar_t c : wildcardText) {
        if (c == L'*') {
            if (!glob.segments_.back().empty() || glob.segments_.size() == 1)
                glob.segments_.emplace_back();
            continue;  // a run of stars is one star
        }
        if (c == L'?' || c == L'.') {
            glob.segments_.back() += kAny;
            continue;
        }
        if (std::wstring_view(L"^$\\+()[]{}|").find(c) != std::wstring_view::npos ||
            IsLineTerminator(c) || c == kAny)
            return std::nullopt;
        glob.segments_.back() += c;
    }
    return glob;
}

bool Glob::Find(std::wstring_view subject, size_t from, size_t& begin, size_t& end) const {
    const std::wstring_view first = segments_.front();
    const size_t n = subject.size();
    if (segments_.size() == 1) {
        for (size_t at = from; at + first.size() <= n; ++at) {
            if (MatchesAt(first, subject, at)) {
                begin = at;
                end = at + first.size();
                return true;
            }
        }
        return false;
    }
    // With stars, a match lies within one run of characters between line terminators.
    // Placing the pieces after the first star as far right as they go, last piece first,
    // gives what greedy stars take; the match then starts at the leftmost place of the
    // first piece that still ends before the second.
    for (size_t start = from; start <= n;) {
        size_t runEnd = start;
        while (runEnd < n && !IsLineTerminator(subject[runEnd]))
            ++runEnd;
        const size_t lowest = start + first.size();
        size_t limit = runEnd;  // the pieces placed so far start here
        size_t matchEnd = 0;
        bool placed = lowest <= runEnd;
        for (size_t i = segments_.size() - 1; placed && i >= 1; --i) {
            const std::wstring_view piece = segments_[i];
            const size_t at = limit - lowest >= piece.size()
                                  ? RightmostMatch(piece, subject, lowest, limit - piece.size())
                                  : std::wstring_view::npos;
            placed = at != std::wstring_view::npos;
            if (placed && i == segments_.size() - 1)
                matchEnd = at + piece.size();
            limit = at;
        }
        if (placed) {
            for (size_t at = start; at + first.size() <= limit; ++at) {
                if (MatchesAt(first, subject, at)) {
                    begin = at;
                    end = matchEnd;
                    return true;
                }
            }
        }
        start = runEnd + 1;
    }
    return false;
}

void Glob::ReplaceAll(std::wstring_view subject, std::wstring_view format, std::wstring& out,
                      size_t limit) const {
    out.clear();
    size_t copied = 0;  // the subject up to here is in `out`
    size_t begin = 0, end = 0;
    for (size_t from = 0; from <= subject.size() && Find(subject, from, begin, end);) {
        if (!AppendWithin(out, subject.substr(copied, begin - copied), limit))
            return;
        AppendSubstitution(out, format, {subject, begin, end, {}, nullptr}, limit);
        if (out.size() > limit) {
            out.resize(limit + 1);
            return;
        }
        copied = end;
        from = end == begin ? end + 1 : end;
    }
    AppendWithin(out, subject.substr(copied), limit);
}

}  // namespace tolvane
