#include "FileList.h"

#include <algorithm>
#include <numeric>

#include "CollectFolder.h"
#include "FilterPattern.h"
#include "NaturalCompare.h"
#include "engine/NewNamePipeline.h"
#include "engine/Recompute.h"
#include "engine/StringOps.h"
#include "engine/TextConvert.h"

namespace tolvane {

namespace {

size_t RemovedCount(const std::vector<std::pair<size_t, size_t>>& runs) {
    size_t count = 0;
    for (const auto& run : runs)
        count += run.second;
    return count;
}

}  // namespace

FileList::FileList(ColumnLayout columns) : columns_(columns) {}

std::wstring FileList::FullPath(size_t row) const {
    return JoinPath(*rows_[row].folder, rows_[row].name);
}

std::wstring FileList::CellText(size_t row, int column) const {
    const FileItem& item = rows_[row];
    switch (columns_.KindAt(column)) {
        case ColumnKind::Serial: return std::to_wstring(item.serial);
        case ColumnKind::Name: return item.name;
        case ColumnKind::NewName: return item.newName;
        case ColumnKind::Status: return item.status;
        case ColumnKind::Size: return FormatFileSize(item.stat.size);
        case ColumnKind::Extension: return ExtensionOf(item.name);
        case ColumnKind::Created: return FormatFileDate(item.stat.created);
        case ColumnKind::Modified: return FormatFileDate(item.stat.modified);
        case ColumnKind::Folder: return *item.folder;
    }
    return {};
}

size_t FileList::SelectedCount() const {
    return static_cast<size_t>(std::count_if(rows_.begin(), rows_.end(),
                                             [](const FileItem& item) { return item.selected; }));
}

void FileList::AddObserver(FileListObserver* observer) {
    observers_.push_back(observer);
}

void FileList::RemoveObserver(FileListObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

size_t FileList::AddPaths(const std::vector<std::wstring>& paths, const AddOptions& options) {
    const size_t added = AppendPaths(paths, options);
    FinishBatch(paths.size(), options);
    return added;
}

size_t FileList::AppendPaths(std::span<const std::wstring> paths, const AddOptions& options) {
    const size_t first = rows_.size();
    // Room for the whole batch at once, growing geometrically over many small batches.
    if (rows_.size() + paths.size() > rows_.capacity())
        rows_.reserve(std::max(rows_.size() + paths.size(), rows_.capacity() * 3 / 2));
    std::shared_ptr<const std::wstring> folder;
    const bool needStat = columns_.IsOn(OptionalColumn::Size) ||
                          columns_.IsOn(OptionalColumn::Created) ||
                          columns_.IsOn(OptionalColumn::Modified);
    for (const std::wstring& path : paths) {
        if (registry_.Contains(path))
            continue;
        SplitPathResult split = SplitFullPath(path);
        // The root folder has no name of its own and cannot be renamed.
        if (split.name.empty())
            continue;
        // Rows of one folder share its text.
        if (!folder || *folder != split.folder) {
            folder = std::make_shared<const std::wstring>(std::move(split.folder));
        }
        FileItem item;
        item.serial = static_cast<int>(rows_.size()) + 1;
        item.key = ++lastKey_;
        item.name = std::move(split.name);
        item.folder = folder;
        if (needStat) {
            item.stat = ReadFileStat(path);
            item.statRead = true;
        }
        rows_.push_back(std::move(item));
        ++generation_;
        FileItem& row = rows_.back();
        const int r = static_cast<int>(rows_.size()) - 1;
        if (options.pipeline) {
            row.newName = options.pipeline->ComputeNewName(row.name, *row.folder, counter_,
                                                           static_cast<int>(rows_.size()));
            colours_.Append({r, ColumnLayout::kNewName,
                             row.newName != row.name ? kRedText : kBlackText, kWhiteBackground});
        } else {
            row.newName = row.name;
        }
        registry_.Append(path);
    }
    const size_t added = rows_.size() - first;
    if (added > 0)
        Notify([&](FileListObserver& o) { o.RowsInserted(first, added); });
    return added;
}

void FileList::FinishBatch(size_t batchSize, const AddOptions& options) {
    if (options.autoSort && batchSize > 1)
        sort_.column = ColumnLayout::kName;
    sort_.indicatorShown = true;
    Notify([](FileListObserver& o) { o.ColumnsChanged(); });
    SortRows();
    if (!options.filterText.empty())
        ApplyFilter(options.filterText);
}

void FileList::RecomputeNewNames(const NewNamePipeline& pipeline) {
    const std::vector<NameRow> names = NameRows();
    RecomputeResult result = RecomputeAllNewNames(names, pipeline, counter_);
    ApplyNewNames(result);
}

std::vector<NameRow> FileList::NameRows() const {
    std::vector<NameRow> names;
    names.reserve(rows_.size());
    for (const FileItem& item : rows_)
        names.push_back({item.name, *item.folder});
    return names;
}

void FileList::ApplyNewNames(RecomputeResult& result) {
    const size_t n = std::min(rows_.size(), result.newNames.size());
    for (size_t r = 0; r < n; ++r)
        rows_[r].newName.swap(result.newNames[r]);
    // Typing in an option box changes only the new-name column: the view then repaints
    // that column, not every cell of the list.
    const bool onlyNewNames = colours_.OnlyTextOf(ColumnLayout::kNewName);
    colours_.Clear();
    for (const ColourMark& mark : result.marks)
        colours_.Append(mark);
    if (!rows_.empty()) {
        Notify([&](FileListObserver& o) {
            o.CellsChanged(0, rows_.size() - 1, ColumnLayout::kNewName);
        });
    }
    if (onlyNewNames && colours_.OnlyTextOf(ColumnLayout::kNewName))
        Notify([](FileListObserver& o) { o.ColumnColoursChanged(ColumnLayout::kNewName); });
    else
        Notify([](FileListObserver& o) { o.ColoursChanged(); });
}

void FileList::ComputeRow(size_t row, const NewNamePipeline& pipeline) {
    FileItem& item = rows_[row];
    std::wstring newName =
        pipeline.ComputeNewName(item.name, *item.folder, counter_, static_cast<int>(rows_.size()));
    colours_.Append({static_cast<int>(row), ColumnLayout::kNewName,
                     newName != item.name ? kRedText : kBlackText, kWhiteBackground});
    SetNewName(row, std::move(newName));
    NotifyColours();
}

void FileList::NotifyCells(size_t row, int column) {
    if (batchDepth_ == 0) {
        Notify([&](FileListObserver& o) { o.CellsChanged(row, row, column); });
        return;
    }
    PendingCells& p = pendingCells_;
    if (!p.any) {
        p = {row, row, column, true};
        return;
    }
    p.first = std::min(p.first, row);
    p.last = std::max(p.last, row);
    if (p.column != column)
        p.column = -1;
}

void FileList::NotifyColours() {
    if (batchDepth_ == 0)
        Notify([](FileListObserver& o) { o.ColoursChanged(); });
    else
        pendingColours_ = true;
}

void FileList::FlushPending() {
    if (pendingCells_.any) {
        const PendingCells cells = pendingCells_;
        pendingCells_.any = false;
        for (FileListObserver* observer : observers_)
            observer->CellsChanged(cells.first, cells.last, cells.column);
    }
    if (pendingColours_) {
        pendingColours_ = false;
        for (FileListObserver* observer : observers_)
            observer->ColoursChanged();
    }
}

void FileList::SortRows() {
    if (rows_.size() < 2)
        return;
    std::vector<size_t> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    const bool descending = sort_.descending;
    if (columns_.KindAt(sort_.column) == ColumnKind::Serial) {
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return descending ? rows_[a].serial > rows_[b].serial
                              : rows_[a].serial < rows_[b].serial;
        });
    } else {
        // The texts are converted once, not once per comparison.
        std::vector<std::string> keys(rows_.size());
        for (size_t r = 0; r < rows_.size(); ++r)
            keys[r] = ToNarrow(CellText(r, sort_.column));
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return descending ? NaturalCompare(keys[b], keys[a]) < 0
                              : NaturalCompare(keys[a], keys[b]) < 0;
        });
    }
    if (!std::is_sorted(order.begin(), order.end()))
        Reorder(order);
}

