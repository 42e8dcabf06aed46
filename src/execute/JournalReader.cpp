#include "JournalReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>

#include "JournalFormat.h"
#include "engine/TextConvert.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

// Reads a whole journal file, refusing what cannot be one.
bool ReadBytes(const fs::path& file, std::string& bytes, std::wstring& error) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = ErrorText(errno);
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok) {
        error = ErrorText(errno);
    } else if (!S_ISREG(st.st_mode)) {
        error = L"not a regular file";
        ok = false;
    } else if (static_cast<std::uint64_t>(st.st_size) > journal::kMaxBytes) {
        error = L"it is " + std::to_wstring(st.st_size) + L" bytes long, more than any pass writes";
        ok = false;
    }
    if (ok) {
        bytes.resize(static_cast<size_t>(st.st_size));
        size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<size_t>(n);
        }
        bytes.resize(got);
    }
    ::close(fd);
    return ok;
}

// The tab-separated fields of a line; false when there are not exactly `count`.
template <size_t N>
bool SplitFields(std::string_view line, size_t count, std::array<std::string_view, N>& fields) {
    size_t n = 0;
    for (size_t start = 0;;) {
        const size_t tab = line.find('\t', start);
        if (n == N)
            return false;
        fields[n++] = line.substr(start, tab == std::string_view::npos ? tab : tab - start);
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    return n == count;
}

class Parser {
  public:
    explicit Parser(PassRecord& pass) : pass_(pass) {}

    // Reads one complete line; false with `error_` set when it is refused.
    bool Line(std::string_view line) {
        if (line.size() > journal::kMaxLineBytes)
            return Refuse(L"the line is too long");
        if (line.find('\0') != std::string_view::npos) {
            // Room mapped for the lines of a pass that a crash cut short reads as zero
            // bytes; after the plan it holds nothing undo needs. In the plan it does not
            // belong.
            return state_ == State::Steps || Refuse(L"the line holds a NUL byte");
        }
        std::array<std::string_view, 2> f;
        const std::string_view kind = line.substr(0, line.find('\t'));
        switch (state_) {
            case State::Header:
                if (line != journal::kHeader) {
                    return Refuse(line.starts_with("tolvane-journal ")
                                      ? L"unknown journal version " + ToWide(line.substr(16))
                                      : std::wstring(L"not a journal of rename passes"));
                }
                state_ = State::Started;
                return true;
            case State::Started: {
                const auto nanoseconds = SplitFields(line, 2, f) && kind == "started"
                                             ? journal::ReadNumber(f[1])
                                             : std::nullopt;
                if (!nanoseconds || *nanoseconds > std::uint64_t{INT64_MAX})
                    return Refuse(L"expected the time the pass started");
                pass_.started = static_cast<std::int64_t>(*nanoseconds);
                state_ = State::Plan;
                return true;
            }
            case State::Plan:
                if (kind == "folder")
                    return Folder(line);
                if (kind == "plan")
                    return Plan(line);
                if (pass_.moves.empty())
                    return Refuse(L"expected a folder or a planned move");
                state_ = State::Steps;
                return Step(line);
            case State::Steps: return Step(line);
        }
        return false;
    }

    bool Finish() {
        if (pass_.moves.empty())
            return Refuse(L"the journal holds no planned move");
        // A pass that ended said what became of every move it tried.
        if (pass_.ended) {
            for (StepClaim& claim : pass_.claims) {
                if (claim == StepClaim::Unknown)
                    claim = StepClaim::NotMade;
            }
        }
        return true;
    }

    void NextLine() { ++lineNumber_; }
    const std::wstring& Error() const { return error_; }

  private:
    enum class State { Header, Started, Plan, Steps };

    bool Refuse(const std::wstring& why) {
        error_ = L"line " + std::to_wstring(lineNumber_) + L": " + why;
        return false;
    }

    bool Folder(std::string_view line) {
        std::array<std::string_view, 2> f;
        if (!SplitFields(line, 2, f))
            return Refuse(L"malformed folder line");
        folder_ = UnescapeLine(f[1]);
        if (!journal::IsCleanFolder(folder_))
            return Refuse(L"the folder is not an absolute path of plain names");
        return true;
    }

    bool Plan(std::string_view line) {
        std::array<std::string_view, 6> f;
        if (!SplitFields(line, 6, f))
            return Refuse(L"malformed plan line");
        if (folder_.empty())
            return Refuse(L"a planned move comes before any folder line");
        const auto number = journal::ReadNumber(f[1]);
        if (!number || *number != pass_.moves.size() + 1)
            return Refuse(L"planned moves are not numbered 1, 2, 3, ... in order");
        const std::string from = UnescapeLine(f[2]), to = UnescapeLine(f[3]);
        if (!journal::IsPlainName(from) || !journal::IsPlainName(to))
            return Refuse(L"a name is empty, \".\" or \"..\", or holds '/' or NUL");
        const auto device = journal::ReadNumber(f[4]), inode = journal::ReadNumber(f[5]);
        if (!device || !inode)
            return Refuse(L"malformed file identity");
        pass_.moves.push_back(
            {journal::JoinPath(folder_, from), journal::JoinPath(folder_, to), {*device, *inode}});
        pass_.claims.push_back(StepClaim::Unknown);
        outcome_.push_back(false);
        return true;
    }

    bool Step(std::string_view line) {
        std::array<std::string_view, 3> f;
        const size_t fields = static_cast<size_t>(std::count(line.begin(), line.end(), '\t')) + 1;
        const std::string_view kind = line.substr(0, line.find('\t'));
        if (kind == "end" || kind == "reverted") {
            if (fields != 1)
                return Refuse(L"malformed line");
            (kind == "end" ? pass_.ended : pass_.reverted) = true;
            return true;
        }
        if (kind != "done" && kind != "fail" && kind != "via" && kind != "undone" &&
            kind != "gone" && kind != "settled")
            return Refuse(L"unknown line");
        if (!SplitFields(line, fields, f) || fields == 1)
            return Refuse(L"malformed line");
        const auto number = journal::ReadNumber(f[1]);
        if (!number || *number == 0 || *number > pass_.moves.size())
            return Refuse(L"malformed or unknown move number");
        const size_t step = *number - 1;
        if (kind == "done" || kind == "fail") {
            if (fields != (kind == "done" ? 2u : 3u))
                return Refuse(L"malformed line");
            if (outcome_[step])
                return Refuse(L"a second outcome for move " + std::to_wstring(*number));
            outcome_[step] = true;
            pass_.claims[step] = kind == "done" ? StepClaim::Made : StepClaim::NotMade;
            return true;
        }
        if (kind == "undone" || kind == "gone") {
            if (fields != 2)
                return Refuse(L"malformed line");
            pass_.claims[step] = StepClaim::NotMade;
            return true;
        }
        if (fields != 3)
            return Refuse(L"malformed line");
        if (kind == "settled") {
            const auto nanoseconds = journal::ReadNumber(f[2]);
            if (!nanoseconds || *nanoseconds > std::uint64_t{INT64_MAX})
                return Refuse(L"malformed time");
            pass_.settled[step] = static_cast<std::int64_t>(*nanoseconds);
            return true;
        }
        {
            const std::string name = UnescapeLine(f[2]);
            if (!journal::IsPlainName(name))
                return Refuse(L"a temporary name is not a plain name");
            if (pass_.via.count(step) != 0)
                return Refuse(L"a second temporary name for move " + std::to_wstring(*number));
            pass_.via[step] =
                journal::JoinPath(journal::SplitAtLastSlash(pass_.moves[step].from)->folder, name);
            return true;
        }
    }

    PassRecord& pass_;
    State state_ = State::Header;
    std::string folder_;
    std::vector<bool> outcome_;  // by step: a done or fail line was read
    size_t lineNumber_ = 1;
    std::wstring error_;
};

// Whether a file may still be away from its name: a move made or perhaps made, or
// one that failed half-way and left its file under a temporary name.
bool MayHaveMovedFiles(const PassRecord& pass, FileSystem& fs) {
    for (const StepClaim claim : pass.claims) {
        if (claim != StepClaim::NotMade)
            return true;
    }
    for (const auto& [step, temporary] : pass.via) {
        FileId id;
        if (fs.Identify(temporary, id) == 0 && id == pass.moves[step].id)
            return true;
    }
    return false;
}

}  // namespace

