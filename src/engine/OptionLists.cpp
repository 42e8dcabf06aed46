#include "OptionLists.h"

#include <algorithm>

#include "LanguageKeys.h"
#include "StringOps.h"

namespace tolvane {

namespace {

constexpr const char* kNoSelect = "noSelect";

constexpr const char* kConversionKeys[] = {
    kNoSelect,   "extUpper",  "extLower", "nameUpper", "nameLower", "nameFirstCharUpper",
    "cnOne2one", "one2CnOne", "CNT2CNS",  "CNS2CNT",
};

constexpr const char* kSequenceKeys[] = {
    kNoSelect, "increaseNum", "randomNum", "dateAndNum", "dateAndRandom", "nameAndDate",
};

struct Preset {
    const char* key;      // nullptr: the name is not translated
    const wchar_t* name;  // the name when it is not translated
    const wchar_t* expression;
};

constexpr Preset kRegexPresets[] = {
    {"alphanumeric", nullptr, L"[a-zA-Z0-9]*"},
    {"noAlphanumeric", nullptr, L"[^a-zA-Z0-9]*"},
    {"specialCharacters", nullptr,
     L"[\\!\\?\\@\\#\\$\\%\\^\\&\\~\\`\\+\\-\\=\\,\\(\\)\\{\\}\\[\\]]*"},
    {nullptr, L"IP", L"[1-9]\\d{0,9}"},
    {nullptr, L"email", L"\\w+[\\w-]*@\\w+\\.[a-zA-Z]+"},
};

constexpr const wchar_t* kTemplatePresets[] = {
    L"<#>_<name>",        L"<#>_<self>", L"<date>_<r>", L"<date>_<time>_<self>",
    L"prefix_<#>_suffix", L"<dir>_<#>",  L"<Y><M><D>",  L"<y>-<m>-<d>",
    L"<mdate>",           L"<mtime>",    L"<cdate>",    L"<ctime>",
};

std::wstring ItemText(const TextSource& texts, const char* key) {
    return texts.ItemText(key, BuiltInText(key));
}

template <size_t N>
std::vector<std::wstring> ItemsOf(const char* const (&keys)[N], const TextSource& texts) {
    std::vector<std::wstring> items;
    items.reserve(N);
    for (const char* key : keys)
        items.push_back(ItemText(texts, key));
    return items;
}

}  // namespace

void PresetExpressionTable::Set(std::wstring name, std::wstring expression) {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const auto& entry) { return entry.first == name; });
    if (it != entries_.end()) {
        it->second = std::move(expression);
    } else {
        entries_.emplace_back(std::move(name), std::move(expression));
    }
}

std::optional<std::wstring> PresetExpressionTable::Find(std::wstring_view name) const {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const auto& entry) { return entry.first == name; });
    if (it == entries_.end())
        return std::nullopt;
    return it->second;
}

bool InsertListItem(std::vector<std::wstring>& items, int index, std::wstring text) {
    if (index < 0 || static_cast<size_t>(index) > items.size())
        return false;
    items.insert(items.begin() + index, std::move(text));
    return true;
}

std::vector<std::wstring> ConversionItems(const TextSource& texts) {
    return ItemsOf(kConversionKeys, texts);
}

std::vector<std::wstring> SequenceItems(const TextSource& texts) {
    return ItemsOf(kSequenceKeys, texts);
}

std::vector<std::wstring> AnchorSideItems(const TextSource& texts) {
    return {ItemText(texts, "before"), ItemText(texts, "after")};
}

std::wstring BeforeWord(const TextSource& texts) {
    return texts.Lookup("before", BuiltInText("before", "pipeline"));
}

RegexPresetList BuildRegexPresetList(std::wstring_view userRules, const TextSource& texts) {
    RegexPresetList list;
    for (const auto& preset : kRegexPresets) {
        std::wstring name = preset.key ? ItemText(texts, preset.key) : preset.name;
        list.table.Set(std::move(name), preset.expression);
    }
    for (const auto& [name, expression] : list.table.Entries())
        list.items.push_back(name);

    if (!userRules.empty()) {
        const auto rules = SplitString(userRules, L';');
        for (size_t i = 0; i < rules.size(); ++i) {
            const auto parts = SplitString(rules[i], L'#');
            if (parts.size() < 2)
                continue;
            InsertListItem(list.items, static_cast<int>(i), parts[0]);
            list.table.Set(parts[0], parts[1]);
        }
    }
    InsertListItem(list.items, 0, ItemText(texts, kNoSelect));
    return list;
}

std::vector<std::wstring> BuildTemplatePresetList(std::wstring_view userTemplates,
                                                  const TextSource& texts) {
    std::vector<std::wstring> items(std::begin(kTemplatePresets), std::end(kTemplatePresets));
    if (!userTemplates.empty()) {
        const auto pieces = SplitString(userTemplates, L';');
        for (size_t i = 0; i < pieces.size(); ++i) {
            if (!pieces[i].empty())
                InsertListItem(items, static_cast<int>(i), pieces[i]);
        }
    }
    InsertListItem(items, 0, ItemText(texts, kNoSelect));
    return items;
}

void ApplyRegexPreset(RenameOptions& options, const RegexPresetList& list, int index) {
    std::wstring name;
    if (index >= 0 && static_cast<size_t>(index) < list.items.size())
        name = list.items[index];
    options.regexPreset = index;
    options.findText = list.table.Find(name).value_or(std::wstring());
    options.useRegex = true;
}

}  // namespace tolvane
