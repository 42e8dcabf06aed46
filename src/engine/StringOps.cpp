#include "StringOps.h"

#include <algorithm>
#include <climits>

namespace tolvane {

std::wstring ExtensionOf(std::wstring_view text) {
    const size_t dot = text.rfind(L'.');
    if (dot == std::wstring_view::npos)
        return {};
    return std::wstring(text.substr(dot + 1));
}

std::wstring StemOf(std::wstring_view text) {
    const size_t dot = text.rfind(L'.');
    if (dot == std::wstring_view::npos)
        return std::wstring(text);
    return std::wstring(text.substr(0, dot));
}

bool IsInvalidNameChar(wchar_t c) {
    switch (c) {
        case L'/':
        case L'\\':
        case L':':
        case L'*':
        case L'?':
        case L'"':
        case L'<':
        case L'>':
        case L'|': return true;
        default: return false;
    }
}

std::wstring StripInvalidNameChars(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (!IsInvalidNameChar(c))
            out.push_back(c);
    }
    return out;
}

std::vector<std::wstring> SplitString(std::wstring_view text, wchar_t separator) {
    std::vector<std::wstring> pieces;
    size_t start = 0;
    for (size_t pos = text.find(separator); pos != std::wstring_view::npos;
         pos = text.find(separator, start)) {
        pieces.emplace_back(text.substr(start, pos - start));
        start = pos + 1;
    }
    pieces.emplace_back(text.substr(start));
    return pieces;
}

std::wstring ReplaceAll(std::wstring_view text, std::wstring_view find,
                        std::wstring_view replacement) {
    if (find.empty())
        return std::wstring(text);
    std::wstring out;
    size_t start = 0;
    size_t pos = text.find(find);
    if (pos == std::wstring_view::npos)
        return std::wstring(text);
    out.reserve(text.size() + replacement.size());
    for (; pos != std::wstring_view::npos; pos = text.find(find, start)) {
        out.append(text.substr(start, pos - start));
        out.append(replacement);
        start = pos + find.size();
    }
    out.append(text.substr(start));
    return out;
}

bool AppendWithin(std::wstring& text, std::wstring_view piece, size_t limit) {
    if (text.size() + piece.size() <= limit) {
        text.append(piece);
        return true;
    }
    if (text.size() <= limit)
        text.append(piece.substr(0, limit + 1 - text.size()));
    return false;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

std::wstring_view TrimTrailingBlanks(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::wstring_view TrimBlanks(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return TrimTrailingBlanks(text);
}

void InsertClamped(std::wstring& text, long long index, std::wstring_view piece) {
    const auto length = static_cast<long long>(text.size());
    const auto at = static_cast<size_t>(std::clamp(index, 0LL, length));
    text.insert(at, piece);
}

std::optional<long long> LeadingDecimal(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    const size_t digits = i;
    // Past the range of int, how far no longer matters.
    constexpr long long kFar = 1LL << 40;
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
        value = std::min(value * 10 + (text[i] - L'0'), kFar);
    if (i == digits)
        return std::nullopt;
    return negative ? -value : value;
}

int ReadDecimalPrefix(std::wstring_view text) {
    const long long value = LeadingDecimal(text).value_or(0);
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

wchar_t AsciiUpper(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? c - (L'a' - L'A') : c;
}

wchar_t AsciiLower(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? c + (L'a' - L'A') : c;
}

std::wstring AsciiUpper(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        c = AsciiUpper(c);
    return out;
}

std::wstring AsciiLower(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        c = AsciiLower(c);
    return out;
}

}  // namespace tolvane
