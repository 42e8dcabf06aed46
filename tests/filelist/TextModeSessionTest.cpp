#include <gtest/gtest.h>

#include "../TestSupport.h"
#include "filelist/ClipboardTexts.h"
#include "filelist/TextModeSession.h"

namespace tolvane::test {
namespace {

using Texts = std::vector<std::wstring>;
using namespace std::string_literals;

FileList MakeList(const Texts& names) {
    FileList list;
    Texts paths;
    for (const auto& name : names)
        paths.push_back(L"/d/" + name);
    list.AddPaths(paths, FileList::AddOptions{});
    return list;
}

Texts NewNames(const FileList& list) {
    Texts names;
    for (size_t r = 0; r < list.RowCount(); ++r)
        names.push_back(list.Row(r).newName);
    return names;
}

// One edit of the editor: lines first .. first + removed - 1 become `lines`.
struct EditCase {
    const char* label;
    size_t first;
    size_t removed;
    Texts lines;
    Texts expected;  // new names of a.txt, b.txt, c.txt, d
};

class TextModeEditTest : public testing::TestWithParam<EditCase> {};

TEST_P(TextModeEditTest, ChangesOnlyTheRowsOfTheLinesTouched) {
    const EditCase& c = GetParam();
    FileList list = MakeList({L"a.txt", L"b.txt", L"c.txt", L"d"});
    // A name changed by something else stays unless its line is touched.
    list.SetNewName(3, L"kept");
    TextModeSession session;
    EXPECT_EQ(session.Begin(list), L"a\nb\nc\nkept\n");
    session.Replace(list, c.first, c.removed, c.lines);
    EXPECT_EQ(NewNames(list), c.expected) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextModeEditTest,
    testing::Values(
        EditCase{"a line typed over", 1, 1, {L"x"}, {L"a.txt", L"x.txt", L"c.txt", L"kept"}},
        EditCase{"blanks trimmed, no extension added to a name without one",
                 3,
                 1,
                 {L"  y \t"},
                 {L"a.txt", L"b.txt", L"c.txt", L"y"}},
        EditCase{"a line broken in two moves the lines after it one row down",
                 0,
                 1,
                 {L"a", L""},
                 {L"a.txt", L".txt", L"b.txt", L"c"}},
        EditCase{"two lines joined move the lines after them up, the empty last line too",
                 1,
                 2,
                 {L"bc"},
                 {L"a.txt", L"bc.txt", L"kept.txt", L""}},
        EditCase{"everything deleted leaves one empty line for the first row",
                 0,
                 5,
                 {L""},
                 {L".txt", L"b.txt", L"c.txt", L"kept"}},
        EditCase{"lines beyond the last row change nothing",
                 4,
                 1,
                 {L"p", L"q", L""},
                 {L"a.txt", L"b.txt", L"c.txt", L"kept"}},
        EditCase{"tabs, NULs and line separators never reach a name",
                 0,
                 1,
                 {L"x\ty\0z\u2028w"s},
                 {L"x yzw.txt", L"b.txt", L"c.txt", L"kept"}}),
    ByLabel());

TEST(TextModeSessionTest, LinesStayWithTheirRowsWhenRowsMoveOrGo) {
    FileList list = MakeList({L"a.txt", L"b.txt", L"c.txt"});
    TextModeSession session;
    session.Begin(list);
    list.Reorder({2, 0, 1});  // c, a, b
    session.Replace(list, 0, 1, {L"first"});
    EXPECT_EQ(list.Row(1).name, L"a.txt");
    EXPECT_EQ(list.Row(1).newName, L"first.txt");
    EXPECT_EQ(list.Row(0).newName, L"c.txt");

    // The row of line 2 (c.txt) is removed: its line renames nothing.
    list.RemoveRows({true, false, false});
    list.AddPaths({L"/d/new.txt"}, FileList::AddOptions{});
    session.Replace(list, 2, 1, {L"gone"});
    session.Replace(list, 3, 1, {L"nobody"});  // the empty last line, no row of its own
    EXPECT_EQ(NewNames(list), (Texts{L"first.txt", L"b.txt", L"new.txt"}));
}

// After each edit every line's row is red when its line differs from its name's stem,
// black when not, whatever marks of that column the table held.
TEST(TextModeSessionTest, EveryEditColoursEveryLine) {
    FileList list = MakeList({L"a.txt", L"b.txt", L"c.txt"});
    list.AppendColour({1, ColumnLayout::kNewName, kRedText, kWhiteBackground});
    list.AppendColour({0, ColumnLayout::kStatus, kRedText, kWhiteBackground});
    TextModeSession session;
    session.Begin(list);
    const auto text = [&](int row) {
        return list.Colours().ColourOf(row, ColumnLayout::kNewName).text;
    };
    session.Replace(list, 2, 1, {L"z"});
    EXPECT_EQ(text(0), kBlackText);
    EXPECT_EQ(text(1), kBlackText);  // its line is its stem: the old red mark goes
    EXPECT_EQ(text(2), kRedText);
    EXPECT_EQ(list.Colours().ColourOf(0, ColumnLayout::kStatus).text, kRedText);  // stays
    list.ClearColours();                  // a click on the list
    session.Replace(list, 0, 1, {L"a"});  // a line typed back as it was
    EXPECT_EQ(text(2), kRedText);
    session.Replace(list, 0, 1, {L" y "});
    EXPECT_EQ(text(0), kRedText);
    // One mark per row, however often it is edited.
    EXPECT_EQ(list.Colours().Entries().size(), 3u);
    session.End();
    EXPECT_EQ(session.Replace(list, 0, 1, {L"q"}), 0u);
    EXPECT_EQ(list.Row(0).newName, L"y.txt");
}

TEST(TextModeSessionTest, ANameWithALineBreakStillHasOneLine) {
    FileList list = MakeList({L"a\nb.txt", L"c.txt"});
    TextModeSession session;
    EXPECT_EQ(session.Begin(list), L"a\uFFFDb\nc\n");
    session.Replace(list, 1, 1, {L"x"});
    EXPECT_EQ(NewNames(list), (Texts{L"a\nb.txt", L"x.txt"}));
}

TEST(PastedNameTest, PastedNamesHoldNoControlCharacters) {
    FileList list = MakeList({L"1", L"2", L"3"});
    PasteNewNames(list, L"a\tb\r\nc\0d\x1b\r\ne\u2029f: *?\r\n"s);
    EXPECT_EQ(NewNames(list), (Texts{L"a b", L"cd", L"ef: *?"}));
    EXPECT_EQ(PastedName(L"\t\x7f\x85"), L" ");
}

}  // namespace
}  // namespace tolvane::test
