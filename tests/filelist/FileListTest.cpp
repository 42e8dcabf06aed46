#include <gtest/gtest.h>

#include <utime.h>
#include <functional>

#include "../TestSupport.h"
#include "engine/Clock.h"
#include "engine/NewNamePipeline.h"
#include "engine/TextConvert.h"
#include "filelist/FileList.h"
#include "settings/Settings.h"

namespace tolvane::test {
namespace {

std::vector<std::wstring> Names(const FileList& list) {
    std::vector<std::wstring> names;
    for (size_t r = 0; r < list.RowCount(); ++r)
        names.push_back(list.Row(r).name);
    return names;
}

std::vector<std::wstring> Column(const FileList& list, int column) {
    std::vector<std::wstring> cells;
    for (size_t r = 0; r < list.RowCount(); ++r)
        cells.push_back(list.CellText(r, column));
    return cells;
}

using Texts = std::vector<std::wstring>;

class FileListTest : public testing::Test {
  protected:
    FileListTest() : clock_(std::tm{}) {
        options_ = RenameOptions::WindowDefaults();
        options_.insertText = L"x_";
    }

    NewNamePipeline Pipeline() const { return NewNamePipeline(options_, clock_); }

    size_t Add(FileList& list, const Texts& paths, bool autoSort = false) {
        const NewNamePipeline pipeline = Pipeline();
        FileList::AddOptions add;
        add.pipeline = &pipeline;
        add.autoSort = autoSort;
        return list.AddPaths(paths, add);
    }

