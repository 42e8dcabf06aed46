#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// Narrow text is UTF-8. File names on Linux are bytes that need not be valid UTF-8,
// so decoding maps every byte that is not part of a valid sequence to U+DC80 + byte
// ("surrogate escape") and encoding maps it back: every existing name round-trips.

// Wide text to narrow (UTF-8) text; escaped bytes come back as the bytes they were.
std::string ToNarrow(std::wstring_view text);
// The same, appended to `out`.
void AppendNarrow(std::string& out, std::wstring_view text);

// Narrow (UTF-8) text to wide text; invalid bytes become U+DC80 + byte.
std::wstring ToWide(std::string_view text);

// Bytes for one line of text output: a backslash, tab or line feed becomes \\, \t
// or \n, every other byte stays, so any path or name fits on one line.
std::string EscapeForLine(std::string_view bytes);
void AppendEscaped(std::string& out, std::string_view bytes);
// The reverse; an unknown escape keeps its backslash.
std::string UnescapeLine(std::string_view line);

// UTF-16 bytes (without their byte-order mark) to wide text; unpaired surrogates
// become U+FFFD and a last odd byte is dropped.
std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian);

// Whether the bytes are valid UTF-8 as ToWide reads it.
bool IsValidUtf8(std::string_view bytes);

}  // namespace tolvane
