#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace tolvane {

// One rename pass or undo at a time among every copy of the program this user runs:
// the window, tolvane-cli, several of each. A pass and an undo both judge the disk
// first (a file's identity, the plan in the journal) and then move by path; another
// one at work in between would take files from under them and leave them under
// temporary names. So each holds an advisory lock (flock) on a file in the journal's
// folder from before it reads anything until what it did is recorded. The lock goes
// with the object, or with the process when it dies, and no program it starts
// inherits it.
class PassLock {
  public:
    // How long a second pass or undo waits for the first before it gives up.
    static constexpr std::chrono::milliseconds kDefaultWait{2500};
    // This process's wait: kDefaultWait, unless TOLVANE_LOCK_WAIT_MS gives another
    // number of milliseconds (0 to 60000).
    static std::chrono::milliseconds Wait();

    enum class State {
        Held,
        Busy,    // another pass or undo held the lock throughout the wait
        Failed,  // the folder or its lock file could not be made or locked
    };

    // Takes the lock of `journalFolder`, making the folder as the journal does, and
    // waits up to `wait` while another process holds it.
    PassLock(const std::filesystem::path& journalFolder, std::chrono::milliseconds wait);
    ~PassLock();
    PassLock(const PassLock&) = delete;
    PassLock& operator=(const PassLock&) = delete;

    State Status() const { return state_; }
    bool Held() const { return state_ == State::Held; }
    // Why the lock is not held, as a sentence for the person; empty when held.
    const std::wstring& Error() const { return error_; }

    // The lock file inside the journal's folder.
    static constexpr const char* kFileName = "pass.lock";

  private:
    int fd_ = -1;
    State state_ = State::Failed;
    std::wstring error_;
};

}  // namespace tolvane
