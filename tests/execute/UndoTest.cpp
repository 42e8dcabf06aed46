#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "CaseInsensitiveFolder.h"
#include "FaultyFileSystem.h"
#include "RenamePassFixture.h"
#include "execute/JournalReader.h"
#include "execute/RevertPass.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;
using Renames = std::vector<std::pair<std::string, std::string>>;

// A pass killed at every instant: before and after each rename call, so also
// between a rename and its line in the journal. The journal's undo must bring back
// every file with its content, temporary names of cycles included.
struct CrashCase {
    const char* label;
    std::vector<std::string> files;
    Renames renames;
};

class CrashTest : public RenamePassTest, public testing::WithParamInterface<CrashCase> {};

TEST_P(CrashTest, UndoFromTheJournalRecoversFromAKillAtAnyStep) {
    const CrashCase& c = GetParam();
    Files(c.files);
    Rows(c.renames);
    const auto before = Tree();
    int kills = 0;
    for (int call = 1;; ++call) {
        bool stopped = false;
        for (const bool after : {false, true}) {
            const bool killed = KillPassAt(
                [&](FileSystem& fs) { ExecuteRenames(list_, undo_, Texts0(), fs, journal_); }, call,
                after);
            if (!killed)
                continue;
            stopped = true;
            ++kills;
            const UndoablePass latest = LatestUndoablePass(journal_, posix_);
            ASSERT_EQ(latest.error, L"");
            ASSERT_TRUE(latest.pass) << "killed at rename " << call;
            EXPECT_FALSE(latest.pass->ended);
            const UndoResult undone = UndoJournalPass(*latest.pass, posix_);
            EXPECT_EQ(undone.failed, 0) << "killed at rename " << call;
            EXPECT_EQ(undone.journalError, L"");
            ASSERT_EQ(Tree(), before)
                << "killed " << (after ? "after" : "before") << " rename " << call;
            EXPECT_FALSE(LatestUndoablePass(journal_, posix_).pass);
        }
        if (!stopped)
            break;
    }
    EXPECT_GE(kills, static_cast<int>(c.renames.size()) * 2) << "the pass was not killed";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CrashTest,
    testing::Values(
        CrashCase{"a shift", {"f1", "f2", "f3"}, {{"f1", "f2"}, {"f2", "f3"}, {"f3", "f4"}}},
        CrashCase{"a cycle", {"1", "2", "3"}, {{"1", "2"}, {"2", "3"}, {"3", "1"}}},
        CrashCase{"folders and their files",
                  {"A/x/f", "A/y/f", "B/f"},
                  {{"A", "B"}, {"B", "A"}, {"A/x", "y"}, {"A/y", "x"}, {"A/x/f", "g"}}}),
    ByLabel());

// What a file system reports of each path, for the decision of both undos in every
// place a file can be found: a new file given the inode number of a deleted one, or
// one file listed under two spellings, cannot be made at will here.
class ReportedFiles final : public FileSystem {
  public:
    struct Entry {
        FileId id;
        std::int64_t born = 500;
        bool listed = true;  // the folder lists the file under this very spelling
    };
    std::map<std::string, Entry> entries;

    int Status(const std::string& path, FileId& id, std::int64_t& born) override {
        const auto it = entries.find(path);
        if (it == entries.end())
            return ENOENT;
        id = it->second.id;
        born = it->second.born;
        return 0;
    }
    bool HasExactName(const std::string& path) override {
        return entries.count(path) != 0 && entries.at(path).listed;
    }
    int RenameNoReplace(const std::string&, const std::string&) override { return EPERM; }
    int RenameReplacing(const std::string&, const std::string&) override { return EPERM; }
};

struct LocateCase {
    const char* label;
    std::map<std::string, ReportedFiles::Entry> entries;
    Whereabouts expected;
};

class LocateStepTest : public testing::TestWithParam<LocateCase> {};

TEST_P(LocateStepTest, FindsTheFileByItsIdentity) {
    ReportedFiles files;
    files.entries = GetParam().entries;
    const Move move{"/d/old", "/d/new", {1, 7}};
    const std::string temporary = "/d/.tolvane-T.tmp";
    EXPECT_EQ(LocateStep(files, move, &temporary, 1000), GetParam().expected);
}

