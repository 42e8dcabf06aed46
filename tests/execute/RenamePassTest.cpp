#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fstream>

#include "CaseInsensitiveFolder.h"
#include "FaultyFileSystem.h"
#include "RenamePassFixture.h"
#include "engine/Clock.h"
#include "engine/NewNamePipeline.h"
#include "engine/StringOps.h"
#include "engine/TextConvert.h"
#include "execute/Journal.h"
#include "execute/JournalReader.h"
#include "execute/PreviewConflicts.h"
#include "execute/Undo.h"
#include "filelist/CollectFolder.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::wstring>;

// `chattr +i` on a folder, so that its entries cannot change even for root; false
// where the file system has no such attribute.
bool MakeImmutable(const fs::path& folder, bool on) {
    const std::string command =
        std::string("chattr ") + (on ? "+i" : "-i") + " '" + folder.string() + "' 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

TEST_F(RenamePassTest, RenamesAndRecords) {
    Files({"a.txt", "b.txt", "c.txt"});
    Rows({{"a.txt", "x.txt"}, {"b.txt", "b.txt"}, {"c.txt", "c:?.txt"}});
    list_.SetChecked(2, false);
    const PassResult result = Execute();
    EXPECT_EQ(result.summary, L"成功 1, 失败 0, 无修改 1, 未选中 1");
    EXPECT_EQ(Holds("x.txt"), "was a.txt");
    EXPECT_EQ(Texts({Status(0), Status(1), Status(2)}), (Texts{L"√成功", L"无修改", L"未选中"}));
    EXPECT_EQ(list_.Colours().ColourOf(2, ColumnLayout::kStatus).text, kBlackText);
    EXPECT_EQ(list_.Colours().ColourOf(0, ColumnLayout::kStatus).text, (Rgb{0, 128, 0}));
    const std::wstring oldPath = ToWide((dir_.Path() / "a.txt").string());
    const std::wstring newPath = ToWide((dir_.Path() / "x.txt").string());
    const std::vector<RenameBatch> renames = RenamesInOrder(undo_);
    ASSERT_EQ(renames.size(), 1u);
    ASSERT_EQ(renames[0].size(), 1u);
    EXPECT_EQ(renames[0][0].from, ToNarrow(oldPath));
    EXPECT_EQ(renames[0][0].to, ToNarrow(newPath));
    EXPECT_TRUE(list_.Registry().Contains(newPath));
    EXPECT_FALSE(list_.Registry().Contains(oldPath));
    EXPECT_EQ(list_.Row(0).name, L"a.txt");  // the row keeps its name until a refresh
}

TEST_F(RenamePassTest, NeverOverwritesAnExistingFile) {
    Files({"a.txt", "b.txt"});
    Rows({{"a.txt", "b.txt"}});
    const PassResult result = Execute();
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(Holds("a.txt"), "was a.txt");
    EXPECT_EQ(Holds("b.txt"), "was b.txt");
    EXPECT_EQ(Status(0), L"×失败");
    EXPECT_EQ(list_.Row(0).statusTip, ErrorText(EEXIST));
    EXPECT_EQ(list_.Colours().ColourOf(0, ColumnLayout::kStatus).text, kRedText);
}

struct BatchCase {
    const char* label;
    std::vector<std::string> files;
    std::vector<std::pair<std::string, std::string>> renames;
    std::vector<std::pair<std::string, std::string>> afterwards;  // name -> content
    int failed;
};

class BatchTest : public RenamePassTest, public testing::WithParamInterface<BatchCase> {};

TEST_P(BatchTest, PlansTheBatchSoItSucceeds) {
    const auto& c = GetParam();
    Files(c.files);
    Rows(c.renames);
    EXPECT_EQ(Execute().failed, c.failed) << c.label;
    for (const auto& [name, content] : c.afterwards)
        EXPECT_EQ(Holds(name), content) << c.label << ": " << name;
    size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(dir_.Path()))
        entries += entry.path() != journal_;
    EXPECT_EQ(entries, c.files.size()) << c.label;  // no file lost, no temporary left

    // Undo brings every name back, and reports each file once, by its own names.
    const UndoResult undone = UndoRenames(undo_, posix_, &list_, nullptr);
    EXPECT_EQ(undone.failed, 0) << c.label;
    EXPECT_EQ(undone.reverted, static_cast<int>(c.renames.size()) - c.failed) << c.label;
    for (const UndoResult::Line& line : undone.lines)
        EXPECT_EQ(line.newPath.find(".tolvane-"), std::string::npos) << c.label;
    for (const auto& name : c.files)
        EXPECT_EQ(Holds(name), "was " + name) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchTest,
    testing::Values(
        BatchCase{
            "swap", {"a", "b"}, {{"a", "b"}, {"b", "a"}}, {{"a", "was b"}, {"b", "was a"}}, 0},
        BatchCase{"cycle of three",
                  {"1", "2", "3"},
                  {{"1", "2"}, {"2", "3"}, {"3", "1"}},
                  {{"1", "was 3"}, {"2", "was 1"}, {"3", "was 2"}},
                  0},
        BatchCase{"numbered series shifted up",
                  {"f1", "f2", "f3"},
                  {{"f1", "f2"}, {"f2", "f3"}, {"f3", "f4"}},
                  {{"f2", "was f1"}, {"f3", "was f2"}, {"f4", "was f3"}},
                  0},
        BatchCase{"two rows want one name: the first wins",
                  {"a", "b"},
                  {{"a", "x"}, {"b", "x"}},
                  {{"x", "was a"}, {"b", "was b"}},
                  1},
        BatchCase{"a case-only change is a rename",
                  {"photo.JPG"},
                  {{"photo.JPG", "photo.jpg"}},
                  {{"photo.jpg", "was photo.JPG"}},
                  0},
        BatchCase{
            "a name ending in a blank", {"end "}, {{"end ", "end"}}, {{"end", "was end "}}, 0},
        BatchCase{"a name that is not UTF-8",
                  {"\xff\xfe"},
                  {{"\xff\xfe", "ok"}},
                  {{"ok", "was \xff\xfe"}},
                  0},
        BatchCase{"a chain behind a taken name fails whole",
                  {"a", "b", "c"},
                  {{"a", "b"}, {"b", "c"}},
                  {{"a", "was a"}, {"b", "was b"}, {"c", "was c"}},
                  2}),
    ByLabel());

