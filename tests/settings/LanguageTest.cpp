#include <gtest/gtest.h>

#include <map>

#include "../SpecialFiles.h"
#include "../TestSupport.h"
#include "engine/ControlTable.h"
#include "engine/LanguageKeys.h"
#include "engine/OptionLists.h"
#include "engine/TextConvert.h"
#include "settings/IniFile.h"
#include "settings/Language.h"
#include "settings/MenuTable.h"
#include "settings/SettingsDialogControls.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

TEST(LanguageTest, LocaleNamesGiveLanguageIds) {
    const std::pair<const char*, int> cases[] = {
        {"zh_CN.UTF-8", 2052}, {"zh_SG", 2052},      {"zh_Hans", 2052},    {"zh", 2052},
        {"zh_TW.UTF-8", 1028}, {"zh_HK.Big5", 1028}, {"zh_MO", 1028},      {"zh_Hant_TW", 1028},
        {"en_US.UTF-8", 1033}, {"C.UTF-8", 1033},    {"de_DE@euro", 1033}, {"", 1033},
    };
    for (const auto& [locale, id] : cases)
        EXPECT_EQ(LanguageIdOfLocale(locale), id) << locale;
}

TEST(LanguageTest, ChoosesTheStoredCodeOrFallsBackBySystem) {
    const fs::path folder = "/opt/tolvane/Language";
    EXPECT_EQ(ChooseLanguage(L"CHT", 1033, folder).file, folder / "CHT.ini");
    EXPECT_EQ(ChooseLanguage(L"", 1033, folder).code, L"ENG");
    EXPECT_EQ(ChooseLanguage(L"", 2052, folder).code, L"");
    EXPECT_EQ(ChooseLanguage(L"", 1028, folder).file, folder / ".ini");
    EXPECT_EQ(ChooseLanguage(L"Deutsch", 2052, folder).file, folder / "Deutsch.ini");
}

TEST(LanguageTest, WithoutAFileEveryTextIsBuiltIn) {
    TempDir dir;
    const Language language(dir.Path() / "ENG.ini");
    EXPECT_FALSE(language.InUse());
    EXPECT_EQ(language.Lookup("files", L"个对象"), L"个对象");
    EXPECT_EQ(language.ItemText("extUpper", L"扩展名大写"), L"扩展名大写");
    EXPECT_EQ(language.Text("sucess", "summary"), L"成功");
    EXPECT_TRUE(PopupMenuTexts(language, MenuId::RowMenu).empty());
}

