#include "Recompute.h"

#include "ControlTable.h"

namespace tolvane {

bool ShouldRecompute(const RenameOptions& options, int triggerId, size_t rowCount) {
    if (rowCount == 0)
        return false;
    if (!CheckedInsertMode(options))
        return false;
    switch (triggerId) {
        case ctl::kDeleteAtPosition:
        case ctl::kDeleteAtLocator:
        case ctl::kDeletePositionEdit:
        case ctl::kLocatorText:
        case ctl::kDeleteCountEdit: return CheckedDeleteMode(options).has_value();
        default: return true;
    }
}

RecomputeResult RecomputeAllNewNames(std::span<const NameRow> rows, const NewNamePipeline& pipeline,
                                     ItemCounter& counter,
                                     const std::function<bool(size_t)>& keepGoing) {
    RecomputeResult result;
    result.newNames.reserve(rows.size());
    result.marks.reserve(rows.size());
    const int rowCount = static_cast<int>(rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        std::wstring newName =
            pipeline.ComputeNewName(rows[r].name, rows[r].folder, counter, rowCount);
        const bool changed = newName != rows[r].name;
        result.marks.push_back(ColourMark{static_cast<int>(r), kNewNameColumn,
                                          changed ? kRedText : kBlackText, kWhiteBackground});
        result.newNames.push_back(std::move(newName));
        if (keepGoing && !keepGoing(r))
            break;
    }
    return result;
}

}  // namespace tolvane
