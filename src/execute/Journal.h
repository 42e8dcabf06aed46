#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "PassRecord.h"

namespace tolvane {

// The record of rename passes on disk, one small text file per pass in
// $XDG_STATE_HOME/tolvane/ (default ~/.local/state/tolvane/, a folder only its owner
// may enter), named after the pass's sequence number: "pass-000000000042.journal".
// Passes are ordered by that number, never by a clock. Before the first rename of a
// pass its planned moves, with the identity of every file they move, are written and
// flushed to disk; every move is noted as it completes. Undo appends what it
// reverted. The newest 20 passes are kept.
//
// Lines (names escaped as in tolvane-cli's output: \\, \t, \n):
//   tolvane-journal 2                   the format
//   started <TAB> nanoseconds          when the pass began (since 1970, UTC)
//   folder <TAB> path                  the absolute folder of the plan lines that follow
//   plan <TAB> N <TAB> from <TAB> to <TAB> device <TAB> inode
//                                      planned move N (1, 2, ...) between two names of
//                                      that folder, of the file with that identity
//   via <TAB> N <TAB> name             move N goes through this temporary name first
//   done <TAB> N                       move N was made
//   settled <TAB> N <TAB> nanoseconds  the last change of move N's folder just after
//                                      it, by the clock of its file system
//   fail <TAB> N <TAB> reason          move N failed
//   end                                the pass is over
//   undone <TAB> N                     move N was reverted
//   gone <TAB> N                       move N cannot be reverted: its file is gone
//   reverted                           the pass was undone
class Journal {
  public:
    static constexpr size_t kPassesKept = 20;

    // The journal folder of this user.
    static std::filesystem::path DefaultFolder();
    // Makes the journal folder, which only its owner may enter; false (errno set) when
    // it cannot be made.
    static bool MakeFolder(const std::filesystem::path& folder);

    // Starts the record of a pass whose moves each stay in one folder; none (and the
    // reason in `error`) when the folder or file cannot be written.
    static std::unique_ptr<Journal> BeginPass(const std::filesystem::path& folder,
                                              const std::vector<Move>& planned,
                                              std::wstring* error = nullptr);
    // Continues the record of an earlier pass (to append what an undo did).
    static std::unique_ptr<Journal> Reopen(const std::filesystem::path& file,
                                           std::wstring* error = nullptr);

    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    const std::filesystem::path& File() const { return file_; }
    std::uint64_t Sequence() const { return sequence_; }
    std::int64_t Started() const { return started_; }
    // False once a line could not be written; from then on the journal writes nothing.
    bool Ok() const { return ok_; }

    // `step` is the index of the move in the plan. Done is false when the line could
    // not be written.
    bool Done(size_t step);
    void Failed(size_t step, const std::wstring& reason);
    void Undone(size_t step);
    // Move N could not be reverted because its file is gone: nothing to try again.
    void Gone(size_t step);
    // Move N goes through a temporary name first (a change of letter case only).
    void Via(size_t step, const std::string& temporaryPath);
    // Just after move N its folder was last changed at `nanoseconds` since 1970, by the
    // clock of its file system: every file of that folder the pass moves was made by
    // then by that clock, which on a network share is the server's.
    void Settled(size_t step, std::int64_t nanoseconds);
    // Ends the pass.
    void EndPass();
    // Notes that the pass was undone and flushes the file to disk; false (with the
    // reason in `error`) when that could not be written.
    bool MarkReverted(std::wstring* error = nullptr);

  private:
    Journal(std::filesystem::path file, int fd);
    bool Append(std::string_view line);
    bool AppendStep(std::string_view kind, size_t step, std::string_view text = {});
    // Maps room for about `lines` more lines at the end of the file.
    void MapRoom(size_t lines);
    // Gives back what is mapped and cuts the file after its last line.
    void Unmap();

    std::filesystem::path file_;
    int fd_ = -1;
    std::uint64_t sequence_ = 0;
    std::int64_t started_ = 0;
    // During a pass, lines go into a shared mapping of the file's end: no system call
    // per move, and what is written survives a crash of the program.
    char* map_ = nullptr;
    size_t mapLength_ = 0;
    size_t mapOffset_ = 0;  // file offset of map_[0]
    size_t end_ = 0;        // file offset after the last line written
    bool ok_ = true;
    int lastError_ = 0;  // of the last write that failed
};

}  // namespace tolvane
