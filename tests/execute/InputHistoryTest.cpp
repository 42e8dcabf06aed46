#include <gtest/gtest.h>

#include "../TestSupport.h"
#include "execute/InputHistory.h"
#include "settings/Settings.h"

namespace tolvane::test {
namespace {

using Items = std::vector<std::wstring>;

struct RecordCase {
    const char* label;
    std::wstring stored;
    std::wstring text;
    int count;
    std::wstring expected;
};

class RecordedHistoryTest : public testing::TestWithParam<RecordCase> {};

TEST_P(RecordedHistoryTest, KeepsTheNewestEntries) {
    const auto& c = GetParam();
    EXPECT_EQ(RecordedHistory(c.stored, c.text, c.count), c.expected) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordedHistoryTest,
    testing::Values(
        RecordCase{"new text pushes the oldest out", L"one;two;three;four;five;", L"six", 5,
                   L"two;three;four;five;six;"},
        RecordCase{"known text moves to the end", L"one;two;three;four;five;", L"three", 5,
                   L"two;four;five;three;"},
        RecordCase{"count 0 empties", L"one;two;", L"x", 0, L""},
        RecordCase{"first entry", L"", L"a", 5, L"a;"},
        RecordCase{"without a final separator one more entry stays", L"a;b", L"c", 2, L"a;b;c;"},
        RecordCase{"a separator inside the text is stored as it is", L"", L"x;y", 5, L"x;y;"}),
    ByLabel());

struct TrimCase {
    const char* label;
    std::wstring stored;
    int count;
    std::wstring expected;
};

class TrimmedHistoryTest : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimmedHistoryTest, CutsToTheNewest) {
    const auto& c = GetParam();
    EXPECT_EQ(TrimmedHistory(c.stored, c.count), c.expected) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrimmedHistoryTest,
    testing::Values(TrimCase{"five to two", L"one;two;three;four;five;", 2, L"four;five;"},
                    TrimCase{"raising keeps all", L"one;two;", 20, L"one;two;"},
                    TrimCase{"no final separator loses the last", L"a;b;c", 5, L"a;b;"},
                    TrimCase{"zero empties", L"a;b;", 0, L""},
                    TrimCase{"empty stays empty", L"", 3, L""}),
    ByLabel());

TEST(InputHistoryTest, DropDownShowsNewestFirst) {
    EXPECT_EQ(HistoryEntries(L"one;two;three;"), (Items{L"three", L"two", L"one"}));
    EXPECT_TRUE(HistoryEntries(L"").empty());

    Items items = {L"five", L"four", L"three", L"two", L"one"};
    RecordInDropDown(items, L"three", 5);
    EXPECT_EQ(items, (Items{L"three", L"five", L"four", L"three", L"two"}));

    ShortenDropDown(items, 3);
    EXPECT_EQ(items, (Items{L"three", L"five"}));
}

TEST(InputHistoryTest, RecordsLoadsAndTrimsThroughTheSettingsFile) {
    TempDir dir;
    const Settings settings(dir.Path() / "Tolvane.ini");
    settings.Write(keys::kRemindCount, L"3");
    Items dropDown;
    for (const wchar_t* text : {L"a", L"", L"b", L"c", L"d"}) {
        RecordInputHistory(settings, 1045, text, dropDown);
    }
    EXPECT_EQ(settings.Read(L"remind", L"1045"), L"b;c;d;");
    EXPECT_EQ(dropDown, (Items{L"d", L"c", L"b"}));
    EXPECT_EQ(LoadInputHistory(settings, 1045), (Items{L"d", L"c", L"b"}));
    EXPECT_EQ(settings.Read(L"remind", L"1035"), L"");

    settings.Write(L"remind", L"1068", L"x;y;z;");
    TrimInputHistory(settings, 1);
    EXPECT_EQ(settings.Read(L"remind", L"1045"), L"d;");
    EXPECT_EQ(settings.Read(L"remind", L"1068"), L"z;");
}

}  // namespace
}  // namespace tolvane::test