    RenameOptions options_;
    FixedClock clock_;
};

TEST_F(FileListTest, AddPathsSkipsListedPathsButNotOtherCases) {
    FileList list;
    EXPECT_EQ(Add(list, {L"/d/a.txt", L"/d/A.txt", L"/d/a.txt"}), 2u);
    EXPECT_EQ(Add(list, {L"/d/A.txt", L"/e/b"}), 1u);
    EXPECT_EQ(Names(list), (Texts{L"a.txt", L"A.txt", L"b"}));
    EXPECT_EQ(Column(list, 0), (Texts{L"1", L"2", L"3"}));
    EXPECT_EQ(Column(list, 2), (Texts{L"x_a.txt", L"x_A.txt", L"x_b"}));
    EXPECT_EQ(Column(list, list.Columns().FolderColumn()), (Texts{L"/d", L"/d", L"/e"}));
    EXPECT_EQ(list.Registry().Entries(), (Texts{L"/d/a.txt", L"/d/A.txt", L"/e/b"}));
    EXPECT_EQ(list.Colours().ColourOf(0, 2).text, kRedText);
    for (size_t r = 0; r < list.RowCount(); ++r)
        EXPECT_TRUE(list.Row(r).checked);
}

TEST_F(FileListTest, WithoutComputingNewNamesTheyEqualTheNames) {
    FileList list;
    list.AddPaths({L"/d/a.txt"}, FileList::AddOptions{});
    EXPECT_EQ(list.Row(0).newName, L"a.txt");
    EXPECT_TRUE(list.Colours().Empty());
}

TEST_F(FileListTest, CounterContinuesAcrossBatches) {
    options_.insertText.clear();
    options_.sequenceMode = 1;
    FileList list;
    Add(list, {L"/d/a", L"/d/b"});
    Add(list, {L"/d/c"});
    EXPECT_EQ(Column(list, 2), (Texts{L"01", L"02", L"03"}));
    list.RecomputeNewNames(Pipeline());
    EXPECT_EQ(Column(list, 2), (Texts{L"01", L"02", L"03"}));
}

TEST_F(FileListTest, AutoSortSwitchesToNamesOnlyForSeveralPaths) {
    FileList list;
    Add(list, {L"/d/file10", L"/d/file2"}, false);
    EXPECT_EQ(list.Sort().column, 0);
    Add(list, {L"/d/file1"}, true);
    EXPECT_EQ(list.Sort().column, 0);
    EXPECT_EQ(Names(list), (Texts{L"file10", L"file2", L"file1"}));
    Add(list, {L"/d/a01", L"/d/a1"}, true);
    EXPECT_EQ(list.Sort().column, 1);
    EXPECT_EQ(Names(list), (Texts{L"a1", L"a01", L"file1", L"file2", L"file10"}));
    // Sorting does not renumber.
    EXPECT_EQ(Column(list, 0), (Texts{L"5", L"4", L"3", L"2", L"1"}));
}

TEST_F(FileListTest, HeaderClicksSortAndReverse) {
    FileList list;
    Add(list, {L"/d/b9", L"/d/b10", L"/d/abc", L"/d/ab"});
    list.ClickColumn(1, L"");
    EXPECT_EQ(Names(list), (Texts{L"ab", L"abc", L"b9", L"b10"}));
    list.ClickColumn(1, L"");
    EXPECT_TRUE(list.Sort().descending);
    EXPECT_EQ(Names(list), (Texts{L"b10", L"b9", L"abc", L"ab"}));
    // A new column keeps the direction: serial numbers, descending, compared as numbers.
    list.ClickColumn(0, L"");
    EXPECT_EQ(Column(list, 0), (Texts{L"4", L"3", L"2", L"1"}));
    list.ClickColumn(0, L"");
    EXPECT_EQ(Column(list, 0), (Texts{L"1", L"2", L"3", L"4"}));

    FileList one;
    Add(one, {L"/d/x"});
    one.ClickColumn(1, L"");
    EXPECT_EQ(one.Sort().column, 0);
}

TEST_F(FileListTest, SerialNumbersSortAsNumbers) {
    FileList list;
    Texts paths;
    for (int i = 1; i <= 10; ++i)
        paths.push_back(L"/d/f" + std::to_wstring(i));
    Add(list, paths);
    list.ClickColumn(1, L"");
    list.ClickColumn(1, L"");
    list.ClickColumn(0, L"");
    list.ClickColumn(0, L"");
    EXPECT_EQ(list.Row(8).serial, 9);
    EXPECT_EQ(list.Row(9).serial, 10);
}

TEST(ColumnLayoutTest, StartUpColumnsFollowTheSwitchesInTheirFixedOrder) {
    TempDir dir;
    const Settings settings(dir.Path() / "Tolvane.ini");
    settings.Write(keys::kColumnModified, L"1");
    settings.Write(keys::kColumnSize, L"1");
    settings.Write(keys::kColumnExtension, L"yes");
    const ColumnLayout columns = ColumnsFromSettings(settings);
    EXPECT_EQ(columns.Count(), 7);
    EXPECT_EQ(columns.KindAt(4), ColumnKind::Size);
    EXPECT_EQ(columns.KindAt(5), ColumnKind::Modified);
    EXPECT_EQ(columns.KindAt(6), ColumnKind::Folder);
    EXPECT_EQ(HeaderText(ColumnKind::Folder, BuiltInTexts()), L"路径");
}

TEST(FileStatTest, SizeTexts) {
    const std::pair<std::uint64_t, const wchar_t*> cases[] = {
        {0, L"0B"},           {1023, L"1023B"},     {1024, L"1KB"},
        {1536, L"1KB"},       {3ull << 30, L"3GB"}, {(1ull << 40) - 1, L"1023GB"},
        {5ull << 50, L"5PB"}, {~0ull, L"15EB"},
    };
    for (const auto& [size, text] : cases)
        EXPECT_EQ(FormatFileSize(size), text) << size;
}

TEST_F(FileListTest, OptionalColumnsReadTheFileAndKeepTheirOrder) {
    TempDir dir;
    const auto notes = dir.File("v1.2/notes", "");
    const auto file = dir.File("v1.2/data.bin", std::string(1536, 'x'));
    const struct utimbuf times { 1690625472, 1690625472 };  // 2023-07-29 10:11:12 UTC
    ASSERT_EQ(utime(file.c_str(), &times), 0);
    const struct utimbuf notesTimes { 1700000000, 1700000000 };  // 2023-11-14 22:13:20 UTC
    ASSERT_EQ(utime(notes.c_str(), &notesTimes), 0);

    FileList list(ColumnLayout({false, false, false, true}));
    const std::wstring folder = ToWide((dir.Path() / "v1.2").string());
    Add(list, {folder + L"/data.bin", folder + L"/notes"});
    EXPECT_EQ(list.Columns().Count(), 6);
    EXPECT_EQ(list.CellText(0, 4), L"2023-07-29 10:11:12");

    list.SwitchColumn(OptionalColumn::Extension, true);
    list.SwitchColumn(OptionalColumn::Size, true);
    EXPECT_EQ(list.Columns().Count(), 8);
    EXPECT_EQ(Column(list, 4), (Texts{L"1KB", L"0B"}));
    EXPECT_EQ(Column(list, 5), (Texts{L"bin", L""}));  // the folder's dot does not count
    EXPECT_EQ(Column(list, 6), (Texts{L"2023-07-29 10:11:12", L"2023-11-14 22:13:20"}));
    EXPECT_EQ(Column(list, 7), (Texts{folder, folder}));

    list.SwitchColumn(OptionalColumn::Size, false);
    EXPECT_EQ(Column(list, 4), (Texts{L"bin", L""}));
    EXPECT_EQ(list.Columns().FolderColumn(), 6);
}

TEST_F(FileListTest, ColoursAndSortColumnMoveWithSwitchedColumns) {
    FileList list;
    Add(list, {L"/d/b", L"/d/a"});
    list.ClickColumn(4, L"");  // the folder column
    list.SwitchColumn(OptionalColumn::Extension, true);
    EXPECT_EQ(list.Sort().column, 5);
    EXPECT_EQ(list.Colours().ColourOf(0, 2).text, kRedText);
    list.AppendColour({0, 4, kRedText, kWhiteBackground});
    list.SwitchColumn(OptionalColumn::Extension, false);
    EXPECT_EQ(list.Sort().column, 4);
    EXPECT_EQ(list.Colours().ColourOf(0, 4).text, kBlackText);
}

TEST_F(FileListTest, UndecodableNamesKeepTheirBytes) {
    TempDir dir;
    dir.File("\xff\xfe.txt");
    FileList list;
    Add(list, {ToWide((dir.Path() / "\xff\xfe.txt").string())});
    EXPECT_EQ(ToNarrow(list.FullPath(0)), (dir.Path() / "\xff\xfe.txt").string());
    EXPECT_EQ(ToNarrow(list.Row(0).newName), "x_\xff\xfe.txt");
    EXPECT_TRUE(list.Registry().Contains(list.FullPath(0)));
}

// Records what a view is told.
class RecordingView final : public FileListObserver {
  public:
    void RowsInserted(size_t first, size_t count) override { Log(L"insert", first, count); }
    void RowsRemoved(size_t first, size_t count) override { Log(L"remove", first, count); }
    void RowsReordered() override { Log(L"reorder", 0, 0); }
    void CellsChanged(size_t first, size_t last, int column) override {
        if (cells)
            Log(L"cells", first, last, column);
    }
    void ColoursChanged() override {
        if (cells)
            Log(L"colours", 0, 0);
    }
    void ColumnColoursChanged(int column) override {
        if (cells)
            Log(L"colours", 0, 0, column);
    }
    void ColumnsChanged() override {}
    void SelectionChanged() override {}
    void Reset() override { Log(L"reset", 0, 0); }

