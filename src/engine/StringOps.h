#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// The part after the last '.', empty when the text has no '.'.
std::wstring ExtensionOf(std::wstring_view text);

// The part before the last '.', the whole text when it has no '.'.
std::wstring StemOf(std::wstring_view text);

// The most characters a new name is built to. No Linux name is longer than 255 bytes, so
// anything past this is no name; the steps that build a name stop once they pass it
// (leaving kMaxNewNameLength + 1 characters), and a name that long is refused as too
// long. Keeps a list of absurd names near the memory of a list of real ones.
inline constexpr size_t kMaxNewNameLength = 1024;

// `text` with `piece` appended, but never longer than `limit` + 1 characters: false
// (and `text` cut there) when the whole would not have fit within `limit`.
bool AppendWithin(std::wstring& text, std::wstring_view piece, size_t limit);

// True for the nine characters that never go into a new name: / \ : * ? " < > |
bool IsInvalidNameChar(wchar_t c);

// The text without any of the nine invalid name characters.
std::wstring StripInvalidNameChars(std::wstring_view text);

// Pieces between separators; the remainder after the last separator is always
// a piece, so "a;" gives {"a", ""} and "" gives {""}.
std::vector<std::wstring> SplitString(std::wstring_view text, wchar_t separator);

// Every occurrence of `find` replaced left to right, without overlap. An empty
// `find` changes nothing.
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view find,
                        std::wstring_view replacement);

// White space as the C library knows it: ' ', '\t', '\n', '\v', '\f', '\r'.
bool IsBlank(wchar_t c);
// The text without white space at both ends, or at its end only.
std::wstring_view TrimBlanks(std::wstring_view text);
std::wstring_view TrimTrailingBlanks(std::wstring_view text);

// Inserts `piece` at `index`, clamped to 0 .. length.
void InsertClamped(std::wstring& text, long long index, std::wstring_view piece);

// The number a text starts with: optional leading white space, optional sign,
// decimal digits; none without digits. Saturates far past the range of int.
std::optional<long long> LeadingDecimal(std::wstring_view text);

// A number typed into an option field, read as LeadingDecimal reads it; no digits
// gives 0. Saturates at the range of int.
int ReadDecimalPrefix(std::wstring_view text);

// Case mapping of the neutral locale: only 'a'..'z' and 'A'..'Z' change.
wchar_t AsciiUpper(wchar_t c);
wchar_t AsciiLower(wchar_t c);
std::wstring AsciiUpper(std::wstring_view text);
std::wstring AsciiLower(std::wstring_view text);

}  // namespace tolvane
