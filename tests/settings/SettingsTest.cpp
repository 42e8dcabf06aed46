#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "../TestSupport.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

struct LocateCase {
    const char* label;
    bool portableFile;
    bool languageBeside;
    std::map<std::string, std::string> env;
    std::string expectedSettings;  // relative to the temporary folder
    std::string expectedLanguage;
};

class LocateSettingsTest : public testing::TestWithParam<LocateCase> {};

TEST_P(LocateSettingsTest, FindsTheFiles) {
    const auto& c = GetParam();
    TempDir dir;
    const fs::path exe = dir.Folder("prefix/bin");
    if (c.portableFile)
        dir.File("prefix/bin/Tolvane.ini");
    if (c.languageBeside)
        dir.Folder("prefix/bin/Language");
    std::map<std::string, std::string> env;
    for (const auto& [name, value] : c.env)
        env[name] = value.empty() ? value : dir.Path().string() + value;
    const SettingsPaths paths =
        LocateSettings(exe, [&](const char* name) -> std::optional<std::string> {
            const auto it = env.find(name);
            if (it == env.end())
                return std::nullopt;
            return it->second;
        });
    EXPECT_EQ(paths.settingsFile, dir.Path() / c.expectedSettings) << c.label;
    EXPECT_EQ(paths.languageFolder, dir.Path() / c.expectedLanguage) << c.label;
}

INSTANTIATE_TEST_SUITE_P(Cases, LocateSettingsTest,
                         testing::Values(LocateCase{"portable beside the program",
                                                    true,
                                                    true,
                                                    {{"XDG_CONFIG_HOME", "/xdg"}},
                                                    "prefix/bin/Tolvane.ini",
                                                    "prefix/bin/Language"},
                                         LocateCase{
                                             "XDG config home",
                                             false,
                                             false,
                                             {{"XDG_CONFIG_HOME", "/xdg"}, {"HOME", "/home"}},
                                             "xdg/tolvane/Tolvane.ini",
                                             "prefix/share/tolvane/Language"},
                                         LocateCase{"home when XDG is unset",
                                                    false,
                                                    false,
                                                    {{"HOME", "/home"}},
                                                    "home/.config/tolvane/Tolvane.ini",
                                                    "prefix/share/tolvane/Language"},
                                         LocateCase{"home when XDG is empty",
                                                    false,
                                                    true,
                                                    {{"XDG_CONFIG_HOME", ""}, {"HOME", "/home"}},
                                                    "home/.config/tolvane/Tolvane.ini",
                                                    "prefix/bin/Language"}),
                         ByLabel());

struct FlagCase {
    const char* label;
    const SettingKey* key;
    const char* stored;  // nullptr: the key is absent
    bool expected;
};

class FlagRuleTest : public testing::TestWithParam<FlagCase> {};

TEST_P(FlagRuleTest, ReadsByTheKeysRule) {
    const auto& c = GetParam();
    TempDir dir;
    const Settings settings(dir.Path() / "Tolvane.ini");
    settings.Write(keys::kIsFirstRun, L"1");  // the file exists either way
    if (c.stored) {
        ASSERT_TRUE(settings.Write(*c.key, std::wstring(c.stored, c.stored + strlen(c.stored))));
    }
    EXPECT_EQ(settings.Flag(*c.key), c.expected) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, FlagRuleTest,
    testing::Values(FlagCase{"toolbar absent shows", &keys::kShowToolbar, nullptr, true},
                    FlagCase{"toolbar false shows", &keys::kShowToolbar, "false", true},
                    FlagCase{"toolbar 0 hides", &keys::kShowToolbar, "0", false},
                    FlagCase{"tips absent on", &keys::kShowTip, nullptr, true},
                    FlagCase{"tips 0 off", &keys::kShowTip, "0", false},
                    FlagCase{"load last absent off", &keys::kLoadLastSet, nullptr, false},
                    FlagCase{"load last 1 on", &keys::kLoadLastSet, "1", true},
                    FlagCase{"has last yes off", &keys::kHasLastSet, "yes", false},
                    FlagCase{"auto sort absent off", &keys::kAutoSort, nullptr, false},
                    FlagCase{"auto sort 1 on", &keys::kAutoSort, "1", true},
                    FlagCase{"auto update absent on", &keys::kAutoUpdate, nullptr, true},
                    FlagCase{"auto update 0 off", &keys::kAutoUpdate, "0", false},
                    FlagCase{"clear input absent on", &keys::kClearInput, nullptr, true},
                    FlagCase{"clear input 0 off", &keys::kClearInput, "0", false},
                    FlagCase{"clear file yes off", &keys::kClearFile, "yes", false},
                    FlagCase{"clear file 1 on", &keys::kClearFile, "1", true},
                    FlagCase{"refresh absent on", &keys::kRefreshFile, nullptr, true},
                    FlagCase{"column absent hidden", &keys::kColumnSize, nullptr, false},
                    FlagCase{"column 1 shown", &keys::kColumnModified, "1", true}),
    ByLabel());

