#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class Settings;
class TextSource;

// The item of the template list that, chosen, empties the user's templates.
inline constexpr std::wstring_view kClearTemplatesItem = L"[清空列表]";

// What choosing an item of the template list 1071 does: the template box 1068 takes
// the item's text ("不选择", in the language of the moment, empties it), or, for the
// item "[清空列表]", the user's templates are removed from the list and the store.
struct TemplateChoice {
    bool clearUserTemplates = false;
    std::wstring templateText;
};
TemplateChoice ChooseTemplatePreset(std::wstring_view item, const TextSource& texts);

// Removes the stored user templates from the list (for each stored piece, the first
// item after the first whose text equals it, ignoring case) and stores none.
void ClearUserTemplates(const Settings& settings, std::vector<std::wstring>& items);

// "添加到→": the template, without ';', becomes the first item of the list (the caller
// selects it) and is added at the end of the stored templates. Returns the text added.
std::wstring AddUserTemplate(const Settings& settings, std::wstring_view templateText,
                             std::vector<std::wstring>& items);

}  // namespace tolvane
