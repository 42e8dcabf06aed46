#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "MenuTable.h"
#include "engine/TextSource.h"

namespace tolvane {

class IniFile;
class Language;
class Settings;

// Language ids the system may report: Simplified Chinese, Traditional Chinese, other.
inline constexpr int kLanguageIdSimplifiedChinese = 2052;
inline constexpr int kLanguageIdTraditionalChinese = 1028;
inline constexpr int kLanguageIdEnglish = 1033;

// The language id of a locale name such as "zh_CN.UTF-8": zh_CN, zh_SG and zh_Hans
// count as Simplified Chinese, zh_TW, zh_HK, zh_MO and zh_Hant as Traditional,
// anything else as English.
int LanguageIdOfLocale(std::string_view localeName);

// The language id of the environment (LC_ALL, then LC_MESSAGES, then LANG), as the
// window's locale would report it.
int LanguageIdOfEnvironment();

struct LanguageChoice {
    std::wstring code;           // "ENG", "CHT", ... or empty for the built-in texts
    std::filesystem::path file;  // folder + code + ".ini"
};

// The stored code, or when it is empty: none on a Chinese system, "ENG" otherwise.
LanguageChoice ChooseLanguage(std::wstring_view storedCode, int systemLanguageId,
                              const std::filesystem::path& languageFolder);
LanguageChoice ChooseLanguage(const Settings& settings, int systemLanguageId,
                              const std::filesystem::path& languageFolder);

// The locale of Qt's own texts (the buttons of a question, Qt's file dialog) in the
// interface's language, such as "zh_TW"; empty for Qt's built-in English. A language
// file names it with its key "qtLocale"; without one its code decides ("CHS" zh_CN,
// "CHT" zh_TW, others none). Without a language file the built-in texts are
// Simplified Chinese. A value with anything but letters, digits, '_' and '-' names
// no locale.
std::string QtLocaleOf(const Language& language, std::wstring_view code);

// The texts of one language file. The language is in use when the file exists;
// then each lookup gives the file's value, or the fallback when the value is empty
// or missing. The file is read once: the language is fixed for the life of the
// process.
class Language final : public TextSource {
  public:
    Language();  // no language file: every text is built in
    // When something is there that cannot be read (a folder, a device, a file too
    // large), every text stays built in and `problem` says why.
    explicit Language(const std::filesystem::path& file, std::string* problem = nullptr);
    ~Language() override;
    Language(Language&&) noexcept;
    Language& operator=(Language&&) noexcept;

    bool InUse() const { return file_ != nullptr; }

    std::wstring Lookup(std::string_view key, std::wstring_view fallback) const override;
    std::wstring ItemText(std::string_view key, std::wstring_view builtIn) const override;

    // A named key with its built-in text from the key table as the fallback.
    std::wstring Text(std::string_view key, std::string_view use = "") const;

  private:
    std::unique_ptr<IniFile> file_;
};

// What a window offers so that a language can be applied to it.
class TranslatableWindow {
  public:
    virtual ~TranslatableWindow() = default;
    virtual void SetCaption(const std::wstring& text) = 0;
    virtual void SetControlText(int controlId, const std::wstring& text) = 0;
    virtual void SetMenuTitle(int position, const std::wstring& text) = 0;
    virtual void SetMenuItemText(MenuId menu, int commandId, const std::wstring& text) = 0;
};

// Start-up translation of the main window: every control whose id has a text, the
// five menu titles (all five, with their lookup defaults, whenever the file
// exists), every menu-bar item whose command id has a text. Nothing without a file.
void ApplyToMainWindow(const Language& language, TranslatableWindow& window);

// The settings dialog: its caption and every control with a text; ids that the main
// window shares use their own key first (see SettingsDialogTextKey).
void ApplyToSettingsDialog(const Language& language, TranslatableWindow& window);

// The items of a pop-up menu as it opens: while a language file is in use, each
// item takes its key's value (an empty value empties the item); none otherwise.
struct MenuItemText {
    int commandId;
    std::wstring text;
};
std::vector<MenuItemText> PopupMenuTexts(const Language& language, MenuId menu);

}  // namespace tolvane
