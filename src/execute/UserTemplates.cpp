#include "UserTemplates.h"

#include <algorithm>

#include "engine/LanguageKeys.h"
#include "engine/StringOps.h"
#include "engine/TextSource.h"
#include "settings/Settings.h"

namespace tolvane {

TemplateChoice ChooseTemplatePreset(std::wstring_view item, const TextSource& texts) {
    TemplateChoice choice;
    if (item == kClearTemplatesItem) {
        choice.clearUserTemplates = true;
        return choice;
    }
    const std::wstring noSelect = texts.Lookup("noSelect", BuiltInText("noSelect", "template"));
    if (item != noSelect)
        choice.templateText = item;
    return choice;
}

void ClearUserTemplates(const Settings& settings, std::vector<std::wstring>& items) {
    for (const std::wstring& piece : SplitString(settings.Text(keys::kUserTemplates), L';')) {
        const std::wstring lower = AsciiLower(piece);
        const auto it =
            std::find_if(items.begin() + std::min<size_t>(1, items.size()), items.end(),
                         [&](const std::wstring& item) { return AsciiLower(item) == lower; });
        if (it != items.end())
            items.erase(it);
    }
    settings.Write(keys::kUserTemplates, L"");
}

std::wstring AddUserTemplate(const Settings& settings, std::wstring_view templateText,
                             std::vector<std::wstring>& items) {
    std::wstring text;
    for (const wchar_t c : templateText) {
        if (c != L';')
            text += c;
    }
    items.insert(items.begin(), text);
    const std::wstring stored = settings.Text(keys::kUserTemplates);
    settings.Write(keys::kUserTemplates, stored.empty() ? text : stored + L";" + text);
    return text;
}

}  // namespace tolvane
