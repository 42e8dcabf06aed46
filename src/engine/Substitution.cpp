#include "Substitution.h"

namespace tolvane {

namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

void AppendGroup(std::wstring& out, const MatchForSubstitution& match, size_t group) {
    const Capture& capture = match.groups[group - 1];
    if (capture.begin != Capture::kUnset)
        out.append(match.subject.substr(capture.begin, capture.end - capture.begin));
}

}  // namespace

void AppendSubstitution(std::wstring& out, std::wstring_view replacement,
                        const MatchForSubstitution& match, size_t limit) {
    const size_t groups = match.groups.size();
    for (size_t i = 0; i < replacement.size() && out.size() <= limit; ++i) {
        const wchar_t c = replacement[i];
        if (c != L'$' || i + 1 == replacement.size()) {
            out.push_back(c);
            continue;
        }
        const wchar_t next = replacement[i + 1];
        if (next == L'$') {
            out.push_back(L'$');
            ++i;
        } else if (next == L'&') {
            out.append(match.subject.substr(match.begin, match.end - match.begin));
            ++i;
        } else if (next == L'`') {
            out.append(match.subject.substr(0, match.begin));
            ++i;
        } else if (next == L'\'') {
            out.append(match.subject.substr(match.end));
            ++i;
        } else if (IsDigit(next)) {
            const size_t one = static_cast<size_t>(next - L'0');
            if (i + 2 < replacement.size() && IsDigit(replacement[i + 2])) {
                const size_t two = one * 10 + static_cast<size_t>(replacement[i + 2] - L'0');
                if (two >= 1 && two <= groups) {
                    AppendGroup(out, match, two);
                    i += 2;
                    continue;
                }
            }
            if (one >= 1 && one <= groups) {
                AppendGroup(out, match, one);
                ++i;
                continue;
            }
            out.push_back(L'$');
        } else if (next == L'<' && match.names != nullptr && !match.names->empty()) {
            const size_t close = replacement.find(L'>', i + 2);
            if (close == std::wstring_view::npos) {
                out.push_back(L'$');
                continue;
            }
            const std::wstring_view name = replacement.substr(i + 2, close - i - 2);
            for (const auto& [groupName, number] : *match.names) {
                if (groupName == name) {
                    AppendGroup(out, match, static_cast<size_t>(number));
                    break;
                }
            }
            i = close;
        } else {
            out.push_back(L'$');
        }
    }
}

}  // namespace tolvane
