#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "FileSystem.h"

namespace tolvane {

// One move on disk, paths as bytes, and the identity of the file it moves (taken
// before the pass moved anything).
struct Move {
    std::string from;
    std::string to;
    FileId id;
    bool operator==(const Move&) const = default;
};

// What the record of a pass says of one of its moves. Undo decides from the disk
// whether a move happened; the claim only says whether a move that cannot be found
// is worth a report.
enum class StepClaim : std::uint8_t {
    NotMade,  // failed, never tried, or already reverted
    Made,     // made and not reverted
    Unknown,  // the pass broke off (a crash) before it said
};

// One rename pass as undo needs it, whether read from its journal or kept in memory
// since it ran.
struct PassRecord {
    std::filesystem::path journal;  // its journal file; empty when it had none
    std::uint64_t sequence = 0;     // passes are ordered by this number
    std::int64_t started = 0;       // when it began, nanoseconds since 1970
    std::vector<Move> moves;        // moves[i] is step i, in the order planned
    std::vector<StepClaim> claims;  // by step
    // Steps that went through a temporary name of their own (a change of letter case
    // only): the temporary path, by step.
    std::unordered_map<size_t, std::string> via;
    // By step: the last change of the step's folder just after it, by the clock of its
    // file system (nanoseconds since 1970).
    std::unordered_map<size_t, std::int64_t> settled;
    bool ended = false;     // the pass ran to its end
    bool reverted = false;  // an undo took it back as far as it could
};

// The steps of each file: a file that steps aside to a temporary name and later goes
// on from there makes two steps. By step: the first step of its file.
std::vector<size_t> FirstStepOfEachFile(const std::vector<Move>& moves);

// By step: the latest birth time a file the step moves can have, by the clock of its
// own file system where the pass noted that clock for the step's folder, else by the
// computer's clock when the pass began. A file at one of the step's names born later
// is another file that was given the same inode number.
std::vector<std::int64_t> LatestBirths(const PassRecord& pass);

// How many files the steps claimed made have moved.
size_t FilesMoved(const PassRecord& pass);

}  // namespace tolvane
