#include <gtest/gtest.h>

#include "../TestSupport.h"
#include "execute/AfterPass.h"
#include "execute/RenameOptionsControls.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

namespace tolvane::test {
namespace {

TEST(AfterPassTest, SavesLastOptionsRecordsHistoryAndReadsTheActions) {
    TempDir dir;
    const Settings settings(dir.Path() / "config" / "Tolvane.ini");
    RenameOptions options = RenameOptions::WindowDefaults();
    options.insertText = L"A_";
    options.findText = L"x";
    RenameOptionsControls controls(options, 6, 13);
    std::map<int, std::vector<std::wstring>> lists;

    // Without the file's keys: reset and refresh, keep the list; no history yet (count 0).
    AfterPassActions actions = FinishPass(settings, controls, lists);
    EXPECT_TRUE(actions.settingsFileExists);
    EXPECT_TRUE(actions.resetOptions);
    EXPECT_FALSE(actions.clearList);
    EXPECT_TRUE(actions.refreshList);
    const IniFile file = IniFile::Load(settings.File());
    EXPECT_EQ(file.Get(L"lastSet", L"1035"), L"A_");
    EXPECT_EQ(file.Get(L"set", L"hasLastSet"), L"1");

    settings.Write(keys::kRemindCount, L"5");
    settings.Write(keys::kClearInput, L"0");
    settings.Write(keys::kClearFile, L"1");
    settings.Write(keys::kRefreshFile, L"0");
    actions = FinishPass(settings, controls, lists);
    EXPECT_FALSE(actions.resetOptions);
    EXPECT_TRUE(actions.clearList);
    EXPECT_FALSE(actions.refreshList);
    EXPECT_EQ(settings.Read(L"remind", L"1035"), L"A_;");
    EXPECT_EQ(settings.Read(L"remind", L"1045"), L"x;");
    EXPECT_EQ(settings.Read(L"remind", L"1087"), L"");
    EXPECT_EQ(lists[1035], std::vector<std::wstring>{L"A_"});
}

TEST(AfterPassTest, WithoutAWritableSettingsFileOnlyTheLastOptionsAreTried) {
    TempDir dir;
    dir.File("blocker");
    const Settings settings(dir.Path() / "blocker" / "Tolvane.ini");
    RenameOptions options = RenameOptions::WindowDefaults();
    RenameOptionsControls controls(options, 6, 13);
    std::map<int, std::vector<std::wstring>> lists;
    const AfterPassActions actions = FinishPass(settings, controls, lists);
    EXPECT_FALSE(actions.settingsFileExists);
    EXPECT_FALSE(actions.resetOptions || actions.clearList || actions.refreshList);
    EXPECT_TRUE(lists.empty());
}

}  // namespace
}  // namespace tolvane::test
