#include "execute/PassLock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "../TestSupport.h"
#include "engine/TextConvert.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr milliseconds kNoWait{0};
constexpr milliseconds kShortWait{50};
constexpr milliseconds kLongWait{20000};

// Another copy of the program at work: a child process that takes the lock and holds
// it until the test lets go of `release`, then lingers a moment before it exits.
class OtherCopy {
  public:
    OtherCopy(const fs::path& folder, milliseconds linger) {
        int ready[2], release[2];
        if (pipe(ready) != 0 || pipe(release) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(release[1]);
            const PassLock lock(folder, kNoWait);
            const char held = lock.Held() ? 'y' : 'n';
            (void)!write(ready[1], &held, 1);
            char byte;
            while (read(release[0], &byte, 1) > 0) {
            }
            std::this_thread::sleep_for(linger);
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        release_ = release[1];
        char held = 'n';
        held_ = read(ready[0], &held, 1) == 1 && held == 'y';
        close(ready[0]);
    }
    ~OtherCopy() {
        Release();
        if (pid_ > 0)
            waitpid(pid_, nullptr, 0);
    }

    bool Held() const { return held_; }
    void Release() {
        if (release_ >= 0)
            close(release_);
        release_ = -1;
    }
    // Dies as a crash would, without letting go of anything itself.
    void Kill() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool held_ = false;
};

TEST(PassLockTest, ASecondCopyWaitsForTheFirstAndGivesUpWhenItTakesLong) {
    TempDir dir;
    const fs::path folder = dir.Path() / "state" / "tolvane";
    OtherCopy other(folder, milliseconds(300));
    ASSERT_TRUE(other.Held());

    const PassLock refused(folder, kShortWait);
    EXPECT_EQ(refused.Status(), PassLock::State::Busy);
    EXPECT_NE(refused.Error().find(L"another rename or undo"), std::wstring::npos);

    // Let go now: the other copy still needs a moment, and this one waits for it.
    other.Release();
    const PassLock waited(folder, kLongWait);
    EXPECT_TRUE(waited.Held()) << ToNarrow(waited.Error());
    // One process holds the lock once: a second pass of its own is kept out too.
    EXPECT_EQ(PassLock(folder, kNoWait).Status(), PassLock::State::Busy);
}

TEST(PassLockTest, ACopyThatCrashedHoldsNothing) {
    TempDir dir;
    OtherCopy other(dir.Path(), milliseconds(0));
    ASSERT_TRUE(other.Held());
    other.Kill();
    EXPECT_TRUE(PassLock(dir.Path(), kNoWait).Held());
    EXPECT_TRUE(fs::exists(dir.Path() / PassLock::kFileName));
}

// The window opens files and restarts itself: a program it starts while it holds the
// lock must not keep it once the window lets go.
TEST(PassLockTest, AProgramStartedMeanwhileDoesNotKeepTheLock) {
    TempDir dir;
    pid_t sleeper = -1;
    {
        const PassLock lock(dir.Path(), kNoWait);
        ASSERT_TRUE(lock.Held());
        // The pipe closes when the child has started the program.
        int started[2];
        ASSERT_EQ(pipe2(started, O_CLOEXEC), 0);
        sleeper = fork();
        if (sleeper == 0) {
            execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(started[1]);
        char byte;
        EXPECT_EQ(read(started[0], &byte, 1), 0);
        close(started[0]);
    }
    const PassLock after(dir.Path(), kNoWait);
    EXPECT_TRUE(after.Held());
    kill(sleeper, SIGKILL);
    waitpid(sleeper, nullptr, 0);
}

TEST(PassLockTest, AFolderThatCannotBeMadeIsAFailureNotAnotherCopy) {
    TempDir dir;
    const fs::path notAFolder = dir.File("state", "a file where the folder goes");
    const PassLock lock(notAFolder / "tolvane", kShortWait);
    EXPECT_EQ(lock.Status(), PassLock::State::Failed);
    EXPECT_NE(lock.Error().find(L"could not be made or locked"), std::wstring::npos);
}

}  // namespace
}  // namespace tolvane::test
