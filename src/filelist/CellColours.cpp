#include "CellColours.h"

namespace tolvane {

void CellColours::Append(const ColourMark& mark) {
    if (mark.row < 0)
        return;
    const auto row = static_cast<size_t>(mark.row);
    if (row >= head_.size()) {
        head_.resize(row + 1, kNone);
        tail_.resize(row + 1, kNone);
    }
    const auto index = static_cast<std::uint32_t>(entries_.size());
    Note(mark);
    entries_.push_back(mark);
    next_.push_back(kNone);
    if (head_[row] == kNone) {
        head_[row] = index;
    } else {
        next_[tail_[row]] = index;
    }
    tail_[row] = index;
}

void CellColours::Replace(const ColourMark& mark) {
    if (mark.row >= 0 && static_cast<size_t>(mark.row) < head_.size()) {
        for (std::uint32_t i = head_[static_cast<size_t>(mark.row)]; i != kNone; i = next_[i]) {
            if (entries_[i].column == mark.column) {
                Note(mark);
                entries_[i] = mark;
                return;
            }
        }
    }
    Append(mark);
}

void CellColours::Clear() {
    ++version_;
    entries_.clear();
    next_.clear();
    head_.clear();
    tail_.clear();
    columns_ = 0;
    tinted_ = false;
}

CellColours::CellColour CellColours::ColourOf(int row, int column) const {
    CellColour colour;
    if (row < 0 || static_cast<size_t>(row) >= head_.size())
        return colour;
    for (std::uint32_t i = head_[static_cast<size_t>(row)]; i != kNone; i = next_[i]) {
        const ColourMark& mark = entries_[i];
        colour.background = mark.background;
        if (mark.column == column) {
            colour.text = mark.text;
            break;
        }
    }
    return colour;
}

void CellColours::RemapRows(const std::vector<int>& newRowOf) {
    std::vector<ColourMark> old = std::move(entries_);
    Clear();
    for (ColourMark mark : old) {
        if (mark.row < 0 || static_cast<size_t>(mark.row) >= newRowOf.size())
            continue;
        const int row = newRowOf[static_cast<size_t>(mark.row)];
        if (row < 0)
            continue;
        mark.row = row;
        Append(mark);
    }
}

}  // namespace tolvane