void FileList::ClickColumn(int column, std::wstring_view filterText) {
    if (rows_.size() < 2)
        return;
    if (column == sort_.column && sort_.indicatorShown)
        sort_.descending = !sort_.descending;
    sort_.column = column;
    sort_.indicatorShown = true;
    Notify([](FileListObserver& o) { o.ColumnsChanged(); });
    SortRows();
    if (!filterText.empty())
        ApplyFilter(filterText);
}

void FileList::ReadMissingStats() {
    for (size_t r = 0; r < rows_.size(); ++r) {
        if (rows_[r].statRead)
            continue;
        rows_[r].stat = ReadFileStat(FullPath(r));
        rows_[r].statRead = true;
    }
}

void FileList::SwitchColumn(OptionalColumn column, bool on) {
    if (columns_.IsOn(column) == on)
        return;
    int index = 0;
    if (on) {
        columns_.Set(column, true);
        index = *columns_.IndexOf(column);
        if (column != OptionalColumn::Extension)
            ReadMissingStats();
    } else {
        index = *columns_.IndexOf(column);
        columns_.Set(column, false);
    }
    // The columns after the switched one move: so do their colours and the sort column.
    const int shift = on ? 1 : -1;
    std::vector<ColourMark> marks(colours_.Entries().begin(), colours_.Entries().end());
    colours_.Clear();
    for (ColourMark mark : marks) {
        if (!on && mark.column == index)
            continue;
        if (mark.column >= index)
            mark.column += shift;
        colours_.Append(mark);
    }
    if (!on && sort_.column == index) {
        sort_.column = ColumnLayout::kSerial;
        sort_.indicatorShown = false;
    } else if (sort_.column >= index) {
        sort_.column += shift;
    }
    Notify([](FileListObserver& o) { o.ColumnsChanged(); });
}