// Folders renamed together with what is inside them, two levels deep: the parents
// shift up, two subfolders of a parent swap, a file inside one of them is renamed, and
// so is a subfolder of the other parent. Whatever the order of the rows, every row
// renames the item it shows, and undo takes it all back.
struct NestedCase {
    const char* label;
    bool childrenFirst;  // rows of the deepest items come first
    bool undoFromJournal;
};

class NestedFolderTest : public RenamePassTest, public testing::WithParamInterface<NestedCase> {};

TEST_P(NestedFolderTest, EveryRowRenamesTheItemItShows) {
    const NestedCase& c = GetParam();
    Files({"A/x/f", "A/y/f", "B/x/f"});
    const auto before = Tree();
    std::vector<std::pair<std::string, std::string>> rows = {
        {"A", "B"}, {"B", "C"}, {"A/x", "y"}, {"A/y", "x"}, {"A/x/f", "g"}, {"B/x", "z"}};
    if (c.childrenFirst)
        std::reverse(rows.begin(), rows.end());
    Rows(rows);
    const PassResult result = Execute();
    EXPECT_EQ(result.succeeded, 6) << result.summary;
    EXPECT_EQ(Tree(), (std::map<std::string, std::string>{{"B", "<folder>"},
                                                          {"B/x", "<folder>"},
                                                          {"B/x/f", "was A/y/f"},
                                                          {"B/y", "<folder>"},
                                                          {"B/y/g", "was A/x/f"},
                                                          {"C", "<folder>"},
                                                          {"C/z", "<folder>"},
                                                          {"C/z/f", "was B/x/f"}}));

    // Each row shows where its item went, also the rows inside renamed folders, so that
    // a next pass renames the same items; and back where it was after the undo.
    const auto shown = [&] {
        std::map<std::string, std::string> paths;  // original -> shown, relative
        for (size_t r = 0; r < list_.RowCount(); ++r) {
            const fs::path path = ToNarrow(JoinPath(list_.Folder(r), list_.Row(r).name));
            paths[rows[r].first] = path.lexically_relative(dir_.Path()).string();
        }
        return paths;
    };
    std::map<std::string, std::string> unmoved;
    for (const auto& [from, _] : rows)
        unmoved[from] = from;
    const FixedClock clock(std::tm{});
    const NewNamePipeline pipeline(RenameOptions::WindowDefaults(), clock);
    RefreshRenamedItems(list_, RenamesInOrder(undo_), pipeline);
    EXPECT_EQ(shown(), (std::map<std::string, std::string>{{"A", "B"},
                                                           {"A/x", "B/y"},
                                                           {"A/x/f", "B/y/g"},
                                                           {"A/y", "B/x"},
                                                           {"B", "C"},
                                                           {"B/x", "C/z"}}));
    EXPECT_TRUE(list_.Registry().Contains(ToWide((dir_.Path() / "B/y/g").string())));
    EXPECT_FALSE(list_.Registry().Contains(ToWide((dir_.Path() / "A/x/f").string())));

    UndoResult undone;
    if (c.undoFromJournal) {
        undone = UndoJournalPass(*LatestUndoablePass(journal_, posix_).pass, posix_);
        RenameBatch back;  // as the window follows an undo from the journal
        for (const UndoResult::Line& line : undone.lines)
            back.push_back(Move{line.newPath, line.oldPath, {}});
        FollowUndo(list_, {back}, &pipeline);
    } else {
        undone = UndoRenames(undo_, posix_, &list_, &pipeline);
    }
    EXPECT_EQ(undone.reverted, 6);
    EXPECT_EQ(undone.failed, 0);
    EXPECT_EQ(Tree(), before);
    EXPECT_EQ(shown(), unmoved);
    EXPECT_TRUE(list_.Registry().Contains(ToWide((dir_.Path() / "A/x/f").string())));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NestedFolderTest,
    testing::Values(NestedCase{"parents first, undone in memory", false, false},
                    NestedCase{"children first, undone from the journal", true, true}),
    ByLabel());

