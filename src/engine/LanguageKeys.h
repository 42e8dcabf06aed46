#pragma once

#include <span>
#include <string_view>

namespace tolvane {

// How a text is looked up while a language file is in use.
enum class TextKind {
    Item,    // list items, column titles, pop-up menu items: empty when the file lacks the key
    Lookup,  // everything else: the built-in text when the file lacks the key
};

// One named key of the language files with its built-in (Simplified Chinese) text.
// A key used in two places with different built-in texts has a row for each, told
// apart by `use`.
struct LanguageKey {
    const char* key;
    TextKind kind;
    const wchar_t* builtIn;
    const char* use;  // "" for the key's main use
};

// Every named key, in the order of the language files.
std::span<const LanguageKey> LanguageKeyTable();

// The built-in text of `key` for `use`; empty for a key that is not in the table.
std::wstring_view BuiltInText(std::string_view key, std::string_view use = "");

}  // namespace tolvane
