#include "Language.h"

#include <cstdlib>
#include <system_error>

#include "FileBytes.h"
#include "IniFile.h"
#include "Settings.h"
#include "SettingsDialogControls.h"
#include "engine/ControlTable.h"
#include "engine/LanguageKeys.h"
#include "engine/StringOps.h"
#include "engine/TextConvert.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

constexpr const wchar_t* kSection = L"language";

std::wstring Key(std::string_view key) {
    return ToWide(key);
}

}  // namespace

int LanguageIdOfLocale(std::string_view name) {
    // "zh_CN.UTF-8@variant" -> language "zh", the rest decides the script.
    const size_t cut = name.find_first_of(".@");
    const std::string_view locale = name.substr(0, cut);
    if (!locale.starts_with("zh"))
        return kLanguageIdEnglish;
    const std::string_view rest = locale.substr(2);
    for (std::string_view traditional :
         {"_TW", "_HK", "_MO", "_Hant", "-TW", "-HK", "-MO", "-Hant"}) {
        if (rest.starts_with(traditional))
            return kLanguageIdTraditionalChinese;
    }
    return kLanguageIdSimplifiedChinese;
}

int LanguageIdOfEnvironment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return LanguageIdOfLocale(value);
    }
    return kLanguageIdEnglish;
}

LanguageChoice ChooseLanguage(std::wstring_view storedCode, int systemLanguageId,
                              const fs::path& languageFolder) {
    LanguageChoice choice;
    choice.code = storedCode;
    if (choice.code.empty() && systemLanguageId != kLanguageIdSimplifiedChinese &&
        systemLanguageId != kLanguageIdTraditionalChinese) {
        choice.code = L"ENG";
    }
    // An empty code names the file ".ini", which normally does not exist.
    choice.file = languageFolder / (ToNarrow(choice.code) + ".ini");
    return choice;
}

LanguageChoice ChooseLanguage(const Settings& settings, int systemLanguageId,
                              const fs::path& languageFolder) {
    return ChooseLanguage(settings.Text(keys::kLanguage), systemLanguageId, languageFolder);
}

Language::Language() = default;
Language::~Language() = default;
Language::Language(Language&&) noexcept = default;
Language& Language::operator=(Language&&) noexcept = default;

Language::Language(const fs::path& file, std::string* problem) {
    FileBytes read = ReadFileBytes(file, IniFile::kMaxFileSize);
    if (read.Ok()) {
        file_ = std::make_unique<IniFile>(IniFile::Parse(read.bytes));
    } else if (read.status != FileBytes::Status::Missing && problem) {
        *problem = read.Reason();
    }
}

std::wstring Language::Lookup(std::string_view key, std::wstring_view fallback) const {
    if (file_) {
        std::wstring value = file_->Get(kSection, Key(key));
        if (!value.empty())
            return value;
    }
    return std::wstring(fallback);
}

std::wstring Language::ItemText(std::string_view key, std::wstring_view builtIn) const {
    return file_ ? file_->Get(kSection, Key(key)) : std::wstring(builtIn);
}

std::wstring Language::Text(std::string_view key, std::string_view use) const {
    return Lookup(key, BuiltInText(key, use));
}

std::string QtLocaleOf(const Language& language, std::wstring_view code) {
    if (!language.InUse())
        return "zh_CN";
    const std::wstring value = language.Lookup("qtLocale", L"");
    const std::wstring_view named = TrimBlanks(value);
    if (!named.empty()) {
        // The name ends up in the name of a file that is opened.
        std::string locale;
        for (wchar_t c : named) {
            const bool allowed = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
                                 (c >= L'0' && c <= L'9') || c == L'_' || c == L'-';
            if (!allowed)
                return "";
            locale.push_back(static_cast<char>(c));
        }
        return locale;
    }
    const std::wstring upper = AsciiUpper(code);
    if (upper == L"CHS")
        return "zh_CN";
    if (upper == L"CHT")
        return "zh_TW";
    return "";
}

void ApplyToMainWindow(const Language& language, TranslatableWindow& window) {
    if (!language.InUse())
        return;
    for (const ControlInfo& control : MainWindowControls()) {
        if (control.id < 0)
            continue;
        const std::wstring text = language.Lookup(std::to_string(control.id), L"");
        if (!text.empty())
            window.SetControlText(control.id, text);
    }
    const auto titles = MenuBarTitles();
    for (size_t position = 0; position < titles.size(); ++position) {
        window.SetMenuTitle(static_cast<int>(position), language.Text(titles[position].key));
    }
    for (const MenuItemInfo& item : MenuItems()) {
        if (item.menu != MenuId::MenuBar || item.commandId == 0)
            continue;
        const std::wstring text = language.Lookup(std::to_string(item.commandId), L"");
        if (!text.empty())
            window.SetMenuItemText(item.menu, item.commandId, text);
    }
}

void ApplyToSettingsDialog(const Language& language, TranslatableWindow& window) {
    if (!language.InUse())
        return;
    window.SetCaption(language.Text("setting"));
    for (const ControlInfo& control : SettingsDialogControls()) {
        const std::wstring plain = language.Lookup(std::to_string(control.id), L"");
        const std::wstring own =
            language.Lookup(ToNarrow(SettingsDialogTextKey(control.id)), plain);
        if (!own.empty())
            window.SetControlText(control.id, own);
    }
}

std::vector<MenuItemText> PopupMenuTexts(const Language& language, MenuId menu) {
    std::vector<MenuItemText> texts;
    if (!language.InUse())
        return texts;
    for (const MenuItemInfo& item : MenuItems()) {
        if (item.menu != menu || item.commandId == 0)
            continue;
        const std::string key = item.key ? std::string(item.key) : std::to_string(item.commandId);
        texts.push_back({item.commandId, language.ItemText(key, L"")});
    }
    return texts;
}

}  // namespace tolvane