using W = Whereabouts;
using E = ReportedFiles::Entry;
INSTANTIATE_TEST_SUITE_P(
    Cases, LocateStepTest,
    testing::Values(
        LocateCase{"at its old name", {{"/d/old", E{{1, 7}}}}, W::AtSource},
        LocateCase{"at its new name", {{"/d/new", E{{1, 7}}}}, W::AtTarget},
        LocateCase{"at its new name, its old name taken",
                   {{"/d/new", E{{1, 7}}}, {"/d/old", E{{1, 8}}}},
                   W::AtTarget},
        LocateCase{"at the temporary name", {{"/d/.tolvane-T.tmp", E{{1, 7}}}}, W::AtTemporary},
        LocateCase{"one file under both spellings, listed under the new",
                   {{"/d/old", E{{1, 7}, 500, false}}, {"/d/new", E{{1, 7}}}},
                   W::AtTarget},
        LocateCase{"hard links under both names",
                   {{"/d/old", E{{1, 7}}}, {"/d/new", E{{1, 7}}}},
                   W::AtSource},
        LocateCase{"another file at the new name", {{"/d/new", E{{1, 8}}}}, W::Replaced},
        LocateCase{"the same inode on another device", {{"/d/new", E{{2, 7}}}}, W::Replaced},
        LocateCase{"a file made after the pass with its inode number",
                   {{"/d/new", E{{1, 7}, 2000}}},
                   W::Replaced},
        LocateCase{"no birth time recorded", {{"/d/new", E{{1, 7}, kBirthUnknown}}}, W::AtTarget},
        LocateCase{"nowhere", {}, W::Missing}),
    ByLabel());

// Both undos, the window's from its record and tolvane-cli's from the journal, decide
// through the same code.
enum class UndoFrom { Record, Journal };

class BothUndosTest : public RenamePassTest, public testing::WithParamInterface<UndoFrom> {
  protected:
    UndoResult Undo(FileSystem& fs) {
        if (GetParam() == UndoFrom::Record)
            return UndoRenames(undo_, fs, &list_, nullptr);
        const UndoablePass latest = LatestUndoablePass(journal_, fs);
        EXPECT_EQ(latest.error, L"");
        return latest.pass ? UndoJournalPass(*latest.pass, fs) : UndoResult{};
    }
};

TEST_P(BothUndosTest, AFilePutAtTheNewNameSinceIsLeftAlone) {
    Files({"a", "b"});
    Rows({{"a", "x"}, {"b", "y"}});
    Execute();
    // x was replaced, as an editor saves a file; y was moved away and another file
    // put in its place.
    dir_.File("x.new", "someone's x");
    fs::rename(dir_.Path() / "x.new", dir_.Path() / "x");
    fs::rename(dir_.Path() / "y", dir_.Path() / "kept");
    dir_.File("y", "someone's y");

    const UndoResult result = Undo(posix_);
    EXPECT_EQ(result.reverted, 0);
    EXPECT_EQ(result.failed, 2);
    ASSERT_EQ(result.lines.size(), 2u);
    EXPECT_EQ(result.lines[0].error,
              L"another file has taken the new name since; it is left alone");
    EXPECT_EQ(Tree(), (std::map<std::string, std::string>{
                          {"x", "someone's x"}, {"y", "someone's y"}, {"kept", "was b"}}));
    // Nothing of the pass can come back: it is closed.
    EXPECT_FALSE(LatestUndoablePass(journal_, posix_).pass);
}

// The computer's clock was behind the clock that stamped the files' births when the
// pass began (a server's clock ahead of it): the files are still those the pass moved,
// by the clock of their own file system.
TEST_P(BothUndosTest, AClockBehindTheFilesBirthsAtThePassDoesNotStopTheUndo) {
    Files({"a", "b"});
    Rows({{"a", "x"}, {"b", "y"}});
    Execute();
    constexpr std::int64_t kLongAgo = 1'000'000'000;  // a second after 1970 began
    undo_.passes.back().record.started = kLongAgo;
    const fs::path journal = undo_.passes.back().record.journal;
    std::string text = Content(journal);
    const size_t at = text.find("started\t") + 8;
    text.replace(at, text.find('\n', at) - at, std::to_string(kLongAgo));
    std::ofstream(journal, std::ios::binary | std::ios::trunc) << text;

    const UndoResult result = Undo(posix_);
    EXPECT_EQ(result.reverted, 2);
    EXPECT_EQ(result.failed, 0);
    EXPECT_EQ(Tree(), (std::map<std::string, std::string>{{"a", "was a"}, {"b", "was b"}}));
}

