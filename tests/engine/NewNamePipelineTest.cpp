#include <gtest/gtest.h>

#include "PipelineTestSupport.h"
#include "engine/TextConvert.h"

namespace tolvane::test {
namespace {

struct NameCase {
    const char* label;
    Setup setup;
    std::wstring oldName;
    std::wstring expected;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.label;
}

class SingleNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(SingleNameTest, GivesExpectedName) {
    const NameCase& c = GetParam();
    EXPECT_EQ(ToNarrow(PreviewName(c.setup, c.oldName)), ToNarrow(c.expected)) << c.label;
}

auto Prefix(std::wstring text) {
    return [text](RenameOptions& o) { o.insertText = text; };
}

auto AtPosition(std::wstring text, std::wstring position) {
    return [=](RenameOptions& o) {
        o.insertText = text;
        o.insertPrefix = false;
        o.insertAtPosition = true;
        o.insertPosition = position;
    };
}

auto DeleteAt(std::wstring position, std::wstring count, DeleteDirection direction) {
    return [=](RenameOptions& o) {
        o.ignoreExtension = false;
        o.deletePosition = position;
        o.deleteCount = count;
        o.deleteDirection = direction;
    };
}

auto DeleteAfter(std::wstring locator, std::wstring count, DeleteDirection direction) {
    return [=](RenameOptions& o) {
        o.ignoreExtension = false;
        o.deleteAtPosition = false;
        o.deleteAtLocator = true;
        o.locatorText = locator;
        o.deleteCount = count;
        o.deleteDirection = direction;
    };
}

constexpr auto L2R = DeleteDirection::LeftToRight;
constexpr auto R2L = DeleteDirection::RightToLeft;

INSTANTIATE_TEST_SUITE_P(
    InsertAndExtension, SingleNameTest,
    testing::Values(
        NameCase{"prefix keeps the ignored extension", Prefix(L"A_"), L"photo.jpg", L"A_photo.jpg"},
        NameCase{"suffix with the extension in the name",
                 [](RenameOptions& o) {
                     o.ignoreExtension = false;
                     o.insertPrefix = false;
                     o.insertSuffix = true;
                     o.insertText = L"_x";
                 },
                 L"photo.jpg", L"photo.jpg_x"},
        NameCase{"dot file: empty stem, extension kept", Prefix(L"x"), L".bashrc", L"x.bashrc"},
        NameCase{"only the last dot splits", Prefix(L"p"), L"a.b.c", L"pa.b.c"},
        NameCase{"no extension", Prefix(L"p"), L"README", L"pREADME"},
        NameCase{"position -1 appends", AtPosition(L"X", L"-1"), L"abc.txt", L"abcX.txt"},
        NameCase{"position -2 goes before the last character", AtPosition(L"X", L"-2"), L"abc",
                 L"abXc"},
        NameCase{"position -(length+1) inserts at the front", AtPosition(L"X", L"-4"), L"abc",
                 L"Xabc"},
        NameCase{"far negative position clamps to the front", AtPosition(L"X", L"-100"), L"abc",
                 L"Xabc"},
        NameCase{"position 2 starts the text at character 2", AtPosition(L"X", L"2"), L"abc",
                 L"aXbc"},
        NameCase{"position past the end appends", AtPosition(L"X", L"99"), L"abc", L"abcX"},
        NameCase{"position 0 inserts nothing", AtPosition(L"X", L"0"), L"abc", L"abc"},
        NameCase{"position without digits reads as 0", AtPosition(L"X", L"abc"), L"abc", L"abc"},
        NameCase{"positions count characters, not bytes", AtPosition(L"X", L"2"), L"漢字報告",
                 L"漢X字報告"},
        NameCase{"before the anchor",
                 [](RenameOptions& o) {
                     o.insertPrefix = false;
                     o.insertAtText = true;
                     o.anchorText = L"-";
                     o.insertText = L"[";
                 },
                 L"a-b-c", L"a[-b-c"},
        NameCase{"after the anchor",
                 [](RenameOptions& o) {
                     o.insertPrefix = false;
                     o.insertAtText = true;
                     o.anchorText = L"-";
                     o.anchorSide = 1;
                     o.insertText = L"]";
                 },
                 L"a-b-c", L"a-]b-c"},
        NameCase{"an anchor that does not occur inserts nothing",
                 [](RenameOptions& o) {
                     o.insertPrefix = false;
                     o.insertAtText = true;
                     o.anchorText = L"zz";
                     o.insertText = L"X";
                 },
                 L"abc", L"abc"},
        NameCase{"no insert radio checked inserts nothing",
                 [](RenameOptions& o) {
                     o.insertPrefix = false;
                     o.insertText = L"X";
                 },
                 L"abc", L"abc"},
        NameCase{"replacement loses characters no name may hold",
                 [](RenameOptions& o) {
                     o.findText = L"b";
                     o.replaceText = L"a:b/c*d?e\"f<g>h|i\\j";
                 },
                 L"abc", L"aabcdefghijc"}),
    ByLabel());

INSTANTIATE_TEST_SUITE_P(
    Delete, SingleNameTest,
    testing::Values(
        NameCase{"position 3 forwards", DeleteAt(L"3", L"2", L2R), L"abcdef", L"abef"},
        NameCase{"position 3 backwards", DeleteAt(L"3", L"2", R2L), L"abcdef", L"cdef"},
        NameCase{"position past the end backwards takes the last characters",
                 DeleteAt(L"9", L"2", R2L), L"abcdef", L"abcd"},
        NameCase{"position 0 deletes nothing", DeleteAt(L"0", L"2", L2R), L"abcdef", L"abcdef"},
        NameCase{"position 0 backwards deletes nothing", DeleteAt(L"0", L"2", R2L), L"abcdef",
                 L"abcdef"},
        NameCase{"position 5 backwards takes the two before it", DeleteAt(L"5", L"2", R2L),
                 L"abcdef", L"abef"},
        NameCase{"count past the end stops at the end", DeleteAt(L"5", L"99", L2R), L"abcdef",
                 L"abcd"},
        NameCase{"count 0 deletes nothing", DeleteAt(L"1", L"0", L2R), L"abcdef", L"abcdef"},
        NameCase{"position after the end forwards deletes nothing", DeleteAt(L"9", L"2", L2R),
                 L"abcdef", L"abcdef"},
        NameCase{"locator forwards", DeleteAfter(L"c", L"2", L2R), L"abcdef", L"abcf"},
        NameCase{"locator backwards", DeleteAfter(L"c", L"2", R2L), L"abcdef", L"cdef"},
        NameCase{"locator backwards near the start", DeleteAfter(L"b", L"5", R2L), L"abcdef",
                 L"bcdef"},
        NameCase{"missing locator deletes nothing", DeleteAfter(L"z", L"2", L2R), L"abcdef",
                 L"abcdef"},
        NameCase{"deletion never splits a character", DeleteAt(L"2", L"1", L2R), L"漢字報告",
                 L"漢報告"},
        NameCase{"huge counts do not overflow", DeleteAt(L"-2147483648", L"2147483647", R2L),
                 L"abc", L"abc"}),
    ByLabel());

INSTANTIATE_TEST_SUITE_P(
    ConversionsInThePipeline, SingleNameTest,
    testing::Values(NameCase{"extension upper case", [](RenameOptions& o) { o.conversion = 1; },
                             L"a.b.txt", L"a.b.TXT"},
                    NameCase{"extension upper case without extension",
                             [](RenameOptions& o) { o.conversion = 1; }, L"README", L"README"},
                    NameCase{"extension lower case with the extension not ignored",
                             [](RenameOptions& o) {
                                 o.ignoreExtension = false;
                                 o.conversion = 2;
                             },
                             L"Photo.JPG", L"Photo.jpg"},
                    NameCase{"upper case leaves the ignored extension",
                             [](RenameOptions& o) { o.conversion = 3; }, L"photo.jpg",
                             L"PHOTO.jpg"},
                    NameCase{"lower case", [](RenameOptions& o) { o.conversion = 4; }, L"PHOTO.JPG",
                             L"photo.JPG"},
                    NameCase{"first character upper case",
                             [](RenameOptions& o) { o.conversion = 5; }, L"hello world.txt",
                             L"Hello world.txt"},
                    NameCase{"simplified to traditional",
                             [](RenameOptions& o) { o.conversion = 9; }, L"汉字.txt", L"漢字.txt"},
                    NameCase{"traditional to simplified",
                             [](RenameOptions& o) { o.conversion = 8; }, L"漢字.txt", L"汉字.txt"},
                    NameCase{"numerals to digits", [](RenameOptions& o) { o.conversion = 6; },
                             L"第二十三集.mp4", L"第23集.mp4"}),
    ByLabel());

INSTANTIATE_TEST_SUITE_P(
    GeneratedNames, SingleNameTest,
    testing::Values(
        NameCase{"counter", [](RenameOptions& o) { o.sequenceMode = 1; }, L"x.jpg", L"01.jpg"},
        NameCase{"date and counter (label 日期+数字递增)",
                 [](RenameOptions& o) { o.sequenceMode = 3; }, L"x.jpg", L"2023-07-29_01.jpg"},
        NameCase{"old name and date", [](RenameOptions& o) { o.sequenceMode = 5; }, L"pic.jpg",
                 L"pic_2023-07-29.jpg"},
        NameCase{"old name and date, extension not ignored",
                 [](RenameOptions& o) {
                     o.ignoreExtension = false;
                     o.sequenceMode = 5;
                 },
                 L"pic.jpg", L"pic.jpg_2023-07-29"},
        NameCase{"serial replaces what came before",
                 [](RenameOptions& o) {
                     o.insertText = L"A_";
                     o.serialEnabled = true;
                     o.serialStart = L"7";
                     o.serialDigits = L"4";
                 },
                 L"x.jpg", L"0007.jpg"},
        NameCase{"serial from zero",
                 [](RenameOptions& o) {
                     o.serialEnabled = true;
                     o.serialStart = L"0";
                     o.serialDigits = L"2";
                 },
                 L"x", L"00"},
        NameCase{"negative serial start is padded in front of its sign",
                 [](RenameOptions& o) {
                     o.serialEnabled = true;
                     o.serialStart = L"-5";
                     o.serialDigits = L"3";
                 },
                 L"x", L"0-5"},
        NameCase{"serial digits are capped at the longest name",
                 [](RenameOptions& o) {
                     o.serialEnabled = true;
                     o.serialDigits = L"99999999";
                 },
                 L"x", std::wstring(254, L'0') + L"1"}),
    ByLabel());

TEST(PipelineTest, RandomGeneratedNamesFollowTheirLabels) {
    const auto random = PreviewName([](RenameOptions& o) { o.sequenceMode = 2; }, L"x.jpg");
    EXPECT_EQ(random.size(), 36u);
    EXPECT_EQ(random.find_first_not_of(L"0123456789ABCDEF"), 32u);
    const auto dated = PreviewName([](RenameOptions& o) { o.sequenceMode = 4; }, L"x.jpg");
    EXPECT_EQ(dated.substr(0, 11), L"2023-07-29_");
    EXPECT_EQ(dated.size(), 11u + 32u + 4u);
}

TEST(PipelineTest, SerialNumbersFollowTheRows) {
    const auto names = PreviewNames(
        [](RenameOptions& o) {
            o.serialEnabled = true;
            o.serialIncrement = L"2";
            o.serialDigits = L"3";
        },
        {L"a.jpg", L"b.jpg", L"c.png"});
    EXPECT_EQ(names, (std::vector<std::wstring>{L"001.jpg", L"003.jpg", L"005.png"}));
}

TEST(PipelineTest, CounterHasTwoDigitsUpToNine) {
    std::vector<std::wstring> old;
    for (int i = 0; i < 12; ++i)
        old.push_back(L"f" + std::to_wstring(i));
    const auto names = PreviewNames([](RenameOptions& o) { o.sequenceMode = 1; }, old);
    EXPECT_EQ(names[0], L"01");
    EXPECT_EQ(names[8], L"09");
    EXPECT_EQ(names[9], L"10");
    EXPECT_EQ(names[11], L"12");
}

TEST(PipelineTest, CounterWrapsAfterTheRowCount) {
    RenameOptions options = RenameOptions::WindowDefaults();
    options.sequenceMode = 1;
    const FixedClock clock(July29());
    const NewNamePipeline pipeline(options, clock);
    ItemCounter counter;
    std::vector<std::wstring> got;
    for (int i = 0; i < 5; ++i)
        got.push_back(pipeline.ComputeNewName(L"x", L"/d", counter, 3));
    EXPECT_EQ(got, (std::vector<std::wstring>{L"01", L"02", L"03", L"01", L"02"}));
}

TEST(PipelineTest, UnchangedNamesAreMarkedBlackAndChangedRed) {
    RenameOptions options = RenameOptions::WindowDefaults();
    options.findText = L"a";
    options.replaceText = L"b";
    const FixedClock clock(July29());
    const NewNamePipeline pipeline(options, clock);
    const std::vector<NameRow> rows = {{L"banana", L"/d"}, {L"cherry", L"/d"}};
    ItemCounter counter;
    const auto result = RecomputeAllNewNames(rows, pipeline, counter);
    EXPECT_EQ(result.newNames, (std::vector<std::wstring>{L"bbnbnb", L"cherry"}));
    ASSERT_EQ(result.marks.size(), 2u);
    EXPECT_EQ(result.marks[0], (ColourMark{0, kNewNameColumn, kRedText, kWhiteBackground}));
    EXPECT_EQ(result.marks[1], (ColourMark{1, kNewNameColumn, kBlackText, kWhiteBackground}));
}

TEST(PipelineTest, RecomputeIsGatedByTheTriggeringControl) {
    RenameOptions options = RenameOptions::WindowDefaults();
    EXPECT_TRUE(ShouldRecompute(options, 1035, 3));
    EXPECT_FALSE(ShouldRecompute(options, 1035, 0));
    options.deleteAtPosition = false;
    EXPECT_FALSE(ShouldRecompute(options, 1052, 3));
    EXPECT_TRUE(ShouldRecompute(options, 1045, 3));
    options.insertPrefix = false;
    EXPECT_FALSE(ShouldRecompute(options, 1045, 3));
}

TEST(PipelineTest, ResetKeepsTheDirectionAndTextMode) {
    RenameOptions options = RenameOptions::WindowDefaults();
    options.deleteDirection = DeleteDirection::RightToLeft;
    options.textMode = true;
    options.textModeText = L"a\nb";
    options.insertText = L"x";
    options.insertPrefix = false;
    options.insertSuffix = true;
    options.conversion = 3;
    options.filterText = L"*.jpg";
    ResetOptions(options);
    RenameOptions expected = RenameOptions::WindowDefaults();
    expected.deleteDirection = DeleteDirection::RightToLeft;
    expected.textMode = true;
    expected.textModeText = L"a\nb";
    EXPECT_EQ(options, expected);
}

TEST(PipelineTest, DependentControlsFollowTheirButtons) {
    RenameOptions options = RenameOptions::WindowDefaults();
    EXPECT_FALSE(IsOptionControlEnabled(options, 1083));
    EXPECT_TRUE(IsOptionControlEnabled(options, 1050));
    EXPECT_FALSE(IsOptionControlEnabled(options, 1089));
    EXPECT_FALSE(IsOptionControlEnabled(options, 1066));
    options.serialEnabled = true;
    options.useRegex = true;
    EXPECT_TRUE(IsOptionControlEnabled(options, 1066));
    EXPECT_TRUE(IsOptionControlEnabled(options, 1089));
}

}  // namespace
}  // namespace tolvane::test