    Texts log;
    bool cells = false;  // also cells and colours

  private:
    void Log(const wchar_t* what, size_t a, size_t b, int column = -2) {
        log.push_back(std::wstring(what) + L" " + std::to_wstring(a) + L" " + std::to_wstring(b) +
                      (column == -2 ? L"" : L" " + std::to_wstring(column)));
    }
};

TEST_F(FileListTest, ViewsLearnWhichRowsChanged) {
    FileList list;
    RecordingView view;
    list.AddObserver(&view);
    Add(list, {L"/d/c", L"/d/a", L"/d/b", L"/d/d"}, true);
    list.RemoveRows({false, true, true, false});
    list.Clear();
    EXPECT_EQ(view.log, (Texts{L"insert 0 4", L"reorder 0 0", L"remove 1 2", L"reset 0 0"}));
    list.RemoveObserver(&view);
    Add(list, {L"/d/e"});
    EXPECT_EQ(view.log.size(), 4u);
}

// A keystroke recomputes every new name; the view repaints only their column unless
// other cells were or are coloured (a conflict warning, a pasted name's background).
TEST_F(FileListTest, ARecomputeRepaintsOnlyTheNewNamesWhenNothingElseIsColoured) {
    FileList list;
    Add(list, {L"/d/a", L"/d/b"});
    RecordingView view;
    view.cells = true;
    list.AddObserver(&view);
    const std::wstring onlyNewNames = L"colours 0 0 " + std::to_wstring(ColumnLayout::kNewName);
    struct Case {
        const char* label;
        std::vector<ColourMark> before;
        std::wstring told;
    };
    const Case cases[] = {
        {"new names alone", {}, onlyNewNames},
        {"a conflict warning in the status column",
         {{1, ColumnLayout::kStatus, kWarningText, kWhiteBackground}},
         L"colours 0 0"},
        {"the warning is gone with that recompute", {}, onlyNewNames},
        {"a pasted name's background",
         {{0, ColumnLayout::kNewName, kRedText, kImportBackground}},
         L"colours 0 0"},
    };
    for (const Case& c : cases) {
        list.AppendColours(c.before);
        view.log.clear();
        list.RecomputeNewNames(Pipeline());
        ASSERT_FALSE(view.log.empty()) << c.label;
        EXPECT_EQ(view.log.back(), c.told) << c.label;
    }
    list.RemoveObserver(&view);
}

// A view that keeps its own copy of the names by replaying what it is told, as a
// table view does: after any removal its copy must be the list's rows, and a long
// list must be told in a handful of reports, not one per row.
class MirrorView final : public FileListObserver {
  public:
    explicit MirrorView(const FileList& list) : list_(list), names_(Names(list)) {}
    void RowsInserted(size_t first, size_t count) override {
        ++reports;
        for (size_t i = 0; i < count; ++i)
            names_.insert(names_.begin() + static_cast<std::ptrdiff_t>(first + i),
                          list_.Row(first + i).name);
    }
    void RowsRemoved(size_t first, size_t count) override {
        ++reports;
        ASSERT_LE(first + count, names_.size());
        names_.erase(names_.begin() + static_cast<std::ptrdiff_t>(first),
                     names_.begin() + static_cast<std::ptrdiff_t>(first + count));
    }
    void RowsReordered() override { names_ = Names(list_); }
    void CellsChanged(size_t, size_t, int) override { ++reports; }
    void ColoursChanged() override { ++reports; }
    void ColumnsChanged() override {}
    void SelectionChanged() override { ++reports; }
    void Reset() override { names_ = Names(list_); }

