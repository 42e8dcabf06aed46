#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "PassRecord.h"

namespace tolvane {

// What the passes since start-up or the last undo did, for undo and refresh: each
// pass's record (its planned moves with the identities of their files, which of them
// were made, temporary names included, so that reverting in reverse order restores
// every name), and the renames of the rows.
struct UndoRecord {
    struct Pass {
        PassRecord record;
        // The rows' renames that succeeded: the first and last step of each (the same
        // step unless the rename went through a temporary name).
        std::vector<std::pair<size_t, size_t>> renames;
    };
    std::vector<Pass> passes;

    bool Empty() const { return passes.empty(); }
    void Clear() { passes.clear(); }
};

}  // namespace tolvane