TEST(SettingsTest, DialogRuleOfAutoSortDiffersFromTheProgramsRule) {
    TempDir dir;
    const Settings settings(dir.Path() / "Tolvane.ini");
    settings.Write(keys::kIsFirstRun, L"1");
    EXPECT_FALSE(settings.Flag(keys::kAutoSort));
    EXPECT_TRUE(settings.Flag(keys::kAutoSort, keys::kAutoSort.dialogRule));
}

TEST(SettingsTest, NumbersReadAsDecimalPrefixes) {
    TempDir dir;
    const Settings settings(dir.Path() / "Tolvane.ini");
    EXPECT_EQ(settings.Number(keys::kWidth), 0);
    settings.Write(keys::kWidth, L"800px");
    settings.Write(keys::kRemindCount, L"abc");
    EXPECT_EQ(settings.Number(keys::kWidth), 800);
    EXPECT_EQ(settings.Number(keys::kRemindCount), 0);
}

TEST(SettingsTest, EveryKeyIsListedOnce) {
    std::set<std::pair<std::wstring, std::wstring>> seen;
    for (const SettingKey* key : AllSettingKeys()) {
        EXPECT_TRUE(seen.insert({key->section, key->key}).second) << key->absentMeans;
    }
    EXPECT_EQ(seen.size(), 21u);
}

TEST(StartupSettingsTest, FirstRunWritesDefaultsThatShowFromTheSecondStart) {
    TempDir dir;
    const Settings settings(dir.Path() / "config" / "tolvane" / "Tolvane.ini");

    const StartupSettings first = RunStartupSettings(settings);
    EXPECT_TRUE(first.firstRun);
    EXPECT_EQ(first.remindCount, 5);
    EXPECT_TRUE(first.loadHistory);
    EXPECT_FALSE(first.showToolbar);
    EXPECT_EQ(first.userRegex, L"");
    EXPECT_EQ(first.userTemplates, L"");
    EXPECT_TRUE(first.fileExisted);
    EXPECT_EQ(first.hasLastSet, std::optional<bool>(false));

    const IniFile file = IniFile::Load(settings.File());
    EXPECT_EQ(file.Get(L"set", L"isFirstRun"), L"1");
    EXPECT_EQ(file.Get(L"userCustom", L"regex"), L"number#\\d;letter#[a-zA-Z];");
    EXPECT_EQ(file.Get(L"userCustom", L"template"), L"example_<date>;example_<#>;");

    settings.Write(keys::kWidth, L"900");
    settings.Write(keys::kHasLastSet, L"1");
    const StartupSettings second = RunStartupSettings(settings);
    EXPECT_FALSE(second.firstRun);
    EXPECT_EQ(second.userRegex, L"number#\\d;letter#[a-zA-Z];");
    EXPECT_EQ(second.width, 900);
    EXPECT_EQ(second.hasLastSet, std::optional<bool>(true));
}

TEST(StartupSettingsTest, UnwritableLocationIsAFirstRunEveryTime) {
    TempDir dir;
    dir.File("blocker", "a file where the settings folder would be");
    const Settings settings(dir.Path() / "blocker" / "tolvane" / "Tolvane.ini");
    for (int start = 0; start < 2; ++start) {
        const StartupSettings s = RunStartupSettings(settings);
        EXPECT_TRUE(s.firstRun);
        EXPECT_TRUE(s.showToolbar);
        EXPECT_FALSE(s.loadHistory);
        EXPECT_FALSE(s.fileExisted);
        EXPECT_FALSE(s.hasLastSet.has_value());
    }
}

}  // namespace
}  // namespace tolvane::test