TEST(LanguageTest, QtLocaleFollowsTheFileThenItsCode) {
    TempDir dir;
    struct Case {
        const char* file;  // language file text; nullptr: no file
        const wchar_t* code;
        const char* locale;
    };
    const Case cases[] = {
        {nullptr, L"", "zh_CN"},  // the built-in texts
        {"[language]\n1074=R\n", L"CHS", "zh_CN"},
        {"[language]\n1074=R\n", L"CHT", "zh_TW"},
        {"[language]\n1074=R\n", L"ENG", ""},
        {"[language]\nqtLocale=de_DE\n", L"Deutsch", "de_DE"},
        {"[language]\nqtLocale= pt-BR \n", L"Deutsch", "pt-BR"},
        {"[language]\nqtLocale=\n", L"CHT", "zh_TW"},
        {"[language]\nqtLocale=../../tmp/x\n", L"CHT", ""},
        {"[language]\nqtLocale=de DE\n", L"CHT", ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        const Language language =
            c.file ? Language(dir.File("L" + std::to_string(n++) + ".ini", c.file)) : Language();
        EXPECT_EQ(QtLocaleOf(language, c.code), c.locale)
            << (c.file ? c.file : "no file") << " " << ToNarrow(c.code);
    }
    // The shipped files say theirs.
    EXPECT_EQ(QtLocaleOf(Language(fs::path(TOLVANE_LANGUAGE_DIR) / "CHT.ini"), L"CHT"), "zh_TW");
    EXPECT_EQ(QtLocaleOf(Language(fs::path(TOLVANE_LANGUAGE_DIR) / "ENG.ini"), L"ENG"), "");
}

class LanguageSpecialFileTest : public testing::TestWithParam<SpecialFileCase> {};

TEST_P(LanguageSpecialFileTest, AnythingButAFileOfSaneSizeLeavesTheTextsBuiltIn) {
    TempDir dir;
    const fs::path path = dir.Path() / "ENG.ini";
    ASSERT_TRUE(MakeSpecialFile(path, GetParam().kind));
    const Language language(path);
    EXPECT_FALSE(language.InUse());
    EXPECT_EQ(language.ItemText("extUpper", L"扩展名大写"), L"扩展名大写");
}

INSTANTIATE_TEST_SUITE_P(Kinds, LanguageSpecialFileTest, testing::ValuesIn(kSpecialFiles),
                         ByLabel());

// Records what a language does to a window.
class RecordingWindow final : public TranslatableWindow {
  public:
    void SetCaption(const std::wstring& text) override { caption = text; }
    void SetControlText(int id, const std::wstring& text) override { controls[id] = text; }
    void SetMenuTitle(int position, const std::wstring& text) override { titles[position] = text; }
    void SetMenuItemText(MenuId, int id, const std::wstring& text) override { items[id] = text; }

    std::wstring caption;
    std::map<int, std::wstring> controls;
    std::map<int, std::wstring> titles;
    std::map<int, std::wstring> items;
};

TEST(LanguageTest, AFileWithOneKeyBlanksListsAndSetsTheMenuTitles) {
    TempDir dir;
    const Language language(dir.File("X.ini", "[language]\n1074=Go\n"));
    ASSERT_TRUE(language.InUse());
    RecordingWindow window;
    ApplyToMainWindow(language, window);
    EXPECT_EQ(window.controls, (std::map<int, std::wstring>{{1074, L"Go"}}));
    EXPECT_EQ(window.titles,
              (std::map<int, std::wstring>{
                  {0, L"文件"}, {1, L"选项"}, {2, L"配置"}, {3, L"设置"}, {4, L"帮助"}}));
    EXPECT_TRUE(window.items.empty());
    EXPECT_EQ(ConversionItems(language), std::vector<std::wstring>(10));
    EXPECT_EQ(BeforeWord(language), L"前");
    for (const MenuItemText& item : PopupMenuTexts(language, MenuId::RowMenu))
        EXPECT_EQ(item.text, L"");
    EXPECT_EQ(PopupMenuTexts(language, MenuId::RowMenu).size(), 11u);
}

TEST(LanguageTest, ValuesReplaceWholeCaptions) {
    TempDir dir;
    const Language language(
        dir.File("X.ini", "[LANGUAGE]\n32775=Run\nuncheck=Off\nunchecked=Unticked\n32797=Paste\n"));
    RecordingWindow window;
    ApplyToMainWindow(language, window);
    EXPECT_EQ(window.items.at(32775), L"Run");
    EXPECT_EQ(window.items.count(32797), 0u);  // not a menu-bar item
    const auto popup = PopupMenuTexts(language, MenuId::ImportExport);
    EXPECT_EQ(popup.front().text, L"Paste");
    EXPECT_EQ(PopupMenuTexts(language, MenuId::RowMenu)[6].text, L"Off");
}

TEST(LanguageTest, SettingsDialogPrefersItsOwnKeyForSharedIds) {
    TempDir dir;
    RecordingWindow window;
    ApplyToSettingsDialog(Language(dir.File("A.ini", "[language]\n1032=Ignore\n1104=Reset\n")),
                          window);
    EXPECT_EQ(window.caption, L"设置");
    EXPECT_EQ(window.controls.at(1032), L"Ignore");  // a file without the dialog's own key
    EXPECT_EQ(window.controls.at(1104), L"Reset");

    RecordingWindow own;
    ApplyToSettingsDialog(
        Language(dir.File("B.ini", "[language]\n1032=Ignore\nset1032=Clear list\nsetting=Prefs\n")),
        own);
    EXPECT_EQ(own.controls.at(1032), L"Clear list");
    EXPECT_EQ(own.caption, L"Prefs");
}

// Every key the program looks up, with the built-in text it replaces.
std::map<std::wstring, std::wstring> RequiredKeys() {
    std::map<std::wstring, std::wstring> required;
    for (const LanguageKey& key : LanguageKeyTable())
        required.emplace(ToWide(key.key), key.builtIn);
    for (const ControlInfo& control : MainWindowControls()) {
        if (control.id >= 0 && *control.text != L'\0' && control.id != ctl::kStatusLine)
            required.emplace(std::to_wstring(control.id), control.text);
    }
    for (const ControlInfo& control : SettingsDialogControls()) {
        if (*control.text != L'\0')
            required.emplace(SettingsDialogTextKey(control.id), control.text);
    }
    for (const MenuItemInfo& item : MenuItems())
        required.emplace(std::to_wstring(item.commandId), item.text);
    return required;
}

class ShippedLanguageTest : public testing::TestWithParam<const char*> {};

TEST_P(ShippedLanguageTest, TranslatesEveryKey) {
    const fs::path file = fs::path(TOLVANE_LANGUAGE_DIR) / GetParam();
    ASSERT_TRUE(fs::exists(file)) << file;
    const IniFile language = IniFile::Load(file);
    for (const auto& [key, builtIn] : RequiredKeys()) {
        const std::wstring value = language.Get(L"language", key);
        EXPECT_FALSE(value.empty()) << GetParam() << " lacks " << ToNarrow(key);
        // A caption with a shortcut keeps the tab that separates it.
        if (builtIn.find(L'\t') != std::wstring::npos) {
            EXPECT_NE(value.find(L'\t'), std::wstring::npos) << ToNarrow(key);
        }
        if (builtIn.find(L"<a>") != std::wstring::npos) {
            EXPECT_NE(value.find(L"<a>"), std::wstring::npos) << ToNarrow(key);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ShippedLanguageTest, testing::Values("ENG.ini", "CHT.ini"));

}  // namespace
}  // namespace tolvane::test
