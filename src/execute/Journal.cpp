#include "Journal.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>

#include "JournalFormat.h"
#include "engine/TextConvert.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

// A file-size limit (ulimit -f) would end the program with SIGXFSZ at the first line
// past it, between two renames and without a word. While a journal is open the signal
// is ignored, so that the write fails instead and the pass stops in order.
class FileSizeSignal {
  public:
    static void Hold() {
        if (holders_++ == 0) {
            struct sigaction ignore {};
            ignore.sa_handler = SIG_IGN;
            sigemptyset(&ignore.sa_mask);
            sigaction(SIGXFSZ, &ignore, &previous_);
        }
    }
    static void Release() {
        if (--holders_ == 0)
            sigaction(SIGXFSZ, &previous_, nullptr);
    }

  private:
    static inline int holders_ = 0;
    static inline struct sigaction previous_ {};
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

void AppendNumber(std::string& text, std::uint64_t value) {
    char digits[24];
    text.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

// A name or folder for a line: most need no escape and go in whole.
void AppendField(std::string& text, std::string_view bytes) {
    if (bytes.find_first_of("\\\t\n") == std::string_view::npos)
        text += bytes;
    else
        AppendEscaped(text, bytes);
}

// A new, empty pass file numbered after every pass there; -1 when none can be made.
int CreatePassFile(const fs::path& folder, fs::path& file, std::uint64_t& sequence) {
    const std::vector<journal::PassFile> files = journal::PassFiles(folder);
    constexpr int kAttempts = 100;
    // A number placed by hand near the largest leaves no number after it that sorts
    // last: no pass, rather than one that an undo would not find as the newest.
    if (!files.empty() &&
        files.back().sequence >= std::numeric_limits<std::uint64_t>::max() - kAttempts) {
        errno = EOVERFLOW;
        return -1;
    }
    sequence = files.empty() ? 1 : files.back().sequence + 1;
    // Another pass may take a number at the same time: then the next one.
    for (int attempt = 0; attempt < kAttempts; ++attempt, ++sequence) {
        file = folder / journal::PassFileName(sequence);
        const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

void DropOldPasses(const fs::path& folder) {
    const std::vector<journal::PassFile> files = journal::PassFiles(folder);
    std::error_code ec;
    for (size_t i = 0; i + Journal::kPassesKept < files.size(); ++i)
        fs::remove(files[i].path, ec);
}

// The plan lines of `planned`, handed to `flush` in pieces of about a megabyte;
// false when a move leaves its folder or holds a name no folder can.
template <class Flush>
bool WritePlan(const std::vector<Move>& planned, std::int64_t started, Flush&& flush) {
    constexpr size_t kPiece = 1 << 20;
    std::string text;
    text.reserve(kPiece + 2 * journal::kMaxLineBytes);
    text += journal::kHeader;
    text += "\nstarted\t";
    AppendNumber(text, static_cast<std::uint64_t>(std::max<std::int64_t>(started, 0)));
    text += '\n';
    std::string_view folderOfLines;
    for (size_t step = 0; step < planned.size(); ++step) {
        const Move& move = planned[step];
        const auto from = journal::SplitAtLastSlash(move.from);
        const auto to = journal::SplitAtLastSlash(move.to);
        if (!from || !to || from->folder != to->folder || !journal::IsPlainName(from->name) ||
            !journal::IsPlainName(to->name)) {
            return false;
        }
        if (from->folder != folderOfLines) {
            if (!journal::IsCleanFolder(from->folder))
                return false;
            text += "folder\t";
            AppendField(text, from->folder);
            text += '\n';
            folderOfLines = from->folder;
        }
        text += "plan\t";
        AppendNumber(text, step + 1);
        text += '\t';
        AppendField(text, from->name);
        text += '\t';
        AppendField(text, to->name);
        text += '\t';
        AppendNumber(text, move.id.device);
        text += '\t';
        AppendNumber(text, move.id.inode);
        text += '\n';
        if (text.size() > kPiece) {
            if (!flush(text))
                return false;
            text.clear();
        }
    }
    return flush(text);
}

// The offset after the last line feed of the file: what follows is room mapped for
// lines a crash kept from being written, or a line it cut short.
off_t EndOfLastLine(int fd, off_t size) {
    char buffer[1 << 16];
    for (off_t end = size; end > 0;) {
        const off_t start = std::max<off_t>(0, end - static_cast<off_t>(sizeof buffer));
        const ssize_t n = ::pread(fd, buffer, static_cast<size_t>(end - start), start);
        if (n != end - start)
            return -1;
        if (const void* nl = ::memrchr(buffer, '\n', static_cast<size_t>(n)))
            return start + (static_cast<const char*>(nl) - buffer) + 1;
        end = start;
    }
    return 0;
}

}  // namespace

bool Journal::MakeFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder.parent_path(), ec);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    // A folder made by an older version may be open to others.
    if ((st.st_mode & 0077) != 0 && st.st_uid == ::geteuid())
        ::chmod(folder.c_str(), 0700);
    return true;
}

fs::path Journal::DefaultFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/')
        return fs::path(state) / "tolvane";
    const char* home = std::getenv("HOME");
    return fs::path(home != nullptr && *home != '\0' ? home : "/tmp") / ".local" / "state" /
           "tolvane";
}

