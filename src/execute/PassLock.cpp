#include "PassLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "FileSystem.h"
#include "Journal.h"
#include "engine/TextConvert.h"

namespace tolvane {

namespace {

constexpr std::chrono::milliseconds kLongestWait{60000};
// How often a waiting process tries again: short beside the wait, long beside a try.
constexpr std::chrono::milliseconds kRetry{20};

// Whether `fd` is still the file at `path`: a lock on a file that was deleted or
// replaced since it was opened keeps nobody else out.
bool StillAt(int fd, const std::filesystem::path& path) {
    struct stat held {
    }, named{};
    return ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace

std::chrono::milliseconds PassLock::Wait() {
    const char* text = std::getenv("TOLVANE_LOCK_WAIT_MS");
    if (text == nullptr || *text == '\0')
        return kDefaultWait;
    const char* end = text + std::strlen(text);
    long long ms = 0;
    const auto [at, ec] = std::from_chars(text, end, ms);
    if (ec != std::errc() || at != end || ms < 0 || ms > kLongestWait.count())
        return kDefaultWait;
    return std::chrono::milliseconds(ms);
}

PassLock::PassLock(const std::filesystem::path& journalFolder, std::chrono::milliseconds wait) {
    const std::filesystem::path file = journalFolder / kFileName;
    auto fail = [&](int error) {
        state_ = State::Failed;
        error_ = L"the lock file " + ToWide(file.string()) + L" could not be made or locked (" +
                 ErrorText(error) + L")";
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    };
    if (!Journal::MakeFolder(journalFolder)) {
        fail(errno);
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (fd_ < 0) {
            // Close-on-exec: a program the window starts must not keep the lock alive.
            fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (fd_ < 0) {
                fail(errno);
                return;
            }
        }
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            if (StillAt(fd_, file)) {
                state_ = State::Held;
                return;
            }
            // Removed by hand while another held it: lock the file that is there now.
            ::close(fd_);
            fd_ = -1;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK) {
            fail(errno);
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            ::close(fd_);
            fd_ = -1;
            state_ = State::Busy;
            error_ = L"another rename or undo of Tolvane is running (it holds " +
                     ToWide(file.string()) + L")";
            return;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kRetry, deadline - now));
    }
}

PassLock::~PassLock() {
    // Closing the only descriptor of the file lets the lock go.
    if (fd_ >= 0)
        ::close(fd_);
}

}  // namespace tolvane
