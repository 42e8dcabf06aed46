#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "CellColours.h"
#include "ColumnLayout.h"
#include "FileItem.h"
#include "FileListObserver.h"
#include "PathRegistry.h"
#include "engine/ItemCounter.h"
#include "engine/Recompute.h"

namespace tolvane {

class NewNamePipeline;

struct SortState {
    int column = 0;
    bool descending = false;
    bool indicatorShown = false;  // the sort column's header shows its arrow
};

// The rows to rename with everything kept beside them: the path registry, the cell
// colours, the sort state, the column layout and the counter behind serial numbers.
// Views learn of changes through FileListObserver.
class FileList {
  public:
    explicit FileList(ColumnLayout columns = {});

    size_t RowCount() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }
    const FileItem& Row(size_t row) const { return rows_[row]; }
    const std::wstring& Folder(size_t row) const { return *rows_[row].folder; }
    std::wstring FullPath(size_t row) const;
    std::wstring CellText(size_t row, int column) const;

    const ColumnLayout& Columns() const { return columns_; }
    const SortState& Sort() const { return sort_; }
    int SelectionMark() const { return selectionMark_; }
    size_t SelectedCount() const;

    PathRegistry& Registry() { return registry_; }
    const PathRegistry& Registry() const { return registry_; }
    const CellColours& Colours() const { return colours_; }
    ItemCounter& Counter() { return counter_; }

    void AddObserver(FileListObserver* observer);
    void RemoveObserver(FileListObserver* observer);

    struct AddOptions {
        const NewNamePipeline* pipeline = nullptr;  // none: new names equal the names
        bool autoSort = false;                      // sort by name after a batch of several
        std::wstring filterText;                    // re-applied after the batch when not empty
    };
    // Adds a batch of full paths as rows, skipping those already listed; then sorts
    // by the sort state. Returns the number of rows added.
    size_t AddPaths(const std::vector<std::wstring>& paths, const AddOptions& options);
    // A batch taken in parts: each part appended as rows (told to the observers), then
    // the batch's closing steps once (the sort column, its arrow, the sort, the filter),
    // given the number of paths the whole batch held.
    size_t AppendPaths(std::span<const std::wstring> paths, const AddOptions& options);
    void FinishBatch(size_t batchSize, const AddOptions& options);

    // Recomputes every row in list order and rebuilds the colours from the result.
    void RecomputeNewNames(const NewNamePipeline& pipeline);
    // The name and folder of every row, for a computation elsewhere; valid until the
    // rows change.
    std::vector<NameRow> NameRows() const;
    // Takes the new names of every row, computed elsewhere in row order, and rebuilds
    // the colours from their marks. The names shown before are left in `result`, so the
    // caller decides where their memory is given back.
    void ApplyNewNames(RecomputeResult& result);
    // Changes whenever rows come, go, move or change their names: what was computed
    // from the rows of another generation is not for these rows.
    std::uint64_t Generation() const { return generation_; }
    // Computes one row (the counter continues) and marks its new name.
    void ComputeRow(size_t row, const NewNamePipeline& pipeline);

    // Sorts by the sort state; rows of equal keys keep their order.
    void SortRows();
    // A click on header `column`: it becomes the sort column; a second click on the
    // sorted column reverses the order. Nothing with fewer than two rows.
    void ClickColumn(int column, std::wstring_view filterText);
    // Switches an optional column on or off, reading file status where needed.
    void SwitchColumn(OptionalColumn column, bool on);

    // Cell and state changes; each tells the observers.
    void SetName(size_t row, std::wstring name);
    // The row's item lies in `folder` now (a folder it lay in was renamed).
    void SetFolder(size_t row, std::shared_ptr<const std::wstring> folder);
    // The registry of paths made again from the rows, after paths changed under it.
    void RebuildRegistry();
    void SetNewName(size_t row, std::wstring newName);
    void SetStatus(size_t row, std::wstring status, std::wstring tip = {});
    void SetChecked(size_t row, bool checked);
    void SetSelected(size_t row, bool selected);
    // The selection mark is also the focused row; -1 for none.
    void SetSelectionMark(int row);
    // Check and selection flags of every row at once (a null vector leaves that flag
    // as it is) and the selection mark, told to the observers once: select all, invert
    // and the like stay one update on long lists.
    void SetRowStates(const std::vector<bool>* checked, const std::vector<bool>* selected,
                      int selectionMark);
    void AppendColour(const ColourMark& mark);
    // The mark that decides the text colour of the mark's cell replaced, or appended.
    void SetCellColour(const ColourMark& mark);
    // Several marks at once, with one notification.
    void AppendColours(const std::vector<ColourMark>& marks);
    void ClearColours();
    // The colour table becomes `marks`, with one notification.
    void SetColours(const std::vector<ColourMark>& marks);
    void ClearStatusColumn();
    void ClearNewNameColumn();
    void HideSortIndicator();

    // Removes the rows whose flag is set (size RowCount()); marks follow their rows.
    void RemoveRows(const std::vector<bool>& remove);
    // Puts the rows in the order `order` (old indexes, a permutation).
    void Reorder(const std::vector<size_t>& order);
    // Serial numbers 1..n in row order.
    void Renumber();
    // Empties rows, colours and registry; the sort column and direction stay.
    void Clear();

    // Applies the filter of the filter box; see ListEditing. False when the pattern
    // ran past its budget: the rows are then left as they were.
    bool ApplyFilter(std::wstring_view filterText);

    // While a batch is open, the cells and colours that change reach the views once, as
    // one range, when the last batch closes: a pass that sets 100,000 statuses or
    // refreshes 100,000 rows does not tell them 100,000 times. Any other change tells
    // them what is pending first, so that they always learn in order.
    class Batch {
      public:
        explicit Batch(FileList& list) : list_(list) { ++list_.batchDepth_; }
        ~Batch() {
            if (--list_.batchDepth_ == 0)
                list_.FlushPending();
        }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

      private:
        FileList& list_;
    };

  private:
    // Reads the status of every row that has not been read, for the optional columns.
    void ReadMissingStats();
    template <class F>
    void Notify(F&& f) {
        FlushPending();
        for (FileListObserver* observer : observers_)
            f(*observer);
    }
    void NotifyCells(size_t row, int column);
    void NotifyColours();
    void FlushPending();

    std::vector<FileItem> rows_;
    ColumnLayout columns_;
    PathRegistry registry_;
    CellColours colours_;
    SortState sort_;
    ItemCounter counter_;
    int selectionMark_ = -1;
    std::uint64_t generation_ = 0;
    int batchDepth_ = 0;
    struct PendingCells {
        size_t first = 0;
        size_t last = 0;
        int column = 0;
        bool any = false;
    } pendingCells_;
    bool pendingColours_ = false;
    std::uint64_t lastKey_ = 0;
    std::vector<FileListObserver*> observers_;
};

}  // namespace tolvane
