#include "Journal.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/StringOps.h"
#include "engine/TextConvert.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeader = "tolvane-journal 1\n";
constexpr std::string_view kExtension = ".journal";

// "kind <TAB> N\n" into `buffer`, without allocating: this runs once per move.
std::string_view StepLine(char (&buffer)[48], std::string_view kind, size_t step) {
    char* p = std::copy(kind.begin(), kind.end(), buffer);
    *p++ = '\t';
    p = std::to_chars(p, buffer + sizeof buffer - 1, step + 1).ptr;
    *p++ = '\n';
    return {buffer, static_cast<size_t>(p - buffer)};
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Pass files sort by the time they were made.
std::vector<fs::path> PassFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const fs::path& path = it->path();
        if (path.filename().string().starts_with("pass-") && path.extension() == kExtension)
            files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    return files;
}

void DropOldPasses(const fs::path& folder) {
    std::vector<fs::path> files = PassFiles(folder);
    std::error_code ec;
    for (size_t i = 0; i + Journal::kPassesKept < files.size(); ++i)
        fs::remove(files[i], ec);
}

}  // namespace

fs::path Journal::DefaultFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/')
        return fs::path(state) / "tolvane";
    const char* home = std::getenv("HOME");
    return fs::path(home != nullptr && *home != '\0' ? home : "/tmp") / ".local" / "state" /
           "tolvane";
}

Journal::Journal(fs::path file, int fd) : file_(std::move(file)), fd_(fd) {}

Journal::~Journal() {
    Unmap();
    if (fd_ >= 0)
        ::close(fd_);
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
        if (::ftruncate(fd_, static_cast<off_t>(end_)) != 0)
            ok_ = false;
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
    if (::ftruncate(fd_, static_cast<off_t>(end_)) != 0)
        ok_ = false;
}

std::unique_ptr<Journal> Journal::BeginPass(const fs::path& folder,
                                            const std::vector<Move>& planned) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const long long nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    char name[96];
    std::snprintf(name, sizeof name, "pass-%020lld-%d", nanos, static_cast<int>(::getpid()));
    const fs::path file = folder / (std::string(name) + std::string(kExtension));
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    std::unique_ptr<Journal> journal(new Journal(file, fd));

    // Moves stay inside one folder: a "folder" line names it once, and the moves under
    // it name only the files. The text goes out in pieces, then to disk at once.
    std::string text(kHeader);
    std::string_view folderOfLines;
    bool written = true;
    for (size_t step = 0; step < planned.size() && written; ++step) {
        const Move& move = planned[step];
        const std::string_view from = move.from, to = move.to;
        const size_t cut = from.rfind('/');
        const std::string_view folder = from.substr(0, cut == std::string_view::npos ? 0 : cut + 1);
        const bool sameFolder = !folder.empty() && to.size() > folder.size() &&
                                to.substr(0, folder.size()) == folder &&
                                to.find('/', folder.size()) == std::string_view::npos;
        if (sameFolder && folder != folderOfLines) {
            text += "folder\t";
            text += EscapeForLine(folder.substr(0, folder.size() > 1 ? folder.size() - 1 : 1));
            text += '\n';
            folderOfLines = folder;
        }
        char number[24];
        text += "plan\t";
        text.append(number, std::to_chars(number, number + sizeof number, step + 1).ptr);
        text += '\t';
        // A name never holds '/', so a field that starts with one is a whole path.
        AppendEscaped(text, sameFolder ? from.substr(folder.size()) : from);
        text += '\t';
        AppendEscaped(text, sameFolder ? to.substr(folder.size()) : to);
        text += '\n';
        if (text.size() > (1u << 20)) {
            written = WriteAll(fd, text);
            text.clear();
        }
    }
    // The plan reaches the disk before anything is renamed.
    if (!written || !WriteAll(fd, text) || ::fsync(fd) != 0) {
        journal.reset();
        fs::remove(file, ec);
        return nullptr;
    }
    journal->end_ = static_cast<size_t>(::lseek(fd, 0, SEEK_END));
    journal->MapRoom(planned.size() + 1);
    DropOldPasses(folder);
    return journal;
}

