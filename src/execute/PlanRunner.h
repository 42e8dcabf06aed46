#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "FileSystem.h"
#include "Journal.h"
#include "RenamePlan.h"

namespace tolvane {

// Carries out a plan whose moves are known (temporary names included): the moves in
// order, the journal line of each, the outcome of every rename, and what the pass
// did for its undo.
class PlanRunner {
  public:
    enum class State { Pending, Done, Failed };

    PlanRunner(const RenamePlan& plan, const std::vector<Move>& moves, FileSystem& fs,
               Journal* journal);

    void Run();
    // Fails every rename without touching the disk.
    void RefuseAll(const std::wstring& reason);

    State StateOf(size_t rename) const { return state_[rename]; }
    const std::wstring& ReasonOf(size_t rename) const { return reasons_[rename]; }
    // By step: whether its move is made (and not taken back).
    const std::vector<StepClaim>& Claims() const { return claims_; }
    // The temporary names of steps that went through one of their own.
    std::unordered_map<size_t, std::string>& Via() { return via_; }
    std::unordered_map<size_t, std::int64_t>& Settled() { return settled_; }
    // Whether a file is away from its name: a move made, or one that failed half-way
    // and left its file under a temporary name.
    bool MovedAny() const;

  private:
    int Make(size_t s);
    bool BlockedByFailure(size_t rename);
    void Fail(size_t rename, std::wstring reason);
    void RunDirect(size_t s);
    std::wstring ReasonOf(size_t s, int rc) const;
    void RunCycle(size_t first, size_t last);
    void NoteFolderClock(size_t s);

    const RenamePlan& plan_;
    const std::vector<Move>& moves_;
    FileSystem& fs_;
    Journal* journal_;
    std::vector<State> state_;
    std::vector<std::wstring> reasons_;
    std::vector<StepClaim> claims_;
    std::unordered_map<size_t, std::string> via_;
    std::unordered_map<size_t, std::int64_t> settled_;  // see NoteFolderClock
    std::unordered_set<std::string_view> clockedFolders_;
    std::unordered_map<size_t, std::string> leftBehind_;
    bool journalBroken_ = false;
};

}  // namespace tolvane
