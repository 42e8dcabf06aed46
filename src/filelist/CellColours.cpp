#include "CellColours.h"

namespace tolvane {

void CellColours::Append(const ColourMark& mark) {
    byRow_[mark.row].push_back(static_cast<std::uint32_t>(entries_.size()));
    entries_.push_back(mark);
}

void CellColours::Clear() {
    entries_.clear();
    byRow_.clear();
}

CellColours::CellColour CellColours::ColourOf(int row, int column) const {
    CellColour colour;
    const auto it = byRow_.find(row);
    if (it == byRow_.end())
        return colour;
    for (std::uint32_t index : it->second) {
        const ColourMark& mark = entries_[index];
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
