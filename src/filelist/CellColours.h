#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/Colours.h"

namespace tolvane {

// The colour entries that the list applies when it draws a cell. For a cell, the
// entries of its row are scanned in order: each gives the row its background, and
// the first entry of the cell's own column gives the text colour and ends the scan.
class CellColours {
  public:
    struct CellColour {
        Rgb text = kBlackText;
        Rgb background = kWhiteBackground;
    };

    void Append(const ColourMark& mark);
    // Replaces the entry that gives the mark's cell its text colour; appends the mark
    // when there is none. One edited cell changes without the table growing.
    void Replace(const ColourMark& mark);
    void Clear();
    CellColour ColourOf(int row, int column) const;
    std::span<const ColourMark> Entries() const { return entries_; }
    bool Empty() const { return entries_.empty(); }
    // Counts the changes of the table: a user of the table can tell whether anyone
    // changed it since it last looked.
    std::uint64_t Version() const { return version_; }
    // Whether every entry only colours the text of `column`: the other cells then look
    // as they would without any entry.
    bool OnlyTextOf(int column) const { return !tinted_ && (columns_ & ~ColumnBit(column)) == 0; }

    // Moves every mark with its row: newRowOf[old] is the row's new index, -1 when
    // the row is gone (its marks are dropped).
    void RemapRows(const std::vector<int>& newRowOf);

  private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;
    static std::uint64_t ColumnBit(int column) {
        return std::uint64_t{1} << (column < 0 ? 63 : column > 62 ? 62 : column);
    }
    void Note(const ColourMark& mark) {
        ++version_;
        columns_ |= ColumnBit(mark.column);
        tinted_ = tinted_ || mark.background != kWhiteBackground;
    }

    // The entries of one row are chained in the order they were added: head_ and
    // tail_ by row, next_ by entry. A few bytes per row instead of a map node.
    std::vector<ColourMark> entries_;
    std::vector<std::uint32_t> next_;
    std::vector<std::uint32_t> head_;
    std::vector<std::uint32_t> tail_;
    std::uint64_t columns_ = 0;  // a bit for each column some entry names
    bool tinted_ = false;        // some entry gives its row a background of its own
    std::uint64_t version_ = 0;
};

}  // namespace tolvane