TEST_F(RenamePassTest, ReasonsOfRefusedRows) {
    Files({"a", "b"});
    Rows({{"a", "x"}, {"b", "x"}, {"gone", "y"}});
    list_.SetNewName(1, L"x");
    // A row whose file vanished after it was listed.
    EXPECT_EQ(Execute().failed, 2);
    EXPECT_EQ(list_.Row(1).statusTip, L"row 1 is renamed to the same name");
    EXPECT_EQ(list_.Row(2).statusTip, ErrorText(ENOENT));
}

TEST_F(RenamePassTest, CleanedNamesAndNamesThatCannotBe) {
    Files({"a.txt", "b.txt", "c.txt", "d ", "e", "g"});
    // 86 Chinese characters are 258 bytes: longer than any Linux file system takes.
    std::string tooLong;
    for (int i = 0; i < 86; ++i)
        tooLong += "汉";
    Rows({{"a.txt", "sub/x:y.txt"},
          {"b.txt", "/:*"},
          {"c.txt", std::string("c\0d", 3)},
          {"d ", "d "},
          {"e", "f \t"},
          {"g", tooLong}});
    const PassResult result = Execute();
    EXPECT_EQ(Holds("subxy.txt"), "was a.txt");
    EXPECT_EQ(list_.Row(0).newName, L"sub/x:y.txt");  // the cell keeps its text
    EXPECT_EQ(list_.Row(1).statusTip, L"the new name is empty");
    EXPECT_EQ(list_.Row(2).statusTip, L"the new name is not a file name");
    EXPECT_EQ(Holds("c.txt"), "was c.txt");
    // A name that ends in blanks is left alone when unchanged; a new one loses them.
    EXPECT_EQ(Status(3), L"无修改");
    EXPECT_EQ(Holds("f"), "was e");
    EXPECT_EQ(Holds("g"), "was g");
    EXPECT_EQ(list_.Row(5).statusTip,
              L"the new name is 258 bytes long; file systems take at most 255");
    EXPECT_EQ(result.succeeded, 2);
    EXPECT_EQ(result.failed, 3);
}