std::unique_ptr<Journal> Journal::Reopen(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    std::unique_ptr<Journal> journal(new Journal(file, fd));
    // A pass that ended in a crash leaves unused room (zero bytes) behind its last
    // line: cut it, so that what follows starts a line of its own.
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t end = bytes.size();
    while (end > 0 && bytes[end - 1] == '\0')
        --end;
    if (end < bytes.size() && ::ftruncate(fd, static_cast<off_t>(end)) != 0)
        return nullptr;
    if (end > 0 && bytes[end - 1] != '\n')
        WriteAll(fd, "\n");
    journal->end_ = static_cast<size_t>(::lseek(fd, 0, SEEK_END));
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
    ok_ = ok_ && WriteAll(fd_, line);
    if (ok_)
        end_ += line.size();
    return ok_;
}

bool Journal::Done(size_t step) {
    char buffer[48];
    return Append(StepLine(buffer, "done", step));
}

void Journal::Failed(size_t step, const std::wstring& reason) {
    char buffer[48];
    std::string line(StepLine(buffer, "fail", step));
    line.pop_back();
    Append(line + '\t' + EscapeForLine(ToNarrow(reason)) + '\n');
}

void Journal::Undone(size_t step) {
    char buffer[48];
    Append(StepLine(buffer, "undone", step));
}

void Journal::Gone(size_t step) {
    char buffer[48];
    Append(StepLine(buffer, "gone", step));
}

void Journal::Via(size_t step, const std::string& temporary) {
    char buffer[48];
    std::string line(StepLine(buffer, "via", step));
    line.pop_back();
    Append(line + '\t' + EscapeForLine(temporary) + '\n');
}

void Journal::EndPass() {
    // No flush to disk here: the plan was flushed before the first move, and a flush
    // now would wait for the file system to commit every rename of the pass.
    Append("end\n");
    Unmap();
}

void Journal::MarkReverted() {
    Append("reverted\n");
    ::fsync(fd_);
}

JournalPass ReadJournalPass(const fs::path& file) {
    JournalPass pass;
    pass.file = file;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    std::string folder;  // of the plan lines that follow, with its trailing '/'
    while (std::getline(in, line)) {
        // Room mapped for a pass that a crash cut short reads as zero bytes.
        line.erase(0, line.find_first_not_of('\0') == std::string::npos
                          ? line.size()
                          : line.find_first_not_of('\0'));
        if (line.empty())
            continue;
        const std::vector<std::wstring> fields = SplitString(ToWide(line), L'\t');
        const std::wstring& kind = fields[0];
        if (kind == L"end")
            pass.ended = true;
        if (kind == L"reverted")
            pass.reverted = true;
        if (fields.size() < 2)
            continue;
        if (kind == L"folder") {
            folder = UnescapeLine(ToNarrow(fields[1]));
            if (folder != "/")
                folder += '/';
            continue;
        }
        const int number = ReadDecimalPrefix(fields[1]);
        if (kind == L"plan" && fields.size() >= 4 &&
            number == static_cast<int>(pass.planned.size()) + 1) {
            auto path = [&](const std::wstring& field) {
                std::string bytes = UnescapeLine(ToNarrow(field));
                return bytes.starts_with('/') ? bytes : folder + bytes;
            };
            pass.planned.push_back({path(fields[2]), path(fields[3])});
            continue;
        }
        if (number < 1 || static_cast<size_t>(number) > pass.planned.size())
            continue;
        const size_t step = static_cast<size_t>(number) - 1;
        if (kind == L"done") {
            pass.done.push_back(step);
        } else if (kind == L"undone" || kind == L"gone") {
            const auto it = std::find(pass.done.rbegin(), pass.done.rend(), step);
            if (it != pass.done.rend())
                pass.done.erase(std::next(it).base());
        }
    }
    return pass;
}

std::optional<JournalPass> LatestUndoablePass(const fs::path& folder) {
    const std::vector<fs::path> files = PassFiles(folder);
    for (auto it = files.rbegin(); it != files.rend(); ++it) {
        JournalPass pass = ReadJournalPass(*it);
        if (!pass.reverted && !pass.done.empty())
            return pass;
    }
    return std::nullopt;
}

}  // namespace tolvane
