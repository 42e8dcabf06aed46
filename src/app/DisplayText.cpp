#include "DisplayText.h"

#include <algorithm>
#include <string>

namespace tolvane {

QString DisplayText(std::wstring_view text) {
    static_assert(sizeof(wchar_t) == sizeof(char32_t));
    const auto isEscape = [](wchar_t c) {
        return static_cast<char32_t>(c) >= 0xD800 && static_cast<char32_t>(c) <= 0xDFFF;
    };
    const auto size = static_cast<qsizetype>(text.size());
    // Converted whole: a whole list copied out is millions of characters.
    if (std::none_of(text.begin(), text.end(), isEscape))
        return QString::fromUcs4(reinterpret_cast<const char32_t*>(text.data()), size);
    std::u32string shown(text.begin(), text.end());
    std::replace_if(shown.begin(), shown.end(), isEscape, U'\uFFFD');
    return QString::fromUcs4(shown.data(), size);
}

std::wstring CoreText(const QString& text) {
    return text.toStdWString();
}

}  // namespace tolvane