// Names nobody can mean: a bare extension where the name had more (a template token
// with no value for this file), and a name the new-name steps stopped building. The
// preview warns of exactly the rows the pass then fails, with the same reason.
TEST_F(RenamePassTest, NamesThatCannotBeMeantAreRefused) {
    const std::string cut(kMaxNewNameLength + 1, 'x');
    const struct {
        std::string name;
        std::string newName;
        std::wstring reason;  // empty: renamed
    } cases[] = {
        {"IMG_0001.jpg", ".jpg", L"nothing before its extension"},
        {"notes", ".txt", L"nothing before its extension"},
        {"a.tar.gz", ".gz", L"nothing before its extension"},
        {"long", cut, L"too long"},
        {"stars", std::string(kMaxNewNameLength + 1, '*'), L"too long"},
        {".bashrc", ".profile", L""},  // hidden before, hidden after
        {"b.jpg", "c.jpg", L""},
    };
    std::vector<std::string> names;
    std::vector<std::pair<std::string, std::string>> rows;
    for (const auto& c : cases) {
        names.push_back(c.name);
        rows.emplace_back(c.name, c.newName);
    }
    Files(names);
    Rows(rows);
    std::vector<ConflictRow> conflictRows;
    for (size_t r = 0; r < list_.RowCount(); ++r)
        conflictRows.push_back({list_.Row(r).name, list_.Row(r).newName, list_.Folder(r)});
    const std::vector<RowConflict> warned = FindConflicts(conflictRows, posix_);
    Execute();
    size_t w = 0;
    for (size_t r = 0; r < std::size(cases); ++r) {
        const auto& c = cases[r];
        const std::wstring& tip = list_.Row(r).statusTip;
        if (c.reason.empty()) {
            EXPECT_EQ(tip, L"") << c.name;
            EXPECT_EQ(Holds(c.newName), "was " + c.name);
            continue;
        }
        EXPECT_NE(tip.find(c.reason), std::wstring::npos) << c.name << ": " << ToNarrow(tip);
        EXPECT_EQ(Holds(c.name), "was " + c.name);
        ASSERT_LT(w, warned.size()) << c.name;
        EXPECT_EQ(warned[w].row, r);
        EXPECT_EQ(warned[w].kind, RowConflict::Kind::Refused);
        EXPECT_EQ(warned[w++].reason, tip);
    }
    EXPECT_EQ(w, warned.size());
    EXPECT_EQ(Holds(".jpg"), "<missing>");
}

TEST_F(RenamePassTest, UndoRevertsChainsAcrossPassesAndAfterClearing) {
    Files({"p"});
    Rows({{"p", "q"}});
    Execute();
    list_.Clear();
    Rows({{"q", "r"}});
    Execute();
    EXPECT_EQ(Holds("r"), "was p");
    list_.Clear();
    const UndoResult result = UndoRenames(undo_, posix_, &list_, nullptr);
    EXPECT_EQ(result.reverted, 2);
    EXPECT_EQ(Holds("p"), "was p");
    EXPECT_TRUE(undo_.Empty());
}

TEST_F(RenamePassTest, UndoNeverTakesAFileThatIsNotTheOneRenamed) {
    Files({"a"});
    Rows({{"a", "b"}});
    Execute();
    list_.Clear();
    Rows({{"b", "c"}});
    Execute();
    dir_.File("b", "someone else's b");
    const UndoResult result = UndoRenames(undo_, posix_, &list_, nullptr);
    EXPECT_EQ(result.reverted, 0);
    EXPECT_EQ(result.failed, 2);
    EXPECT_EQ(Holds("b"), "someone else's b");
    EXPECT_EQ(Holds("c"), "was a");
    EXPECT_EQ(Holds("a"), "<missing>");
}

TEST_F(RenamePassTest, RowsAndRegistryFollowWhatCameBack) {
    Files({"p", "a"});
    RenameOptions options = RenameOptions::WindowDefaults();
    const FixedClock clock(std::tm{});
    const NewNamePipeline pipeline(options, clock);
    auto path = [&](const char* name) { return ToWide((dir_.Path() / name).string()); };
    // A chain across two passes, the list refreshed after each, and a rename whose
    // old name is taken again before the undo.
    Rows({{"p", "q"}, {"a", "x"}});
    Execute();
    RefreshRenamedItems(list_, RenamesInOrder(undo_), pipeline);
    list_.SetNewName(0, L"r");
    list_.SetNewName(1, L"x");
    Execute();
    RefreshRenamedItems(list_, {RenamesInOrder(undo_).back()}, pipeline);
    EXPECT_EQ(list_.Row(0).name, L"r");
    dir_.File("a", "new a");

    UndoRenames(undo_, posix_, &list_, &pipeline);
    EXPECT_EQ(Holds("p"), "was p");
    EXPECT_EQ(list_.Row(0).name, L"p");
    EXPECT_EQ(list_.Row(1).name, L"x");
    EXPECT_TRUE(list_.Registry().Contains(path("p")));
    EXPECT_FALSE(list_.Registry().Contains(path("r")));
    EXPECT_TRUE(list_.Registry().Contains(path("x")));
    EXPECT_FALSE(list_.Registry().Contains(path("a")));
}

