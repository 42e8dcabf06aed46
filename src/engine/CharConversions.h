#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// Chinese numerals 一..十 to digits, then the fix-ups that join tens and units
// (二十三 -> 23, 十三 -> 13, 二十 -> 20). The fix-ups act on every digit of the text.
std::wstring CnNumeralsToDigits(std::wstring_view text);

// Digits to Chinese numerals one by one ('2023' -> 二0二三; '0' has no numeral).
std::wstring DigitsToCnNumerals(std::wstring_view text);

// The whole-name conversion of list index `mode` (3..9) applied to the working
// name; other indexes leave it unchanged.
void ApplyNameConversion(int mode, std::wstring& name);

// The extension case of list index `mode` (1 upper, 2 lower) applied to the
// finished name; a name without '.' and other indexes stay unchanged.
void ApplyExtensionCase(int mode, std::wstring& name);

}  // namespace tolvane
