#pragma once

#include <QString>

#include <string_view>

namespace tolvane {

// A name for the screen: bytes that are not UTF-8 (kept as U+DC80 + byte so that the
// file can still be found) show as the replacement character.
QString DisplayText(std::wstring_view text);

// Back from the screen: text a user typed, as the core holds it.
std::wstring CoreText(const QString& text);

}  // namespace tolvane
