#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// Where the engine gets its user-visible texts. The language layer implements it;
// without a language file every text is its built-in (Chinese) default.
class TextSource {
  public:
    virtual ~TextSource() = default;

    // The text of `key` for an item of an option list or a column title: the built-in
    // text when no language is in use, the language's value (possibly empty) otherwise.
    virtual std::wstring ItemText(std::string_view key, std::wstring_view builtIn) const = 0;

    // An ordinary lookup: the language's value, or `fallback` when it is empty or missing.
    virtual std::wstring Lookup(std::string_view key, std::wstring_view fallback) const = 0;
};

// The texts of a run without a language file.
class BuiltInTexts final : public TextSource {
  public:
    std::wstring ItemText(std::string_view, std::wstring_view builtIn) const override {
        return std::wstring(builtIn);
    }
    std::wstring Lookup(std::string_view, std::wstring_view fallback) const override {
        return std::wstring(fallback);
    }
};

}  // namespace tolvane
