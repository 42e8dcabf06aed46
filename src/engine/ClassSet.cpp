#include "ClassSet.h"

#include <algorithm>

#include "UnicodePropertyNames.h"

namespace tolvane {

namespace {

void AppendHex(std::wstring& out, uint32_t c) {
    static constexpr wchar_t kHexDigits[] = L"0123456789abcdef";
    out += L"\\x{";
    wchar_t buffer[8];
    int n = 0;
    do {
        buffer[n++] = kHexDigits[c & 0xF];
        c >>= 4;
    } while (c != 0);
    while (n > 0)
        out += buffer[--n];
    out += L'}';
}

std::wstring_view ShortName(std::span<const PropertyName> names, std::wstring_view name) {
    for (const PropertyName& entry : names) {
        if (entry.name == name)
            return entry.shortName;
    }
    return {};
}

}  // namespace

void AppendCodePoint(std::wstring& out, uint32_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        out += static_cast<wchar_t>(c);
    else
        AppendHex(out, c);
}

void ClassSet::Add(std::span<const CodeRange> set, bool complement) {
    if (!complement) {
        ranges_.insert(ranges_.end(), set.begin(), set.end());
        return;
    }
    uint32_t next = 0;
    for (const CodeRange& r : set) {
        if (r.lo > next)
            ranges_.push_back({next, r.lo - 1});
        next = r.hi + 1;
    }
    if (next <= kMaxCodePoint)
        ranges_.push_back({next, kMaxCodePoint});
}

bool ClassSet::AddProperty(std::wstring_view body, bool negated) {
    const std::wstring p = negated ? L"\\P{" : L"\\p{";
    const size_t equals = body.find(L'=');
    if (equals != std::wstring_view::npos) {
        const std::wstring_view property = body.substr(0, equals);
        const std::wstring_view value = body.substr(equals + 1);
        std::wstring_view shortName;
        std::wstring_view prefix;
        if (property == L"General_Category" || property == L"gc") {
            shortName = ShortName(kGeneralCategoryNames, value);
        } else if (property == L"Script" || property == L"sc") {
            shortName = ShortName(kScriptNames, value);
            prefix = L"sc:";
        } else if (property == L"Script_Extensions" || property == L"scx") {
            shortName = ShortName(kScriptNames, value);
            prefix = L"scx:";
        }
        if (shortName.empty())
            return false;
        properties_ += p + std::wstring(prefix) + std::wstring(shortName) + L'}';
        return true;
    }
    if (const std::wstring_view category = ShortName(kGeneralCategoryNames, body);
        !category.empty()) {
        properties_ += p + std::wstring(category) + L'}';
        return true;
    }
    if (std::find(kBinaryPropertyNames.begin(), kBinaryPropertyNames.end(), body) ==
        kBinaryPropertyNames.end())
        return false;
    // Three names are not Unicode properties of their own.
    if (body == L"Any") {
        if (!negated)
            Add(0, kMaxCodePoint);
    } else if (body == L"ASCII") {
        if (negated)
            Add(0x80, kMaxCodePoint);
        else
            Add(0, 0x7F);
    } else if (body == L"Assigned") {
        properties_ += negated ? L"\\p{Cn}" : L"\\P{Cn}";
    } else {
        properties_ += p + std::wstring(body) + L'}';
    }
    return true;
}

void ClassSet::AppendTo(std::wstring& out, bool negated) const {
    if (ranges_.empty() && properties_.empty()) {
        out += negated ? L"(?s:.)" : L"(?!)";
        return;
    }
    out += negated ? L"[^" : L"[";
    for (const CodeRange& r : ranges_) {
        AppendHex(out, r.lo);
        if (r.hi != r.lo) {
            out += L'-';
            AppendHex(out, r.hi);
        }
    }
    out += properties_;
    out += L']';
}

}  // namespace tolvane
