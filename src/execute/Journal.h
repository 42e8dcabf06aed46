#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// One move on disk, paths as bytes.
struct Move {
    std::string from;
    std::string to;
    bool operator==(const Move&) const = default;
};

// The record of rename passes on disk, one small text file per pass in
// $XDG_STATE_HOME/tolvane/ (default ~/.local/state/tolvane/). Before the first
// rename of a pass its planned moves are written and flushed to disk; every move is
// appended as it completes, so after a crash the file tells which moves were made.
// Undo appends what it reverted. The newest 20 passes are kept.
//
// Lines (paths escaped as in tolvane-cli's output):
//   folder <TAB> path                  the folder of the plan lines that follow
//   plan <TAB> N <TAB> from <TAB> to   planned move N (1, 2, ...), in order: two names in
//                                      that folder (or two whole paths, starting with '/')
//   done <TAB> N                       move N was made
//   fail <TAB> N <TAB> reason          move N failed
//   end                                the pass is over
//   via <TAB> N <TAB> temporary        move N goes through this temporary name
//   undone <TAB> N                     move N was reverted
//   gone <TAB> N                       move N cannot be reverted: its file is gone
//   reverted                           the pass was undone
class Journal {
  public:
    static constexpr size_t kPassesKept = 20;

    // The journal folder of this user.
    static std::filesystem::path DefaultFolder();

    // Starts the record of a pass; none when the folder or file cannot be written.
    static std::unique_ptr<Journal> BeginPass(const std::filesystem::path& folder,
                                              const std::vector<Move>& planned);
    // Continues the record of an earlier pass (to append what an undo did).
    static std::unique_ptr<Journal> Reopen(const std::filesystem::path& file);

    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    const std::filesystem::path& File() const { return file_; }

    // `step` is the index of the move in the plan. Done is false when the line could
    // not be written; from then on the journal writes nothing more.
    bool Done(size_t step);
    void Failed(size_t step, const std::wstring& reason);
    void Undone(size_t step);
    // Move N could not be reverted because its file is gone: nothing to try again.
    void Gone(size_t step);
    // Move N goes through a temporary name first (a change of letter case only).
    void Via(size_t step, const std::string& temporary);
    // Ends the pass.
    void EndPass();
    // Notes that the pass was undone, and flushes the file to disk.
    void MarkReverted();

  private:
    Journal(std::filesystem::path file, int fd);
    bool Append(std::string_view line);
    // Maps room for about `lines` more lines at the end of the file.
    void MapRoom(size_t lines);
    // Gives back what is mapped and cuts the file after its last line.
    void Unmap();

    std::filesystem::path file_;
    int fd_ = -1;
    // During a pass, lines go into a shared mapping of the file's end: no system call
    // per move, and what is written survives a crash of the program.
    char* map_ = nullptr;
    size_t mapLength_ = 0;
    size_t mapOffset_ = 0;  // file offset of map_[0]
    size_t end_ = 0;        // file offset after the last line written
    bool ok_ = true;        // false once a line could not be written
};

// What a journal file says of its pass.
struct JournalPass {
    std::filesystem::path file;
    std::vector<Move> planned;
    std::vector<size_t> done;  // steps made and not yet reverted, in the order made
    bool ended = false;
    bool reverted = false;
};

JournalPass ReadJournalPass(const std::filesystem::path& file);

// The newest pass that made moves and was not undone; none when there is no such pass.
std::optional<JournalPass> LatestUndoablePass(const std::filesystem::path& folder);

}  // namespace tolvane
