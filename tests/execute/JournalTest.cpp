#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "../TestSupport.h"
#include "engine/TextConvert.h"
#include "execute/Journal.h"
#include "execute/JournalReader.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string Text(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Write(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// Names a line-based format could mistake: a tab, a line feed, a backslash, bytes
// that are not UTF-8, in two folders.
std::vector<Move> ThreeMoves() {
    return {{"/d/a b", "/d/x\ty", {7, 1}},
            {"/d/e/c\n", "/d/e/\\d\xff", {7, 2}},
            {"/d/.t", "/d/c", {7, 3}}};
}

JournalRead ReadBack(const fs::path& file) {
    JournalRead read = ReadJournalPass(file);
    EXPECT_EQ(read.error, L"");
    return read;
}

TEST(JournalTest, ReadsBackWhatAPassWrote) {
    TempDir dir;
    const auto before = std::time(nullptr);
    auto journal = Journal::BeginPass(dir.Path(), ThreeMoves());
    ASSERT_TRUE(journal);
    journal->Via(0, "/d/.tolvane-AB.tmp");
    journal->Done(0);
    journal->Failed(1, L"Permission denied");
    journal->EndPass();
    EXPECT_EQ(journal->File().filename(), "pass-000000000001.journal");

    const PassRecord pass = ReadBack(journal->File()).pass;
    EXPECT_EQ(pass.moves, ThreeMoves());
    EXPECT_EQ(pass.claims,
              (std::vector<StepClaim>{StepClaim::Made, StepClaim::NotMade, StepClaim::NotMade}));
    EXPECT_EQ(pass.via.at(0), "/d/.tolvane-AB.tmp");
    EXPECT_TRUE(pass.ended);
    EXPECT_FALSE(pass.reverted);
    EXPECT_GE(pass.started / 1000000000, before - 1);
    EXPECT_LE(pass.started / 1000000000, std::time(nullptr));
    EXPECT_EQ(FilesMoved(pass), 1u);
    EXPECT_EQ(Text(journal->File()).substr(0, 26), "tolvane-journal 2\nstarted\t");
    EXPECT_NE(Text(journal->File())
                  .find("folder\t/d/e\nplan\t2\tc\\n\t\\\\d\xff\t7\t2\nfolder\t/d\nplan\t3\t"),
              std::string::npos)
        << Text(journal->File());

    PosixFileSystem posix;
    const UndoablePass latest = LatestUndoablePass(dir.Path(), posix);
    ASSERT_TRUE(latest.pass);
    EXPECT_EQ(latest.pass->journal, journal->File());
    EXPECT_EQ(latest.pass->sequence, 1u);
}