TEST_F(RenamePassTest, RefreshFollowsASwapWithinOnePass) {
    Files({"a", "b"});
    Rows({{"a", "b"}, {"b", "a"}});
    Execute();
    const FixedClock clock(std::tm{});
    const NewNamePipeline pipeline(RenameOptions::WindowDefaults(), clock);
    RefreshRenamedItems(list_, RenamesInOrder(undo_), pipeline);
    EXPECT_EQ(list_.Row(0).name, L"b");
    EXPECT_EQ(list_.Row(1).name, L"a");
}

// Many renames in one folder are checked against one listing of it: a target that is
// gone since the pass, or that differs from the listing only in case, must still be
// told apart.
TEST_F(RenamePassTest, RefreshOfManyRowsLeavesRowsWhoseFileIsGone) {
    std::vector<std::string> names;
    std::vector<std::pair<std::string, std::string>> renames;
    for (int i = 0; i < 5000; ++i) {  // enough for the folder to be listed
        names.push_back("f" + std::to_string(i));
        renames.push_back({names.back(), "g" + std::to_string(i)});
    }
    Files(names);
    Rows(renames);
    Execute();
    fs::remove(dir_.Path() / "g7");
    fs::rename(dir_.Path() / "g8", dir_.Path() / "G8");
    std::error_code ec;
    fs::create_symlink(dir_.Path() / "nowhere", dir_.Path() / "g9-link", ec);
    fs::rename(dir_.Path() / "g9", dir_.Path() / "other");
    fs::rename(dir_.Path() / "g9-link", dir_.Path() / "g9");  // a dangling link is there

    RenameOptions options = RenameOptions::WindowDefaults();
    options.insertText = L"n_";
    const FixedClock clock(std::tm{});
    RefreshRenamedItems(list_, RenamesInOrder(undo_), NewNamePipeline(options, clock));
    for (size_t r = 0; r < names.size(); ++r) {
        const bool gone = r == 7 || r == 8;
        const std::wstring name = ToWide(gone ? names[r] : renames[r].second);
        EXPECT_EQ(list_.Row(r).name, name) << r;
        if (!gone) {
            EXPECT_EQ(list_.Row(r).newName, L"n_" + name) << r;
        }
    }
}

TEST_F(RenamePassTest, UndoCountsWhatCannotComeBack) {
    Files({"a", "b"});
    Rows({{"a", "x"}, {"b", "y"}});
    Execute();
    fs::remove(dir_.Path() / "x");
    dir_.File("b", "new b");  // the old name is taken again
    const UndoResult result = UndoRenames(undo_, posix_, &list_, nullptr);
    EXPECT_EQ(result.reverted, 0);
    EXPECT_EQ(result.failed, 2);
    EXPECT_EQ(Holds("y"), "was b");
    EXPECT_EQ(Holds("b"), "new b");
}

TEST_F(RenamePassTest, RefreshShowsNewNamesAndUndoBringsOldOnes) {
    Files({"a.txt"});
    Rows({{"a.txt", "b.txt"}});
    Execute();
    RenameOptions options = RenameOptions::WindowDefaults();
    options.insertText = L"n_";
    const FixedClock clock(std::tm{});
    const NewNamePipeline pipeline(options, clock);
    RefreshRenamedItems(list_, RenamesInOrder(undo_), pipeline);
    EXPECT_EQ(list_.Row(0).name, L"b.txt");
    EXPECT_EQ(list_.Row(0).newName, L"n_b.txt");
    UndoRenames(undo_, posix_, &list_, &pipeline);
    EXPECT_EQ(list_.Row(0).name, L"a.txt");
    EXPECT_EQ(list_.Row(0).newName, L"n_a.txt");
    EXPECT_TRUE(list_.Registry().Contains(ToWide((dir_.Path() / "a.txt").string())));
}

