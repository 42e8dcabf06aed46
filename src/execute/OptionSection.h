#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "OptionControlStates.h"

namespace tolvane {

class IniFile;

// The value of control `id` as an option section stores it: the text of an edit or
// editable combo box, the selected index of a drop-down list ("-1" for none), "1" or
// "0" for a check box or radio button, always "0" for a push button. The multi-line
// editors are stored with their line breaks escaped.
std::wstring StoredControlValue(const OptionControlStates& controls, int id);

// Applies a stored value as loading a profile does: text as it is, an index read
// as a decimal prefix (an index outside the list selects nothing), checked exactly
// when the value is "1".
void ApplyStoredValue(OptionControlStates& controls, int id, std::wstring_view value);

// Sets control `id` to `value` as a user would, refusing what the control cannot
// take: an id that is no option control, a list index outside the list, a check
// state other than "1"/"0", a non-number in a digits-only edit or a number outside
// its range (see NumberFieldRange), a line break in a single-line control. Checking a
// radio button unchecks the others of its group. Returns the reason when refused.
std::optional<std::string> SetControlValue(OptionControlStates& controls, int id,
                                           std::wstring_view value);

// Writes every option control, in profile order, as keys of `section`.
void SaveOptionSection(const OptionControlStates& controls, IniFile& document,
                       std::wstring_view section);
// Same, into the file at `path` (other sections and keys kept); false when the
// file could not be written.
bool SaveOptionSection(const OptionControlStates& controls, std::wstring_view section,
                       const std::filesystem::path& path);

// Applies every option control from `section`; a missing key clears its control,
// so a missing section or file clears them all.
void LoadOptionSection(OptionControlStates& controls, const IniFile& document,
                       std::wstring_view section);
void LoadOptionSection(OptionControlStates& controls, std::wstring_view section,
                       const std::filesystem::path& path);

// Line breaks and backslashes of a multi-line editor's text as '\n', '\r', '\\'.
std::wstring EscapeLineBreaks(std::wstring_view text);
std::wstring UnescapeLineBreaks(std::wstring_view text);

}  // namespace tolvane
