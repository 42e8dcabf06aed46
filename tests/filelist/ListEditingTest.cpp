#include <gtest/gtest.h>

#include <random>
#include "../TestSupport.h"

#include "engine/Pattern.h"
#include "engine/StringOps.h"
#include "engine/TextConvert.h"
#include "filelist/ClipboardTexts.h"
#include "filelist/FilterPattern.h"
#include "filelist/ListEditing.h"
#include "filelist/TextMode.h"
#include "settings/MenuTable.h"

namespace tolvane::test {
namespace {

using Texts = std::vector<std::wstring>;

// A list of rows named after `names` in folder /d, new names as given (or the names).
FileList MakeList(const Texts& names, const Texts& newNames = {}) {
    FileList list;
    Texts paths;
    for (const auto& name : names)
        paths.push_back(L"/d/" + name);
    list.AddPaths(paths, FileList::AddOptions{});
    for (size_t r = 0; r < newNames.size(); ++r)
        list.SetNewName(r, newNames[r]);
    return list;
}

Texts Names(const FileList& list) {
    Texts names;
    for (size_t r = 0; r < list.RowCount(); ++r)
        names.push_back(list.Row(r).name);
    return names;
}

void Select(FileList& list, const std::vector<size_t>& rows) {
    for (size_t r = 0; r < list.RowCount(); ++r)
        list.SetSelected(r, false);
    for (size_t r : rows)
        list.SetSelected(r, true);
    list.SetSelectionMark(rows.empty() ? -1 : static_cast<int>(rows.front()));
}

struct MoveCase {
    const char* label;
    std::vector<size_t> selected;
    MoveDirection direction;
    Texts expected;
};

class MoveTest : public testing::TestWithParam<MoveCase> {};

TEST_P(MoveTest, MovesTheSelectedBlock) {
    const auto& c = GetParam();
    FileList list = MakeList({L"a", L"b", L"c", L"d", L"e"});
    list.SetChecked(2, false);
    Select(list, c.selected);
    MoveSelectedRows(list, c.direction);
    EXPECT_EQ(Names(list), c.expected) << c.label;
    for (size_t r = 0; r < list.RowCount(); ++r) {
        EXPECT_EQ(list.Row(r).serial, static_cast<int>(r) + 1);
        EXPECT_EQ(list.Row(r).checked, list.Row(r).name != L"c") << c.label;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MoveTest,
    testing::Values(
        MoveCase{"top", {2, 3}, MoveDirection::Top, {L"c", L"d", L"a", L"b", L"e"}},
        MoveCase{"up", {2, 3}, MoveDirection::Up, {L"a", L"c", L"d", L"b", L"e"}},
        MoveCase{"down", {1, 2}, MoveDirection::Down, {L"a", L"d", L"b", L"c", L"e"}},
        MoveCase{"bottom", {0, 2}, MoveDirection::Bottom, {L"b", L"d", L"e", L"a", L"c"}},
        MoveCase{
            "up on the first row stays", {0}, MoveDirection::Up, {L"a", L"b", L"c", L"d", L"e"}},
        MoveCase{
            "down on the last row stays", {4}, MoveDirection::Down, {L"a", L"b", L"c", L"d", L"e"}},
        MoveCase{
            "scattered rows gather", {0, 4}, MoveDirection::Down, {L"b", L"a", L"e", L"c", L"d"}},
        MoveCase{"nothing selected", {}, MoveDirection::Top, {L"a", L"b", L"c", L"d", L"e"}}),
    ByLabel());

TEST(ListEditingTest, MovedBlockKeepsItsOrderWhateverItsSerials) {
    Texts names;
    for (int i = 1; i <= 10; ++i)
        names.push_back(L"f" + std::to_wstring(i));
    FileList list = MakeList(names);
    Select(list, {8, 9});
    MoveSelectedRows(list, MoveDirection::Up);
    EXPECT_EQ(list.Row(7).name, L"f9");
    EXPECT_EQ(list.Row(8).name, L"f10");
}

TEST(ListEditingTest, MarksFollowMovedAndRemovedRows) {
    FileList list = MakeList({L"a", L"b", L"c"});
    list.AppendColour({2, 2, kRedText, kWhiteBackground});
    Select(list, {2});
    MoveSelectedRows(list, MoveDirection::Top);
    EXPECT_EQ(list.Colours().ColourOf(0, 2).text, kRedText);
    Select(list, {1});
    EXPECT_FALSE(RemoveSelected(list, L""));
    EXPECT_EQ(list.Colours().ColourOf(0, 2).text, kRedText);
    EXPECT_EQ(Names(list), (Texts{L"c", L"b"}));
}

TEST(ListEditingTest, RemovingRowsUpdatesRegistryAndSerials) {
    FileList list = MakeList({L"a", L"b", L"c", L"d"});
    Select(list, {1, 3});
    EXPECT_FALSE(RemoveSelected(list, L""));
    EXPECT_EQ(Names(list), (Texts{L"a", L"c"}));
    EXPECT_EQ(list.Row(1).serial, 2);
    EXPECT_EQ(list.Registry().Entries(), (Texts{L"/d/a", L"/d/c"}));
    // A removed path can be added again.
    list.AddPaths({L"/d/b"}, FileList::AddOptions{});
    EXPECT_EQ(list.RowCount(), 3u);

    Select(list, {0, 1, 2});
    EXPECT_TRUE(RemoveSelected(list, L""));
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(list.Registry().Size(), 0u);
    EXPECT_FALSE(list.Sort().indicatorShown);
}

TEST(ListEditingTest, SelectAllAndInvertPaintRowsBlue) {
    FileList list = MakeList({L"a", L"b", L"c"});
    list.SetChecked(1, false);
    InvertSelection(list);
    EXPECT_FALSE(list.Row(0).checked);
    EXPECT_TRUE(list.Row(1).checked);
    EXPECT_TRUE(list.Row(1).selected);
    EXPECT_FALSE(list.Row(0).selected);
    EXPECT_EQ(list.Colours().ColourOf(1, 2).background, kSelectionBackground);
    EXPECT_EQ(list.Colours().ColourOf(0, 2).background, kWhiteBackground);
    SelectAll(list);
    for (size_t r = 0; r < 3; ++r) {
        EXPECT_TRUE(list.Row(r).checked && list.Row(r).selected);
        EXPECT_EQ(list.Colours().ColourOf(static_cast<int>(r), 3).background, kSelectionBackground);
    }
    EXPECT_EQ(list.SelectionMark(), 2);
}

struct FilterCase {
    const char* label;
    std::wstring filter;
    std::vector<bool> picked;  // for abc, xabcx, ABC.TXT, notes.txt, txt
};

class FilterTest : public testing::TestWithParam<FilterCase> {};

TEST_P(FilterTest, ChecksAndSelectsMatches) {
    const auto& c = GetParam();
    FileList list = MakeList({L"abc", L"xabcx", L"ABC.TXT", L"notes.txt", L"txt"});
    list.ApplyFilter(c.filter);
    for (size_t r = 0; r < list.RowCount(); ++r) {
        EXPECT_EQ(list.Row(r).checked, c.picked[r]) << c.label << " row " << r;
        EXPECT_EQ(list.Row(r).selected, c.picked[r]) << c.label << " row " << r;
        EXPECT_EQ(list.Colours().ColourOf(static_cast<int>(r), 1).background,
                  c.picked[r] ? kSelectionBackground : kWhiteBackground);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FilterTest,
    testing::Values(
        FilterCase{"question mark", L"a?c", {true, true, true, false, false}},
        FilterCase{"star and any-character dot", L"*.txt", {false, false, true, true, false}},
        FilterCase{"letter case is ignored", L"ABC", {true, true, true, false, false}},
        FilterCase{"empty filter unchecks every row", L"", {false, false, false, false, false}},
        FilterCase{"regular expressions work", L"(ab|te)", {true, true, true, true, false}}),
    ByLabel());

TEST(FilterPatternTest, WildcardFiltersMatchAsTheirRegularExpressions) {
    // Filters made only of wildcards take a path without the regular-expression
    // engine; it must agree with the expression the filter stands for.
    std::mt19937 random(11);
    const std::wstring filterChars = L"ab.*?", nameChars = L"abA.";
    for (int round = 0; round < 3000; ++round) {
        std::wstring filter, name;
        for (size_t i = 1 + random() % 5; i > 0; --i)
            filter += filterChars[random() % filterChars.size()];
        for (size_t i = random() % 8; i > 0; --i)
            name += nameChars[random() % nameChars.size()];
        const auto expected = CompiledRegex::Compile(L".*" + WildcardToRegex(filter) + L".*");
        ASSERT_TRUE(expected);
        EXPECT_EQ(FilterPattern::Make(filter)->Matches(name), expected->Match(AsciiLower(name)))
            << ToNarrow(filter) << " on " << ToNarrow(name);
    }
    EXPECT_EQ(FilterPattern::Make(L"a")->Matches(L"a\nb"), std::optional<bool>(false));
    EXPECT_EQ(FilterPattern::Make(L""), nullptr);
    EXPECT_EQ(FilterPattern::Make(L"(*"), nullptr);
}

TEST(ListEditingTest, InvalidFilterLeavesRows) {
    FileList list = MakeList({L"a", L"b"});
    list.SetChecked(1, false);
    list.ApplyFilter(L"(");
    EXPECT_TRUE(list.Row(0).checked);
    EXPECT_FALSE(list.Row(1).checked);
}

TEST(ListEditingTest, AFilterThatRunsAwayLeavesTheRowsAsTheyWere) {
    // The second name makes the filter backtrack without end: no row may change, not
    // even the first, which the filter matched before it gave up.
    FileList list = MakeList({L"xxy", std::wstring(60, L'x') + L"zy", L"b"});
    list.SetChecked(2, false);
    EXPECT_FALSE(list.ApplyFilter(L"(x+x+)+y"));
    EXPECT_TRUE(list.Row(0).checked);
    EXPECT_TRUE(list.Row(1).checked);
    EXPECT_FALSE(list.Row(2).checked);
    EXPECT_FALSE(list.Row(0).selected);
    EXPECT_TRUE(list.ApplyFilter(L"b"));
    EXPECT_FALSE(list.Row(0).checked);
    EXPECT_TRUE(list.Row(2).checked);
}

TEST(ListEditingTest, InlineRenameDropsInvalidCharacters) {
    FileList list = MakeList({L"a.txt"}, {L"a.txt"});
    CommitInlineRename(list, 0, L"a/b");
    EXPECT_EQ(list.Row(0).newName, L"ab");
    EXPECT_EQ(list.Colours().ColourOf(0, 2).text, kRedText);
    CommitInlineRename(list, 0, L"ab");
    EXPECT_EQ(list.Colours().Entries().back().text, kBlackText);
}

TEST(ListEditingTest, RowMenuFollowsTheSelection) {
    FileList list = MakeList({L"a", L"b", L"c"});
    auto enabled = [&](int command) { return IsRowCommandEnabled(list, command); };
    Select(list, {0});
    EXPECT_FALSE(enabled(cmd::kMoveTop));
    EXPECT_FALSE(enabled(cmd::kMoveUp));
    EXPECT_TRUE(enabled(cmd::kMoveDown));
    EXPECT_FALSE(enabled(cmd::kCheck));  // the mark row is checked
    EXPECT_TRUE(enabled(cmd::kUncheck));
    EXPECT_TRUE(enabled(cmd::kRenameSelected));
    Select(list, {2});
    list.SetChecked(2, false);
    EXPECT_FALSE(enabled(cmd::kMoveBottom));
    EXPECT_TRUE(enabled(cmd::kCheck));
    EXPECT_FALSE(enabled(cmd::kUncheck));
    Select(list, {0, 2});
    EXPECT_TRUE(enabled(cmd::kMoveTop));
    EXPECT_TRUE(enabled(cmd::kCheck));
    EXPECT_FALSE(enabled(cmd::kRenameSelected));
    EXPECT_FALSE(enabled(cmd::kOpenFile));
    EXPECT_TRUE(enabled(cmd::kOpenFolderOfFile));
    EXPECT_FALSE(CanBeginInlineRename(list));
    Select(list, {});
    EXPECT_FALSE(enabled(cmd::kUncheck));
    EXPECT_TRUE(enabled(cmd::kRemove));
}

TEST(ClipboardTextsTest, ExportsEveryRow) {
    FileList list = MakeList({L"b.txt", L"c"}, {L"x.txt", L"y"});
    list.SwitchColumn(OptionalColumn::Extension, true);
    EXPECT_EQ(ExportNames(list), L"b.txt\nc\n");
    EXPECT_EQ(ExportNewNames(list), L"x.txt\ny\n");
    EXPECT_EQ(ExportPathsAndNewPaths(list), L"/d/b.txt\t/d/x.txt\n/d/c\t/d/y\n");
    list.SetStatus(0, L"√成功");
    EXPECT_EQ(ExportAllColumns(list), L"1\tb.txt\tx.txt\t√成功\ttxt\t/d\n2\tc\ty\t\t\t/d\n");
    EXPECT_EQ(ExportNames(MakeList({})), L"");
}

struct PasteCase {
    const char* label;
    std::wstring text;
    Texts expected;
};

class PasteTest : public testing::TestWithParam<PasteCase> {};

TEST_P(PasteTest, PastesFromTheTop) {
    const auto& c = GetParam();
    FileList list = MakeList({L"1", L"2", L"3", L"4", L"5"}, {L"n1", L"n2", L"n3", L"n4", L"n5"});
    PasteNewNames(list, c.text);
    Texts got;
    for (size_t r = 0; r < list.RowCount(); ++r)
        got.push_back(list.Row(r).newName);
    EXPECT_EQ(got, c.expected) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PasteTest,
    testing::Values(
        PasteCase{"three lines", L"a\nb\nc", {L"a", L"b", L"c", L"n4", L"n5"}},
        PasteCase{"seven lines", L"a\nb\nc\nd\ne\nf\ng", {L"a", L"b", L"c", L"d", L"e"}},
        PasteCase{
            "final line feed empties the next row", L"a\nb\n", {L"a", L"b", L"", L"n4", L"n5"}},
        PasteCase{"windows line ends and leading blanks",
                  L" a\r\nb \r\n",
                  {L" a", L"b", L"", L"n4", L"n5"}}),
    ByLabel());

TEST(ClipboardTextsTest, PastedRowsArePinkAndChangedOnesRed) {
    FileList list = MakeList({L"a", L"b", L"c"}, {L"x", L"y", L"z"});
    PasteNewNames(list, ExportNewNames(list));
    EXPECT_EQ(list.Row(2).newName, L"z");
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(list.Colours().ColourOf(r, 2).background, kImportBackground);
        EXPECT_EQ(list.Colours().ColourOf(r, 2).text, kBlackText);
    }
    PasteNewNames(list, L"x\nchanged");
    EXPECT_EQ(list.Colours().ColourOf(1, 2).text, kRedText);
    EXPECT_EQ(list.Colours().ColourOf(2, 2).background, kWhiteBackground);
}

TEST(TextModeTest, ShowsStemsAndAppliesEditsWithTheOldExtension) {
    FileList list = MakeList({L"a.txt", L"README", L"c.md"}, {L"b.txt", L"READ", L".md"});
    EXPECT_EQ(BuildTextModeText(list), L"b\nREAD\nc\n");
    ApplyTextEdits(list, L" c \r\nREADME\n");
    EXPECT_EQ(list.Row(0).newName, L"c.txt");
    EXPECT_EQ(list.Row(1).newName, L"README");
    EXPECT_EQ(list.Row(2).newName, L".md");  // the empty last line
    EXPECT_EQ(list.Colours().ColourOf(0, 2).text, kRedText);
    EXPECT_EQ(list.Colours().ColourOf(1, 2).text, kBlackText);
    ApplyTextEdits(list, L"a");
    EXPECT_EQ(list.Row(0).newName, L"a.txt");
    EXPECT_EQ(list.Colours().ColourOf(0, 2).text, kBlackText);
    EXPECT_EQ(list.Row(1).newName, L"README");

    ApplyTextEdits(list, L"");
    EXPECT_EQ(list.Row(0).newName, L".txt");
    EXPECT_EQ(list.Colours().ColourOf(0, 2).text, kRedText);
}

}  // namespace
}  // namespace tolvane::test
