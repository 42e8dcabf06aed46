#pragma once

#include <cstddef>
#include <vector>

namespace tolvane {

class FileList;

// Selecting rows with the mouse and the keys, written straight into the rows' selected
// flags of the core list, which are the only record of the selection. A click or a
// plain move selects one row and anchors there; Ctrl+click turns one row over; Shift
// (a click, a key, dragging) spans anchor..row on top of what was selected before the
// anchor was set, so that a span shrinks again as Qt's extended selection does. Each
// change is one update of the list, whatever the number of rows or runs it touches.
class RowSelection {
  public:
    explicit RowSelection(FileList& list) : list_(list) {}

    // Only `row` selected; it becomes the anchor.
    void Only(size_t row);
    // `row` turned over and made the anchor; returns whether it is now selected.
    bool Toggle(size_t row);
    // `row` becomes the mark and the anchor; the selection stays.
    void Focus(size_t row);
    // `row` added to the selection and made the anchor.
    void Add(size_t row);
    // anchor..row take `selected` over the rows selected before the anchor; without an
    // anchor, `fallbackAnchor` (or the row itself when it is -1) becomes it.
    void SpanTo(size_t row, bool selected, int fallbackAnchor);
    // Nothing selected; the anchor stays.
    void Clear();
    // The list changed its selection or its rows on its own: the anchor becomes its
    // mark, and what it has selected now is kept under any span that follows.
    void Forget();

  private:
    // `row` becomes the anchor over what is selected now.
    void AnchorAt(size_t row);
    void Apply(const std::vector<bool>& selected, size_t mark);
    std::vector<bool> Flags() const;

    FileList& list_;
    int anchor_ = -1;
    // The rows selected before the anchor was set; empty: taken from the list when needed.
    std::vector<bool> base_;
    bool baseKnown_ = false;
};

}  // namespace tolvane