void FileList::SetName(size_t row, std::wstring name) {
    ++generation_;
    rows_[row].name = std::move(name);
    NotifyCells(row, ColumnLayout::kName);
}

void FileList::SetFolder(size_t row, std::shared_ptr<const std::wstring> folder) {
    ++generation_;
    rows_[row].folder = std::move(folder);
    NotifyCells(row, columns_.FolderColumn());
}

void FileList::RebuildRegistry() {
    registry_.Clear();
    for (const FileItem& row : rows_)
        registry_.Append(JoinPath(*row.folder, row.name));
}

void FileList::SetNewName(size_t row, std::wstring newName) {
    rows_[row].newName = std::move(newName);
    NotifyCells(row, ColumnLayout::kNewName);
}

void FileList::SetStatus(size_t row, std::wstring status, std::wstring tip) {
    rows_[row].status = std::move(status);
    rows_[row].statusTip = std::move(tip);
    NotifyCells(row, ColumnLayout::kStatus);
}

void FileList::SetChecked(size_t row, bool checked) {
    if (rows_[row].checked == checked)
        return;
    rows_[row].checked = checked;
    NotifyCells(row, ColumnLayout::kSerial);
}

void FileList::SetSelected(size_t row, bool selected) {
    if (rows_[row].selected == selected)
        return;
    rows_[row].selected = selected;
    Notify([](FileListObserver& o) { o.SelectionChanged(); });
}

void FileList::SetSelectionMark(int row) {
    selectionMark_ = row;
    Notify([](FileListObserver& o) { o.SelectionChanged(); });
}

void FileList::SetRowStates(const std::vector<bool>* checked, const std::vector<bool>* selected,
                            int selectionMark) {
    const size_t n = rows_.size();
    // The rows whose check box changed, as one range for the view.
    size_t firstChecked = n;
    size_t lastChecked = 0;
    bool selectionChanged = selectionMark != selectionMark_;
    for (size_t r = 0; r < n; ++r) {
        FileItem& item = rows_[r];
        if (checked && r < checked->size() && item.checked != (*checked)[r]) {
            item.checked = (*checked)[r];
            firstChecked = std::min(firstChecked, r);
            lastChecked = r;
        }
        if (selected && r < selected->size() && item.selected != (*selected)[r]) {
            item.selected = (*selected)[r];
            selectionChanged = true;
        }
    }
    selectionMark_ = selectionMark;
    if (firstChecked < n) {
        Notify([&](FileListObserver& o) {
            o.CellsChanged(firstChecked, lastChecked, ColumnLayout::kSerial);
        });
    }
    if (selectionChanged)
        Notify([](FileListObserver& o) { o.SelectionChanged(); });
}

void FileList::AppendColour(const ColourMark& mark) {
    colours_.Append(mark);
    NotifyColours();
}

void FileList::SetCellColour(const ColourMark& mark) {
    colours_.Replace(mark);
    Notify([](FileListObserver& o) { o.ColoursChanged(); });
}

void FileList::AppendColours(const std::vector<ColourMark>& marks) {
    if (marks.empty())
        return;
    for (const ColourMark& mark : marks)
        colours_.Append(mark);
    NotifyColours();
}

void FileList::ClearColours() {
    colours_.Clear();
    NotifyColours();
}

void FileList::SetColours(const std::vector<ColourMark>& marks) {
    colours_.Clear();
    for (const ColourMark& mark : marks)
        colours_.Append(mark);
    Notify([](FileListObserver& o) { o.ColoursChanged(); });
}

void FileList::ClearStatusColumn() {
    for (FileItem& item : rows_) {
        item.status.clear();
        item.statusTip.clear();
    }
    if (!rows_.empty())
        Notify([&](FileListObserver& o) {
            o.CellsChanged(0, rows_.size() - 1, ColumnLayout::kStatus);
        });
}

void FileList::ClearNewNameColumn() {
    for (FileItem& item : rows_)
        item.newName.clear();
    if (!rows_.empty())
        Notify([&](FileListObserver& o) {
            o.CellsChanged(0, rows_.size() - 1, ColumnLayout::kNewName);
        });
}

