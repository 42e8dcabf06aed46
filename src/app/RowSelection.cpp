#include "RowSelection.h"

#include <algorithm>

#include "filelist/FileList.h"

namespace tolvane {

std::vector<bool> RowSelection::Flags() const {
    std::vector<bool> flags(list_.RowCount());
    for (size_t r = 0; r < flags.size(); ++r)
        flags[r] = list_.Row(r).selected;
    return flags;
}

void RowSelection::Apply(const std::vector<bool>& selected, size_t mark) {
    list_.SetRowStates(nullptr, &selected, static_cast<int>(mark));
}

void RowSelection::AnchorAt(size_t row) {
    anchor_ = static_cast<int>(row);
    base_ = Flags();
    baseKnown_ = true;
}

void RowSelection::Only(size_t row) {
    if (row >= list_.RowCount())
        return;
    anchor_ = static_cast<int>(row);
    base_.assign(list_.RowCount(), false);
    baseKnown_ = true;
    std::vector<bool> selected(list_.RowCount(), false);
    selected[row] = true;
    Apply(selected, row);
}

bool RowSelection::Toggle(size_t row) {
    if (row >= list_.RowCount())
        return false;
    AnchorAt(row);
    std::vector<bool> selected = base_;
    selected[row] = !selected[row];
    Apply(selected, row);
    return selected[row];
}

void RowSelection::Focus(size_t row) {
    if (row >= list_.RowCount())
        return;
    AnchorAt(row);
    list_.SetSelectionMark(static_cast<int>(row));
}

void RowSelection::Add(size_t row) {
    if (row >= list_.RowCount())
        return;
    AnchorAt(row);
    std::vector<bool> selected = base_;
    selected[row] = true;
    Apply(selected, row);
}

void RowSelection::SpanTo(size_t row, bool select, int fallbackAnchor) {
    const size_t n = list_.RowCount();
    if (row >= n)
        return;
    if (anchor_ < 0 || static_cast<size_t>(anchor_) >= n)
        anchor_ = fallbackAnchor >= 0 && static_cast<size_t>(fallbackAnchor) < n
                      ? fallbackAnchor
                      : static_cast<int>(row);
    if (!baseKnown_ || base_.size() != n) {
        base_ = Flags();
        baseKnown_ = true;
    }
    std::vector<bool> selected = base_;
    const size_t from = std::min(row, static_cast<size_t>(anchor_));
    const size_t to = std::max(row, static_cast<size_t>(anchor_));
    std::fill(selected.begin() + static_cast<std::ptrdiff_t>(from),
              selected.begin() + static_cast<std::ptrdiff_t>(to) + 1, select);
    Apply(selected, row);
}

void RowSelection::Clear() {
    base_.assign(list_.RowCount(), false);
    baseKnown_ = true;
    list_.SetRowStates(nullptr, &base_, list_.SelectionMark());
}

void RowSelection::Forget() {
    anchor_ = list_.SelectionMark();
    base_.clear();
    baseKnown_ = false;
}

}  // namespace tolvane
