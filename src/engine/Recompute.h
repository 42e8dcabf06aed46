#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Colours.h"
#include "ItemCounter.h"
#include "NewNamePipeline.h"

namespace tolvane {

// The two cells of a row that a computation reads.
struct NameRow {
    std::wstring_view name;
    std::wstring_view folder;
};

struct RecomputeResult {
    std::vector<std::wstring> newNames;  // one per row, in row order
    std::vector<ColourMark> marks;       // red where the new name differs, black elsewhere
};

// The column index of the new-name cells.
inline constexpr int kNewNameColumn = 2;

// Whether an option change from control `triggerId` recomputes the preview: not
// without rows, not while no insert radio is checked, and not for a change of the
// delete row while neither delete radio is checked.
bool ShouldRecompute(const RenameOptions& options, int triggerId, size_t rowCount);

// Computes every row in list order, checked or not, so the counter equals the row
// number. `keepGoing` (optional) is told each row index as it is done; when it
// answers false the computation stops, and the result holds the rows done so far.
RecomputeResult RecomputeAllNewNames(std::span<const NameRow> rows, const NewNamePipeline& pipeline,
                                     ItemCounter& counter,
                                     const std::function<bool(size_t)>& keepGoing = {});

}  // namespace tolvane