TEST_F(RenamePassTest, ImmutableFolderFailsItsRowsAndTheJournalTellsWhatMoved) {
    Files({"ok/a", "locked/b", "locked/c"});
    if (!MakeImmutable(dir_.Path() / "locked", true))
        GTEST_SKIP() << "no immutable attribute here";
    Rows({{"ok/a", "x"}, {"locked/b", "y"}, {"locked/c", "z"}});
    const PassResult result = Execute();
    MakeImmutable(dir_.Path() / "locked", false);
    EXPECT_EQ(result.succeeded, 1);
    EXPECT_EQ(result.failed, 2);
    EXPECT_EQ(list_.Row(1).statusTip, ErrorText(EPERM));
    EXPECT_EQ(Holds("locked/b"), "was locked/b");

    ASSERT_EQ(undo_.passes.size(), 1u);
    const PassRecord pass = ReadJournalPass(undo_.passes[0].record.journal).pass;
    EXPECT_EQ(pass.moves.size(), 3u);
    EXPECT_EQ(pass.claims[0], StepClaim::Made);
    EXPECT_EQ(pass.moves[0].to, (dir_.Path() / "ok/x").string());
    EXPECT_EQ(std::count(pass.claims.begin(), pass.claims.end(), StepClaim::Made), 1);
    EXPECT_TRUE(pass.ended);
    std::ifstream file(pass.journal);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    // Every planned move is there, and each of the locked folder's failed with its reason.
    EXPECT_NE(text.find("folder\t" + (dir_.Path() / "locked").string() + "\nplan\t2\tb\ty\t"),
              std::string::npos)
        << text;
    size_t failures = 0;
    for (size_t at = text.find("\nfail\t"); at != std::string::npos;
         at = text.find("\nfail\t", at + 1)) {
        ++failures;
    }
    EXPECT_EQ(failures, 2u);
    EXPECT_NE(text.find(ToNarrow(ErrorText(EPERM))), std::string::npos);
}

TEST_F(RenamePassTest, APassStopsWhenTheJournalCannotBeWrittenAnyMore) {
    // The journal's file may not grow past a little more than its plan: a real
    // failure of the journal half-way, caused in a child process.
    std::vector<std::string> names;
    std::vector<std::pair<std::string, std::string>> renames;
    for (int i = 0; i < 300; ++i) {
        names.push_back("f" + std::to_string(i));
        renames.push_back({names.back(), "g" + std::to_string(i)});
    }
    Files(names);
    Rows(renames);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Room for the plan and about sixty "done" lines.
        std::vector<Move> planned;
        for (const auto& [from, to] : renames) {
            planned.push_back({(dir_.Path() / from).string(), (dir_.Path() / to).string(), {}});
            posix_.Identify(planned.back().from, planned.back().id);
        }
        const auto probe = Journal::BeginPass(dir_.Path() / ".probe", planned);
        probe->EndPass();  // gives back the room made for the moves' lines
        const auto planSize = static_cast<rlim_t>(fs::file_size(probe->File()));
        const struct rlimit limit { planSize + 600, planSize + 600 };
        setrlimit(RLIMIT_FSIZE, &limit);
        const PassResult result = Execute();
        _exit(result.succeeded > 0 && result.failed > 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);

    // Every move the journal holds was made, and no other.
    const auto pass = LatestUndoablePass(journal_, posix_).pass;
    ASSERT_TRUE(pass);
    size_t moved = 0;
    for (const auto& name : names)
        moved += fs::exists(dir_.Path() / name) ? 0 : 1;
    EXPECT_EQ(FilesMoved(*pass), moved);
    EXPECT_GT(moved, 0u);
    EXPECT_LT(moved, names.size());
    for (size_t step = 0; step < pass->moves.size(); ++step) {
        EXPECT_EQ(fs::exists(pass->moves[step].to), pass->claims[step] == StepClaim::Made) << step;
    }
}

TEST_F(RenamePassTest, ACaseOnlyRenameJournalsItsTemporaryName) {
    CaseInsensitiveFolder folder(false);
    const std::string photo = (dir_.Path() / "Photo.JPG").string();
    folder.Create(photo, "p");
    Rows({{"Photo.JPG", "photo.jpg"}});
    EXPECT_EQ(Execute(folder).succeeded, 1);
    std::ifstream file(undo_.passes.at(0).record.journal);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    EXPECT_NE(text.find("\nvia\t1\t.tolvane-"), std::string::npos) << text;
    EXPECT_NE(text.find("\ndone\t1\n"), std::string::npos);
}

TEST_F(RenamePassTest, CycleThatBreaksOffHalfWayIsTakenBack) {
    Files({"1", "2", "3"});
    Rows({{"1", "2"}, {"2", "3"}, {"3", "1"}});
    FaultyFileSystem failing(posix_);
    failing.failCalls = {3};  // the third move of the cycle fails
    const PassResult result = Execute(failing);
    EXPECT_EQ(result.failed, 3);
    for (const char* name : {"1", "2", "3"})
        EXPECT_EQ(Holds(name), std::string("was ") + name);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()), 4);
    for (size_t r = 0; r < 3; ++r)
        EXPECT_FALSE(list_.Row(r).statusTip.empty());
    EXPECT_TRUE(undo_.Empty());
}

}  // namespace
}  // namespace tolvane::test