TEST(LatestBirthsTest, TheFoldersOwnClockWhereThePassNotedIt) {
    PassRecord pass;
    pass.started = 100;
    pass.moves = {
        {"/d/a", "/d/b", {}}, {"/d/c", "/d/e", {}}, {"/f/g", "/f/h", {}}, {"/i/j", "/i/k", {}}};
    pass.settled = {{1, 5000}, {2, 50}, {0, 7000}};
    // The latest of the folder's notes; never earlier than the pass's own start.
    EXPECT_EQ(LatestBirths(pass), (std::vector<std::int64_t>{7000, 7000, 100, 100}));
}

TEST_P(BothUndosTest, ACycleWhoseRollbackFailsIsTakenBack) {
    Files({"1", "2", "3"});
    Rows({{"1", "2"}, {"2", "3"}, {"3", "1"}});
    FaultyFileSystem faulty(posix_);
    // 1 -> temporary, 3 -> 1, then 2 -> 3 fails; taking back 3 -> 1 fails too.
    faulty.failCalls = {3, 4};
    EXPECT_EQ(Execute(faulty).failed, 3);
    EXPECT_NE(list_.Row(0).statusTip.find(L"a file is left at"), std::wstring::npos);
    EXPECT_EQ(Holds("1"), "was 3");

    const UndoResult result = Undo(posix_);
    EXPECT_EQ(result.failed, 0);
    EXPECT_EQ(result.reverted, 2);
    EXPECT_EQ(Tree(),
              (std::map<std::string, std::string>{{"1", "was 1"}, {"2", "was 2"}, {"3", "was 3"}}));
}

// A file of a swap or a longer cycle was replaced by hand since the pass, each member
// in turn: its cycle cannot come round, so every file the undo moved goes back to
// where it stood, never staying under a temporary name, and is reported where it is.
// Once the hand-made file is gone, a later undo brings the others back.
TEST_P(BothUndosTest, ACycleWithAMemberReplacedLeavesEveryFileWhereItStood) {
    const std::vector<Renames> cycles = {{{"a", "b"}, {"b", "a"}},
                                         {{"1", "2"}, {"2", "3"}, {"3", "1"}}};
    int round = 0;
    for (const Renames& cycle : cycles) {
        for (size_t replaced = 0; replaced < cycle.size(); ++replaced) {
            const std::string folder = "round" + std::to_string(round++) + "/";
            SCOPED_TRACE(folder + " replaced " + cycle[replaced].second);
            auto treeOfRound = [&] {
                std::map<std::string, std::string> tree;
                for (const auto& [path, content] : Tree()) {
                    if (path.starts_with(folder))
                        tree[path.substr(folder.size())] = content;
                }
                return tree;
            };
            list_.Clear();
            Renames renames;
            std::map<std::string, std::string> survivors;  // what a later undo restores
            for (size_t m = 0; m < cycle.size(); ++m) {
                Files({folder + cycle[m].first});
                renames.push_back({folder + cycle[m].first, cycle[m].second});
                if (m != replaced)
                    survivors[cycle[m].first] = "was " + folder + cycle[m].first;
            }
            Rows(renames);
            ASSERT_EQ(Execute().succeeded, static_cast<int>(cycle.size()));
            const fs::path taken = dir_.Path() / folder / cycle[replaced].second;
            dir_.File(folder + "saved", "someone's");
            fs::rename(dir_.Path() / folder / "saved", taken);
            const auto beforeUndo = treeOfRound();

            const UndoResult result = Undo(posix_);
            EXPECT_EQ(result.reverted, 0);
            EXPECT_EQ(result.failed, static_cast<int>(cycle.size()));
            EXPECT_EQ(treeOfRound(), beforeUndo);
            for (const UndoResult::Line& line : result.lines) {
                EXPECT_NE(line.error, L"");
                if (line.error.starts_with(L"another file has taken the new name"))
                    continue;  // the replaced file
                EXPECT_EQ(Content(line.newPath),
                          "was " + fs::path(line.oldPath).lexically_relative(dir_.Path()).string())
                    << ToNarrow(line.error);
            }

            fs::remove(taken);
            const UndoablePass latest = LatestUndoablePass(journal_, posix_);
            ASSERT_TRUE(latest.pass);
            UndoJournalPass(*latest.pass, posix_);
            EXPECT_EQ(treeOfRound(), survivors);
        }
    }
}

