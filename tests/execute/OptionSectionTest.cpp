#include <gtest/gtest.h>

#include "../TestSupport.h"
#include "engine/ControlTable.h"
#include "execute/OptionSection.h"
#include "execute/RenameOptionsControls.h"
#include "settings/IniFile.h"

namespace tolvane::test {
namespace {

constexpr int kRegexItems = 6;
constexpr int kTemplateItems = 13;

RenameOptions EveryControlChanged() {
    RenameOptions o = RenameOptions::WindowDefaults();
    o.hiddenComboText = L"hidden";
    o.includeSubfolders = true;
    o.renameFolders = true;
    o.conversion = 9;
    o.sequenceMode = 5;
    o.insertText = L" - ";
    o.insertPrefix = false;
    o.insertAtText = true;
    o.insertPosition = L"-3";
    o.anchorText = L"漢字";
    o.anchorSide = 1;
    o.findText = L"(\\d+)#x;y";
    o.replaceText = L"[$1]";
    o.useRegex = true;
    o.regexPreset = 3;
    o.deleteAtPosition = false;
    o.deleteAtLocator = true;
    o.deletePosition = L"4";
    o.locatorText = L"\"q\"";
    o.deleteCount = L"2";
    o.serialEnabled = true;
    o.serialStart = L"10";
    o.serialIncrement = L"5";
    o.serialDigits = L"4";
    o.templateText = L"<#>_<name>";
    o.templatePreset = 12;
    o.textMode = true;
    o.filterText = L"*.jpg";
    o.ignoreExtension = false;
    o.textModeText = L"a.jpg\nb\\c.jpg\r\nlast";
    o.inPlaceText = L"x\\ny";
    return o;
}

TEST(OptionSectionTest, SaveThenLoadRestoresEveryControl) {
    TempDir dir;
    const auto path = dir.Path() / "profile.ini";
    RenameOptions saved = EveryControlChanged();
    RenameOptionsControls savedControls(saved, kRegexItems, kTemplateItems);
    ASSERT_TRUE(SaveOptionSection(savedControls, L"set", path));

    RenameOptions loaded = RenameOptions::WindowDefaults();
    loaded.deleteDirection = DeleteDirection::RightToLeft;
    RenameOptionsControls loadedControls(loaded, kRegexItems, kTemplateItems);
    LoadOptionSection(loadedControls, L"set", path);

    RenameOptions expected = saved;
    expected.deleteDirection = DeleteDirection::RightToLeft;  // not part of a profile
    EXPECT_EQ(loaded, expected);
}

TEST(OptionSectionTest, WritesEveryControlInOrderAndKeepsOtherSections) {
    TempDir dir;
    const auto path = dir.File("profile.ini", "[mine]\nk=v\n[set]\n1035=old\nextra=1\n");
    RenameOptions options = RenameOptions::WindowDefaults();
    RenameOptionsControls controls(options, kRegexItems, kTemplateItems);
    ASSERT_TRUE(SaveOptionSection(controls, L"set", path));
    const IniFile doc = IniFile::Load(path);
    EXPECT_EQ(doc.Get(L"mine", L"k"), L"v");
    EXPECT_EQ(doc.Get(L"set", L"extra"), L"1");
    EXPECT_EQ(doc.Get(L"set", L"1035"), L"");
    EXPECT_EQ(doc.Get(L"set", L"1073"), L"-1");
    EXPECT_EQ(doc.Get(L"set", L"1088"), L"0");
    EXPECT_EQ(doc.Get(L"set", L"1080"), L"1");
    EXPECT_EQ(doc.Get(L"set", L"1081"), L"0");
    EXPECT_EQ(doc.Get(L"set", L"1083"), L"1");
    EXPECT_EQ(doc.Get(L"set", L"1074"), L"0");
    const std::string text = doc.Serialize();
    size_t last = 0;
    for (int id : kProfileControlOrder) {
        const size_t at = text.find("\n" + std::to_string(id) + "=");
        ASSERT_NE(at, std::string::npos) << id;
        if (id != 1035) {
            EXPECT_GT(at, last) << id;
            last = at;
        }
    }
}

TEST(OptionSectionTest, MissingSectionClearsEveryControl) {
    TempDir dir;
    const auto path = dir.File("profile.ini", "[other]\n1035=x\n");
    RenameOptions options = EveryControlChanged();
    RenameOptionsControls controls(options, kRegexItems, kTemplateItems);
    LoadOptionSection(controls, L"set", path);
    RenameOptions cleared;   // every text empty, every box unchecked
    cleared.conversion = 0;  // an empty value selects the first item
    cleared.sequenceMode = 0;
    cleared.anchorSide = 0;
    cleared.regexPreset = 0;
    cleared.templatePreset = 0;
    EXPECT_EQ(options, cleared);
}

struct StoredValueCase {
    const char* label;
    int id;
    std::wstring value;
    int expectedSelection;  // for lists
    bool expectedChecked;   // for check boxes and radios
};

class ApplyStoredValueTest : public testing::TestWithParam<StoredValueCase> {};

TEST_P(ApplyStoredValueTest, AppliesLikeLoading) {
    const auto& c = GetParam();
    RenameOptions options = RenameOptions::WindowDefaults();
    RenameOptionsControls controls(options, kRegexItems, kTemplateItems);
    ApplyStoredValue(controls, c.id, c.value);
    if (FindMainWindowControl(c.id)->kind == ControlKind::DropDownList) {
        EXPECT_EQ(controls.Selection(c.id), c.expectedSelection) << c.label;
    } else {
        EXPECT_EQ(controls.Checked(c.id), c.expectedChecked) << c.label;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ApplyStoredValueTest,
    testing::Values(StoredValueCase{"index", 1073, L"4", 4, false},
                    StoredValueCase{"-1 clears", 1073, L"-1", -1, false},
                    StoredValueCase{"empty selects the first item", 1072, L"", 0, false},
                    StoredValueCase{"not a number selects the first item", 1072, L"abc", 0, false},
                    StoredValueCase{"beyond the end selects nothing", 1071, L"13", -1, false},
                    StoredValueCase{"other negatives select nothing", 1088, L"-5", -1, false},
                    StoredValueCase{"exactly 1 checks", 1095, L"1", 0, true},
                    StoredValueCase{"anything else unchecks", 1032, L"yes", 0, false},
                    StoredValueCase{"radio 1 does not touch its group", 1081, L"1", 0, true}),
    ByLabel());

TEST(OptionSectionTest, TwoRadiosStoredCheckedAreBothChecked) {
    IniFile doc;
    doc.Set(L"set", L"1080", L"1");
    doc.Set(L"set", L"1081", L"1");
    RenameOptions options;
    RenameOptionsControls controls(options, kRegexItems, kTemplateItems);
    LoadOptionSection(controls, doc, L"set");
    EXPECT_TRUE(options.insertPrefix);
    EXPECT_TRUE(options.insertSuffix);
}

struct SetCase {
    const char* label;
    int id;
    std::wstring value;
    bool accepted;
};

class SetControlValueTest : public testing::TestWithParam<SetCase> {};

TEST_P(SetControlValueTest, AcceptsWhatTheControlCanTake) {
    const auto& c = GetParam();
    RenameOptions options = RenameOptions::WindowDefaults();
    const RenameOptions before = options;
    RenameOptionsControls controls(options, kRegexItems, kTemplateItems);
    const auto refused = SetControlValue(controls, c.id, c.value);
    EXPECT_EQ(!refused.has_value(), c.accepted) << c.label << (refused ? ": " + *refused : "");
    if (refused) {
        EXPECT_EQ(options, before) << c.label;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetControlValueTest,
    testing::Values(SetCase{"text", 1035, L"A_", true}, SetCase{"empty text", 1045, L"", true},
                    SetCase{"index", 1073, L"9", true}, SetCase{"no selection", 1073, L"-1", true},
                    SetCase{"index past the end", 1073, L"10", false},
                    SetCase{"index not a number", 1072, L"one", false},
                    SetCase{"index with junk", 1072, L"1x", false},
                    SetCase{"check", 1095, L"1", true}, SetCase{"uncheck", 1032, L"0", true},
                    SetCase{"check word", 1095, L"true", false},
                    SetCase{"negative insert position", 1083, L"-5", true},
                    SetCase{"long number", 1062, L"1234567890", true},
                    SetCase{"the largest number", 1064, L"2147483647", true},
                    SetCase{"a number past any int", 1062, L"99999999999999999999", false},
                    SetCase{"one past the largest number", 1052, L"2147483648", false},
                    SetCase{"zeros before a small number", 1050, L"000000000000000000042", true},
                    SetCase{"the smallest insert position", 1083, L"-2147483648", true},
                    SetCase{"an insert position past the smallest", 1083, L"-2147483649", false},
                    SetCase{"the most serial digits", 1067, L"255", true},
                    SetCase{"more serial digits than a name holds", 1067, L"256", false},
                    SetCase{"no minus sign where the spin stays above zero", 1050, L"-4", false},
                    SetCase{"letters in a digits box", 1052, L"two", false},
                    SetCase{"line break in a single-line box", 1035, L"a\nb", false},
                    SetCase{"line break in the text-mode editor", 1113, L"a\nb", true},
                    SetCase{"push button pressed", 1074, L"1", false},
                    SetCase{"label is no option control", 1139, L"x", false},
                    SetCase{"spin is no option control", 1085, L"1", false},
                    SetCase{"unknown id", 4242, L"1", false}),
    ByLabel());

TEST(OptionSectionTest, CheckingARadioUnchecksItsGroup) {
    RenameOptions options = RenameOptions::WindowDefaults();
    RenameOptionsControls controls(options, kRegexItems, kTemplateItems);
    ASSERT_FALSE(SetControlValue(controls, 1086, L"1"));
    EXPECT_FALSE(options.insertPrefix);
    EXPECT_TRUE(options.insertAtText);
    ASSERT_FALSE(SetControlValue(controls, 1100, L"1"));
    EXPECT_FALSE(options.deleteAtPosition);
    EXPECT_TRUE(options.deleteAtLocator);
    ASSERT_FALSE(SetControlValue(controls, 1100, L"0"));
    EXPECT_FALSE(options.deleteAtLocator);
    EXPECT_FALSE(options.deleteAtPosition);
}

TEST(OptionSectionTest, LineBreakEscapesRoundTrip) {
    const std::wstring texts[] = {L"a\nb", L"a\\nb", L"\\", L"x\r\n\\\\n"};
    for (const auto& text : texts) {
        EXPECT_EQ(UnescapeLineBreaks(EscapeLineBreaks(text)), text);
        EXPECT_EQ(EscapeLineBreaks(text).find_first_of(L"\r\n"), std::wstring::npos);
    }
}

}  // namespace
}  // namespace tolvane::test