void FileList::HideSortIndicator() {
    sort_.indicatorShown = false;
    Notify([](FileListObserver& o) { o.ColumnsChanged(); });
}

void FileList::RemoveRows(const std::vector<bool>& remove) {
    std::vector<int> newRowOf(rows_.size(), -1);
    std::vector<FileItem> kept;
    kept.reserve(rows_.size());
    // Removed runs are reported bottom-up so that each report's indexes are current.
    std::vector<std::pair<size_t, size_t>> runs;
    for (size_t r = 0; r < rows_.size(); ++r) {
        if (remove[r]) {
            if (!runs.empty() && runs.back().first + runs.back().second == r) {
                ++runs.back().second;
            } else {
                runs.emplace_back(r, 1);
            }
            if (selectionMark_ == static_cast<int>(r))
                selectionMark_ = -1;
            continue;
        }
        newRowOf[r] = static_cast<int>(kept.size());
        kept.push_back(std::move(rows_[r]));
    }
    if (runs.empty())
        return;
    if (selectionMark_ >= 0)
        selectionMark_ = newRowOf[static_cast<size_t>(selectionMark_)];
    rows_ = std::move(kept);
    ++generation_;
    colours_.RemapRows(newRowOf);
    // Thousands of scattered runs, each a report that a view answers in time linear in
    // the rows, would take minutes: beyond a few, the rows from the first removed one on
    // are reported as removed and those that stayed there as inserted again.
    constexpr size_t kMostRunsReported = 16;
    if (runs.size() > kMostRunsReported) {
        const size_t from = runs.front().first;
        const size_t before = rows_.size() + RemovedCount(runs);
        Notify([&](FileListObserver& o) { o.RowsRemoved(from, before - from); });
        if (rows_.size() > from)
            Notify([&](FileListObserver& o) { o.RowsInserted(from, rows_.size() - from); });
        return;
    }
    for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
        Notify([&](FileListObserver& o) { o.RowsRemoved(it->first, it->second); });
    }
}

void FileList::Reorder(const std::vector<size_t>& order) {
    std::vector<FileItem> reordered;
    reordered.reserve(rows_.size());
    std::vector<int> newRowOf(rows_.size(), -1);
    for (size_t i = 0; i < order.size(); ++i) {
        newRowOf[order[i]] = static_cast<int>(i);
        reordered.push_back(std::move(rows_[order[i]]));
    }
    rows_ = std::move(reordered);
    ++generation_;
    colours_.RemapRows(newRowOf);
    if (selectionMark_ >= 0)
        selectionMark_ = newRowOf[static_cast<size_t>(selectionMark_)];
    Notify([](FileListObserver& o) { o.RowsReordered(); });
}

void FileList::Renumber() {
    for (size_t r = 0; r < rows_.size(); ++r)
        rows_[r].serial = static_cast<int>(r) + 1;
    if (!rows_.empty())
        Notify([&](FileListObserver& o) {
            o.CellsChanged(0, rows_.size() - 1, ColumnLayout::kSerial);
        });
}

void FileList::Clear() {
    ++generation_;
    rows_.clear();
    colours_.Clear();
    registry_.Clear();
    selectionMark_ = -1;
    sort_.indicatorShown = false;
    Notify([](FileListObserver& o) { o.Reset(); });
}

bool FileList::ApplyFilter(std::wstring_view filterText) {
    if (rows_.empty())
        return true;
    // The pattern is built once per call, not once per row.
    const std::unique_ptr<FilterPattern> pattern = FilterPattern::Make(filterText);
    if (!pattern && !filterText.empty())
        return true;
    // Rows change only when every name was judged: a pattern that runs away leaves them.
    std::vector<bool> matches(rows_.size(), false);
    for (size_t r = 0; pattern && r < rows_.size(); ++r) {
        const std::optional<bool> match = pattern->Matches(rows_[r].name);
        if (!match)
            return false;
        matches[r] = *match;
    }
    colours_.Clear();
    selectionMark_ = -1;
    for (size_t r = 0; r < rows_.size(); ++r) {
        FileItem& item = rows_[r];
        const bool match = matches[r];
        item.checked = match;
        item.selected = match;
        if (match)
            selectionMark_ = static_cast<int>(r);
        colours_.Append({static_cast<int>(r), ColumnLayout::kName, kBlackText,
                         match ? kSelectionBackground : kWhiteBackground});
    }
    Notify([&](FileListObserver& o) {
        o.CellsChanged(0, rows_.size() - 1, ColumnLayout::kSerial);
        o.SelectionChanged();
        o.ColoursChanged();
    });
    return true;
}

}  // namespace tolvane