TEST(JournalTest, FilesAreOnlyTheOwnersToRead) {
    TempDir dir;
    const fs::path folder = dir.Path() / "state" / "tolvane";
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::all);  // as an older version may have left it
    const auto journal = Journal::BeginPass(folder, ThreeMoves());
    ASSERT_TRUE(journal);
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    ASSERT_EQ(stat(journal->File().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

// A journal whose pass began later by the clock, or whose file is dated later, is
// still older when its number is lower.
TEST(JournalTest, PassesAreOrderedByTheirNumberNotByAClock) {
    TempDir dir;
    for (int i = 0; i < 20; ++i) {
        auto journal = Journal::BeginPass(dir.Path(), {{"/d/" + std::to_string(i), "/d/n", {}}});
        ASSERT_TRUE(journal);
        journal->Done(0);
        journal->EndPass();
        // Dated in the year 2200, as a clock set back afterwards would leave it.
        std::string text = Text(journal->File());
        const size_t at = text.find("started\t") + 8;
        text.replace(at, text.find('\n', at) - at, "7258118400000000000");
        Write(journal->File(), text);
        const struct timespec future[2] = {{7258118400, 0}, {7258118400, 0}};
        utimensat(AT_FDCWD, journal->File().c_str(), future, 0);
    }
    // Files that are not passes are left alone.
    dir.File("pass-x.journal", "not a pass");
    dir.File("pass-00000000000000000000099-1234.journal", "an older format");

    auto newest = Journal::BeginPass(dir.Path(), {{"/d/new", "/d/n", {}}});
    ASSERT_TRUE(newest);
    newest->Done(0);
    newest->EndPass();
    EXPECT_TRUE(fs::exists(newest->File()));
    EXPECT_EQ(newest->Sequence(), 21u);
    EXPECT_FALSE(fs::exists(dir.Path() / "pass-000000000001.journal"));
    EXPECT_TRUE(fs::exists(dir.Path() / "pass-000000000002.journal"));
    EXPECT_TRUE(fs::exists(dir.Path() / "pass-x.journal"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 22);

    PosixFileSystem posix;
    const UndoablePass latest = LatestUndoablePass(dir.Path(), posix);
    ASSERT_TRUE(latest.pass);
    EXPECT_EQ(latest.pass->journal, newest->File());
    EXPECT_EQ(latest.pass->started, newest->Started());
}

// A pass number placed by hand far ahead: the next pass takes the number after it,
// however many digits that has, and undo finds it; at the very end no pass is made.
TEST(JournalTest, AHandPlacedNumberFarAheadNeitherHidesTheNextPassNorWraps) {
    TempDir dir;
    dir.File("pass-9999999999999999999.journal", "not a pass");
    auto next = Journal::BeginPass(dir.Path(), {{"/d/a", "/d/b", {}}});
    ASSERT_TRUE(next);
    EXPECT_EQ(next->Sequence(), 10000000000000000000u);
    next->Done(0);
    next->EndPass();
    PosixFileSystem posix;
    const UndoablePass latest = LatestUndoablePass(dir.Path(), posix);
    ASSERT_TRUE(latest.pass);
    EXPECT_EQ(latest.pass->journal, next->File());

    dir.File("pass-18446744073709551615.journal", "not a pass");
    std::wstring error;
    EXPECT_FALSE(Journal::BeginPass(dir.Path(), {{"/d/c", "/d/e", {}}}, &error));
    EXPECT_FALSE(error.empty());
}

TEST(JournalTest, UnwritableFolderGivesNoJournalAndSaysWhy) {
    TempDir dir;
    dir.File("blocker");
    std::wstring error;
    EXPECT_FALSE(Journal::BeginPass(dir.Path() / "blocker" / "j", ThreeMoves(), &error));
    EXPECT_EQ(error, L"Not a directory");
    // A move between folders has no line in a journal: it is refused, not written.
    EXPECT_FALSE(Journal::BeginPass(dir.Path(), {{"/d/a", "/e/a", {}}}, &error));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST(JournalTest, APassOfAHundredThousandRowsReadsBack) {
    TempDir dir;
    std::vector<Move> moves;
    for (std::uint64_t i = 0; i < 100000; ++i)
        moves.push_back({"/photos/IMG_" + std::to_string(i) + ".jpg",
                         "/photos/holiday_" + std::to_string(i) + ".jpg",
                         {2049, 1000000 + i}});
    auto journal = Journal::BeginPass(dir.Path(), moves);
    ASSERT_TRUE(journal);
    for (size_t i = 0; i < moves.size(); ++i)
        journal->Done(i);
    journal->EndPass();
    const PassRecord pass = ReadBack(journal->File()).pass;
    EXPECT_EQ(pass.moves.size(), moves.size());
    EXPECT_EQ(pass.moves.back(), moves.back());
    EXPECT_EQ(FilesMoved(pass), moves.size());
}

// The lines of a crashed pass: room mapped for lines that were never written reads as
// zero bytes, and after a power cut such a run may sit between lines that did reach
// the disk; a line may be cut short.
TEST(JournalTest, ReadsWhatACrashLeft) {
    TempDir dir;
    const std::string plan =
        "tolvane-journal 2\nstarted\t1700000000\nfolder\t/d\nplan\t1\ta\tb\t1\t2\n"
        "plan\t2\tc\td\t1\t3\nplan\t3\te\tf\t1\t4\n";
    const fs::path file = dir.Path() / "pass-000000000001.journal";
    Write(file, plan + "done\t1\n" + std::string(5000, '\0') + "3\nfail\t2\tx\n" +
                    std::string("don") + std::string(300, '\0'));
    const PassRecord pass = ReadBack(file).pass;
    EXPECT_EQ(pass.claims,
              (std::vector<StepClaim>{StepClaim::Made, StepClaim::NotMade, StepClaim::Unknown}));
    EXPECT_FALSE(pass.ended);

    // An undo continues after the last complete line.
    auto reopened = Journal::Reopen(file);
    ASSERT_TRUE(reopened);
    reopened->Undone(0);
    ASSERT_TRUE(reopened->MarkReverted());
    EXPECT_TRUE(Text(file).ends_with("fail\t2\tx\nundone\t1\nreverted\n"));
    EXPECT_TRUE(ReadBack(file).pass.reverted);
}

struct HostileCase {
    const char* label;
    std::string lines;  // after the header and the started line, unless `whole`
    const char* why;    // what the refusal says
    bool whole = false;
};

// Named by its label in the test's output, not by its bytes.
void PrintTo(const HostileCase& c, std::ostream* out) {
    *out << c.label;
}

class HostileJournalTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileJournalTest, IsRefusedWithAReason) {
    const HostileCase& c = GetParam();
    TempDir dir;
    const fs::path file = dir.Path() / "pass-000000000007.journal";
    Write(file, c.whole ? c.lines : "tolvane-journal 2\nstarted\t1700000000\n" + c.lines);
    const JournalRead read = ReadJournalPass(file);
    EXPECT_NE(read.error.find(std::wstring(c.why, c.why + std::strlen(c.why))), std::wstring::npos)
        << std::string(read.error.begin(), read.error.end());
    EXPECT_TRUE(read.pass.moves.empty());
    // The search for a pass to undo stops there: an older pass is not taken instead.
    dir.File("pass-000000000006.journal",
             "tolvane-journal 2\nstarted\t1\nfolder\t/d\nplan\t1\ta\tb\t1\t2\ndone\t1\n");
    PosixFileSystem posix;
    const UndoablePass latest = LatestUndoablePass(dir.Path(), posix);
    EXPECT_FALSE(latest.pass);
    EXPECT_EQ(latest.error, read.error);
}

const std::string kPlan = "folder\t/home/me\nplan\t1\ta\tb\t1\t2\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileJournalTest,
    testing::Values(
        HostileCase{"a name with a slash", "folder\t/home\nplan\t1\tvictim/secret\tx\t1\t2\n",
                    "line 4: a name"},
        HostileCase{"a name that is dot dot", "folder\t/home/me\nplan\t1\t..\tx\t1\t2\n",
                    "line 4: a name"},
        HostileCase{"a name that is a dot", "folder\t/home/me\nplan\t1\ta\t.\t1\t2\n",
                    "line 4: a name"},
        HostileCase{"a name with a NUL", "folder\t/h\nplan\t1\ta\0b\tc\t1\t2\n"s,
                    "line 4: the line holds a NUL byte"},
        HostileCase{"a folder with a NUL", "folder\t/tmp\0/x\nplan\t1\ta\tb\t1\t2\n"s,
                    "line 3: the line holds a NUL byte"},
        HostileCase{"a relative folder", "folder\ttmp/x\nplan\t1\ta\tb\t1\t2\n",
                    "line 3: the folder is not an absolute path"},
        HostileCase{"a folder going up", "folder\t/tmp/../etc\nplan\t1\ta\tb\t1\t2\n",
                    "line 3: the folder is not an absolute path"},
        HostileCase{"no folder line", "plan\t1\ta\tb\t1\t2\n",
                    "line 3: a planned move comes before"},
        HostileCase{"an unknown version", "tolvane-journal 3\nstarted\t1\n" + kPlan,
                    "line 1: unknown journal version 3", true},
        HostileCase{"the first version", "tolvane-journal 1\nplan\t1\t/a\t/b\n",
                    "unknown journal version 1", true},
        HostileCase{"not a journal", "hello\n", "line 1: not a journal", true},
        HostileCase{"no start time", "tolvane-journal 2\n" + kPlan, "line 2: expected the time",
                    true},
        HostileCase{"a plan number twice", kPlan + "plan\t1\tc\td\t1\t3\n",
                    "line 5: planned moves are not numbered"},
        HostileCase{"a plan number skipped", kPlan + "plan\t3\tc\td\t1\t3\n",
                    "line 5: planned moves are not numbered"},
        HostileCase{"a number with letters", kPlan + "done\t1x\n", "line 5: malformed"},
        HostileCase{"a signed number", kPlan + "done\t+1\n", "line 5: malformed"},
        HostileCase{"a number too large", kPlan + "done\t99999999999999999999999\n",
                    "line 5: malformed"},
        HostileCase{"move zero", kPlan + "done\t0\n", "line 5: malformed or unknown move number"},
        HostileCase{"a move not planned", kPlan + "done\t2\n", "line 5: malformed or unknown"},
        HostileCase{"done twice", kPlan + "done\t1\ndone\t1\n", "line 6: a second outcome"},
        HostileCase{"done and failed", kPlan + "done\t1\nfail\t1\tx\n", "line 6: a second outcome"},
        HostileCase{"a malformed identity", "folder\t/h\nplan\t1\ta\tb\t-1\t2\n",
                    "line 4: malformed file identity"},
        HostileCase{"a temporary name with a slash", kPlan + "via\t1\t../x\n",
                    "line 5: a temporary name"},
        HostileCase{"an unknown line", kPlan + "delete\t1\n", "line 5: unknown line"},
        HostileCase{"a folder's time that is no number", kPlan + "settled\t1\t-5\n",
                    "line 5: malformed time"},
        HostileCase{"a folder's time past the largest", kPlan + "settled\t1\t9999999999999999999\n",
                    "line 5: malformed time"},
        HostileCase{"a plan line after the moves", kPlan + "done\t1\nfolder\t/etc\n",
                    "line 6: unknown line"},
        HostileCase{"a line too long", kPlan + "fail\t1\t" + std::string(20000, 'x') + "\n",
                    "line 5: the line is too long"},
        HostileCase{"no planned move", "folder\t/h\n", "no planned move"}),
    ByLabel());

TEST(JournalTest, RefusesWhatCannotBeAJournalWithoutReadingIt) {
    TempDir dir;
    const fs::path fifo = dir.Path() / "pass-000000000002.journal";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadJournalPass(fifo).error, ToWide(fifo.string()) + L": not a regular file");

    const fs::path huge = dir.Path() / "pass-000000000003.journal";
    std::ofstream(huge) << "tolvane-journal 2\n";
    fs::resize_file(huge, std::uintmax_t{3} << 30);  // sparse: takes no room
    EXPECT_NE(ReadJournalPass(huge).error.find(L"bytes long, more than any pass writes"),
              std::wstring::npos);
}

// Lines go into a mapping of room allocated at the end of the file; when that room
// runs out, or cannot be allocated, they go through write(2). The journal reads the
// same either way.
TEST(JournalTest, LinesPastTheMappedRoomAreKept) {
    TempDir dir;
    std::vector<Move> moves;
    for (std::uint64_t i = 0; i < 3000; ++i)
        moves.push_back({"/d/" + std::to_string(i), "/d/n" + std::to_string(i), {1, i}});
    auto journal = Journal::BeginPass(dir.Path(), moves);
    ASSERT_TRUE(journal);
    // About 150 KB of lines for about 70 KB of room.
    for (size_t i = 0; i < moves.size(); ++i)
        journal->Failed(i, std::wstring(40, L'r'));
    journal->EndPass();
    const PassRecord pass = ReadBack(journal->File()).pass;
    EXPECT_EQ(pass.claims, std::vector<StepClaim>(moves.size(), StepClaim::NotMade));
    EXPECT_TRUE(pass.ended);
    EXPECT_EQ(Text(journal->File()).find('\0'), std::string::npos);
}

TEST(JournalTest, AFileSizeLimitMakesTheJournalWriteInsteadOfMapping) {
    TempDir dir;
    std::vector<Move> moves;
    for (std::uint64_t i = 0; i < 200; ++i)
        moves.push_back({"/d/" + std::to_string(i), "/d/n" + std::to_string(i), {1, i}});
    auto probe = Journal::BeginPass(dir.Path() / "probe", moves);
    probe->EndPass();  // gives back the room made for the moves' lines
    const auto planSize = static_cast<rlim_t>(fs::file_size(probe->File()));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Room for the plan and its lines, not for the room a mapping takes. Past the
        // limit the system sends SIGXFSZ: the journal must not die of it.
        const rlimit limit{planSize + 3000, planSize + 3000};
        setrlimit(RLIMIT_FSIZE, &limit);
        auto journal = Journal::BeginPass(dir.Path(), moves);
        if (!journal)
            _exit(2);
        for (size_t i = 0; i < moves.size(); ++i)
            journal->Done(i);
        journal->EndPass();
        _exit(journal->Ok() ? 0 : 3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    PosixFileSystem posix;
    const UndoablePass latest = LatestUndoablePass(dir.Path(), posix);
    ASSERT_TRUE(latest.pass);
    EXPECT_EQ(latest.pass->claims, std::vector<StepClaim>(moves.size(), StepClaim::Made));
    EXPECT_TRUE(latest.pass->ended);
}

}  // namespace
}  // namespace tolvane::test
