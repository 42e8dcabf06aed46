#pragma once

#include <cstddef>

namespace tolvane {

// What a view of the file list is told, so that it updates only what changed.
class FileListObserver {
  public:
    virtual ~FileListObserver() = default;
    virtual void RowsInserted(size_t first, size_t count) = 0;
    virtual void RowsRemoved(size_t first, size_t count) = 0;
    // Rows changed places (sorting, moving); their count is the same.
    virtual void RowsReordered() = 0;
    // Cells of rows first..last changed; column -1 means every column.
    virtual void CellsChanged(size_t first, size_t last, int column) = 0;
    virtual void ColoursChanged() = 0;
    // Only the colours of the cells of `column` changed.
    virtual void ColumnColoursChanged(int column) {
        (void)column;
        ColoursChanged();
    }
    virtual void ColumnsChanged() = 0;
    virtual void SelectionChanged() = 0;
    virtual void Reset() = 0;
};

}  // namespace tolvane