    const Texts& Shown() const { return names_; }
    int reports = 0;

  private:
    const FileList& list_;
    Texts names_;
};

TEST_F(FileListTest, RemovalsAreToldSoThatAViewKeepsTheRightRows) {
    struct Case {
        const char* label;
        std::function<bool(size_t)> removed;
        int mostReports;
    };
    const std::vector<Case> cases = {
        {"one block", [](size_t r) { return r >= 10 && r < 20; }, 1},
        {"a few runs", [](size_t r) { return r % 100 == 5; }, 10},
        {"every other row", [](size_t r) { return r % 2 == 1; }, 2},
        {"scattered to the end", [](size_t r) { return r % 7 == 0 || r == 999; }, 2},
        {"all but the first", [](size_t r) { return r > 0; }, 1},
    };
    for (const Case& c : cases) {
        Texts paths;
        for (int i = 0; i < 1000; ++i)
            paths.push_back(L"/d/f" + std::to_wstring(i));
        FileList list;
        FileList::AddOptions add;
        list.AddPaths(paths, add);
        MirrorView view(list);
        list.AddObserver(&view);
        std::vector<bool> remove(list.RowCount());
        for (size_t r = 0; r < remove.size(); ++r)
            remove[r] = c.removed(r);
        list.RemoveRows(remove);
        EXPECT_EQ(view.Shown(), Names(list)) << c.label;
        EXPECT_LE(view.reports, c.mostReports) << c.label;
        list.RemoveObserver(&view);
    }
}

TEST_F(FileListTest, SelectingAndCheckingEveryRowIsToldOnce) {
    Texts paths;
    for (int i = 0; i < 5000; ++i)
        paths.push_back(L"/d/f" + std::to_wstring(i));
    FileList list;
    list.AddPaths(paths, FileList::AddOptions{});
    MirrorView view(list);
    list.AddObserver(&view);
    std::vector<bool> every(list.RowCount(), true);
    std::vector<bool> odd(list.RowCount());
    for (size_t r = 0; r < odd.size(); ++r)
        odd[r] = r % 2 == 1;
    list.SetRowStates(&odd, &every, 7);
    EXPECT_EQ(view.reports, 2);  // the check boxes and the selection
    EXPECT_EQ(list.SelectionMark(), 7);
    EXPECT_EQ(list.SelectedCount(), list.RowCount());
    EXPECT_FALSE(list.Row(0).checked);
    EXPECT_TRUE(list.Row(1).checked);
    view.reports = 0;
    list.SetRowStates(&odd, &every, 7);  // nothing changes: nothing to tell
    EXPECT_EQ(view.reports, 0);
    list.RemoveObserver(&view);
}

TEST_F(FileListTest, ABatchInPartsEndsAsTheWholeBatch) {
    const Texts paths = {L"/d/c", L"/d/a", L"/d/e", L"/d/b", L"/d/d", L"/d/a"};
    FileList whole;
    FileList parts;
    const NewNamePipeline pipeline = Pipeline();
    FileList::AddOptions add;
    add.pipeline = &pipeline;
    add.autoSort = true;
    add.filterText = L"[ab]";
    EXPECT_EQ(whole.AddPaths(paths, add), 5u);
    size_t added = 0;
    for (size_t at = 0; at < paths.size(); at += 4)
        added += parts.AppendPaths(
            std::span(paths).subspan(at, std::min<size_t>(4, paths.size() - at)), add);
    parts.FinishBatch(paths.size(), add);
    EXPECT_EQ(added, 5u);
    EXPECT_EQ(Names(parts), Names(whole));
    EXPECT_EQ(Names(parts), (Texts{L"a", L"b", L"c", L"d", L"e"}));
    EXPECT_EQ(Column(parts, 2), Column(whole, 2));
    for (size_t r = 0; r < parts.RowCount(); ++r)
        EXPECT_EQ(parts.Row(r).checked, r < 2) << r;  // the filter ran once, at the end
}

// New names computed on another thread are taken only while the rows are those they
// were computed for: every change of which rows there are, their order or their names
// must say so, and a change of what is shown of them must not throw work away.
TEST_F(FileListTest, GenerationChangesExactlyWhenTheRowsNamesOrOrderChange) {
    struct Case {
        const char* label;
        std::function<void(FileList&)> change;
        bool rowsChanged;
    };
    const std::vector<Case> cases = {
        {"add", [&](FileList& l) { Add(l, {L"/d/z"}); }, true},
        {"add nothing new", [&](FileList& l) { Add(l, {L"/d/a"}); }, false},
        {"rename", [](FileList& l) { l.SetName(0, L"q"); }, true},
        {"remove",
         [](FileList& l) {
             l.RemoveRows({false, true, false});
         },
         true},
        {"reorder",
         [](FileList& l) {
             l.Reorder({2, 1, 0});
         },
         true},
        {"sort by header", [](FileList& l) { l.ClickColumn(1, L""); }, true},
        {"clear", [](FileList& l) { l.Clear(); }, true},
        {"new name", [](FileList& l) { l.SetNewName(0, L"n"); }, false},
        {"status", [](FileList& l) { l.SetStatus(0, L"s"); }, false},
        {"check", [](FileList& l) { l.SetChecked(0, false); }, false},
        {"select", [](FileList& l) { l.SetSelected(0, true); }, false},
    };
    for (const Case& c : cases) {
        FileList list;
        Add(list, {L"/d/b", L"/d/a", L"/d/c"});
        const std::uint64_t before = list.Generation();
        c.change(list);
        EXPECT_EQ(list.Generation() != before, c.rowsChanged) << c.label;
    }
}

// A pass over 100,000 rows tells the views once; what they are told still comes in
// the order it happened, so a view never reads a cell of a row that is gone.
TEST_F(FileListTest, ABatchTellsTheViewsOnceAndInOrder) {
    FileList list;
    Add(list, {L"/d/a", L"/d/b", L"/d/c", L"/d/d"});
    RecordingView view;
    view.cells = true;
    list.AddObserver(&view);
    {
        const FileList::Batch batch(list);
        list.SetStatus(3, L"s");
        list.SetStatus(1, L"s");
        list.AppendColour({1, ColumnLayout::kStatus, kRedText, kWhiteBackground});
        EXPECT_TRUE(view.log.empty());
        {
            const FileList::Batch inner(list);
            list.SetName(2, L"n");
        }
        EXPECT_TRUE(view.log.empty()) << "an inner batch waits for the outer one";
        list.RemoveRows({true, false, false, false});
        list.SetStatus(0, L"t");
    }
    list.SetStatus(2, L"u");
    EXPECT_EQ(view.log, (Texts{L"cells 1 3 -1", L"colours 0 0", L"remove 0 1", L"cells 0 0 3",
                               L"cells 2 2 3"}));
    list.RemoveObserver(&view);
}

TEST(PathRegistryTest, RemovesTheFirstEqualEntryAndKeepsOrder) {
    PathRegistry registry;
    for (const wchar_t* path : {L"/a", L"/b", L"/a", L"/c"})
        registry.Append(path);
    EXPECT_TRUE(registry.RemoveFirst(L"/a"));
    EXPECT_EQ(registry.Entries(), (Texts{L"/b", L"/a", L"/c"}));
    EXPECT_TRUE(registry.Contains(L"/a"));
    EXPECT_FALSE(registry.RemoveFirst(L"/A"));
    // Many removals compact the entries without losing any.
    for (int i = 0; i < 5000; ++i)
        registry.Append(L"/n" + std::to_wstring(i));
    for (int i = 0; i < 4000; ++i)
        EXPECT_TRUE(registry.RemoveFirst(L"/n" + std::to_wstring(i)));
    EXPECT_EQ(registry.Size(), 1003u);
    EXPECT_TRUE(registry.Contains(L"/n4999"));
    EXPECT_FALSE(registry.Contains(L"/n0"));
    EXPECT_EQ(registry.Entries()[3], L"/n4000");
}

}  // namespace
}  // namespace tolvane::test
