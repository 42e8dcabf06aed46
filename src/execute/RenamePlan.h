#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "FileSystem.h"

namespace tolvane {

// One rename a pass wants: row `row` from `from` to `to` (paths as bytes, in one
// folder), of the file with identity `id`.
struct WantedRename {
    size_t row = 0;
    std::string from;
    std::string to;
    FileId id;
};

// One move on disk, in the order of the plan.
struct PlanStep {
    enum class Kind {
        Direct,         // from -> to of its rename
        ToTemporary,    // opens a cycle: the rename's source goes to a temporary name
        FromTemporary,  // closes the cycle: the temporary name goes to the rename's target
    };
    Kind kind = Kind::Direct;
    size_t rename = 0;                       // index into RenamePlan::renames
    size_t cycle = static_cast<size_t>(-1);  // the cycle it belongs to, or -1
};

// The order in which a batch can be renamed without any rename meeting a target that
// another rename of the batch is still to move away: shifting a numbered series up,
// swapping two names and longer cycles all succeed. Cycles go through a temporary
// name. Two renames to one target, or two of one source, are refused: the first in
// row order is kept. Deeper paths go before shallower ones: a folder is renamed only
// after everything inside it that the batch renames, so that every path of the plan
// still names the item its row shows when its turn comes.
struct RenamePlan {
    std::vector<WantedRename> renames;  // the accepted ones
    struct Refusal {
        size_t row;
        std::wstring reason;
    };
    std::vector<Refusal> refused;
    // For each rename, the rename whose source is its target (it must wait for that
    // one), or -1.
    std::vector<size_t> waitsFor;
    std::vector<PlanStep> steps;
    size_t cycleCount = 0;
};

RenamePlan PlanRenames(std::vector<WantedRename> wanted);

}  // namespace tolvane
