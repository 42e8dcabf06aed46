#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "../TestSupport.h"
#include "execute/Journal.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

std::vector<Move> ThreeMoves() {
    return {{"/d/a b", "/d/x\ty"}, {"/d/c", "/e/\\d"}, {"/d/.t", "/d/c"}};
}

TEST(JournalTest, ReadsBackWhatAPassWrote) {
    TempDir dir;
    auto journal = Journal::BeginPass(dir.Path(), ThreeMoves());
    ASSERT_TRUE(journal);
    journal->Done(0);
    journal->Failed(1, L"Permission denied");
    journal->Done(2);
    journal->EndPass();
    const JournalPass pass = ReadJournalPass(journal->File());
    EXPECT_EQ(pass.planned, ThreeMoves());
    EXPECT_EQ(pass.done, (std::vector<size_t>{0, 2}));
    EXPECT_TRUE(pass.ended);
    EXPECT_FALSE(pass.reverted);
    ASSERT_TRUE(LatestUndoablePass(dir.Path()));
    EXPECT_EQ(LatestUndoablePass(dir.Path())->file, journal->File());
}

TEST(JournalTest, AfterACrashTheJournalTellsWhichMovesWereMade) {
    TempDir dir;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The pass dies after two moves: no end line, nothing cleaned up.
        auto journal = Journal::BeginPass(dir.Path(), ThreeMoves());
        journal->Done(0);
        journal->Done(1);
        _exit(journal ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    auto latest = LatestUndoablePass(dir.Path());
    ASSERT_TRUE(latest);
    EXPECT_FALSE(latest->ended);
    EXPECT_EQ(latest->done, (std::vector<size_t>{0, 1}));

    // An undo continues the file after the room the crashed pass left behind.
    auto reopened = Journal::Reopen(latest->file);
    ASSERT_TRUE(reopened);
    reopened->Undone(1);
    reopened->MarkReverted();
    const JournalPass after = ReadJournalPass(latest->file);
    EXPECT_EQ(after.done, (std::vector<size_t>{0}));
    EXPECT_TRUE(after.reverted);
    EXPECT_FALSE(LatestUndoablePass(dir.Path()));
}

TEST(JournalTest, KeepsTheNewestTwentyPasses) {
    TempDir dir;
    fs::path first, last;
    for (int i = 0; i < 25; ++i) {
        auto journal = Journal::BeginPass(dir.Path(), {{"/d/" + std::to_string(i), "/d/n"}});
        ASSERT_TRUE(journal);
        journal->Done(0);
        journal->EndPass();
        if (i == 0) first = journal->File();
        last = journal->File();
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 20);
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(LatestUndoablePass(dir.Path())->file, last);
}

TEST(JournalTest, UnwritableFolderGivesNoJournal) {
    TempDir dir;
    dir.File("blocker");
    EXPECT_FALSE(Journal::BeginPass(dir.Path() / "blocker" / "j", ThreeMoves()));
}

}  // namespace
}  // namespace tolvane::test
