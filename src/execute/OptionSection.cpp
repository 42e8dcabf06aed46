#include "OptionSection.h"

#include <algorithm>
#include <string>

#include "engine/ControlTable.h"
#include "engine/NumberFields.h"
#include "engine/StringOps.h"
#include "engine/TextConvert.h"
#include "settings/IniFile.h"

namespace tolvane {

namespace {

enum class ValueKind { Text, Index, Check, PushButton, None };

ValueKind KindOf(int id) {
    const ControlInfo* info = FindMainWindowControl(id);
    if (info == nullptr)
        return ValueKind::None;
    switch (info->kind) {
        case ControlKind::Edit:
        case ControlKind::EditableCombo: return ValueKind::Text;
        case ControlKind::DropDownList: return ValueKind::Index;
        case ControlKind::CheckBox:
        case ControlKind::RadioButton: return ValueKind::Check;
        case ControlKind::PushButton: return ValueKind::PushButton;
        default: return ValueKind::None;
    }
}

bool IsProfileControl(int id) {
    for (int profileId : kProfileControlOrder) {
        if (profileId == id)
            return true;
    }
    return false;
}

bool HasEscapedLineBreaks(int id) {
    return id == ctl::kTextModeEditor || id == ctl::kInPlaceEditor;
}

bool IsDigitsOnly(int id) {
    const ControlInfo* info = FindMainWindowControl(id);
    return info != nullptr && (info->flags & kDigitsOnly) != 0;
}

// A whole decimal integer, optionally negative, with no other characters.
std::optional<int> StrictInteger(std::wstring_view value) {
    std::wstring_view digits = value;
    if (!digits.empty() && digits.front() == L'-')
        digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 9)
        return std::nullopt;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
    }
    return ReadDecimalPrefix(value);
}

// What a digits-only box can come to hold: typed digits, and a minus sign only in
// the insert position, whose spin range goes below zero.
bool DigitsBoxCanHold(int id, std::wstring_view value) {
    if (id == ctl::kInsertPositionEdit && value.starts_with(L'-'))
        value.remove_prefix(1);
    return std::all_of(value.begin(), value.end(),
                       [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

std::string Quoted(std::wstring_view value) {
    return "\"" + ToNarrow(value) + "\"";
}

}  // namespace

std::wstring EscapeLineBreaks(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
            case L'\\': out += L"\\\\"; break;
            case L'\n': out += L"\\n"; break;
            case L'\r': out += L"\\r"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

std::wstring UnescapeLineBreaks(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size()) {
            const wchar_t next = text[i + 1];
            if (next == L'\\' || next == L'n' || next == L'r') {
                out.push_back(next == L'n' ? L'\n' : next == L'r' ? L'\r' : L'\\');
                ++i;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

std::wstring StoredControlValue(const OptionControlStates& controls, int id) {
    switch (KindOf(id)) {
        case ValueKind::Text: {
            const std::wstring text = controls.Text(id);
            return HasEscapedLineBreaks(id) ? EscapeLineBreaks(text) : text;
        }
        case ValueKind::Index: return std::to_wstring(controls.Selection(id));
        case ValueKind::Check: return controls.Checked(id) ? L"1" : L"0";
        case ValueKind::PushButton: return L"0";
        case ValueKind::None: break;
    }
    return {};
}

void ApplyStoredValue(OptionControlStates& controls, int id, std::wstring_view value) {
    switch (KindOf(id)) {
        case ValueKind::Text:
            controls.SetText(
                id, HasEscapedLineBreaks(id) ? UnescapeLineBreaks(value) : std::wstring(value));
            break;
        case ValueKind::Index: controls.SetSelection(id, ReadDecimalPrefix(value)); break;
        case ValueKind::Check: controls.SetChecked(id, value == L"1"); break;
        case ValueKind::PushButton:
        case ValueKind::None: break;
    }
}

std::optional<std::string> SetControlValue(OptionControlStates& controls, int id,
                                           std::wstring_view value) {
    const ValueKind kind = IsProfileControl(id) ? KindOf(id) : ValueKind::None;
    const std::string control = "control " + std::to_string(id);
    switch (kind) {
        case ValueKind::None: return "no option control has the id " + std::to_string(id);
        case ValueKind::PushButton:
            if (value != L"0")
                return control + " is a push button and takes only \"0\"";
            return std::nullopt;
        case ValueKind::Check: {
            if (value != L"1" && value != L"0")
                return control + " is a check box or radio button and takes \"1\" or \"0\", not " +
                       Quoted(value);
            const bool checked = value == L"1";
            if (checked) {
                for (int other : RadioGroupOf(id))
                    controls.SetChecked(other, false);
            }
            controls.SetChecked(id, checked);
            return std::nullopt;
        }
        case ValueKind::Index: {
            const std::optional<int> index = StrictInteger(value);
            const int count = controls.ItemCount(id);
            if (!index || *index < -1 || *index >= count)
                return control + " is a list of " + std::to_string(count) +
                       " items and takes an index from -1 to " + std::to_string(count - 1) +
                       ", not " + Quoted(value);
            controls.SetSelection(id, *index);
            return std::nullopt;
        }
        case ValueKind::Text: {
            if (IsDigitsOnly(id) && !DigitsBoxCanHold(id, value))
                return control +
                       (id == ctl::kInsertPositionEdit ? " takes a whole number, not "
                                                       : " takes digits only, not ") +
                       Quoted(value);
            if (const std::optional<NumberRange> range = NumberFieldRange(id);
                range && ClampedNumberText(id, value))
                return control + " takes a number from " + std::to_string(range->min) + " to " +
                       std::to_string(range->max) + ", not " + Quoted(value);
            if (!HasEscapedLineBreaks(id) &&
                value.find_first_of(L"\r\n") != std::wstring_view::npos)
                return control + " is a single-line box and takes no line break";
            controls.SetText(id, value);
            return std::nullopt;
        }
    }
    return std::nullopt;
}

void SaveOptionSection(const OptionControlStates& controls, IniFile& document,
                       std::wstring_view section) {
    for (int id : kProfileControlOrder) {
        document.Set(section, std::to_wstring(id), StoredControlValue(controls, id));
    }
}

bool SaveOptionSection(const OptionControlStates& controls, std::wstring_view section,
                       const std::filesystem::path& path) {
    IniFile document = IniFile::Load(path);
    SaveOptionSection(controls, document, section);
    return document.Save(path);
}

void LoadOptionSection(OptionControlStates& controls, const IniFile& document,
                       std::wstring_view section) {
    for (int id : kProfileControlOrder) {
        ApplyStoredValue(controls, id, document.Get(section, std::to_wstring(id)));
    }
}

void LoadOptionSection(OptionControlStates& controls, std::wstring_view section,
                       const std::filesystem::path& path) {
    LoadOptionSection(controls, IniFile::Load(path), section);
}

}  // namespace tolvane