JournalRead ReadJournalPass(const fs::path& file) {
    JournalRead read;
    read.pass.journal = file;
    std::wstring why;
    std::string bytes;
    if (!ReadBytes(file, bytes, why)) {
        read.error = ToWide(file.string()) + L": " + why;
        return read;
    }
    Parser parser(read.pass);
    // Only complete lines count: a line without its line feed was cut short.
    size_t start = 0;
    for (size_t end = bytes.find('\n'); end != std::string::npos;
         start = end + 1, end = bytes.find('\n', start), parser.NextLine()) {
        if (!parser.Line(std::string_view(bytes).substr(start, end - start)))
            break;
    }
    if (parser.Error().empty())
        parser.Finish();
    if (!parser.Error().empty()) {
        read.error = ToWide(file.string()) + L", " + parser.Error();
        read.pass = PassRecord{};
        read.pass.journal = file;
    }
    return read;
}

UndoablePass LatestUndoablePass(const fs::path& folder, FileSystem& fs) {
    const std::vector<journal::PassFile> files = journal::PassFiles(folder);
    for (auto it = files.rbegin(); it != files.rend(); ++it) {
        JournalRead read = ReadJournalPass(it->path);
        if (!read.error.empty())
            return {std::nullopt, read.error};
        read.pass.sequence = it->sequence;
        if (!read.pass.reverted && MayHaveMovedFiles(read.pass, fs))
            return {std::move(read.pass), {}};
    }
    return {};
}

}  // namespace tolvane
