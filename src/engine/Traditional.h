#pragma once

#include <string>

namespace tolvane {

// Simplified <-> Traditional Chinese, character by character: every character is
// mapped on its own to its first counterpart, characters without one stay, and the
// length never changes (漢字 <-> 汉字). When the character tables cannot be loaded
// the text comes back unchanged. Narrow text is UTF-8.
class Traditional {
  public:
    Traditional() = default;
    virtual ~Traditional() = default;
    Traditional(const Traditional&) = default;
    Traditional& operator=(const Traditional&) = default;

    static std::wstring FromSimple(const std::wstring& text);
    static std::wstring ToSimple(const std::wstring& text);
    static std::string FromSimple(const std::string& text);
    static std::string ToSimple(const std::string& text);

    // Whether the character tables could be loaded (they are loaded on first use).
    static bool Available();
};

}  // namespace tolvane