Journal::Journal(fs::path file, int fd) : file_(std::move(file)), fd_(fd) {
    FileSizeSignal::Hold();
}

Journal::~Journal() {
    Unmap();
    if (fd_ >= 0)
        ::close(fd_);
    FileSizeSignal::Release();
}

void Journal::MapRoom(size_t lines) {
    const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t room = std::max<size_t>(lines * 24, 1 << 16);
    // Only room whose blocks are allocated is mapped: a write into it cannot fail
    // later for want of space. Otherwise lines go through write(2).
    if (::fallocate(fd_, 0, static_cast<off_t>(end_), static_cast<off_t>(room)) != 0)
        return;
    mapOffset_ = end_ / page * page;
    const size_t length = end_ + room - mapOffset_;
    void* map = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd_,
                       static_cast<off_t>(mapOffset_));
    if (map == MAP_FAILED) {
        if (::ftruncate(fd_, static_cast<off_t>(end_)) != 0) {
            lastError_ = errno;
            ok_ = false;
        }
        return;
    }
    map_ = static_cast<char*>(map);
    mapLength_ = length;
}

void Journal::Unmap() {
    if (map_ == nullptr)
        return;
    ::munmap(map_, mapLength_);
    map_ = nullptr;
    // The room not used goes; appends continue at the real end.
    if (::ftruncate(fd_, static_cast<off_t>(end_)) != 0) {
        lastError_ = errno;
        ok_ = false;
    }
}

std::unique_ptr<Journal> Journal::BeginPass(const fs::path& folder,
                                            const std::vector<Move>& planned, std::wstring* error) {
    auto fail = [&](int code) {
        if (error)
            *error = ErrorText(code);
        return nullptr;
    };
    if (!MakeFolder(folder))
        return fail(errno);
    fs::path file;
    std::uint64_t sequence = 0;
    const int fd = CreatePassFile(folder, file, sequence);
    if (fd < 0)
        return fail(errno);
    std::unique_ptr<Journal> journal(new Journal(file, fd));
    journal->sequence_ = sequence;
    // A file made after this instant has a later birth time, whatever inode number it
    // was given; every file the pass moves was made before. (A file system may stamp
    // by a coarser clock: a file made in the same tick may then look older.)
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    journal->started_ = static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;

    // The plan reaches the disk, and the file its folder, before anything is renamed.
    int code = EINVAL;  // unless a write fails: a move that no journal line can hold
    bool written = WritePlan(planned, journal->started_, [&](const std::string& text) {
        if (WriteAll(fd, text))
            return true;
        code = errno;
        return false;
    });
    if (written && ::fsync(fd) != 0) {
        code = errno;
        written = false;
    }
    if (!written) {
        journal.reset();
        std::error_code ec;
        fs::remove(file, ec);
        return fail(code);
    }
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    journal->end_ = static_cast<size_t>(::lseek(fd, 0, SEEK_END));
    journal->MapRoom(planned.size() + 1);
    DropOldPasses(folder);
    return journal;
}

