#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "Journal.h"

namespace tolvane {

// What the passes since start-up or the last undo did, for undo and refresh: the
// moves made on disk, pass by pass in the order made (temporary steps of a cycle
// included, so that reverting them in reverse order restores every name), and the
// renames of the rows, old full path to new full path.
struct UndoRecord {
    struct Pass {
        std::filesystem::path journal;  // empty when the pass had no journal
        std::vector<Move> moves;        // the pass's planned moves; moves[i] is journal step i
        std::vector<size_t> made;       // the steps made, in the order made
        // The rows' renames that succeeded: the first and last step of each (the same
        // step unless the rename went through a temporary name).
        std::vector<std::pair<size_t, size_t>> renames;
    };
    std::vector<Pass> passes;

    bool Empty() const { return passes.empty(); }
    void Clear() { passes.clear(); }
};

}  // namespace tolvane
