#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <set>
#include <string>

#include "execute/FileSystem.h"

namespace tolvane::test {

// A file system with faults that cannot be caused for real at a chosen moment: the
// n-th rename call fails, or the process stops itself just before or just after the
// n-th rename call, for a parent to kill it there. Everything else goes to `real`.
class FaultyFileSystem final : public FileSystem {
  public:
    explicit FaultyFileSystem(FileSystem& real) : real_(real) {}

    std::set<int> failCalls;  // rename calls (1, 2, ...) that fail with `error`
    int error = EIO;
    int stopBefore = 0;  // rename call before which the process stops itself
    int stopAfter = 0;   // rename call after which it does

    int RenameNoReplace(const std::string& from, const std::string& to) override {
        const int call = ++calls_;
        if (call == stopBefore)
            raise(SIGSTOP);
        const int rc = failCalls.count(call) != 0 ? error : real_.RenameNoReplace(from, to);
        if (call == stopAfter)
            raise(SIGSTOP);
        return rc;
    }
    int RenameReplacing(const std::string& from, const std::string& to) override {
        return real_.RenameReplacing(from, to);
    }
    int Status(const std::string& path, FileId& id, std::int64_t& born) override {
        return real_.Status(path, id, born);
    }
    void IdentifyInFolder(const std::string& folder, const std::vector<std::string_view>& names,
                          std::vector<FileId>& ids, std::vector<int>& errors) override {
        real_.IdentifyInFolder(folder, names, ids, errors);
    }
    void BeginBatch() override { real_.BeginBatch(); }
    void EndBatch() override { real_.EndBatch(); }
    bool HasExactName(const std::string& path) override { return real_.HasExactName(path); }

    int Calls() const { return calls_; }

  private:
    FileSystem& real_;
    int calls_ = 0;
};

// Runs `pass` in a child process that stops itself around rename call `call` (after
// it when `after`), and kills it there with SIGKILL, as a crash or a power cut would
// end it. False when the child ended before it reached that call.
inline bool KillPassAt(const std::function<void(FileSystem&)>& pass, int call, bool after) {
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        PosixFileSystem posix;
        FaultyFileSystem faulty(posix);
        (after ? faulty.stopAfter : faulty.stopBefore) = call;
        pass(faulty);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, WUNTRACED);
    if (!WIFSTOPPED(status))
        return false;
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return true;
}

}  // namespace tolvane::test
