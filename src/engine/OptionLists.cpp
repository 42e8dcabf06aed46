#include "OptionLists.h"

#include <algorithm>

#include "StringOps.h"

namespace tolvane {

namespace {

struct KeyedText {
    const char* key;
    const wchar_t* builtIn;
};

constexpr KeyedText kNoSelect{"noSelect", L"不选择"};

constexpr KeyedText kConversionItems[] = {
    kNoSelect,
    {"extUpper", L"扩展名大写"},
    {"extLower", L"扩展名小写"},
    {"nameUpper", L"全部大写"},
    {"nameLower", L"全部小写"},
    {"nameFirstCharUpper", L"首字母大写"},
    {"cnOne2one", L"一转1"},
    {"one2CnOne", L"1转一"},
    {"CNT2CNS", L"繁体转简体"},
    {"CNS2CNT", L"简体转繁体"},
};

constexpr KeyedText kSequenceItems[] = {
    kNoSelect,
    {"increaseNum", L"数字递增"},
    {"randomNum", L"随机数"},
    {"dateAndNum", L"日期+数字递增"},
    {"dateAndRandom", L"日期+随机数"},
    {"nameAndDate", L"原名+日期"},
};

constexpr KeyedText kBefore{"before", L"前"};
constexpr KeyedText kAfter{"after", L"后"};

struct Preset {
    const char* key;  // nullptr: the name is not translated
    const wchar_t* name;
    const wchar_t* expression;
};

constexpr Preset kRegexPresets[] = {
    {"alphanumeric", L"字母数字", L"[a-zA-Z0-9]*"},
    {"noAlphanumeric", L"非字母数字", L"[^a-zA-Z0-9]*"},
    {"specialCharacters", L"特殊字符",
     L"[\\!\\?\\@\\#\\$\\%\\^\\&\\~\\`\\+\\-\\=\\,\\(\\)\\{\\}\\[\\]]*"},
    {nullptr, L"IP", L"[1-9]\\d{0,9}"},
    {nullptr, L"email", L"\\w+[\\w-]*@\\w+\\.[a-zA-Z]+"},
};

constexpr const wchar_t* kTemplatePresets[] = {
    L"<#>_<name>",        L"<#>_<self>", L"<date>_<r>", L"<date>_<time>_<self>",
    L"prefix_<#>_suffix", L"<dir>_<#>",  L"<Y><M><D>",  L"<y>-<m>-<d>",
    L"<mdate>",           L"<mtime>",    L"<cdate>",    L"<ctime>",
};

template <size_t N>
std::vector<std::wstring> ItemsOf(const KeyedText (&table)[N], const TextSource& texts) {
    std::vector<std::wstring> items;
    items.reserve(N);
    for (const auto& entry : table)
        items.push_back(texts.ItemText(entry.key, entry.builtIn));
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
    return ItemsOf(kConversionItems, texts);
}

std::vector<std::wstring> SequenceItems(const TextSource& texts) {
    return ItemsOf(kSequenceItems, texts);
}

std::vector<std::wstring> AnchorSideItems(const TextSource& texts) {
    return {texts.ItemText(kBefore.key, kBefore.builtIn),
            texts.ItemText(kAfter.key, kAfter.builtIn)};
}

std::wstring BeforeWord(const TextSource& texts) {
    return texts.Lookup(kBefore.key, kBefore.builtIn);
}

RegexPresetList BuildRegexPresetList(std::wstring_view userRules, const TextSource& texts) {
    RegexPresetList list;
    for (const auto& preset : kRegexPresets) {
        std::wstring name = preset.key ? texts.ItemText(preset.key, preset.name) : preset.name;
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
    InsertListItem(list.items, 0, texts.ItemText(kNoSelect.key, kNoSelect.builtIn));
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
    InsertListItem(items, 0, texts.ItemText(kNoSelect.key, kNoSelect.builtIn));
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
