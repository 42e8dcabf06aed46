#include <gtest/gtest.h>

#include "../TestSupport.h"

#include "engine/OptionLists.h"

namespace tolvane {
namespace {

using Items = std::vector<std::wstring>;

const Items kPresetNames = {L"字母数字", L"非字母数字", L"特殊字符", L"IP", L"email"};

Items Concat(Items head, const Items& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

struct RegexListCase {
    const char* label;
    std::wstring stored;
    Items expected;
};

class RegexPresetListTest : public testing::TestWithParam<RegexListCase> {};

TEST_P(RegexPresetListTest, ListsUserRulesBeforePresets) {
    const auto& c = GetParam();
    EXPECT_EQ(BuildRegexPresetList(c.stored, BuiltInTexts()).items, c.expected) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegexPresetListTest,
    testing::Values(RegexListCase{"first start: no user rules", L"",
                                  Concat({L"不选择"}, kPresetNames)},
                    RegexListCase{"default rules", L"number#\\d;letter#[a-zA-Z];",
                                  Concat({L"不选择", L"number", L"letter"}, kPresetNames)},
                    RegexListCase{"a rule without '#' is skipped but counts", L"x;b#1;",
                                  Concat({L"不选择", kPresetNames[0], L"b"},
                                         Items(kPresetNames.begin() + 1, kPresetNames.end()))},
                    RegexListCase{"an index beyond the end lists nothing", L";;;;;;;late#1",
                                  Concat({L"不选择"}, kPresetNames)},
                    RegexListCase{"extra '#' pieces are ignored", L"two#a#b;",
                                  Concat({L"不选择", L"two"}, kPresetNames)}),
    test::ByLabel());

TEST(RegexPresetListTest, UserRuleNamedLikeAPresetReplacesItsExpression) {
    const RegexPresetList list = BuildRegexPresetList(L"IP#\\d;", BuiltInTexts());
    EXPECT_EQ(std::count(list.items.begin(), list.items.end(), L"IP"), 2);
    for (size_t i = 0; i < list.items.size(); ++i) {
        if (list.items[i] != L"IP")
            continue;
        RenameOptions options;
        ApplyRegexPreset(options, list, static_cast<int>(i));
        EXPECT_EQ(options.findText, L"\\d");
    }
}

TEST(RegexPresetListTest, ChoosingAnItemSetsFindTextAndChecksRegex) {
    const RegexPresetList list = BuildRegexPresetList(L"two#a#b;", BuiltInTexts());
    RenameOptions options;
    options.findText = L"old";
    ApplyRegexPreset(options, list, 0);  // 不选择
    EXPECT_EQ(options.findText, L"");
    EXPECT_TRUE(options.useRegex);
    ApplyRegexPreset(options, list, 1);
    EXPECT_EQ(options.findText, L"a");
    ApplyRegexPreset(options, list, 2);
    EXPECT_EQ(options.findText, L"[a-zA-Z0-9]*");
}

TEST(TemplatePresetListTest, PlacesUserTemplatesByIndex) {
    const Items presets = BuildTemplatePresetList(L"", BuiltInTexts());
    ASSERT_EQ(presets.size(), 13u);
    EXPECT_EQ(presets[0], L"不选择");
    EXPECT_EQ(presets[1], L"<#>_<name>");
    EXPECT_EQ(presets[12], L"<ctime>");

    const Items mixed = BuildTemplatePresetList(L"a;;b", BuiltInTexts());
    EXPECT_EQ(Items(mixed.begin(), mixed.begin() + 5),
              (Items{L"不选择", L"a", L"<#>_<name>", L"b", L"<#>_<self>"}));

    const Items defaults = BuildTemplatePresetList(L"example_<date>;example_<#>;", BuiltInTexts());
    EXPECT_EQ(Items(defaults.begin(), defaults.begin() + 3),
              (Items{L"不选择", L"example_<date>", L"example_<#>"}));
}

// A language file that lacks every key: list items are empty, lookups fall back.
class EmptyLanguage final : public TextSource {
  public:
    std::wstring ItemText(std::string_view, std::wstring_view) const override { return {}; }
    std::wstring Lookup(std::string_view, std::wstring_view fallback) const override {
        return std::wstring(fallback);
    }
};

TEST(OptionListsTest, ItemsKeepTheirIndexesWhateverTheirTexts) {
    EXPECT_EQ(ConversionItems(BuiltInTexts()).size(), 10u);
    EXPECT_EQ(ConversionItems(BuiltInTexts())[9], L"简体转繁体");
    EXPECT_EQ(SequenceItems(BuiltInTexts())[3], L"日期+数字递增");
    EXPECT_EQ(ConversionItems(EmptyLanguage()), Items(10));
    EXPECT_EQ(AnchorSideItems(BuiltInTexts()), (Items{L"前", L"后"}));
    // IP and email are not translated.
    const Items translated = BuildRegexPresetList(L"", EmptyLanguage()).items;
    EXPECT_EQ(std::count(translated.begin(), translated.end(), L"IP"), 1);
}

}  // namespace
}  // namespace tolvane