std::unique_ptr<Journal> Journal::Reopen(const fs::path& file, std::wstring* error) {
    auto fail = [&](int code) {
        if (error)
            *error = ErrorText(code);
        return nullptr;
    };
    const int fd = ::open(file.c_str(), O_RDWR | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return fail(errno);
    std::unique_ptr<Journal> journal(new Journal(file, fd));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return fail(EINVAL);
    // Whatever follows the last complete line goes, so that what is appended starts a
    // line of its own.
    const off_t end = EndOfLastLine(fd, st.st_size);
    if (end < 0)
        return fail(EIO);
    if (end < st.st_size && ::ftruncate(fd, end) != 0)
        return fail(errno);
    journal->end_ = static_cast<size_t>(end);
    return journal;
}

bool Journal::Append(std::string_view line) {
    if (!ok_)
        return false;
    if (map_ != nullptr && end_ + line.size() <= mapOffset_ + mapLength_) {
        std::memcpy(map_ + (end_ - mapOffset_), line.data(), line.size());
        end_ += line.size();
        return true;
    }
    Unmap();
    if (ok_ && !WriteAll(fd_, line)) {
        lastError_ = errno;
        ok_ = false;
        // Half a line must not stay: the reader drops a line without its end, but a
        // later line would complete it.
        if (::ftruncate(fd_, static_cast<off_t>(end_)) != 0)
            lastError_ = errno;
    }
    if (ok_)
        end_ += line.size();
    return ok_;
}

bool Journal::AppendStep(std::string_view kind, size_t step, std::string_view text) {
    // No allocation for the plain lines: one runs per move.
    char buffer[48];
    char* p = std::copy(kind.begin(), kind.end(), buffer);
    *p++ = '\t';
    p = std::to_chars(p, buffer + sizeof buffer - 1, step + 1).ptr;
    if (text.empty()) {
        *p++ = '\n';
        return Append({buffer, static_cast<size_t>(p - buffer)});
    }
    std::string line(buffer, p);
    line += '\t';
    AppendEscaped(line, text);
    line += '\n';
    return Append(line);
}

bool Journal::Done(size_t step) {
    return AppendStep("done", step);
}

void Journal::Failed(size_t step, const std::wstring& reason) {
    AppendStep("fail", step, reason.empty() ? "failed" : ToNarrow(reason));
}

void Journal::Undone(size_t step) {
    AppendStep("undone", step);
}

void Journal::Gone(size_t step) {
    AppendStep("gone", step);
}

void Journal::Settled(size_t step, std::int64_t nanoseconds) {
    std::string number;
    AppendNumber(number, static_cast<std::uint64_t>(std::max<std::int64_t>(nanoseconds, 0)));
    AppendStep("settled", step, number);
}

void Journal::Via(size_t step, const std::string& temporaryPath) {
    const auto split = journal::SplitAtLastSlash(temporaryPath);
    AppendStep("via", step, split ? split->name : std::string_view(temporaryPath));
}

void Journal::EndPass() {
    // No flush to disk here: the plan was flushed before the first move, and a flush
    // now would wait for the file system to commit every rename of the pass.
    Append("end\n");
    Unmap();
}

bool Journal::MarkReverted(std::wstring* error) {
    if (Append("reverted\n") && ::fsync(fd_) == 0)
        return true;
    if (ok_)
        lastError_ = errno;
    if (error)
        *error = ErrorText(lastError_ != 0 ? lastError_ : EIO);
    return false;
}

}  // namespace tolvane
