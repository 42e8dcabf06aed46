#include "ListEditing.h"

#include <algorithm>
#include <numeric>

#include "engine/StringOps.h"
#include "settings/MenuTable.h"

namespace tolvane {

void MoveSelectedRows(FileList& list, MoveDirection direction) {
    std::vector<size_t> block;
    std::vector<size_t> rest;
    for (size_t r = 0; r < list.RowCount(); ++r)
        (list.Row(r).selected ? block : rest).push_back(r);
    if (!block.empty()) {
        const size_t first = block.front();
        const size_t n = rest.size();
        size_t target = 0;
        switch (direction) {
            case MoveDirection::Top: target = 0; break;
            case MoveDirection::Up: target = first == 0 ? 0 : first - 1; break;
            case MoveDirection::Down: target = first + block.size() > n ? n : first + 1; break;
            case MoveDirection::Bottom: target = n; break;
        }
        std::vector<size_t> order(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(target));
        order.insert(order.end(), block.begin(), block.end());
        order.insert(order.end(), rest.begin() + static_cast<std::ptrdiff_t>(target), rest.end());
        list.Reorder(order);
        list.SetSelectionMark(static_cast<int>(target));
    }
    list.Renumber();
}

bool RemoveSelected(FileList& list, std::wstring_view filterText) {
    std::vector<bool> remove(list.RowCount(), false);
    for (size_t r = 0; r < list.RowCount(); ++r) {
        if (!list.Row(r).selected)
            continue;
        remove[r] = true;
        list.Registry().RemoveFirst(list.FullPath(r));
    }
    list.RemoveRows(remove);
    list.Renumber();
    if (!filterText.empty())
        list.ApplyFilter(filterText);
    if (!list.Empty())
        return false;
    list.Clear();
    return true;
}

void CheckSelected(FileList& list, bool checked) {
    std::vector<bool> checks(list.RowCount());
    for (size_t r = 0; r < list.RowCount(); ++r)
        checks[r] = list.Row(r).selected ? checked : list.Row(r).checked;
    list.SetRowStates(&checks, nullptr, list.SelectionMark());
}

namespace {

ColourMark PickedMark(size_t row) {
    return {static_cast<int>(row), ColumnLayout::kName, kBlackText, kSelectionBackground};
}

}  // namespace

void SelectAll(FileList& list) {
    const size_t n = list.RowCount();
    const std::vector<bool> all(n, true);
    std::vector<ColourMark> marks;
    marks.reserve(n);
    for (size_t r = 0; r < n; ++r)
        marks.push_back(PickedMark(r));
    list.SetRowStates(&all, &all, n == 0 ? list.SelectionMark() : static_cast<int>(n) - 1);
    list.SetColours(marks);
}

void InvertSelection(FileList& list) {
    const size_t n = list.RowCount();
    std::vector<bool> checks(n);
    std::vector<ColourMark> marks;
    // Each picked row becomes the mark in turn: the last one keeps it.
    int mark = list.SelectionMark();
    for (size_t r = 0; r < n; ++r) {
        checks[r] = !list.Row(r).checked;
        if (checks[r]) {
            marks.push_back(PickedMark(r));
            mark = static_cast<int>(r);
        }
    }
    list.SetRowStates(&checks, &checks, mark);
    list.SetColours(marks);
}

void SelectEveryRow(FileList& list) {
    const std::vector<bool> all(list.RowCount(), true);
    list.SetRowStates(nullptr, &all, list.Empty() ? -1 : static_cast<int>(list.RowCount()) - 1);
}

void CommitInlineRename(FileList& list, size_t row, std::wstring_view editorText) {
    if (row >= list.RowCount())
        return;
    std::wstring text = StripInvalidNameChars(editorText);
    const bool changed = text != list.Row(row).newName;
    list.SetNewName(row, std::move(text));
    list.AppendColour({static_cast<int>(row), ColumnLayout::kNewName,
                       changed ? kRedText : kBlackText, kWhiteBackground});
}

bool CanBeginInlineRename(const FileList& list) {
    return list.SelectedCount() == 1;
}

bool IsRowCommandEnabled(const FileList& list, int commandId) {
    const size_t selected = list.SelectedCount();
    const int mark = list.SelectionMark();
    const bool markValid = mark >= 0 && static_cast<size_t>(mark) < list.RowCount();
    const int last = static_cast<int>(list.RowCount()) - 1;
    const bool fewSelected = selected <= 1;
    switch (commandId) {
        case cmd::kMoveTop:
        case cmd::kMoveUp: return !(fewSelected && mark == 0);
        case cmd::kMoveDown:
        case cmd::kMoveBottom: return !(fewSelected && mark == last && mark != 0);
        case cmd::kRenameSelected:
        case cmd::kOpenFile: return selected < 2;
        // The file manager shows several files in one request.
        case cmd::kOpenFolderOfFile: return true;
        case cmd::kCheck:
            return !(fewSelected && markValid && list.Row(static_cast<size_t>(mark)).checked);
        case cmd::kUncheck:
            return !(fewSelected && (!markValid || !list.Row(static_cast<size_t>(mark)).checked));
        default: return true;
    }
}

std::wstring ObjectCountText(size_t rowCount, std::wstring_view itemsWord) {
    return std::to_wstring(rowCount) + std::wstring(itemsWord);
}

}  // namespace tolvane