// A change of letter case on a case-insensitive file system goes through a temporary
// name; when its second step fails and the way back too, the file stays there, and
// undo finds it by the journal's note of that name.
TEST_P(BothUndosTest, ACaseOnlyRenameLeftAtItsTemporaryNameComesBack) {
    for (const bool secondStepFails : {true, false}) {
        CaseInsensitiveFolder folder(false);
        const std::string photo = (dir_.Path() / "Photo.JPG").string();
        folder.Create(photo, "p");
        folder.Create((dir_.Path() / "other").string(), "o");
        list_.Clear();
        Rows({{"Photo.JPG", "photo.jpg"}});
        FaultyFileSystem faulty(folder);
        // Calls: the direct try (refused), to the temporary name, on to the new name,
        // back from the temporary name.
        if (secondStepFails)
            faulty.failCalls = {3, 4};
        Execute(faulty);
        const auto listing = folder.Listing();
        if (secondStepFails) {
            EXPECT_EQ(listing.count(photo), 0u);
            EXPECT_NE(list_.Row(0).statusTip.find(L"the file is left at"), std::wstring::npos);
        } else {
            EXPECT_EQ(listing.count((dir_.Path() / "photo.jpg").string()), 1u);
        }

        const UndoResult result = Undo(folder);
        EXPECT_EQ(result.reverted, 1) << secondStepFails;
        EXPECT_EQ(folder.Listing(), (std::map<std::string, std::string>{
                                        {photo, "p"}, {(dir_.Path() / "other").string(), "o"}}))
            << secondStepFails;
    }
}

TEST_P(BothUndosTest, AHardLinkRenamedToItsOtherNameStaysAsItWas) {
    Files({"a", "c"});
    ASSERT_EQ(link((dir_.Path() / "a").c_str(), (dir_.Path() / "b").c_str()), 0);
    Rows({{"a", "b"}, {"c", "d"}});
    const PassResult result = Execute();
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(list_.Row(0).statusTip, ErrorText(EEXIST));
    EXPECT_EQ(Tree(),
              (std::map<std::string, std::string>{{"a", "was a"}, {"b", "was a"}, {"d", "was c"}}));

    const UndoResult undone = Undo(posix_);
    EXPECT_EQ(undone.reverted, 1);
    EXPECT_EQ(undone.failed, 0);
    EXPECT_EQ(Tree(),
              (std::map<std::string, std::string>{{"a", "was a"}, {"b", "was a"}, {"c", "was c"}}));
}

TEST_P(BothUndosTest, NamesWithLineFeedsAndBytesThatAreNotUtf8ComeBack) {
    Files({"line\nfeed", "\xff\xfe", "tab\tand\\"});
    Rows({{"line\nfeed", "x\xc3"}, {"\xff\xfe", "line\nfeed"}, {"tab\tand\\", "\\n"}});
    EXPECT_EQ(Execute().succeeded, 3);
    EXPECT_EQ(Holds("line\nfeed"), "was \xff\xfe");
    const UndoResult undone = Undo(posix_);
    EXPECT_EQ(undone.reverted, 3);
    EXPECT_EQ(Tree(), (std::map<std::string, std::string>{{"line\nfeed", "was line\nfeed"},
                                                          {"\xff\xfe", "was \xff\xfe"},
                                                          {"tab\tand\\", "was tab\tand\\"}}));
}

INSTANTIATE_TEST_SUITE_P(Both, BothUndosTest, testing::Values(UndoFrom::Record, UndoFrom::Journal),
                         [](const testing::TestParamInfo<UndoFrom>& info) {
                             return info.param == UndoFrom::Record ? "FromTheRecord"
                                                                   : "FromTheJournal";
                         });

}  // namespace
}  // namespace tolvane::test
